#include "interface/SavePath.h"

#include "qxchat.h"

#include <vector>

std::wstring QxJoinSavePath(const wchar_t* lpszPath, const wchar_t* lpszName) {
    std::wstring full(lpszPath ? lpszPath : L"");
    if (full.size() > kSaveFolderMax) return std::wstring();
    if (!full.empty() && full.back() != L'\\') full += L'\\';
    if (lpszName) full += lpszName;
    return full;
}

namespace {

std::wstring ShortForm(const std::wstring& longName) {
    DWORD n = GetShortPathNameW(longName.c_str(), nullptr, 0);
    if (n == 0) return std::wstring();
    std::vector<wchar_t> buffer(n + 1);
    DWORD written = GetShortPathNameW(longName.c_str(), buffer.data(), n + 1);
    if (written == 0 || written > n) return std::wstring();
    return std::wstring(buffer.data(), written);
}

} // namespace

LONG QxCopyShortFileName(const std::wstring& longName, wchar_t* lpszBuffer, LONG nCapacity) {
    if (!lpszBuffer) return QXCHAT_SAVED_NAME_NONE;
    std::wstring shortName = longName.empty() ? std::wstring() : ShortForm(longName);
    // The short name and its terminator must fit in the caller's capacity.
    if (!shortName.empty() && nCapacity > 0 && shortName.size() < static_cast<size_t>(nCapacity)) {
        shortName.copy(lpszBuffer, shortName.size());
        lpszBuffer[shortName.size()] = 0;
        return QXCHAT_SAVED_NAME_OK;
    }
    for (LONG i = 0; i < nCapacity; ++i)
        lpszBuffer[i] = 0;
    return QXCHAT_SAVED_NAME_NONE;
}
