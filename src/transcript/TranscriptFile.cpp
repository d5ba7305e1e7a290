#include "transcript/TranscriptFile.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace {

QxTranscriptFileCalls g_calls;

// Text is written whenever this many characters are waiting.
constexpr size_t kFlushChars = 128 * 1024;

// A handle closed through the replaceable close call unless released first.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle() {
        if (Valid()) g_calls.pfnClose(m_h);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE Get() const { return m_h; }
    // Closes now; false when the close failed (the handle is given up either way).
    bool Close() {
        HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return g_calls.pfnClose(h) != FALSE;
    }

private:
    HANDLE m_h;
};

// The last write's buffers, kept for the next: a buffer this size is fresh memory from the
// system each time it is allocated, and touching fresh memory costs more than encoding into it.
class SpareBuffers {
public:
    static std::unique_ptr<QxWriteBuffer> Take() {
        std::unique_ptr<QxWriteBuffer> pBuffer;
        AcquireSRWLockExclusive(&s_lock);
        for (auto& pSpare : s_spares)
            if (!pBuffer) pBuffer.swap(pSpare);
        ReleaseSRWLockExclusive(&s_lock);
        if (!pBuffer) pBuffer = std::make_unique<QxWriteBuffer>(kFlushChars);
        pBuffer->Clear(); // a failed write leaves its text behind
        return pBuffer;
    }
    // Keeps the buffer unless as many are kept already (writes at once on several threads) or
    // it grew for a long record (what is kept stays small).
    static void Give(std::unique_ptr<QxWriteBuffer> pBuffer) {
        if (pBuffer->Capacity() > 2 * kFlushChars) return; // a growth at least doubles it
        AcquireSRWLockExclusive(&s_lock);
        for (auto& pSpare : s_spares)
            if (!pSpare) pSpare.swap(pBuffer);
        ReleaseSRWLockExclusive(&s_lock);
    }

private:
    static SRWLOCK s_lock;
    static std::unique_ptr<QxWriteBuffer> s_spares[2]; // one per half of a write
};
SRWLOCK SpareBuffers::s_lock = SRWLOCK_INIT;
std::unique_ptr<QxWriteBuffer> SpareBuffers::s_spares[2];

bool WriteAll(HANDLE hFile, const QxWriteBuffer& text) {
    const char* p = reinterpret_cast<const char*>(text.Data());
    size_t nLeft = text.Size() * sizeof(wchar_t);
    while (nLeft > 0) {
        const DWORD nChunk = nLeft > 0x40000000u ? 0x40000000u : static_cast<DWORD>(nLeft);
        DWORD nWritten = 0;
        if (!g_calls.pfnWrite(hFile, p, nChunk, &nWritten, nullptr) || nWritten != nChunk) return false;
        p += nChunk;
        nLeft -= nChunk;
    }
    return true;
}

// Records [nFirst, nEnd) encoded and written where the file's pointer is, through a kept buffer;
// their length in characters in *pnChars. False when a write failed or `stop` was set meanwhile.
bool WriteRecords(HANDLE hFile, const QxRecordSource& records, size_t nFirst, size_t nEnd,
                  const volatile LONG& stop, ULONGLONG* pnChars) {
    std::unique_ptr<QxWriteBuffer> pBuffer = SpareBuffers::Take();
    ULONGLONG nChars = 0;
    for (size_t i = nFirst; i < nEnd; ++i) {
        const size_t nLength = records.length(i);
        if (nLength > 0) pBuffer->Commit(records.encode(i, pBuffer->Room(nLength)));
        if (pBuffer->Full() || (i + 1 == nEnd && pBuffer->Size() > 0)) {
            if (stop || !WriteAll(hFile, *pBuffer)) return false;
            nChars += pBuffer->Size();
            pBuffer->Clear();
        }
    }
    SpareBuffers::Give(std::move(pBuffer));
    *pnChars = nChars;
    return true;
}

// Records from which a write is split in two halves, the second encoded and written on a pool
// thread at once: encoding reads every item of the list and takes longer than writing.
constexpr size_t kSplitRecords = 4096;

