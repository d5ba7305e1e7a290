// Helpers of the transcript tests: items as the list holds them, file bytes, and reading back.
#pragma once

#include "transcript/TranscriptFormat.h"

#include <windows.h>

#include <string>
#include <vector>

namespace transcripttest {

inline MessageItem Message(const std::wstring& sender, const std::wstring& rest, const std::wstring& text,
                           const std::wstring& date, const std::wstring& time) {
    MessageItem item;
    item.kind = ITEM_TEXT;
    item.text = text;
    item.senderPart = sender;
    item.restPart = rest;
    item.date = date;
    item.time = time;
    return item;
}

inline MessageItem Notice(const std::wstring& text, const std::wstring& date, const std::wstring& time) {
    MessageItem item;
    item.kind = ITEM_NOTICE;
    item.text = text;
    item.date = date;
    item.time = time;
    return item;
}

// The record writer as it was first written, field by field with string appends: stored files
// were written by it, so the writer in use must give the same characters for every item.
inline void ReferenceRecord(const MessageItem& item, std::wstring& out) {
    if (!QxIsRecordKind(item.kind)) return;
    out.append(item.date).append(L"\t    ");
    out.append(item.time).append(L"\t    ");
    if (item.kind == ITEM_TEXT) out.append(item.senderPart).append(1, L'\v').append(item.restPart);
    out.append(1, L'\t').append(item.text).append(L"\r\n\n");
}

// UTF-16LE bytes of a text, with the byte-order mark first when asked.
inline std::vector<unsigned char> Bytes(const std::wstring& text, bool bMark) {
    std::vector<unsigned char> bytes;
    if (bMark) bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    return bytes;
}

inline std::vector<QxTranscriptRecord> ReadAll(const std::wstring& text) {
    std::vector<QxTranscriptRecord> records;
    QxReadTranscriptRecords(text.c_str(), text.size(), [&](const QxTranscriptRecord& r) {
        records.push_back(r);
        return true;
    });
    return records;
}

inline std::vector<unsigned char> FileBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    unsigned char buffer[65536];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &n, nullptr) && n > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    CloseHandle(h);
    return bytes;
}

inline bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool bOk =
        bytes.empty() ||
        (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size());
    CloseHandle(h);
    return bOk;
}

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        m_path = std::wstring(base) + L"qxtr" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(++counter) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { Remove(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + name; }
    // Names of the files in the folder.
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((m_path + L"*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }

private:
    static void Remove(const std::wstring& folder) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(path + L"\\");
                } else {
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring m_path;
};

} // namespace transcripttest
