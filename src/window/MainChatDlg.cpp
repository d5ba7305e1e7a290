// CMainChatDlg, window side: the dialog procedure, the controls it attaches, their texts and
// fonts, the layout on resize, and the edit commands of the host.
#include "window/MainChatDlg.h"

#include "module/CallbackGuard.h"
#include "module/ModuleState.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "window/ChatFonts.h"
#include "window/ChatLayout.h"
#include "qxkeyfocus.h"
#include "window/InputBox.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"
#include "window/RecipientBox.h"

#include <commctrl.h>

// The host addresses the input box and the Send button by the ids it knows.
static_assert(QXCHAT_CONTROL_INPUT == IDC_INPUT && QXCHAT_CONTROL_SEND == IDC_SEND, "control ids differ");

namespace {

constexpr COLORREF kBackground = RGB(0xD7, 0xD7, 0xD7);
constexpr COLORREF kInputText = RGB(0x99, 0x99, 0x99);
constexpr int kRecipientDropHeight = 200; // a drop-down combo's window height includes its list

// The notice window shows a fixed text and handles nothing itself.
INT_PTR CALLBACK NoticeProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

int HandleValue(HWND hWnd) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(hWnd));
}

void Apply(HWND hCtl, const ChatPlacement& p, int extraHeight = 0) {
    if (!hCtl) return;
    switch (p.action) {
    case ChatPlacement::Keep: break;
    case ChatPlacement::Hide: ShowWindow(hCtl, SW_HIDE); break;
    case ChatPlacement::Place:
        SetWindowPos(hCtl, nullptr, p.box.x, p.box.y, p.box.cx, p.box.cy + extraHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        break;
    }
}

// Hover and leave notifications of the recipient box, so that its skin can follow the pointer.
void TrackRecipientHover(HWND hRecipient) {
    if (!hRecipient) return;
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = hRecipient;
    tme.dwHoverTime = 1;
    TrackMouseEvent(&tme);
}

// Whether the keyboard focus is in the message container or its list.
bool FocusInContainer(HWND hContainer) {
    HWND hFocus = GetFocus();
    return hContainer && hFocus && (hFocus == hContainer || IsChild(hContainer, hFocus));
}

// The list's selection goes to the clipboard; an empty one empties the clipboard. The host
// hears the list's edit-command state first, as with the list's own copy, and then copy and
// paste both possible, or both impossible (cut never is).
void CopyListSelection(HWND hContainer, HWND hOwner, HWND hHost) {
    CMessageWindow* pList = QxMessageList(hContainer);
    if (pList) pList->SendEditCommandState(hHost);
    const bool bCopied =
        pList && pList->HasSelection() && pList->CopyTextToClipBorad(pList->GetSelectedText());
    if (!bCopied && OpenClipboard(hOwner)) {
        EmptyClipboard();
        CloseClipboard();
    }
    if (!hHost) return;
    SendMessageW(hHost, WM_CHAT_EDIT_CAN_COPY, 1, bCopied);
    SendMessageW(hHost, WM_CHAT_EDIT_CAN_CUT, 0, 0);
    SendMessageW(hHost, WM_CHAT_EDIT_CAN_PASTE, 0, bCopied);
}

SIZE WindowSize(HWND hWnd) {
    RECT rc = {};
    if (hWnd) GetWindowRect(hWnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

} // namespace

CMainChatDlg::CMainChatDlg() {
    m_own.m_pOwner = this;
    m_own.m_pUserList = &m_users;
    m_own.m_pGroupList = &m_users.Groups();
}

CMainChatDlg::~CMainChatDlg() {
    DestroyWindowIfAny();
    // The sinks die with this object: the controller must be gone first.
    if (m_status.m_pArmNC) Cleanup();
}

HWND CMainChatDlg::Create(HWND hParent) {
    return CreateDialogParamW(QxResourceModule(), MAKEINTRESOURCEW(IDD_CHAT_DIALOG), hParent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CMainChatDlg::DestroyWindowIfAny() {
    if (HasWindow()) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

INT_PTR CALLBACK CMainChatDlg::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return QxGuardCallback(L"CMainChatDlg::DialogProc", INT_PTR(FALSE),
                           [&] { return DispatchDialogMessage(hWnd, uMsg, wParam, lParam); });
}

INT_PTR CMainChatDlg::DispatchDialogMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CMainChatDlg* self = nullptr;
    if (uMsg == WM_INITDIALOG) {
        self = reinterpret_cast<CMainChatDlg*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
    } else {
        self = reinterpret_cast<CMainChatDlg*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR result = self->HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        // Every control is gone now, so none still draws with these.
        self->m_res.m_fontNormal.Reset();
        self->m_res.m_fontSemibold.Reset();
        self->m_res.m_brushBackground.Reset();
    }
    return result;
}

INT_PTR CMainChatDlg::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_SIZE: OnSize(LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_CLOSE: OnClose(); return TRUE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SEND && HIWORD(wParam) == BN_CLICKED) OnSend();
        if (LOWORD(wParam) == IDC_RECIPIENT && HIWORD(wParam) == CBN_SELCHANGE)
            QxRecipientSelectionChanged(m_ctl.m_hRecipient);
        if (LOWORD(wParam) == IDC_PHRASE_BOX && HIWORD(wParam) == CBN_SELCHANGE) HandleFAQSelChange();
        if (LOWORD(wParam) == IDC_INPUT) {
            EditCommandState();
            if (HIWORD(wParam) == EN_CHANGE) {
                UpdateInputScrollBar();
                OnInputTextChanged();
            }
        }
        return TRUE;
    case WM_TIMER:
        // Every tick of any dialog timer drives the trace switch re-check.
        TraceCheckEnable(0);
        OnEngineTimer(wParam);
        return TRUE;
    case WM_MEASUREITEM:
        if (wParam != IDC_RECIPIENT) return FALSE;
        QxMeasureRecipientItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_RECIPIENT) return FALSE;
        QxDrawRecipientItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CHAT_REFRESH_EDIT_STATE: EditCommandState(); return TRUE;
    case WM_MOUSEMOVE: TrackRecipientHover(m_ctl.m_hRecipient); return FALSE;
    case WM_SHOWWINDOW: EditCommandState(); return FALSE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            SetFocus(m_hWnd);
            if (m_ctl.m_hInput) SetFocus(m_ctl.m_hInput);
        }
        return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return OnCtlColor(uMsg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default: return FALSE;
    }
}