// The second half of a write on a pool thread: it counts the first half's characters to know
// where its own begin, then encodes and writes its records there through a handle of its own
// (a write at a given place costs several times a write where the pointer is). No exception
// leaves the pool thread: one is kept for the caller.
class SecondHalf {
public:
    SecondHalf(const std::wstring& strFile, const QxRecordSource& records, size_t nSplit)
        : m_strFile(strFile), m_records(records), m_nSplit(nSplit) {
        m_work = CreateThreadpoolWork(Run, this, nullptr);
        if (m_work) SubmitThreadpoolWork(m_work);
    }
    ~SecondHalf() { Join(); }
    SecondHalf(const SecondHalf&) = delete;
    SecondHalf& operator=(const SecondHalf&) = delete;
    bool Started() const { return m_work != nullptr; }
    // Asks it to stop at its next write (the first half failed).
    void Stop() { InterlockedExchange(&m_stop, 1); }
    // Waits until the pool thread has left it.
    void Join() {
        if (!m_work) return;
        WaitForThreadpoolWorkCallbacks(m_work, FALSE);
        CloseThreadpoolWork(m_work);
        m_work = nullptr;
    }
    // After Join: what it threw is thrown here; how its records went, which must have been
    // placed after nFirstChars characters.
    QxWriteResult Result(ULONGLONG nFirstChars) const {
        if (m_pThrown) std::rethrow_exception(m_pThrown);
        if (m_result == QxWriteResult::Ok && m_nFirstChars != nFirstChars) return QxWriteResult::ShortWrite;
        return m_result;
    }

private:
    static void CALLBACK Run(PTP_CALLBACK_INSTANCE, void* pContext, PTP_WORK) {
        static_cast<SecondHalf*>(pContext)->WriteHalf();
    }
    void WriteHalf() {
        try {
            for (size_t i = 0; i < m_nSplit; ++i)
                m_nFirstChars += m_records.length(i);
            FileHandle file(CreateFileW(m_strFile.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(m_nFirstChars * sizeof(wchar_t));
            ULONGLONG nChars = 0;
            if (!file.Valid() || !SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
                !WriteRecords(file.Get(), m_records, m_nSplit, m_records.nCount, m_stop, &nChars))
                return;
            m_result = file.Close() ? QxWriteResult::Ok : QxWriteResult::CloseFailed;
        } catch (...) {
            m_pThrown = std::current_exception();
        }
    }

    const std::wstring m_strFile;
    const QxRecordSource& m_records;
    const size_t m_nSplit;
    PTP_WORK m_work = nullptr;
    volatile LONG m_stop = 0;
    ULONGLONG m_nFirstChars = 0;
    QxWriteResult m_result = QxWriteResult::ShortWrite;
    std::exception_ptr m_pThrown;
};

// Encodes and writes every record, in order. What encoding threw is thrown here, once no pool
// thread works for the write any more.
QxWriteResult WriteAllRecords(HANDLE hFile, const std::wstring& strFile, const QxRecordSource& records) {
    const volatile LONG never = 0;
    ULONGLONG nChars = 0;
    if (records.nCount >= kSplitRecords) {
        const size_t nSplit = records.nCount / 2;
        SecondHalf second(strFile, records, nSplit);
        if (second.Started()) {
            bool bWritten = false;
            try {
                bWritten = WriteRecords(hFile, records, 0, nSplit, never, &nChars);
            } catch (...) {
                second.Stop();
                throw; // once the pool thread is done: ~SecondHalf joins it
            }
            if (!bWritten) second.Stop();
            second.Join();
            const QxWriteResult result = second.Result(nChars);
            return bWritten ? result : QxWriteResult::ShortWrite;
        }
    }
    return WriteRecords(hFile, records, 0, records.nCount, never, &nChars) ? QxWriteResult::Ok
                                                                           : QxWriteResult::ShortWrite;
}

// A name for the new file beside the target that no other file has.
std::wstring NewFileBeside(const std::wstring& strPath) {
    const std::wstring folder = QxFolderOf(strPath);
    for (unsigned n = GetTickCount() & 0xFFFF, tries = 0; tries < 64; ++n, ++tries) {
        wchar_t suffix[32];
        _snwprintf(suffix, 32, L"~qx%04x%04x.tmp", GetCurrentProcessId() & 0xFFFF, n & 0xFFFF);
        suffix[31] = 0;
        const std::wstring candidate = folder + suffix;
        if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
    }
    return std::wstring();
}

bool IsReadOnly(const std::wstring& strPath) {
    const DWORD dwAttributes = GetFileAttributesW(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY);
}

} // namespace

QxTranscriptFileCalls QxSetTranscriptFileCalls(const QxTranscriptFileCalls& calls) {
    const QxTranscriptFileCalls previous = g_calls;
    g_calls = calls;
    return previous;
}

std::wstring QxFolderOf(const std::wstring& strPath) {
    const size_t slash = strPath.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : strPath.substr(0, slash + 1);
}

QxWriteBuffer::QxWriteBuffer(size_t nFlushChars) : m_nFlushChars(nFlushChars) {
    Room(nFlushChars + nFlushChars / 4); // a full buffer plus its last record, mostly
}

wchar_t* QxWriteBuffer::Room(size_t nChars) {
    if (m_nCapacity - m_nSize < nChars) {
        const size_t nCapacity = std::max(m_nSize + nChars, m_nCapacity * 2);
        std::unique_ptr<wchar_t[]> pData(new wchar_t[nCapacity]);
        if (m_nSize) memcpy(pData.get(), m_pData.get(), m_nSize * sizeof(wchar_t));
        m_pData = std::move(pData);
        m_nCapacity = nCapacity;
    }
    return m_pData.get() + m_nSize;
}

void QxWriteBuffer::Append(const wchar_t* pText, size_t nChars) {
    wchar_t* p = Room(nChars);
    if (nChars) memcpy(p, pText, nChars * sizeof(wchar_t));
    Commit(p + nChars);
}

QxWriteResult QxWriteTranscriptFile(const std::wstring& strPath, const QxRecordSource& records) {
    const std::wstring strNew = NewFileBeside(strPath);
    if (strNew.empty()) return QxWriteResult::OpenFailed;
    FileHandle file(CreateFileW(strNew.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return QxWriteResult::OpenFailed;

    QxWriteResult result = QxWriteResult::Ok;
    try {
        result = WriteAllRecords(file.Get(), strNew, records);
    } catch (...) { // a half-written file is not left behind
        file.Close();
        DeleteFileW(strNew.c_str());
        throw;
    }
    if (!file.Close() && result == QxWriteResult::Ok) result = QxWriteResult::CloseFailed;
    // A read-only file is never replaced (whatever the file system's move would do with it): the
    // caller decides whether to lift that first.
    if (result == QxWriteResult::Ok &&
        (IsReadOnly(strPath) || !MoveFileExW(strNew.c_str(), strPath.c_str(), MOVEFILE_REPLACE_EXISTING)))
        result = QxWriteResult::ReplaceFailed;
    if (result != QxWriteResult::Ok) DeleteFileW(strNew.c_str());
    return result;
}

QxMappedFile::~QxMappedFile() {
    if (m_pView) UnmapViewOfFile(m_pView);
    if (m_hMapping) CloseHandle(m_hMapping);
    if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
}

bool QxMappedFile::Open(const std::wstring& strPath) {
    m_hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(m_hFile, &size) || size.QuadPart < 0 || size.QuadPart >= 0xFFFFFFFFLL) return false;
    m_nSize = static_cast<size_t>(size.QuadPart);
    if (m_nSize == 0) return true; // an empty file cannot be mapped and needs no view
    m_hMapping = CreateFileMappingW(m_hFile, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!m_hMapping) return false;
    m_pView = static_cast<const unsigned char*>(MapViewOfFile(m_hMapping, FILE_MAP_READ, 0, 0, 0));
    return m_pView != nullptr;
}
