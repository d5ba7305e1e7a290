// The instance window (a borderless child of the host's window that carries the chat dialog)
// and the hook on the host's window that keeps the panel on the host's whole client area.
#include "interface/Cchat.h"

#include "module/CallbackGuard.h"
#include "module/ModuleState.h"
#include "qxchat.h"
#include "qxkeyfocus.h"
#include "qxskin7.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "window/MainChatDlg.h"

#include <commctrl.h>
#include <string>

namespace {

// Tooltip texts are handed out from here; the tooltip copies them at once.
wchar_t g_szTooltip[513];

const std::wstring& InstanceClassName() {
    static const std::wstring name = [] {
        wchar_t buffer[64];
        _snwprintf(buffer, 64, L"QxChatInstance:%p", static_cast<void*>(QxThisModule()));
        buffer[63] = 0;
        return std::wstring(buffer);
    }();
    return name;
}

BOOL CALLBACK EndOwnedPopup(HWND hWnd, LPARAM lParam) {
    return QxGuardCallback(L"Cchat::EndOwnedPopup", BOOL(TRUE), [&] {
        const HWND hOwner = reinterpret_cast<HWND>(lParam);
        if (GetWindow(hWnd, GW_OWNER) == hOwner && IsWindowVisible(hWnd) &&
            (GetWindowLongW(hWnd, GWL_STYLE) & WS_POPUP))
            EndDialog(hWnd, 0);
        return BOOL(TRUE);
    });
}

} // namespace

Cchat* QxCreateInstance(HWND hWndParent) {
    auto pChat = std::make_unique<Cchat>(hWndParent);
    pChat->CreateInstanceWindow();
    SkinInstanceAttach();
    pChat->Dialog()->SetFileDialogOwner(hWndParent);
    return pChat.release();
}

void QxDestroyInstance(Cchat* pChat) {
    if (!pChat) return;
    SkinInstanceDetach();
    pChat->DestroyInstanceWindow();
    delete pChat;
}

void Cchat::CreateInstanceWindow() {
    const HINSTANCE hInstance = QxThisModule();
    WNDCLASSEXW wc = {};
    if (!GetClassInfoExW(hInstance, InstanceClassName().c_str(), &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = InstanceWindowProc;
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = InstanceClassName().c_str();
        if (!RegisterClassExW(&wc)) return;
    }
    m_hWndOwnerParent = m_hWndParent;
    if (m_hWndParent) GetClientRect(m_hWndParent, &m_rcParent);
    CreateWindowExW(0, InstanceClassName().c_str(), L"",
                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, m_rcParent.left,
                    m_rcParent.top, m_rcParent.right - m_rcParent.left, m_rcParent.bottom - m_rcParent.top,
                    m_hWndParent, nullptr, hInstance, this);
}

void Cchat::DestroyInstanceWindow() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void Cchat::UnregisterWindowClass() {
    UnregisterClassW(InstanceClassName().c_str(), QxThisModule());
}

WNDPROC Cchat::GetWindowProc() {
    return InstanceWindowProc;
}

void Cchat::OnFinalMessage(HWND) {
    m_hWnd = nullptr;
}

LRESULT CALLBACK Cchat::InstanceWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return QxGuardCallback(L"Cchat::InstanceWindowProc", LRESULT(0),
                           [&] { return DispatchInstanceMessage(hWnd, uMsg, wParam, lParam); });
}

LRESULT Cchat::DispatchInstanceMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    Cchat* self = nullptr;
    if (uMsg == WM_NCCREATE) {
        self = static_cast<Cchat*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hWnd;
        self->m_pfnSuperWindowProc = DefWindowProcW;
    } else {
        self = reinterpret_cast<Cchat*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    LRESULT lResult = 0;
    if (!self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))
        lResult = self->m_pfnSuperWindowProc(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->OnFinalMessage(hWnd);
    }
    return lResult;
}

