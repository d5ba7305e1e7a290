#include "transcript/TranscriptFile.h"

#include <algorithm>
#include <cstring>

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

// The last write's buffer, kept for the next: a buffer this size is fresh memory from the
// system each time it is allocated, and touching fresh memory costs more than encoding into it.
class SpareBuffer {
public:
    static std::unique_ptr<QxWriteBuffer> Take() {
        std::unique_ptr<QxWriteBuffer> pBuffer;
        AcquireSRWLockExclusive(&s_lock);
        pBuffer.swap(s_pSpare);
        ReleaseSRWLockExclusive(&s_lock);
        if (!pBuffer) pBuffer = std::make_unique<QxWriteBuffer>(kFlushChars);
        pBuffer->Clear(); // a failed write leaves its text behind
        return pBuffer;
    }
    // Keeps the buffer unless another is kept already (two writes at once on two threads) or
    // it grew for a long record (what is kept stays small).
    static void Give(std::unique_ptr<QxWriteBuffer> pBuffer) {
        if (pBuffer->Capacity() > 2 * kFlushChars) return; // a growth at least doubles it
        AcquireSRWLockExclusive(&s_lock);
        if (!s_pSpare) s_pSpare.swap(pBuffer);
        ReleaseSRWLockExclusive(&s_lock);
    }

private:
    static SRWLOCK s_lock;
    static std::unique_ptr<QxWriteBuffer> s_pSpare;
};
SRWLOCK SpareBuffer::s_lock = SRWLOCK_INIT;
std::unique_ptr<QxWriteBuffer> SpareBuffer::s_pSpare;

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

QxWriteResult QxWriteTranscriptFile(const std::wstring& strPath,
                                    const std::function<bool(QxWriteBuffer&)>& producer) {
    const std::wstring strNew = NewFileBeside(strPath);
    if (strNew.empty()) return QxWriteResult::OpenFailed;
    FileHandle file(
        CreateFileW(strNew.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return QxWriteResult::OpenFailed;

    QxWriteResult result = QxWriteResult::Ok;
    std::unique_ptr<QxWriteBuffer> pBuffer = SpareBuffer::Take();
    try {
        for (bool bMore = true; bMore;) {
            bMore = producer(*pBuffer);
            if (pBuffer->Full() || (!bMore && pBuffer->Size() > 0)) {
                if (!WriteAll(file.Get(), *pBuffer)) {
                    result = QxWriteResult::ShortWrite;
                    break;
                }
                pBuffer->Clear();
            }
        }
    } catch (...) { // a half-written file is not left behind
        file.Close();
        DeleteFileW(strNew.c_str());
        throw;
    }
    SpareBuffer::Give(std::move(pBuffer));
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
