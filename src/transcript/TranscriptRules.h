// Decisions of the transcript that need neither a window nor a file: the save state, the file
// names the exports build, the dialogs' filter and extension rules.
#pragma once

#include <windows.h>
#include <string>

// Limits of the transcript state.
constexpr size_t kAutoSaveFolderMax = 259;  // the auto-save folder and the last folder
constexpr size_t kAutoSaveFileMax = 259;    // the auto-save file, folder and name together
constexpr size_t kTranscriptNameMax = 1023; // the transcript file name set by the host
constexpr DWORD kFileDialogChars = 520;     // the file box of the save and open dialogs
constexpr size_t kShortestLoadPath = 5;     // a chosen path shorter than this is refused

// Needs-saving: unsaved since the last save, no file name, the file gone, or it is read-only.
// dwAttributes is what the file system says of the file name (INVALID_FILE_ATTRIBUTES when it
// does not exist).
bool QxNeedsSaving(bool bUnsaved, const std::wstring& strFileName, DWORD dwAttributes);
LONG QxSaveState(bool bHasMessages, bool bNeedsSaving, bool bFlagAnswer);

// Cuts a text to nMax characters, one less when the cut would split a surrogate pair.
std::wstring QxCutPath(const std::wstring& strText, size_t nMax);

// ChSetSaveChatFileName's name: the documents folder (the fallback folder when there is none)
// followed directly by the name, cut to kTranscriptNameMax.
std::wstring QxHostTranscriptName(const std::wstring& strDocuments, const std::wstring& strFallback,
                                  const std::wstring& strName);
// The file dialogs' initial folder: the last folder, else the documents folder, else the fallback.
std::wstring QxInitialFolder(const std::wstring& strLast, const std::wstring& strDocuments,
                             const std::wstring& strFallback);

// The auto-save file of a folder: folder followed directly by the name. Empty when the folder is
// empty or the whole name would pass kAutoSaveFileMax: a cut name would write somewhere the
// host never asked for.
std::wstring QxAutoSaveFile(const std::wstring& strFolder, const std::wstring& strName);

// A filter string with "|" separators as the dialog wants it: each "|" a NUL, and two NULs at
// the end.
std::wstring QxDialogFilter(const std::wstring& strFilter);

// Meeting type 3: a chosen name whose extension differs from the default one (compared without
// regard to case) gets "." and the default extension appended. A name without extension keeps
// what the dialog did with it.
std::wstring QxApplyDefaultExtension(const std::wstring& strPath, const std::wstring& strExtension);

// The last four characters are ".wcf", in any case.
bool QxHasAltTranscriptExtension(const std::wstring& strPath);

// The print file: module folder, name, ".", extension.
std::wstring QxPrintFileName(const std::wstring& strModuleFolder, const std::wstring& strName,
                             const std::wstring& strExtension);

// The text editor that prints: "<windows>\NOTEPAD.EXE" when it exists, else
// "<windows>\system32\NOTEPAD.EXE". bExists tells whether a path exists.
std::wstring QxPrintEditorPath(const std::wstring& strWindowsFolder, bool (*pfnExists)(const std::wstring&));
// Its command line: the program name, "/p" and the print file (quoted when it holds a space).
std::wstring QxPrintCommandLine(const std::wstring& strPrintFile);
