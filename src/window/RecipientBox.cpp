#include "window/RecipientBox.h"

#include "module/CallbackGuard.h"
#include "participants/ChatItemData.h"
#include "participants/RoleGroups.h"
#include "resources/resource.h"
#include "window/ControlAccessible.h"
#include "window/RecipientCombo.h"

#include <commctrl.h>
#include <string>

namespace {

constexpr int kItemHeight = 15;
constexpr int kMemberIndent = 8;
// Marks the state as the box's own among the values GWLP_USERDATA could hold.
constexpr DWORD kStateTag = 0x51084242;

// The box is subclassed the classic way, with its state in GWLP_USERDATA: the window-property
// lookup of the common-controls subclass costs a server round trip per message under Wine,
// which a list of thousands of entries pays on every insertion.
struct RecipientBoxState {
    DWORD m_dwTag = kStateTag;
    WNDPROC m_pfnOld = nullptr;
    const ChatItemData* m_pRemembered = nullptr;
    BOOL m_bKeepPrivateEntry = FALSE;
};

RecipientBoxState* StateOf(HWND hBox) {
    if (!hBox) return nullptr;
    auto* pState = reinterpret_cast<RecipientBoxState*>(GetWindowLongPtrW(hBox, GWLP_USERDATA));
    return (pState && pState->m_dwTag == kStateTag) ? pState : nullptr;
}

BOOL OnArrowKey(HWND hBox, WPARAM vk) {
    CRecipientBoxEntries entries(hBox);
    QxStepSelection(entries, (vk == VK_LEFT || vk == VK_UP) ? -1 : 1);
    return TRUE;
}

LRESULT HandleBoxMessage(HWND hBox, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    RecipientBoxState* pState = StateOf(hBox);
    if (!pState) return DefWindowProcW(hBox, uMsg, wParam, lParam);
    const WNDPROC pfnOld = pState->m_pfnOld;
    switch (uMsg) {
    case WM_KEYDOWN:
        if (CallWindowProcW(pfnOld, hBox, CB_GETDROPPEDSTATE, 0, 0)) break;
        if (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN)
            return OnArrowKey(hBox, wParam) ? 0 : 1;
        if (wParam == VK_SPACE) return 0;
        break;
    case WM_CHAR:
        if (wParam == L' ') return 0;
        break;
    case WM_GETOBJECT: {
        // Named by its label, with the entries' texts that the owner drawing hides.
        const std::wstring strName = QxLabelName(GetParent(hBox), IDC_SEND_TO_LABEL);
        if (const LRESULT result = QxControlObject(hBox, wParam, lParam, strName, true)) return result;
        break;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnOld));
        SetWindowLongPtrW(hBox, GWLP_USERDATA, 0);
        delete pState;
        break;
    default: break;
    }
    return CallWindowProcW(pfnOld, hBox, uMsg, wParam, lParam);
}

LRESULT CALLBACK BoxProc(HWND hBox, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return QxGuardCallback(L"RecipientBox::BoxProc", LRESULT(0),
                           [&] { return HandleBoxMessage(hBox, uMsg, wParam, lParam); });
}

} // namespace

