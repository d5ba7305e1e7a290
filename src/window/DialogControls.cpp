// CMainChatDlg: the window side's operations on the dialog's controls. The conference side
// (src/engine) reaches the input box, the Send button, the recipient box, the quick-phrase box,
// the message list and the notice window only through these, so it needs neither control ids
// nor window messages. Each operation does nothing, or answers "none", while its control is
// missing (no dialog yet, or gone).
#include "window/MainChatDlg.h"

#include "engine/SendOption.h"
#include "module/ModuleState.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "window/ControlAccessible.h"
#include "window/MessageContainer.h"

#include <commctrl.h>

namespace {

// The input prompt shows the vertical scroll bar from this many lines on.
constexpr int kInputPromptScrollLines = 3;

} // namespace

// --- the input box and the Send button ---

BOOL CMainChatDlg::HasInput() const {
    return m_ctl.m_hInput != nullptr;
}

BOOL CMainChatDlg::InputEnabled() const {
    return m_ctl.m_hInput && IsWindow(m_ctl.m_hInput) && IsWindowEnabled(m_ctl.m_hInput);
}

std::wstring CMainChatDlg::InputText() const {
    wchar_t buffer[QX_MAX_SEND_TEXT + 1] = {};
    if (m_ctl.m_hInput) GetWindowTextW(m_ctl.m_hInput, buffer, QX_MAX_SEND_TEXT + 1);
    return buffer;
}

int CMainChatDlg::InputLength() const {
    return m_ctl.m_hInput ? GetWindowTextLengthW(m_ctl.m_hInput) : 0;
}

BOOL CMainChatDlg::ShowInputPrompt() {
    HWND hInput = m_ctl.m_hInput;
    if (!hInput || !IsWindow(hInput)) return FALSE;
    SetWindowTextW(hInput, QxLoadString(IDS_INPUT_PROMPT).c_str());
    ShowScrollBar(hInput, SB_VERT, SendMessageW(hInput, EM_GETLINECOUNT, 0, 0) >= kInputPromptScrollLines);
    return TRUE;
}

void CMainChatDlg::SetInputText(const std::wstring& strText) {
    if (!m_ctl.m_hInput) return;
    SetWindowTextW(m_ctl.m_hInput, strText.c_str());
    UpdateInputScrollBar();
}

void CMainChatDlg::ClearInput() {
    if (!m_ctl.m_hInput) return;
    SetWindowTextW(m_ctl.m_hInput, L"");
    ShowScrollBar(m_ctl.m_hInput, SB_VERT, FALSE);
}

void CMainChatDlg::FocusInput() {
    if (m_ctl.m_hInput) SetFocus(m_ctl.m_hInput);
}

void CMainChatDlg::EnableInputBox(BOOL bEnable) {
    EnableDialogControl(IDC_INPUT, bEnable);
}

BOOL CMainChatDlg::SendButtonEnabled() const {
    return m_ctl.m_hSend && IsWindowEnabled(m_ctl.m_hSend);
}

void CMainChatDlg::EnableSendButton(BOOL bEnable) {
    EnableDialogControl(IDC_SEND, bEnable);
}

void CMainChatDlg::EnableSendToLabel(BOOL bEnable) {
    EnableDialogControl(IDC_SEND_TO_LABEL, bEnable);
}

void CMainChatDlg::EnableDialogControl(int nId, BOOL bEnable) {
    if (!HasWindow()) return;
    if (HWND hCtl = GetDlgItem(m_hWnd, nId)) EnableWindow(hCtl, bEnable);
}

