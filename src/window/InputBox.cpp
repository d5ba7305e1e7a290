#include "window/InputBox.h"

#include "module/CallbackGuard.h"
#include "module/ModuleState.h"
#include "qxskin7.h"
#include "resources/resource.h"
#include "window/ControlAccessible.h"

#include <windowsx.h>

namespace {

struct InputBoxState {
    WNDPROC pfnOld = nullptr;
    HWND hDialog = nullptr;
    std::wstring strPlaceholder;
};

InputBoxState* StateOf(HWND hInput) {
    return hInput ? reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(hInput, GWLP_USERDATA)) : nullptr;
}

bool CtrlDown() {
    return GetKeyState(VK_CONTROL) < 0;
}

std::wstring TextOf(HWND hInput) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hInput)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hInput, &text[0], static_cast<int>(text.size()))));
    return text;
}

void RemovePlaceholder(HWND hInput, const InputBoxState& s) {
    if (s.strPlaceholder.empty()) return;
    if (GetWindowTextLengthW(hInput) == static_cast<int>(s.strPlaceholder.size()) &&
        TextOf(hInput) == s.strPlaceholder)
        SetWindowTextW(hInput, L"");
}

void SelectAll(HWND hInput, const InputBoxState& s) {
    RemovePlaceholder(hInput, s);
    SendMessageW(hInput, EM_SETSEL, 0, -1);
}

void RefreshEditState(const InputBoxState& s) {
    if (s.hDialog) SendMessageW(s.hDialog, WM_CHAT_REFRESH_EDIT_STATE, 0, 0);
}

// Handled keys return true: their default processing (and the character they make) is dropped.
bool OnKeyDown(HWND hInput, const InputBoxState& s, WPARAM vk) {
    RemovePlaceholder(hInput, s);
    switch (vk) {
    case VK_RETURN:
        if (CtrlDown())
            SendMessageW(hInput, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r\n"));
        else if (s.hDialog)
            PostMessageW(s.hDialog, WM_COMMAND, MAKEWPARAM(IDC_SEND, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(s.hDialog, IDC_SEND)));
        return true;
    case VK_ESCAPE: return true;
    case 'A':
        if (!CtrlDown()) return false;
        SelectAll(hInput, s);
        return true;
    default: return false;
    }
}

// The characters of the handled keys: Enter (CR), Ctrl+Enter (LF), Esc, Ctrl+A.
bool IsSwallowedChar(WPARAM ch) {
    return ch == L'\r' || ch == L'\n' || ch == 0x1B || ch == 0x01;
}

void ShowContextMenu(HWND hInput, const InputBoxState& s, int x, int y) {
    if (!QxHasResourceLibrary()) return;
    HMENU hMenu = LoadMenuW(QxResourceModule(), MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    HMENU hPopup = hMenu ? GetSubMenu(hMenu, IDM_POPUP_INPUT) : nullptr;
    if (!hPopup) {
        if (hMenu) DestroyMenu(hMenu);
        return;
    }
    if (x == -1 && y == -1) {
        POINT pt = {};
        GetCursorPos(&pt);
        x = pt.x;
        y = pt.y;
    }
    const InputMenuEnabling e = QxInputMenuEnabling(QxReadInputMenuState(hInput));
    const struct {
        UINT id;
        bool bEnabled;
    } items[] = {{IDM_INPUT_UNDO, e.bUndo},     {IDM_INPUT_CUT, e.bCut},
                 {IDM_INPUT_COPY, e.bCopy},     {IDM_INPUT_PASTE, e.bPaste},
                 {IDM_INPUT_DELETE, e.bDelete}, {IDM_INPUT_SELECT_ALL, e.bSelectAll}};
    for (const auto& item : items)
        EnableMenuItem(hPopup, item.id, MF_BYCOMMAND | (item.bEnabled ? MF_ENABLED : MF_GRAYED));
    const UINT cmd = SkinTrackPopupMenu(hPopup, TPM_RIGHTBUTTON, x, y, hInput);
    DestroyMenu(hMenu);
    switch (cmd) {
    case IDM_INPUT_UNDO: SendMessageW(hInput, EM_UNDO, 0, 0); break;
    case IDM_INPUT_CUT: SendMessageW(hInput, WM_CUT, 0, 0); break;
    case IDM_INPUT_COPY: SendMessageW(hInput, WM_COPY, 0, 0); break;
    case IDM_INPUT_PASTE:
        if (IsWindowEnabled(hInput)) SendMessageW(hInput, WM_PASTE, 0, 0);
        break;
    case IDM_INPUT_DELETE: SendMessageW(hInput, WM_CLEAR, 0, 0); break;
    case IDM_INPUT_SELECT_ALL: SelectAll(hInput, s); break;
    default: break;
    }
}

void DrawFrame(HWND hInput) {
    HDC hdc = GetWindowDC(hInput);
    if (!hdc) return;
    RECT rc = {};
    GetWindowRect(hInput, &rc);
    OffsetRect(&rc, -rc.left, -rc.top);
    FrameRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&rc, -1, -1);
    FrameRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(hInput, hdc);
}

LRESULT HandleInputMessage(HWND hInput, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    InputBoxState* s = StateOf(hInput);
    if (!s) return DefWindowProcW(hInput, uMsg, wParam, lParam);
    const WNDPROC pfnOld = s->pfnOld;
    switch (uMsg) {
    case WM_GETDLGCODE:
        // Enter and Esc are the box's own, not the dialog's default button or cancel.
        return CallWindowProcW(pfnOld, hInput, uMsg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (OnKeyDown(hInput, *s, wParam)) return 0;
        break;
    case WM_CHAR:
        if (IsSwallowedChar(wParam)) return 0;
        break;
    case WM_PASTE: RemovePlaceholder(hInput, *s); break;
    case WM_KEYUP:
    case WM_LBUTTONUP: {
        const LRESULT result = CallWindowProcW(pfnOld, hInput, uMsg, wParam, lParam);
        RefreshEditState(*s);
        return result;
    }
    case WM_GETOBJECT:
        if (const LRESULT result = QxControlObject(hInput, wParam, lParam, QxInputBoxName(), false))
            return result;
        break;
    case WM_CONTEXTMENU: ShowContextMenu(hInput, *s, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_NCPAINT: {
        const LRESULT result = CallWindowProcW(pfnOld, hInput, uMsg, wParam, lParam);
        DrawFrame(hInput);
        return result;
    }
    case WM_NCDESTROY:
        // The window goes: its state goes too, even when a later subclass sits on top of ours.
        SetWindowLongPtrW(hInput, GWLP_USERDATA, 0);
        delete s;
        return CallWindowProcW(pfnOld, hInput, uMsg, wParam, lParam);
    default: break;
    }
    return CallWindowProcW(pfnOld, hInput, uMsg, wParam, lParam);
}

LRESULT CALLBACK InputProc(HWND hInput, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return QxGuardCallback(L"InputBox::InputProc", LRESULT(0),
                           [&] { return HandleInputMessage(hInput, uMsg, wParam, lParam); });
}

} // namespace

bool QxSubclassInputBox(HWND hInput, HWND hDialog) {
    if (!hInput || !IsWindow(hInput) || QxIsInputBoxSubclassed(hInput)) return false;
    auto* s = new InputBoxState();
    s->hDialog = hDialog;
    s->strPlaceholder = QxLoadString(IDS_INPUT_PROMPT);
    SetWindowLongPtrW(hInput, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    s->pfnOld = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hInput, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InputProc)));
    if (!s->pfnOld) {
        SetWindowLongPtrW(hInput, GWLP_USERDATA, 0);
        delete s;
        return false;
    }
    return true;
}