BOOL CMainChatDlg::OnInitDialog() {
    Trace(L"/**** CMainChatDlg::OnInitDialog enter: m_hWnd=%d****/", HandleValue(m_hWnd));
    if (QxHasResourceLibrary()) {
        m_sound.m_strBeepName = QxLoadString(IDS_BEEP_NAME, 64);
        m_res.m_strPrivateChatLabel = QxLoadString(IDS_PRIVATE_CHAT, 128);
    }
    m_formats = QxLoadHeaderFormats();
    InitializeUI();
    Layout();
    if (m_features.m_dwFeature1 & QXCHAT_FEATURE_KEY_FOCUS) {
        KbInstallFocusControl();
        KbSetFocus(m_hWnd);
        KbSetDialogFocus(m_hWnd);
    }
    Initialize();
    Trace(L"/==== CMainChatDlg::OnInitDialog end: ====/");
    return FALSE;
}

void CMainChatDlg::InitializeUI() {
    m_hParentWnd = GetParent(m_hWnd);
    ShowWindow(GetDlgItem(m_hWnd, IDC_PLACEHOLDER), SW_HIDE);
    m_ctl.m_hMessageWnd = QxCreateMessageContainer(m_hWnd);
    if (!m_ctl.m_hMessageWnd) {
        Trace(L"Fail: CMainChatDlg::InitializeUI, m_hMessageWnd == NULL");
        return;
    }
    if (CMessageWindow* pList = QxMessageList(m_ctl.m_hMessageWnd)) {
        pList->SetBrowserType(m_host.m_lBrowserType);
        // Without the send privilege (when the feature asks for it) the list takes no mouse input.
        pList->SetMouseLock([this] {
            return (m_features.m_dwFeature1 & QXCHAT_FEATURE_SEND_PRIVILEGE) &&
                   !(m_own.m_dwPrivilege & QXCHAT_PRIV_SEND);
        });
    }
    m_ctl.m_hInput = GetDlgItem(m_hWnd, IDC_INPUT);
    SendMessageW(m_ctl.m_hInput, EM_LIMITTEXT, 1000, 0);
    QxSubclassInputBox(m_ctl.m_hInput, m_hWnd);
    m_ctl.m_hSend = GetDlgItem(m_hWnd, IDC_SEND);
    ShowScrollBar(m_ctl.m_hInput, SB_VERT, FALSE);
    // Meeting type 3 styles the box differently; there the private-chat entry keeps the selection.
    m_ctl.m_hRecipient = QxCreateRecipientBox(m_hWnd, GetDlgItem(m_hWnd, IDC_RECIPIENT),
                                              m_host.m_lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT);
    m_ctl.m_hPhraseLabel = GetDlgItem(m_hWnd, IDC_PHRASE_LABEL);
    ShowWindow(m_ctl.m_hPhraseLabel, SW_HIDE);
    if (m_features.m_dwFeature1 & QXCHAT_FEATURE_QUICK_PHRASE) CreateFAQComboBox();
    m_ctl.m_hHidden104 = GetDlgItem(m_hWnd, IDC_HIDDEN_104);
    m_ctl.m_hHidden106 = GetDlgItem(m_hWnd, IDC_HIDDEN_106);
    m_ctl.m_hSendToLabel = GetDlgItem(m_hWnd, IDC_SEND_TO_LABEL);

    m_res.m_fontNormal = QxCreateChatFont(FW_NORMAL, false);
    m_res.m_fontSemibold = QxCreateChatFont(FW_SEMIBOLD, false);
    WPARAM font = reinterpret_cast<WPARAM>(m_res.m_fontNormal.Get());
    for (HWND hWnd : {m_hWnd, m_ctl.m_hInput, m_ctl.m_hSendToLabel, m_ctl.m_hPhraseLabel, m_ctl.m_hPhraseBox})
        if (hWnd) SendMessageW(hWnd, WM_SETFONT, font, FALSE);
    if (QxHasResourceLibrary()) m_res.m_brushBackground.Reset(CreateSolidBrush(kBackground));

    SetControlTexts();
    CreateSendTooltip();
    SetInputUIStatus(FALSE);
    if (!(m_features.m_dwFeature1 & QXCHAT_FEATURE_QUICK_PHRASE)) ShowWindow(m_ctl.m_hPhraseLabel, SW_HIDE);
    // Phrases configured before the window existed.
    if (!m_support.m_FAQList.empty()) ShowFAQInComboBox();
    PostMessageW(m_hParentWnd, WM_SIZE, 0, 0);
}