BOOL Cchat::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    lResult = 0;
    if (uMsg == QxServiceNotifyMessage() && uMsg != 0) return OnServiceNotify(wParam);
    const bool bDialog = DialogWindowExists();
    switch (uMsg) {
    case WM_SETFOCUS:
        if (bDialog) {
            SetFocus(GetDlgItem(m_pDlg->GetHwnd(), IDC_INPUT));
            if (m_pDlg->Features().m_dwFeature1 & QXCHAT_FEATURE_KEY_FOCUS)
                KbSetDialogFocus(m_pDlg->GetHwnd());
        }
        return TRUE;
    case WM_MOVE:
    case WM_SIZE:
        if (bDialog) FitDialog();
        return TRUE;
    case WM_CREATE:
        InstallParentHook();
        PostMessageW(m_hWndParent, WM_SIZE, 0, 0);
        return TRUE;
    case WM_DESTROY:
        RemoveParentHook();
        if (bDialog) {
            m_pDlg->Cleanup();
            PostMessageW(m_pDlg->GetHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return TRUE;
    case WM_NOTIFY: {
        BOOL bHandled = FALSE;
        lResult = OnNotify(reinterpret_cast<NMHDR*>(lParam), bHandled);
        return bHandled;
    }
    case WM_COMMAND:
        if (bDialog) lResult = SendMessageW(m_pDlg->GetHwnd(), WM_COMMAND, wParam, lParam);
        return TRUE;
    case WM_NCPAINT:
        if (wParam == 1 && bDialog) InvalidateRect(m_pDlg->GetHwnd(), nullptr, TRUE);
        lResult = 1;
        return TRUE;
    default: return FALSE;
    }
}

BOOL Cchat::OnServiceNotify(WPARAM wParam) {
    if (wParam == QXCHAT_SERVICE_MODAL_BEGINS && DialogWindowExists()) {
        m_pDlg->CloseDropDowns();
        m_pDlg->ShowNoticeWindow(FALSE);
    }
    return TRUE;
}

LRESULT Cchat::OnNotify(NMHDR* pHdr, BOOL& bHandled) {
    bHandled = FALSE;
    if (!pHdr || pHdr->code != TTN_GETDISPINFOW) return 0;
    auto* pInfo = reinterpret_cast<NMTTDISPINFOW*>(pHdr);
    // With TTF_IDISHWND the tool id is the control's window.
    UINT id = static_cast<UINT>(pHdr->idFrom);
    if (pInfo->uFlags & TTF_IDISHWND)
        id = static_cast<UINT>(GetDlgCtrlID(reinterpret_cast<HWND>(pHdr->idFrom)));
    g_szTooltip[0] = 0;
    LoadStringW(QxResourceModule(), id, g_szTooltip, 513);
    pInfo->lpszText = g_szTooltip;
    bHandled = TRUE;
    return 0;
}

void Cchat::FitDialog() {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    MoveWindow(m_pDlg->GetHwnd(), 0, 0, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void Cchat::FitToParent() {
    if (!m_hWnd) return;
    RECT rc = {};
    GetClientRect(m_hook.m_hWnd, &rc);
    MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void Cchat::InstallParentHook() {
    if (m_hook.m_bInstalled || !m_hWndParent) return;
    m_hook.m_hWnd = m_hWndParent;
    m_hook.m_pOwner = this;
    m_hook.m_bInstalled = SetWindowSubclass(m_hWndParent, ParentHookProc, reinterpret_cast<UINT_PTR>(this),
                                            reinterpret_cast<DWORD_PTR>(this));
}

void Cchat::RemoveParentHook() {
    if (!m_hook.m_bInstalled) return;
    RemoveWindowSubclass(m_hook.m_hWnd, ParentHookProc, reinterpret_cast<UINT_PTR>(this));
    m_hook = ParentHook();
}

LRESULT CALLBACK Cchat::ParentHookProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR dwRefData) {
    return QxGuardCallback(L"Cchat::ParentHookProc", LRESULT(0), [&] {
        return reinterpret_cast<Cchat*>(dwRefData)->OnParentMessage(hWnd, uMsg, wParam, lParam);
    });
}

LRESULT Cchat::OnParentMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_MOVE:
    case WM_SIZE: FitToParent(); break;
    case WM_SYSCOMMAND:
        // A modal dialog of the module disables the host window: end it before the host closes.
        if ((wParam & 0xFFF0) == SC_CLOSE && !IsWindowEnabled(hWnd))
            EnumWindows(EndOwnedPopup, reinterpret_cast<LPARAM>(hWnd));
        break;
    case WM_PAINT:
        if (DialogWindowExists() && m_lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT) {
            const HWND hDlg = m_pDlg->GetHwnd();
            ShowWindow(hDlg, SW_HIDE);
            LRESULT lResult = DefSubclassProc(hWnd, uMsg, wParam, lParam);
            UpdateWindow(hWnd);
            ShowWindow(hDlg, SW_SHOW);
            return lResult;
        }
        break;
    case WM_WINDOWPOSCHANGING: return 0;
    case WM_SETFOCUS:
        if (m_hWnd) SetFocus(m_hWnd);
        return 0;
    default: break;
    }
    return DefSubclassProc(hWnd, uMsg, wParam, lParam);
}