void CMainChatDlg::RedrawDialog() {
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

// --- the message list and the notice window ---

CMessageWindow* CMainChatDlg::MessageList() const {
    return m_ctl.m_hMessageWnd ? QxMessageList(m_ctl.m_hMessageWnd) : nullptr;
}

void CMainChatDlg::SwitchOffIndication() {
    if (m_ctl.m_hMessageWnd) QxSwitchOffIndication(m_ctl.m_hMessageWnd);
}

void CMainChatDlg::DestroyNoticeWindow() {
    if (!m_hNoticeWnd) return;
    DestroyWindow(m_hNoticeWnd);
    m_hNoticeWnd = nullptr;
}

// --- the recipient box ---

BOOL CMainChatDlg::RecipientBoxExists() const {
    return m_ctl.m_hRecipient && IsWindow(m_ctl.m_hRecipient);
}

int CMainChatDlg::RecipientEntryCount() const {
    return RecipientEntries().Count();
}

const ChatItemData* CMainChatDlg::RecipientEntry(int nIndex) const {
    return RecipientEntries().Data(nIndex);
}

std::wstring CMainChatDlg::RecipientEntryText(int nIndex) const {
    return RecipientEntries().Text(nIndex);
}

int CMainChatDlg::SelectedRecipientIndex() const {
    return RecipientEntries().Selection();
}

const ChatItemData* CMainChatDlg::SelectedRecipient() const {
    return QxSelectedEntryData(RecipientEntries());
}

int CMainChatDlg::InsertRecipientEntry(int nIndex, const std::wstring& strText, ChatItemData* pData) {
    return RecipientEntries().Insert(nIndex, strText, pData);
}

void CMainChatDlg::DeleteRecipientEntry(int nIndex) {
    RecipientEntries().Delete(nIndex);
}

void CMainChatDlg::ReplaceRecipientEntry(int nIndex, const std::wstring& strText, ChatItemData* pData) {
    QxReplaceEntry(RecipientEntries(), nIndex, strText, pData);
}

IRecipientEntryList& CMainChatDlg::RecipientEntries() {
    if (m_pRecipientBatch) return *m_pRecipientBatch;
    return m_recipients;
}

const IRecipientEntryList& CMainChatDlg::RecipientEntries() const {
    if (m_pRecipientBatch) return *m_pRecipientBatch;
    return m_recipients;
}

void CMainChatDlg::BeginRecipientBatch(int nChanges) {
    // A batch reads every listed entry once and fills them all again: worth it when the change
    // adds about as many entries as the box holds, never for a few on a long list.
    constexpr int kBatchFrom = 16;
    if (m_nRecipientBatchDepth++ == 0 && nChanges >= kBatchFrom && nChanges >= m_recipients.Count())
        m_pRecipientBatch = std::make_unique<CRecipientListBatch>(m_recipients, m_users.Groups());
}

void CMainChatDlg::EndRecipientBatch() {
    if (m_nRecipientBatchDepth == 0 || --m_nRecipientBatchDepth > 0 || !m_pRecipientBatch) return;
    // Unhooked first: the fill reads nothing through the dialog.
    std::unique_ptr<CRecipientListBatch> pBatch = std::move(m_pRecipientBatch);
    pBatch->Commit();
}

void CMainChatDlg::EmptyRecipientBox() {
    RecipientEntries().Clear();
}

void CMainChatDlg::CloseRecipientDropDown() {
    if (m_ctl.m_hRecipient) SendMessageW(m_ctl.m_hRecipient, CB_SHOWDROPDOWN, FALSE, 0);
}

void CMainChatDlg::RedrawRecipientBox() {
    if (m_ctl.m_hRecipient) InvalidateRect(m_ctl.m_hRecipient, nullptr, TRUE);
}

BOOL CMainChatDlg::RecipientBoxEnabled() const {
    return m_ctl.m_hRecipient && IsWindowEnabled(m_ctl.m_hRecipient);
}

void CMainChatDlg::EnableRecipientBox(BOOL bEnable) {
    if (m_ctl.m_hRecipient) EnableWindow(m_ctl.m_hRecipient, bEnable);
}

// --- the controls a feature mask brings, and the quick-phrase box ---

void CMainChatDlg::AttachFeatureControls(DWORD dwFeature1) {
    if (!HasWindow()) return;
    m_ctl.m_hSend = GetDlgItem(m_hWnd, IDC_SEND);
    if (!m_ctl.m_hRecipient) m_ctl.m_hRecipient = GetDlgItem(m_hWnd, IDC_RECIPIENT);
    // The quick phrases configured so far appear once the box exists.
    if ((dwFeature1 & QXCHAT_FEATURE_QUICK_PHRASE) && !m_ctl.m_hPhraseBox && CreateFAQComboBox()) {
        SetControlTexts();
        ShowFAQInComboBox();
    }
    Layout();
}

BOOL CMainChatDlg::CreateFAQComboBox() {
    if (m_ctl.m_hPhraseBox) return TRUE;
    if (!HasWindow()) return FALSE;
    // Created hidden; the layout shows it in the quick-phrase row.
    m_ctl.m_hPhraseBox = CreateWindowExW(
        0, WC_COMBOBOXW, L"", WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 0, 100, 200, m_hWnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PHRASE_BOX)), QxThisModule(), nullptr);
    if (!m_ctl.m_hPhraseBox) {
        Trace(L"Fail: CMainChatDlg::CreateFAQComboBox");
        return FALSE;
    }
    if (m_res.m_fontNormal)
        SendMessageW(m_ctl.m_hPhraseBox, WM_SETFONT, reinterpret_cast<WPARAM>(m_res.m_fontNormal.Get()),
                     FALSE);
    // A screen reader reads the box by its label, "Quick Phrase:".
    QxNameComboByLabel(m_ctl.m_hPhraseBox, IDC_PHRASE_LABEL);
    return TRUE;
}

