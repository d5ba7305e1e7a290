// CTranscript: saving and loading through the message list, the read-only question, the error
// boxes and the print copy. The file dialogs live in TranscriptDialogs.cpp.
#include "transcript/Transcript.h"

#include "module/ModuleState.h"
#include "qxchat.h"
#include "qxskin7.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "transcript/TranscriptRules.h"
#include "window/MessageWindow.h"

#include <memory>
#include <vector>

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF; // FF FE in the file

bool RealPrintLauncher(const std::wstring& strProgram, const std::wstring& strCommandLine) {
    std::vector<wchar_t> line(strCommandLine.begin(), strCommandLine.end());
    line.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(strProgram.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    // Printing goes on by itself: nothing waits for the editor.
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

QxPrintLauncher g_pfnPrintLauncher = RealPrintLauncher;

bool PathExists(const std::wstring& strPath) {
    return GetFileAttributesW(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

// The list's items as records, from the first item that makes one (those before it make none),
// the byte-order mark as the first record's first character.
QxRecordSource ListRecords(const CMessageWindow& list) {
    const size_t nItems = static_cast<size_t>(list.GetItemCount());
    size_t nFirst = 0;
    while (nFirst < nItems && QxRecordLength(list.GetItem(static_cast<int>(nFirst))) == 0)
        ++nFirst;
    auto item = [&list, nFirst](size_t nRecord) -> const MessageItem& {
        return list.GetItem(static_cast<int>(nFirst + nRecord));
    };
    QxRecordSource records;
    records.nCount = nItems - nFirst;
    records.length = [item](size_t nRecord) {
        return QxRecordLength(item(nRecord)) + (nRecord == 0 ? 1 : 0);
    };
    records.encode = [item](size_t nRecord, wchar_t* p) {
        if (nRecord == 0) *p++ = kByteOrderMark;
        return QxEncodeRecord(item(nRecord), p);
    };
    return records;
}

const wchar_t* ModeName(QxSaveMode mode) {
    return mode == SAVE_USER ? L"save" : mode == SAVE_AUTO ? L"auto-save" : L"print copy";
}

struct QuestionSearch {
    std::wstring title;
    HWND hFound;
};

// The read-only question is a dialog of this thread with the message title and a Yes button.
BOOL CALLBACK FindQuestion(HWND hWnd, LPARAM lParam) {
    auto* pSearch = reinterpret_cast<QuestionSearch*>(lParam);
    wchar_t text[256] = {};
    GetWindowTextW(hWnd, text, 256);
    if (pSearch->title != text || !GetDlgItem(hWnd, IDYES)) return TRUE;
    pSearch->hFound = hWnd;
    return FALSE;
}

} // namespace

QxPrintLauncher QxSetPrintLauncher(QxPrintLauncher pfn) {
    const QxPrintLauncher previous = g_pfnPrintLauncher;
    g_pfnPrintLauncher = pfn ? pfn : RealPrintLauncher;
    return previous;
}

UINT QxFileErrorTextId(int nCode) {
    switch (nCode) {
    case FILE_ERROR_LOAD: return IDS_ERR_LOAD;
    case FILE_ERROR_LAYOUT: return IDS_ERR_NOT_TRANSCRIPT;
    case FILE_ERROR_WRITE_OPEN: return IDS_ERR_WRITE_OPEN;
    case FILE_ERROR_WRITE_SHORT: return IDS_ERR_WRITE_SHORT;
    default: return 0;
    }
}

bool CTranscript::HasWindow() const {
    return m_site.list && m_site.list() != nullptr;
}

HWND CTranscript::DialogOwner() const {
    HWND hHost = m_site.hostWindow ? m_site.hostWindow() : nullptr;
    return hHost && IsWindowVisible(hHost) ? hHost : GetActiveWindow();
}

bool CTranscript::AltFormat() const {
    return m_site.features && (m_site.features() & QXCHAT_FEATURE_ALT_TRANSCRIPT) != 0;
}

void CTranscript::ShowFileError(int nCode) const {
    const UINT uText = QxFileErrorTextId(nCode);
    const std::wstring text = uText ? QxLoadString(uText) : std::wstring();
    Trace(L"Fail: CTranscript::ShowFileError, %d", nCode);
    SkinMessageBox(DialogOwner(), text.c_str(), QxLoadString(IDS_TITLE).c_str(), MB_ICONEXCLAMATION);
}

void CTranscript::ShowTextBox(UINT uTextId) const {
    SkinMessageBox(DialogOwner(), QxLoadString(uTextId).c_str(), QxLoadString(IDS_TITLE).c_str(),
                   MB_ICONEXCLAMATION);
}

bool CTranscript::AskOverwriteReadOnly(const std::wstring& strPath) {
    const std::wstring format = QxLoadString(IDS_ASK_OVERWRITE_READONLY);
    std::vector<wchar_t> text(format.size() + strPath.size() + 1);
    _snwprintf(text.data(), text.size(), format.c_str(), strPath.c_str());
    text.back() = 0;
    m_bAsking = true;
    const int nAnswer = SkinQuestionBox(DialogOwner(), text.data(), QxLoadString(IDS_TITLE).c_str());
    m_bAsking = false;
    return nAnswer == IDYES;
}

bool CTranscript::EndReadOnlyQuestion() {
    if (!m_bAsking) return false;
    QuestionSearch search = {QxLoadString(IDS_TITLE), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindQuestion, reinterpret_cast<LPARAM>(&search));
    if (!search.hFound) return false;
    EndDialog(search.hFound, IDNO);
    return true;
}

LONG CTranscript::SaveTranscript(const std::wstring& strPath, QxSaveMode mode) {
    CMessageWindow* pList = m_site.list ? m_site.list() : nullptr;
    if (strPath.empty()) return 3;
    if (!pList) return 1;
    if (mode == SAVE_AUTO && !pList->IsUnsavedSinceAutoSave()) return 0;

    DWORD dwAttributes = INVALID_FILE_ATTRIBUTES;
    if (mode == SAVE_USER) {
        dwAttributes = GetFileAttributesW(strPath.c_str());
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) &&
            !AskOverwriteReadOnly(strPath))
            return 1;
        if (dwAttributes != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(
                strPath.c_str(),
                dwAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    }

    const QxWriteResult written = QxWriteTranscriptFile(strPath, ListRecords(*pList));
    switch (written) {
    case QxWriteResult::Ok: break;
    case QxWriteResult::OpenFailed:
    case QxWriteResult::ReplaceFailed:
        if (mode == SAVE_USER) ShowFileError(FILE_ERROR_WRITE_OPEN);
        break;
    case QxWriteResult::ShortWrite: ShowFileError(FILE_ERROR_WRITE_SHORT); break;
    case QxWriteResult::CloseFailed:
        if (mode == SAVE_USER) ShowTextBox(IDS_ERR_CLOSE);
        break;
    }
    // A user save puts back what it removed, whether the new file took the old one's place or
    // not; the other modes leave a plain file.
    if (mode == SAVE_USER) {
        if (dwAttributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(strPath.c_str(), dwAttributes);
    } else if (written == QxWriteResult::Ok) {
        SetFileAttributesW(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (written != QxWriteResult::Ok) {
        Trace(L"Fail: CTranscript::SaveTranscript, %s of %s, %d", ModeName(mode), strPath.c_str(),
              static_cast<int>(written));
        return 1;
    }
    if (mode != SAVE_PRINT) pList->ClearUnsaved(mode == SAVE_AUTO);
    return 0;
}

LONG CTranscript::Save() {
    if (!HasWindow()) return 1;
    const DWORD dwAttributes =
        m_strFileName.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(m_strFileName.c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_READONLY))
        return SaveTranscript(m_strFileName, SAVE_USER);
    return SaveAs();
}

LONG CTranscript::SaveAs() {
    if (!HasWindow()) return 1;
    std::wstring strPath = RunSaveDialog();
    if (strPath.empty()) return 1;
    if (m_site.meetingType && m_site.meetingType() == 3)
        strPath =
            QxApplyDefaultExtension(strPath, QxLoadString(AltFormat() ? IDS_ALT_EXTENSION : IDS_EXTENSION));
    m_strFileName = strPath;
    SetLastFolderOf(strPath);
    return SaveTranscript(m_strFileName, SAVE_USER);
}

LONG CTranscript::SaveTo(const wchar_t* lpszFileName) {
    if (!HasWindow()) return 1;
    const std::wstring strName = lpszFileName ? lpszFileName : L"";
    // Cut, a name too long to keep would save to another file: it is refused, the name kept.
    if (strName.size() > kTranscriptNameMax) {
        Trace(L"Fail: CTranscript::SaveTo, a name of %u characters is longer than %u, refused",
              static_cast<unsigned>(strName.size()), static_cast<unsigned>(kTranscriptNameMax));
        ShowFileError(FILE_ERROR_WRITE_OPEN);
        return 1;
    }
    m_strFileName = strName;
    return SaveTranscript(m_strFileName, SAVE_USER);
}

LONG CTranscript::SaveCopyTo(const std::wstring& strFullPath) {
    if (!HasWindow()) return 1;
    return SaveTranscript(strFullPath, SAVE_USER);
}

LONG CTranscript::AutoSave() {
    if (!HasWindow()) return 1;
    if (!m_strAutoSaveFolder.empty()) CreateDirectoryW(m_strAutoSaveFolder.c_str(), nullptr);
    return SaveTranscript(m_strAutoSaveFile, SAVE_AUTO);
}

void CTranscript::SetAutoSavePath(const wchar_t* lpszFolder) {
    m_strAutoSaveFolder = QxCutPath(lpszFolder ? lpszFolder : L"", kAutoSaveFolderMax);
    m_strLastFolder = m_strAutoSaveFolder;
    m_strAutoSaveFile = QxAutoSaveFile(m_strAutoSaveFolder, QxLoadString(IDS_AUTOSAVE_FILE));
    if (!m_strAutoSaveFolder.empty() && m_strAutoSaveFile.empty())
        Trace(L"Fail: CTranscript::SetAutoSavePath, no room for the file name in %s",
              m_strAutoSaveFolder.c_str());
}

void CTranscript::SetSaveChatFileName(const wchar_t* lpszFileName) {
    if (!lpszFileName) return;
    m_strFileName =
        QxHostTranscriptName(QxDocumentsFolder(), QxLoadString(IDS_FALLBACK_FOLDER), lpszFileName);
}

LONG CTranscript::SaveState() const {
    CMessageWindow* pList = m_site.list ? m_site.list() : nullptr;
    const bool bHasMessages = pList && pList->GetItemCount() > 0;
    const DWORD dwAttributes =
        m_strFileName.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(m_strFileName.c_str());
    const bool bNeeds = QxNeedsSaving(pList && pList->IsUnsaved(), m_strFileName, dwAttributes);
    const bool bFlagAnswer = m_site.features && (m_site.features() & QXCHAT_FEATURE_SAVE_STATE_FLAGS) != 0;
    return QxSaveState(bHasMessages, bNeeds, bFlagAnswer);
}

void CTranscript::Load() {
    if (!HasWindow()) return;
    const std::wstring strPath = RunOpenDialog();
    if (strPath.empty()) return;
    if (strPath.size() < kShortestLoadPath || (AltFormat() && !QxHasAltTranscriptExtension(strPath))) {
        ShowFileError(FILE_ERROR_LOAD);
        return;
    }
    SetLastFolderOf(strPath);
    LoadTranscript(strPath);
}

void CTranscript::LoadRestored(const wchar_t* lpszFile) {
    if (!HasWindow()) return;
    LoadTranscript(lpszFile ? lpszFile : L"");
}

bool CTranscript::LoadTranscript(const std::wstring& strGiven) {
    CMessageWindow* pList = m_site.list ? m_site.list() : nullptr;
    if (!pList) return true;
    const std::wstring& strPath = strGiven.empty() ? m_strFileName : strGiven;
    QxMappedFile file;
    if (strPath.empty() || !file.Open(strPath)) {
        ShowFileError(FILE_ERROR_LOAD);
        return false;
    }
    const QxTranscriptCheck check =
        QxReadTranscriptBytes(file.Data(), file.Size(), [pList](const QxTranscriptRecord& record) {
            if (!QxRecordIsMessage(record)) return true;
            auto pHeader = std::make_unique<MessageItem>();
            pHeader->kind = ITEM_HEADER;
            pHeader->text = record.senderPart + record.restPart;
            pList->Append(std::move(pHeader), false);
            auto pText = std::make_unique<MessageItem>();
            pText->kind = ITEM_TEXT;
            pText->text = record.text;
            pText->date = record.date;
            pText->time = record.time;
            pText->senderPart = record.senderPart;
            pText->restPart = record.restPart;
            pList->Append(std::move(pText), false);
            return true;
        });
    if (check == QxTranscriptCheck::NoLayout) {
        ShowFileError(FILE_ERROR_LAYOUT);
        return false;
    }
    if (check == QxTranscriptCheck::Ok) pList->Refresh();
    return true;
}

void CTranscript::Print() {
    if (!HasWindow()) return;
    const std::wstring strPrintFile =
        QxPrintFileName(QxModuleFolder(), QxLoadString(IDS_RECORD_NAME),
                        QxLoadString(AltFormat() ? IDS_ALT_EXTENSION : IDS_EXTENSION));
    const std::wstring strSaved = m_strFileName;
    m_strFileName = strPrintFile;
    const LONG lResult = SaveTranscript(strPrintFile, SAVE_PRINT);
    QxNotifyHostOfFileDialog();
    // A copy that was not written is not printed: the file there may be an older conversation.
    if (lResult == 0) {
        const std::wstring strEditor = QxPrintEditorPath(WindowsFolder(), PathExists);
        if (!g_pfnPrintLauncher(strEditor, QxPrintCommandLine(strPrintFile)))
            Trace(L"Fail: CTranscript::Print, %s", strEditor.c_str());
    }
    m_strFileName = strSaved;
}

void CTranscript::SetLastFolderOf(const std::wstring& strPath) {
    m_strLastFolder = QxCutPath(QxFolderOf(strPath), kAutoSaveFolderMax);
}