void CMainChatDlg::SetControlTexts() {
    const bool bLibrary = QxHasResourceLibrary();
    auto text = [bLibrary](UINT id, const wchar_t* lpszDefault) {
        std::wstring s = bLibrary ? QxLoadString(id) : std::wstring();
        return s.empty() ? std::wstring(lpszDefault) : s;
    };
    if (m_ctl.m_hSend) SetWindowTextW(m_ctl.m_hSend, text(IDS_SEND, L"Send").c_str());
    if (m_ctl.m_hSendToLabel) SetWindowTextW(m_ctl.m_hSendToLabel, text(IDS_SEND_TO, L"Send to:").c_str());
    m_res.m_strSendTip = text(IDS_TIP_SEND_CHAT, L"Send Chat Message");
    if (m_ctl.m_hPhraseLabel && (m_features.m_dwFeature1 & QXCHAT_FEATURE_QUICK_PHRASE))
        SetWindowTextW(m_ctl.m_hPhraseLabel, text(IDS_PHRASE_LABEL, L"Quick Phrase:").c_str());
}

void CMainChatDlg::CreateSendTooltip() {
    if (!m_ctl.m_hSend) return;
    m_ctl.m_hSendTooltip =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, QxThisModule(), nullptr);
    if (!m_ctl.m_hSendTooltip) return;
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = m_hWnd;
    ti.uId = reinterpret_cast<UINT_PTR>(m_ctl.m_hSend);
    ti.lpszText = &m_res.m_strSendTip[0];
    SendMessageW(m_ctl.m_hSendTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CMainChatDlg::SetInputUIStatus(BOOL bEnable) {
    Trace(L"/**** CMainChatDlg::SetInputUIStatus : bEnable = %d ****/", bEnable);
    for (HWND hWnd : {m_ctl.m_hInput, m_ctl.m_hSend, m_ctl.m_hRecipient, m_ctl.m_hSendToLabel})
        if (hWnd) EnableWindow(hWnd, bEnable);
}

int CMainChatDlg::FontLineHeight() const {
    HDC hdc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(hdc, m_res.m_fontNormal ? static_cast<HGDIOBJ>(m_res.m_fontNormal.Get())
                                                       : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);
    return tm.tmHeight + tm.tmExternalLeading;
}

void CMainChatDlg::Layout() {
    if (!HasWindow() || !m_ctl.m_hInput) return;
    ChatLayoutInput in;
    GetClientRect(m_hWnd, &in.rcClient);
    in.nFontHeight = FontLineHeight();
    in.nRecipientHeight = WindowSize(m_ctl.m_hRecipient).cy;
    in.szSendToLabel = WindowSize(m_ctl.m_hSendToLabel);
    in.szPhraseLabel = WindowSize(m_ctl.m_hPhraseLabel);
    // The phrase row follows the FAQ-shown flag: an empty phrase list takes the row away.
    in.dwFeatures = m_features.m_dwFeature1 & ~(m_features.m_bQuickPhrase ? 0 : QXCHAT_FEATURE_QUICK_PHRASE);
    const ChatLayout layout = QxComputeChatLayout(in);
    Apply(m_ctl.m_hInput, layout.input);
    Apply(m_ctl.m_hSend, layout.send);
    Apply(m_ctl.m_hRecipient, layout.recipient, kRecipientDropHeight);
    Apply(m_ctl.m_hSendToLabel, layout.sendToLabel);
    Apply(m_ctl.m_hPhraseLabel, layout.phraseLabel);
    Apply(m_ctl.m_hPhraseBox, layout.phraseBox, kRecipientDropHeight);
    Apply(m_ctl.m_hMessageWnd, layout.container);
    QxLayoutMessageContainer(m_ctl.m_hMessageWnd, (m_features.m_dwFeature1 & QXCHAT_FEATURE_COMPACT) != 0);
    for (HWND hWnd : {m_ctl.m_hHidden104, m_ctl.m_hHidden106})
        if (hWnd) ShowWindow(hWnd, SW_HIDE);
}

void CMainChatDlg::OnSize(int cx, int cy) {
    if (cx != 0 && cy != 0) Layout();
    UpdateInputScrollBar();
    if (m_ctl.m_hInput) SendMessageW(m_ctl.m_hInput, WM_CANCELMODE, 0, 0);
    if (m_ctl.m_hMessageWnd) SendMessageW(m_ctl.m_hMessageWnd, WM_CANCELMODE, 0, 0);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMainChatDlg::UpdateInputScrollBar() {
    if (!m_ctl.m_hInput) return;
    const bool bShow =
        GetWindowTextLengthW(m_ctl.m_hInput) > 0 && SendMessageW(m_ctl.m_hInput, EM_GETLINECOUNT, 0, 0) > 2;
    ShowScrollBar(m_ctl.m_hInput, SB_VERT, bShow);
}

INT_PTR CMainChatDlg::OnCtlColor(UINT uMsg, HDC hdc, HWND hCtl) {
    if (uMsg == WM_CTLCOLOREDIT && hCtl == m_ctl.m_hInput) {
        SetTextColor(hdc, kInputText);
        SetBkColor(hdc, RGB(0xFF, 0xFF, 0xFF));
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    if (uMsg != WM_CTLCOLOREDIT && m_res.m_brushBackground) {
        SetBkColor(hdc, kBackground);
        return reinterpret_cast<INT_PTR>(m_res.m_brushBackground.Get());
    }
    return FALSE;
}

void CMainChatDlg::OnClose() {
    Trace(L"/**** CMainChatDlg::OnClose enter****/");
    QxRemoveInputBoxSubclass(m_ctl.m_hInput);
    Cleanup();
    DestroyWindow(m_hWnd);
    Trace(L"/==== CMainChatDlg::OnClose End ====/");
}

void CMainChatDlg::OnDestroy() {
    Trace(L"/**** CMainChatDlg::OnDestroy enter ****/");
    OnDialogDestroy();
    if (m_features.m_dwFeature1 & QXCHAT_FEATURE_KEY_FOCUS) {
        KbSetFocus(nullptr);
        KbSetDialogFocus(nullptr);
        KbUninstallFocusControl();
    }
    QxRemoveInputBoxSubclass(m_ctl.m_hInput);
    // The Send button's tooltip is a popup owned by the host's top-level window, not a child of
    // this dialog: it would outlive the instance until the host window goes.
    for (HWND* phWnd : {&m_ctl.m_hMessageWnd, &m_ctl.m_hPhraseBox, &m_ctl.m_hSendTooltip}) {
        if (*phWnd) DestroyWindow(*phWnd);
        *phWnd = nullptr;
    }
    if (m_hNoticeWnd) DestroyWindow(m_hNoticeWnd);
    m_hNoticeWnd = nullptr;
    m_ctl = ChatDialogControls();
    Trace(L"/==== CMainChatDlg::OnDestroy end ====/");
}

void CMainChatDlg::CloseDropDowns() {
    for (HWND hWnd : {m_ctl.m_hRecipient, m_ctl.m_hPhraseBox})
        if (hWnd) SendMessageW(hWnd, CB_SHOWDROPDOWN, FALSE, 0);
}

void CMainChatDlg::ShowNoticeWindow(BOOL bShow) {
    if (!bShow) {
        if (m_hNoticeWnd) ShowWindow(m_hNoticeWnd, SW_HIDE);
        return;
    }
    if (!HasWindow()) return;
    if (!m_hNoticeWnd) {
        m_hNoticeWnd =
            CreateDialogParamW(QxResourceModule(), MAKEINTRESOURCEW(IDD_NOTICE), m_hWnd, NoticeProc, 0);
        if (!m_hNoticeWnd) return;
    }
    RECT rcDlg = {}, rcNotice = {};
    GetWindowRect(m_hWnd, &rcDlg);
    GetWindowRect(m_hNoticeWnd, &rcNotice);
    const int cx = rcNotice.right - rcNotice.left, cy = rcNotice.bottom - rcNotice.top;
    SetWindowPos(m_hNoticeWnd, HWND_TOP, rcDlg.left + (rcDlg.right - rcDlg.left - cx) / 2,
                 rcDlg.top + (rcDlg.bottom - rcDlg.top - cy) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CMainChatDlg::EditChat(LONG lNotifyCode) {
    if (!HasWindow() || !m_ctl.m_hInput) return;
    switch (lNotifyCode) {
    case QXCHAT_EDIT_COPY:
        if (FocusInContainer(m_ctl.m_hMessageWnd)) {
            CopyListSelection(m_ctl.m_hMessageWnd, m_hWnd, m_hParentWnd);
            break;
        }
        SendMessageW(m_ctl.m_hInput, WM_COPY, 0, 0);
        EditCommandState();
        break;
    case QXCHAT_EDIT_PASTE:
        SendMessageW(m_ctl.m_hInput, WM_PASTE, 0, 0);
        InvalidateRect(m_hWnd, nullptr, TRUE);
        break;
    case QXCHAT_EDIT_CUT:
        SendMessageW(m_ctl.m_hInput, WM_CUT, 0, 0);
        EditCommandState();
        break;
    case QXCHAT_EDIT_FOCUS:
        if (m_ctl.m_hMessageWnd) SetFocus(m_ctl.m_hMessageWnd);
        SendMessageW(m_hWnd, WM_CHAT_REFRESH_EDIT_STATE, 0, 0);
        break;
    default: break;
    }
}

void CMainChatDlg::EditCommandState() {
    if (!m_hParentWnd || !m_ctl.m_hInput) return;
    const bool bInputFocus = GetFocus() == m_ctl.m_hInput;
    DWORD dwStart = 0, dwEnd = 0;
    SendMessageW(m_ctl.m_hInput, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart),
                 reinterpret_cast<LPARAM>(&dwEnd));
    const bool bSelection = bInputFocus && dwStart != dwEnd;
    CMessageWindow* pList = QxMessageList(m_ctl.m_hMessageWnd);
    const bool bListSelection = pList && FocusInContainer(m_ctl.m_hMessageWnd) && pList->HasSelection();
    const bool bPaste = bInputFocus && IsClipboardFormatAvailable(CF_UNICODETEXT);
    SendMessageW(m_hParentWnd, WM_CHAT_EDIT_CAN_COPY, 1, bSelection || bListSelection);
    SendMessageW(m_hParentWnd, WM_CHAT_EDIT_CAN_CUT, 0, bSelection);
    SendMessageW(m_hParentWnd, WM_CHAT_EDIT_CAN_PASTE, 0, bPaste);
}