int CMainChatDlg::ShowFAQInComboBox() {
    Trace(L"/**** CMainChatDlg::ShowFAQInComboBox() Enter ****/");
    HWND hBox = m_ctl.m_hPhraseBox;
    if (!hBox) return 0;
    // The entries point at the phrases' entry data, which is replaced below: the box starts
    // empty, so that no entry is left pointing at data that is gone.
    SendMessageW(hBox, CB_RESETCONTENT, 0, 0);
    if (m_support.m_FAQList.empty()) {
        m_features.m_bQuickPhrase = FALSE;
        ShowWindow(hBox, SW_HIDE);
        if (m_ctl.m_hPhraseLabel) ShowWindow(m_ctl.m_hPhraseLabel, SW_HIDE);
        Layout();
        return 0;
    }
    SendMessageW(hBox, WM_SETREDRAW, FALSE, 0);
    for (const std::unique_ptr<FAQItem>& pItem : m_support.m_FAQList) {
        std::unique_ptr<FAQEntryData> pData(new FAQEntryData());
        pData->dwFAQIndex = static_cast<DWORD>(pItem->m_nIndex);
        FAQEntryData* pEntryData = pData.get();
        pItem->SetEntryData(std::move(pData));
        const LRESULT nAt =
            SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pItem->m_strName.c_str()));
        if (nAt >= 0) SendMessageW(hBox, CB_SETITEMDATA, nAt, reinterpret_cast<LPARAM>(pEntryData));
    }
    SendMessageW(hBox, WM_SETREDRAW, TRUE, 0);
    SendMessageW(hBox, CB_SETCURSEL, 0, 0);
    InvalidateRect(hBox, nullptr, TRUE);
    // Phrases that arrive after an empty list bring the row back.
    if ((m_features.m_dwFeature1 & QXCHAT_FEATURE_QUICK_PHRASE) && !m_features.m_bQuickPhrase) {
        m_features.m_bQuickPhrase = TRUE;
        Layout();
    }
    Trace(L"/==== CMainChatDlg::ShowFAQInComboBox() Exit: dwCount = %d ====/",
          static_cast<int>(m_support.m_FAQList.size()));
    return 1;
}

const void* CMainChatDlg::SelectedPhraseData() const {
    HWND hBox = m_ctl.m_hPhraseBox;
    if (!hBox) return nullptr;
    const LRESULT nSel = SendMessageW(hBox, CB_GETCURSEL, 0, 0);
    if (nSel < 0) return nullptr;
    const LRESULT data = SendMessageW(hBox, CB_GETITEMDATA, nSel, 0);
    if (data == CB_ERR || data == 0) return nullptr;
    return reinterpret_cast<const void*>(data);
}

void CMainChatDlg::EmptyPhraseBox() {
    if (m_ctl.m_hPhraseBox) SendMessageW(m_ctl.m_hPhraseBox, CB_RESETCONTENT, 0, 0);
}
