// The platform's save and open dialogs of the transcript, their initial folder, and the host
// notification that goes before the open dialog and before printing.
#include "transcript/Transcript.h"

#include "module/ModuleState.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "transcript/TranscriptRules.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace {

constexpr UINT kHostNotifyTimeoutMs = 2000;

constexpr DWORD kSaveDialogFlags =
    OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT | OFN_NOREADONLYRETURN | OFN_PATHMUSTEXIST;
constexpr DWORD kOpenDialogFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST;

// The dialog's parts that outlive the OPENFILENAMEW pointing at them.
struct FileDialogTexts {
    std::wstring title, filter, extension, folder;
    std::vector<wchar_t> file;
};

FileDialogTexts DialogTexts(UINT uTitle, bool bAlt, const std::wstring& strStartName,
                            const std::wstring& strFolder) {
    FileDialogTexts t;
    t.title = QxLoadString(uTitle);
    t.filter = QxDialogFilter(bAlt ? QxLoadString(IDS_ALT_FILTER)
                                   : QxLoadString(IDS_FILTER) + QxLoadString(IDS_FILTER_ALL));
    t.extension = QxLoadString(bAlt ? IDS_ALT_EXTENSION : IDS_EXTENSION);
    t.folder = strFolder;
    t.file.assign(kFileDialogChars, 0);
    const std::wstring start = QxCutPath(strStartName, kFileDialogChars - 1);
    std::copy(start.begin(), start.end(), t.file.begin());
    return t;
}

OPENFILENAMEW DialogStruct(HWND hOwner, FileDialogTexts& t, DWORD dwFlags) {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = t.filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = t.file.data();
    ofn.nMaxFile = kFileDialogChars;
    ofn.lpstrInitialDir = t.folder.empty() ? nullptr : t.folder.c_str();
    ofn.lpstrTitle = t.title.c_str();
    ofn.lpstrDefExt = t.extension.c_str();
    ofn.Flags = dwFlags;
    return ofn;
}

struct HostSearch {
    DWORD dwProcess;
    HWND hFound;
};

BOOL CALLBACK FindHostWindow(HWND hWnd, LPARAM lParam) {
    auto* pSearch = reinterpret_cast<HostSearch*>(lParam);
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess != pSearch->dwProcess) return TRUE;
    wchar_t title[64] = {};
    GetWindowTextW(hWnd, title, 64);
    if (wcscmp(title, QXCHAT_HOST_MODAL_WINDOW_TITLE) != 0) return TRUE;
    pSearch->hFound = hWnd;
    return FALSE;
}

} // namespace

std::wstring QxDocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::wstring();
    return folder;
}

bool QxNotifyHostOfFileDialog() {
    HostSearch search = {GetCurrentProcessId(), nullptr};
    EnumWindows(FindHostWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.hFound) return false;
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(search.hFound, WM_CHAT_BEFORE_MODAL, 0, 0, SMTO_NORMAL, kHostNotifyTimeoutMs,
                        &dwResult);
    return true;
}

LONG QxDestroyModalDialog(CTranscript& transcript) {
    const LONG lResult = transcript.EndReadOnlyQuestion() ? 1 : 0;
    for (UINT id : {IDS_SAVE_TITLE, IDS_OPEN_TITLE}) {
        const std::wstring title = QxLoadString(id);
        if (title.empty()) continue; // an empty title would match untitled windows
        HWND hDlg = FindWindowW(nullptr, title.c_str());
        DWORD dwProcess = 0;
        if (hDlg) GetWindowThreadProcessId(hDlg, &dwProcess);
        if (!hDlg || dwProcess != GetCurrentProcessId()) continue;
        // The file dialogs read any end code other than 0 as OK and would save or load what their
        // file box holds: they are cancelled through their own Cancel button instead.
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 1;
    }
    return lResult;
}

std::wstring CTranscript::InitialFolder() const {
    const std::wstring folder =
        QxInitialFolder(m_strLastFolder, QxDocumentsFolder(), QxLoadString(IDS_FALLBACK_FOLDER));
    if (!folder.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

std::wstring CTranscript::RunSaveDialog() {
    const bool bAlt = AltFormat();
    FileDialogTexts texts = DialogTexts(
        IDS_SAVE_TITLE, bAlt, QxLoadString(bAlt ? IDS_ALT_DEFAULT_FILE : IDS_DEFAULT_FILE), InitialFolder());
    OPENFILENAMEW ofn = DialogStruct(DialogOwner(), texts, kSaveDialogFlags);
    if (!GetSaveFileNameW(&ofn)) return std::wstring();
    return texts.file.data();
}

std::wstring CTranscript::RunOpenDialog() {
    QxNotifyHostOfFileDialog();
    FileDialogTexts texts = DialogTexts(IDS_OPEN_TITLE, AltFormat(), m_strFileName, InitialFolder());
    OPENFILENAMEW ofn = DialogStruct(DialogOwner(), texts, kOpenDialogFlags);
    if (!GetOpenFileNameW(&ofn)) return std::wstring();
    return texts.file.data();
}
