// Transcript files on disk: the writer that builds a new file beside the old one and puts it in
// place only when it is complete, and the reader that maps a file instead of copying it.
#pragma once

#include "transcript/TranscriptFormat.h"

#include <windows.h>
#include <functional>
#include <memory>
#include <string>

// How a write ended.
enum class QxWriteResult {
    Ok,
    OpenFailed,    // the new file could not be created
    ShortWrite,    // a write came out short; nothing was put in place
    CloseFailed,   // the new file could not be closed; nothing was put in place
    ReplaceFailed, // the complete new file could not take the old one's place
};

// The file calls the writer makes, replaceable by tests to inject failures.
struct QxTranscriptFileCalls {
    BOOL(WINAPI* pfnWrite)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = WriteFile;
    BOOL(WINAPI* pfnClose)(HANDLE) = CloseHandle;
};
// Replaces the calls; returns the previous ones.
QxTranscriptFileCalls QxSetTranscriptFileCalls(const QxTranscriptFileCalls& calls);

// Text on its way to the file. Records are encoded straight into it: the writer asks for room,
// encodes there and commits what was written; it is Full() when enough is waiting for one write.
class QxWriteBuffer {
public:
    explicit QxWriteBuffer(size_t nFlushChars);
    QxWriteBuffer(const QxWriteBuffer&) = delete;
    QxWriteBuffer& operator=(const QxWriteBuffer&) = delete;
    // Room for nChars characters after the waiting text, valid until the next call.
    wchar_t* Room(size_t nChars);
    void Commit(const wchar_t* pEnd) { m_nSize = static_cast<size_t>(pEnd - m_pData.get()); }
    void Append(const wchar_t* pText, size_t nChars);
    void Append(const std::wstring& text) { Append(text.data(), text.size()); }
    const wchar_t* Data() const { return m_pData.get(); }
    size_t Size() const { return m_nSize; }
    size_t Capacity() const { return m_nCapacity; }
    bool Full() const { return m_nSize >= m_nFlushChars; }
    void Clear() { m_nSize = 0; }

private:
    std::unique_ptr<wchar_t[]> m_pData;
    size_t m_nSize = 0, m_nCapacity = 0;
    const size_t m_nFlushChars;
};

// The records of a transcript as the writer takes them: nCount of them; record i is length(i)
// characters long (0: none) and encode(i, p) writes exactly those at p and returns their end.
// The writer may encode the first half on its caller's thread while a pool thread counts the
// first half's lengths and encodes the second: what these read must not change until the write
// returns, and they must not touch what only the caller's thread may (windows, their state).
struct QxRecordSource {
    size_t nCount = 0;
    std::function<size_t(size_t nIndex)> length;
    std::function<wchar_t*(size_t nIndex, wchar_t* p)> encode;
};

// Writes the records, in order, as UTF-16LE into a new file in the folder of strPath and, when
// every byte was written and the file closed, moves it over strPath. On any failure the new
// file is removed and strPath is untouched; so it is when encoding throws, which is thrown on.
QxWriteResult QxWriteTranscriptFile(const std::wstring& strPath, const QxRecordSource& records);

// A file mapped for reading; empty when it is 0 bytes long.
class QxMappedFile {
public:
    QxMappedFile() = default;
    ~QxMappedFile();
    QxMappedFile(const QxMappedFile&) = delete;
    QxMappedFile& operator=(const QxMappedFile&) = delete;
    // False when the file cannot be opened or mapped (also when it does not fit in the
    // address space, or is 4 GB or longer).
    bool Open(const std::wstring& strPath);
    const unsigned char* Data() const { return m_pView; }
    size_t Size() const { return m_nSize; }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    HANDLE m_hMapping = nullptr;
    const unsigned char* m_pView = nullptr;
    size_t m_nSize = 0;
};

// The folder of a path, up to and including its last "\"; empty without one.
std::wstring QxFolderOf(const std::wstring& strPath);
