// CTranscript: the transcript state of one chat instance and the operations the host drives
// through the exports: save, save as, save to, auto-save, load, print and the save state.
#pragma once

#include "transcript/TranscriptFile.h"

#include <windows.h>
#include <functional>
#include <string>

class CMessageWindow;

enum QxSaveMode { SAVE_USER = 0, SAVE_AUTO = 1, SAVE_PRINT = 2 };

// Codes of ShowFileError.
enum QxFileError : int {
    FILE_ERROR_LOAD = 0,
    FILE_ERROR_LAYOUT = 4,
    FILE_ERROR_WRITE_OPEN = 26,
    FILE_ERROR_WRITE_SHORT = 112,
};
// The resource string of an error code; 0 (no text) for an unknown code.
UINT QxFileErrorTextId(int nCode);

// What the transcript reads from its instance, asked at the moment it is needed.
struct QxTranscriptSite {
    std::function<CMessageWindow*()> list; // null while the dialog window does not exist
    std::function<DWORD()> features;       // the feature mask
    std::function<LONG()> meetingType;
    std::function<HWND()> hostWindow; // owner of the dialogs when visible
};

// Starts the text editor that prints; tests replace it to see the command line instead.
using QxPrintLauncher = bool (*)(const std::wstring& strProgram, const std::wstring& strCommandLine);
QxPrintLauncher QxSetPrintLauncher(QxPrintLauncher pfn);

class CTranscript {
public:
    explicit CTranscript(QxTranscriptSite site) : m_site(std::move(site)) {}

    // Results: 0 done or nothing to do, 1 failed or cancelled, 3 empty path.
    LONG SaveTranscript(const std::wstring& strPath, QxSaveMode mode);
    LONG Save();
    LONG SaveAs();
    LONG SaveTo(const wchar_t* lpszFileName);
    // ChSaveChatNameAndPath: saves to the full path without changing the file name.
    LONG SaveCopyTo(const std::wstring& strFullPath);
    LONG AutoSave();
    void SetAutoSavePath(const wchar_t* lpszFolder);
    void SetSaveChatFileName(const wchar_t* lpszFileName);
    LONG SaveState() const;

    void Load();
    void LoadRestored(const wchar_t* lpszFile);
    // Reads a transcript into the list; false when an error box was shown.
    bool LoadTranscript(const std::wstring& strPath);
    void Print();

    // ChDestroyModalDialog's first step: ends the read-only question when it is open.
    bool EndReadOnlyQuestion();

    const std::wstring& FileName() const { return m_strFileName; }
    const std::wstring& AutoSaveFolder() const { return m_strAutoSaveFolder; }
    const std::wstring& AutoSaveFile() const { return m_strAutoSaveFile; }
    const std::wstring& LastFolder() const { return m_strLastFolder; }

private:
    bool HasWindow() const;
    HWND DialogOwner() const;
    bool AltFormat() const;
    void ShowFileError(int nCode) const;
    void ShowTextBox(UINT uTextId) const;
    // The read-only question; true for yes.
    bool AskOverwriteReadOnly(const std::wstring& strPath);
    // The platform's file dialogs; empty when cancelled.
    std::wstring RunSaveDialog();
    std::wstring RunOpenDialog();
    std::wstring InitialFolder() const;
    void SetLastFolderOf(const std::wstring& strPath);

    QxTranscriptSite m_site;
    std::wstring m_strFileName;
    std::wstring m_strAutoSaveFolder;
    std::wstring m_strAutoSaveFile;
    std::wstring m_strLastFolder;
    bool m_bAsking = false; // the read-only question is open
};

// Host notification before the open dialog and before printing: the top-level window of this
// process titled "09334AB1-AE2F-11d5-B672-00500411925B" gets WM_USER+99, waited for at most
// 2000 ms. True when such a window was found.
bool QxNotifyHostOfFileDialog();

// ChDestroyModalDialog: ends the instance's read-only question when it is open, then the first
// top-level window of this process titled as the save dialog or, without one, as the open dialog,
// as its Cancel button would. 1 when something was ended.
LONG QxDestroyModalDialog(CTranscript& transcript);

// The user's documents folder, empty when the platform has none.
std::wstring QxDocumentsFolder();
