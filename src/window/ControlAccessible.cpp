#include "window/ControlAccessible.h"

#include "module/CallbackGuard.h"
#include "module/ModuleState.h"
#include "resources/resource.h"
#include "window/AccessibleBase.h"

#include <commctrl.h>

#include <new>

namespace {

std::wstring WindowText(HWND hWnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hWnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::wstring EntryText(HWND hBox, int nEntry) {
    const LRESULT nLength = SendMessageW(hBox, CB_GETLBTEXTLEN, static_cast<WPARAM>(nEntry), 0);
    if (nLength == CB_ERR || nLength <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(nLength) + 1, L'\0');
    const LRESULT nGot =
        SendMessageW(hBox, CB_GETLBTEXT, static_cast<WPARAM>(nEntry), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(nGot == CB_ERR ? 0 : static_cast<size_t>(nGot));
    return text;
}

// The platform's object with a name, and for an entries box value and children, of our own.
class CControlAccessible : public CAccessibleBase {
public:
    CControlAccessible(HWND hCtl, IAccessible* pStd, std::wstring strName, bool bEntries)
        : m_hCtl(hCtl), m_pStd(pStd), m_strName(std::move(strName)), m_bEntries(bEntries) {}

    STDMETHODIMP get_accParent(IDispatch** pp) override {
        return Std() ? m_pStd->get_accParent(pp) : Gone(pp);
    }
    STDMETHODIMP get_accChildCount(LONG* pc) override {
        if (!pc) return E_POINTER;
        *pc = 0;
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries) return m_pStd->get_accChildCount(pc);
        *pc = Entries();
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT v, IDispatch** pp) override {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries) return m_pStd->get_accChild(v, pp);
        return Entry(v) >= 0 ? S_FALSE : E_INVALIDARG;
    }
    STDMETHODIMP get_accName(VARIANT v, BSTR* p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(v)) return QxReturnString(m_strName, p);
        if (!m_bEntries) return m_pStd->get_accName(v, p);
        const int nEntry = Entry(v);
        return nEntry >= 0 ? QxReturnString(EntryText(m_hCtl, nEntry), p) : E_INVALIDARG;
    }
    STDMETHODIMP get_accValue(VARIANT v, BSTR* p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries) return m_pStd->get_accValue(v, p);
        if (!IsSelf(v)) return Entry(v) >= 0 ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
        const LRESULT nSel = SendMessageW(m_hCtl, CB_GETCURSEL, 0, 0);
        return QxReturnString(nSel == CB_ERR ? std::wstring() : EntryText(m_hCtl, static_cast<int>(nSel)), p);
    }
    STDMETHODIMP get_accDescription(VARIANT v, BSTR* p) override {
        return Forward(v, p, &IAccessible::get_accDescription);
    }
    STDMETHODIMP get_accRole(VARIANT v, VARIANT* p) override {
        if (!p) return E_POINTER;
        VariantInit(p);
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries) return m_pStd->get_accRole(v, p);
        const bool bSelf = IsSelf(v);
        if (!bSelf && Entry(v) < 0) return E_INVALIDARG;
        p->vt = VT_I4;
        p->lVal = bSelf ? ROLE_SYSTEM_COMBOBOX : ROLE_SYSTEM_LISTITEM;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT v, VARIANT* p) override {
        if (!p) return E_POINTER;
        VariantInit(p);
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries || IsSelf(v)) return m_pStd->get_accState(v, p);
        const int nEntry = Entry(v);
        if (nEntry < 0) return E_INVALIDARG;
        LONG lState = STATE_SYSTEM_SELECTABLE;
        if (SendMessageW(m_hCtl, CB_GETCURSEL, 0, 0) == nEntry) lState |= STATE_SYSTEM_SELECTED;
        if (!SendMessageW(m_hCtl, CB_GETDROPPEDSTATE, 0, 0)) lState |= STATE_SYSTEM_INVISIBLE;
        p->vt = VT_I4;
        p->lVal = lState;
        return S_OK;
    }
    STDMETHODIMP get_accHelp(VARIANT v, BSTR* p) override { return Forward(v, p, &IAccessible::get_accHelp); }
    STDMETHODIMP get_accHelpTopic(BSTR* p, VARIANT v, LONG* pl) override {
        if (!Std()) return Gone(p);
        return m_pStd->get_accHelpTopic(p, v, pl);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT v, BSTR* p) override {
        return Forward(v, p, &IAccessible::get_accKeyboardShortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* p) override { return Std() ? m_pStd->get_accFocus(p) : Gone(p); }
    STDMETHODIMP get_accSelection(VARIANT* p) override {
        if (!p) return E_POINTER;
        VariantInit(p);
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries) return m_pStd->get_accSelection(p);
        const LRESULT nSel = SendMessageW(m_hCtl, CB_GETCURSEL, 0, 0);
        return QxReturnChild(nSel == CB_ERR ? -1 : static_cast<LONG>(nSel) + 1, p);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT v, BSTR* p) override {
        return Forward(v, p, &IAccessible::get_accDefaultAction);
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT v) override {
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        return IsSelf(v) || !m_bEntries ? m_pStd->accSelect(flags, v) : E_NOTIMPL;
    }
    STDMETHODIMP accLocation(LONG* px, LONG* py, LONG* pcx, LONG* pcy, VARIANT v) override {
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries || IsSelf(v)) return m_pStd->accLocation(px, py, pcx, pcy, v);
        if (!px || !py || !pcx || !pcy) return E_POINTER;
        *px = *py = *pcx = *pcy = 0;
        const int nEntry = Entry(v);
        if (nEntry < 0) return E_INVALIDARG;
        // An entry has a place only while the drop-down list shows it.
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        RECT rc = {};
        if (!SendMessageW(m_hCtl, CB_GETDROPPEDSTATE, 0, 0) || !GetComboBoxInfo(m_hCtl, &info) ||
            SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(nEntry),
                         reinterpret_cast<LPARAM>(&rc)) == LB_ERR)
            return S_FALSE;
        MapWindowPoints(info.hwndList, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        *px = rc.left;
        *py = rc.top;
        *pcx = rc.right - rc.left;
        *pcy = rc.bottom - rc.top;
        return S_OK;
    }
    STDMETHODIMP accNavigate(LONG dir, VARIANT v, VARIANT* p) override {
        if (!p) return E_POINTER;
        VariantInit(p);
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (!m_bEntries || (IsSelf(v) && dir != NAVDIR_FIRSTCHILD && dir != NAVDIR_LASTCHILD))
            return m_pStd->accNavigate(dir, v, p);
        const int nCount = Entries();
        if (IsSelf(v)) return QxReturnChild(nCount > 0 ? (dir == NAVDIR_FIRSTCHILD ? 1 : nCount) : -1, p);
        const int nEntry = Entry(v);
        if (nEntry < 0) return E_INVALIDARG;
        if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN)
            return QxReturnChild(nEntry + 1 < nCount ? nEntry + 2 : -1, p);
        if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP) return QxReturnChild(nEntry > 0 ? nEntry : -1, p);
        return S_FALSE;
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* p) override {
        return Std() ? m_pStd->accHitTest(x, y, p) : Gone(p);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT v) override {
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        return IsSelf(v) || !m_bEntries ? m_pStd->accDoDefaultAction(v) : DISP_E_MEMBERNOTFOUND;
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~CControlAccessible() override { m_pStd->Release(); }
    // The platform's object, while the control exists.
    bool Std() const { return IsWindow(m_hCtl) != FALSE; }
    template <class T> static HRESULT Gone(T* p) {
        if (p) *p = T();
        return CO_E_OBJNOTCONNECTED;
    }
    static HRESULT Gone(VARIANT* p) {
        if (p) VariantInit(p);
        return CO_E_OBJNOTCONNECTED;
    }
    static bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }
    int Entries() const {
        const LRESULT n = SendMessageW(m_hCtl, CB_GETCOUNT, 0, 0);
        return n == CB_ERR ? 0 : static_cast<int>(n);
    }
    // The entry index of a child id, -1 when it names none.
    int Entry(const VARIANT& v) const {
        LONG l = 0;
        return QxChildId(v, &l) && l >= 1 && l <= Entries() ? static_cast<int>(l) - 1 : -1;
    }
    HRESULT Forward(VARIANT v, BSTR* p, HRESULT (STDMETHODCALLTYPE IAccessible::*pfn)(VARIANT, BSTR*)) {
        if (!p) return E_POINTER;
        *p = nullptr;
        if (!Std()) return CO_E_OBJNOTCONNECTED;
        if (m_bEntries && !IsSelf(v)) return Entry(v) >= 0 ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
        return (m_pStd->*pfn)(v, p);
    }

    HWND m_hCtl;
    IAccessible* m_pStd;
    std::wstring m_strName;
    bool m_bEntries;
};

} // namespace