bool QxIsInputBoxSubclassed(HWND hInput) {
    return hInput && IsWindow(hInput) &&
           GetWindowLongPtrW(hInput, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&InputProc);
}

void QxRemoveInputBoxSubclass(HWND hInput) {
    if (!QxIsInputBoxSubclassed(hInput)) return;
    InputBoxState* s = StateOf(hInput);
    SetWindowLongPtrW(hInput, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s->pfnOld));
    SetWindowLongPtrW(hInput, GWLP_USERDATA, 0);
    delete s;
}

InputMenuEnabling QxInputMenuEnabling(const InputMenuState& state) {
    InputMenuEnabling e;
    const DWORD dwFirst = state.dwSelStart < state.dwSelEnd ? state.dwSelStart : state.dwSelEnd;
    const DWORD dwLast = state.dwSelStart < state.dwSelEnd ? state.dwSelEnd : state.dwSelStart;
    const bool bSelection = dwFirst != dwLast;
    e.bUndo = state.bCanUndo;
    e.bCut = e.bCopy = e.bDelete = bSelection;
    e.bPaste = state.bClipboardText;
    e.bSelectAll =
        state.nTextLength > 0 && !(dwFirst == 0 && dwLast >= static_cast<DWORD>(state.nTextLength));
    return e;
}

InputMenuState QxReadInputMenuState(HWND hInput) {
    InputMenuState state;
    state.bCanUndo = SendMessageW(hInput, EM_CANUNDO, 0, 0) != 0;
    state.nTextLength = GetWindowTextLengthW(hInput);
    SendMessageW(hInput, EM_GETSEL, reinterpret_cast<WPARAM>(&state.dwSelStart),
                 reinterpret_cast<LPARAM>(&state.dwSelEnd));
    state.bClipboardText = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
    return state;
}
