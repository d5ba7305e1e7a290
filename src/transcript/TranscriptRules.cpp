#include "transcript/TranscriptRules.h"

#include "qxchat.h"
#include "transcript/TranscriptFormat.h"

#include <cwctype>

namespace {

constexpr wchar_t kAltExtension[] = L".wcf";
constexpr wchar_t kEditorName[] = L"NOTEPAD.EXE";
constexpr wchar_t kPrintSwitch[] = L"/p";

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (towlower(a[i]) != towlower(b[i])) return false;
    return true;
}

} // namespace

bool QxNeedsSaving(bool bUnsaved, const std::wstring& strFileName, DWORD dwAttributes) {
    if (bUnsaved || strFileName.empty() || dwAttributes == INVALID_FILE_ATTRIBUTES) return true;
    return (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

LONG QxSaveState(bool bHasMessages, bool bNeedsSaving, bool bFlagAnswer) {
    if (bFlagAnswer)
        return (bHasMessages ? QXCHAT_SAVE_STATE_HAS_MESSAGES : 0) |
               (bNeedsSaving ? QXCHAT_SAVE_STATE_NEEDS_SAVE : 0);
    if (!bHasMessages) return QXCHAT_SAVE_STATE_EMPTY;
    return bNeedsSaving ? QXCHAT_SAVE_STATE_UNSAVED : QXCHAT_SAVE_STATE_SAVED;
}

std::wstring QxCutPath(const std::wstring& strText, size_t nMax) {
    return QxCutField(strText.data(), strText.size(), nMax);
}

std::wstring QxHostTranscriptName(const std::wstring& strDocuments, const std::wstring& strFallback,
                                  const std::wstring& strName) {
    return QxCutPath((strDocuments.empty() ? strFallback : strDocuments) + strName, kTranscriptNameMax);
}

std::wstring QxInitialFolder(const std::wstring& strLast, const std::wstring& strDocuments,
                             const std::wstring& strFallback) {
    if (!strLast.empty()) return strLast;
    return strDocuments.empty() ? strFallback : strDocuments;
}

std::wstring QxAutoSaveFile(const std::wstring& strFolder, const std::wstring& strName) {
    if (strFolder.empty() || strFolder.size() + strName.size() > kAutoSaveFileMax) return std::wstring();
    return strFolder + strName;
}

std::wstring QxDialogFilter(const std::wstring& strFilter) {
    std::wstring filter = strFilter;
    for (wchar_t& c : filter)
        if (c == L'|') c = 0;
    filter.append(2, L'\0');
    return filter;
}

std::wstring QxApplyDefaultExtension(const std::wstring& strPath, const std::wstring& strExtension) {
    const size_t slash = strPath.find_last_of(L'\\');
    const size_t dot = strPath.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return strPath;
    if (SameNoCase(strPath.substr(dot + 1), strExtension)) return strPath;
    return strPath + L"." + strExtension;
}

bool QxHasAltTranscriptExtension(const std::wstring& strPath) {
    const size_t n = wcslen(kAltExtension);
    return strPath.size() >= n && SameNoCase(strPath.substr(strPath.size() - n), kAltExtension);
}

std::wstring QxPrintFileName(const std::wstring& strModuleFolder, const std::wstring& strName,
                             const std::wstring& strExtension) {
    return strModuleFolder + strName + L"." + strExtension;
}

std::wstring QxPrintEditorPath(const std::wstring& strWindowsFolder, bool (*pfnExists)(const std::wstring&)) {
    const std::wstring direct = strWindowsFolder + L"\\" + kEditorName;
    if (pfnExists(direct)) return direct;
    return strWindowsFolder + L"\\system32\\" + kEditorName;
}

std::wstring QxPrintCommandLine(const std::wstring& strPrintFile) {
    std::wstring line = std::wstring(kEditorName) + L" " + kPrintSwitch + L" ";
    if (strPrintFile.find(L' ') != std::wstring::npos) return line + L"\"" + strPrintFile + L"\"";
    return line + strPrintFile;
}