LRESULT QxControlObject(HWND hCtl, WPARAM wParam, LPARAM lParam, const std::wstring& strName, bool bEntries) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !IsWindow(hCtl)) return 0;
    IAccessible* pStd = nullptr;
    if (FAILED(CreateStdAccessibleObject(hCtl, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&pStd))) ||
        !pStd)
        return 0;
    auto* pObject = new (std::nothrow) CControlAccessible(hCtl, pStd, strName, bEntries);
    if (!pObject) {
        pStd->Release();
        return 0;
    }
    const LRESULT result =
        LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(pObject));
    pObject->Release(); // the marshalled result holds its own reference
    return result > 0 ? result : 0;
}

std::wstring QxLabelName(HWND hDialog, int nId) {
    std::wstring text = WindowText(GetDlgItem(hDialog, nId));
    const size_t nAmp = text.find(L'&');
    if (nAmp != std::wstring::npos) text.erase(nAmp, 1);
    return text;
}

std::wstring QxInputBoxName() {
    const std::wstring text = QxHasResourceLibrary() ? QxLoadString(IDS_TIP_SEND_CHAT) : std::wstring();
    return text.empty() ? L"Send Chat Message" : text;
}

namespace {

// The label's id travels as the subclass's reference data.
LRESULT CALLBACK LabelledComboProc(HWND hBox, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR dwLabelId) {
    return QxGuardCallback(L"ControlAccessible::LabelledComboProc", LRESULT(0), [&]() -> LRESULT {
        if (uMsg == WM_GETOBJECT) {
            const std::wstring strName = QxLabelName(GetParent(hBox), static_cast<int>(dwLabelId));
            if (const LRESULT result = QxControlObject(hBox, wParam, lParam, strName, true)) return result;
        } else if (uMsg == WM_NCDESTROY) {
            RemoveWindowSubclass(hBox, LabelledComboProc, 0);
        }
        return DefSubclassProc(hBox, uMsg, wParam, lParam);
    });
}

} // namespace

bool QxNameComboByLabel(HWND hBox, int nLabelId) {
    return hBox && IsWindow(hBox) &&
           SetWindowSubclass(hBox, LabelledComboProc, 0, static_cast<DWORD_PTR>(nLabelId)) != FALSE;
}