HWND QxCreateRecipientBox(HWND hDialog, HWND hTemplateBox, BOOL bKeepPrivateEntry) {
    if (!hDialog || !hTemplateBox) return hTemplateBox;
    RECT rc = {};
    GetWindowRect(hTemplateBox, &rc);
    MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rc), 2);
    RECT drop = {};
    SendMessageW(hTemplateBox, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&drop));
    const int nHeight = drop.bottom > drop.top ? drop.bottom - drop.top : rc.bottom - rc.top;
    const DWORD dwStyle = (static_cast<DWORD>(GetWindowLongPtrW(hTemplateBox, GWL_STYLE)) &
                           ~(CBS_SORT | CBS_OWNERDRAWVARIABLE)) |
                          CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_CHILD;
    const DWORD dwExStyle = static_cast<DWORD>(GetWindowLongPtrW(hTemplateBox, GWL_EXSTYLE));
    const int nId = GetDlgCtrlID(hTemplateBox);
    HWND hBox =
        CreateWindowExW(dwExStyle, WC_COMBOBOXW, L"", dwStyle, rc.left, rc.top, rc.right - rc.left, nHeight,
                        hDialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hDialog, GWLP_HINSTANCE)), nullptr);
    if (!hBox) return hTemplateBox;
    auto* pState = new RecipientBoxState;
    pState->m_bKeepPrivateEntry = bKeepPrivateEntry;
    SetWindowLongPtrW(hBox, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pState));
    pState->m_pfnOld =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc)));
    SendMessageW(hBox, WM_SETFONT, SendMessageW(hTemplateBox, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(hBox, hTemplateBox, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(hTemplateBox);
    return hBox;
}

const ChatItemData* QxRecipientRemembered(HWND hBox) {
    const RecipientBoxState* pState = StateOf(hBox);
    return pState ? pState->m_pRemembered : nullptr;
}

void QxRecipientRemember(HWND hBox, const ChatItemData* pData) {
    if (RecipientBoxState* pState = StateOf(hBox)) pState->m_pRemembered = pData;
}

void QxRecipientSelectionChanged(HWND hBox) {
    const RecipientBoxState* pState = StateOf(hBox);
    if (!pState) return;
    CRecipientBoxEntries entries(hBox);
    QxSelectionChanged(entries, pState->m_bKeepPrivateEntry);
}

void QxMeasureRecipientItem(MEASUREITEMSTRUCT* pMeasure) {
    if (pMeasure) pMeasure->itemHeight = kItemHeight;
}

void QxDrawRecipientItem(const DRAWITEMSTRUCT* pDraw) {
    if (!pDraw) return;
    HDC hdc = pDraw->hDC;
    RECT rc = pDraw->rcItem;
    const BOOL bInEdit = (pDraw->itemState & ODS_COMBOBOXEDIT) != 0;
    const ChatItemData* pData = pDraw->itemID == static_cast<UINT>(-1)
                                    ? nullptr
                                    : ComboData(pDraw->hwndItem, static_cast<int>(pDraw->itemID));
    const BOOL bChoosable = QxCanChooseEntry(pData);
    const BOOL bHighlight = bChoosable && (pDraw->itemState & ODS_SELECTED);
    FillRect(hdc, &rc, GetSysColorBrush(bHighlight ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (pDraw->itemID == static_cast<UINT>(-1)) return;
    const std::wstring text = ComboText(pDraw->hwndItem, static_cast<int>(pDraw->itemID));
    const BOOL bDisabled = !bChoosable || (pDraw->itemState & ODS_DISABLED);
    SetTextColor(hdc, GetSysColor(bHighlight  ? COLOR_HIGHLIGHTTEXT
                                  : bDisabled ? COLOR_GRAYTEXT
                                              : COLOR_WINDOWTEXT));
    SetBkMode(hdc, TRANSPARENT);
    rc.left += (pData && pData->Kind() == CHAT_KIND_USER && !bInEdit) ? 2 + kMemberIndent : 2;
    DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((pDraw->itemState & ODS_FOCUS) && bChoosable) DrawFocusRect(hdc, &pDraw->rcItem);
}

// --- the entries ---

BOOL CRecipientBoxEntries::IsPresent() const {
    return m_hBox && IsWindow(m_hBox);
}

int CRecipientBoxEntries::Count() const {
    return m_hBox ? ComboCount(m_hBox) : 0;
}

ChatItemData* CRecipientBoxEntries::Data(int nIndex) const {
    return m_hBox ? ComboData(m_hBox, nIndex) : nullptr;
}

std::wstring CRecipientBoxEntries::Text(int nIndex) const {
    return m_hBox ? ComboText(m_hBox, nIndex) : std::wstring();
}

int CRecipientBoxEntries::Insert(int nIndex, const std::wstring& strText, ChatItemData* pData) {
    return m_hBox ? ComboInsert(m_hBox, nIndex, strText, pData) : -1;
}

void CRecipientBoxEntries::Delete(int nIndex) {
    if (m_hBox) ComboDelete(m_hBox, nIndex);
}

void CRecipientBoxEntries::Fill(const std::vector<RecipientEntry>& entries) {
    if (!m_hBox) return;
    SendMessageW(m_hBox, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_hBox, CB_RESETCONTENT, 0, 0);
    size_t nChars = 0;
    for (const RecipientEntry& e : entries)
        nChars += e.strText.size() + 1;
    SendMessageW(m_hBox, CB_INITSTORAGE, entries.size(), nChars * sizeof(wchar_t));
    // Straight into the box's list, which the box hands its entry messages to anyway: half the
    // messages for thousands of entries.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    HWND hList = GetComboBoxInfo(m_hBox, &info) ? info.hwndList : nullptr;
    for (const RecipientEntry& e : entries) {
        if (!hList) {
            ComboInsert(m_hBox, -1, e.strText, e.pData);
            continue;
        }
        const LRESULT r = SendMessageW(hList, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(e.strText.c_str()));
        if (r >= 0)
            SendMessageW(hList, LB_SETITEMDATA, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(e.pData));
    }
    SendMessageW(m_hBox, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hBox, nullptr, TRUE);
}

int CRecipientBoxEntries::Selection() const {
    return m_hBox ? ComboSelection(m_hBox) : -1;
}

void CRecipientBoxEntries::Select(int nIndex) {
    if (m_hBox) ComboSelect(m_hBox, nIndex);
}

const ChatItemData* CRecipientBoxEntries::Remembered() const {
    return QxRecipientRemembered(m_hBox);
}

void CRecipientBoxEntries::Remember(const ChatItemData* pData) {
    QxRecipientRemember(m_hBox, pData);
}
