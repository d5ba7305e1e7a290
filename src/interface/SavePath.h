// Path helpers of the save exports, kept apart from the window code so that they can be tested.
#pragma once

#include <windows.h>
#include <string>

// ChSaveChatNameAndPath's target: the folder, a "\" unless the folder already ends in one, then
// the name. Both must be non-empty (the caller checks). A folder longer than kSaveFolderMax
// characters gives an empty target: cut, it would name another folder.
constexpr size_t kSaveFolderMax = 259;
std::wstring QxJoinSavePath(const wchar_t* lpszPath, const wchar_t* lpszName);

// ChGetSavedFileName's copy: writes the 8.3 form of lpszLongName into the caller's buffer of
// nCapacity characters (terminator included) when it fits and returns 0; otherwise (no name,
// no short form, or too long) clears the buffer's first nCapacity characters and returns 1.
// Never writes past nCapacity characters.
LONG QxCopyShortFileName(const std::wstring& longName, wchar_t* lpszBuffer, LONG nCapacity);
