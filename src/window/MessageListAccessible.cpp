// The message list's accessible object: the list and its children read straight from the
// list's items and geometry on every call, nothing copied, so its cost does not grow with the
// conversation.
#include "window/MessageListAccessible.h"

#include "window/AccessibleBase.h"
#include "window/MessageWindow.h"

#include <initguid.h>

#include <algorithm>
#include <cwctype>
#include <new>

namespace {

// The live-setting property and its polite value, for Win32 windows through the property
// service (the platform's headers of this toolchain do not all declare them).
DEFINE_GUID(kLiveSettingProperty, 0xc12bcd8e, 0x2a8e, 0x4950, 0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb);
DEFINE_GUID(kClsidAccPropServices, 0xb5f8350b, 0x0548, 0x48b1, 0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5,
            0xe7);
DEFINE_GUID(kIidAccPropServices, 0x6e26e776, 0x04f0, 0x495d, 0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69);
constexpr LONG kLivePolite = 1;
constexpr DWORD kEventLiveRegionChanged = 0x8019;
constexpr DWORD kLiveRegionsFromMajor = 6, kLiveRegionsFromMinor = 2;

bool PlatformHasLiveRegions() {
    OSVERSIONINFOW vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&vi)) return false;
#pragma GCC diagnostic pop
    return vi.dwMajorVersion > kLiveRegionsFromMajor ||
           (vi.dwMajorVersion == kLiveRegionsFromMajor && vi.dwMinorVersion >= kLiveRegionsFromMinor);
}

// Marks (hWnd, client, lChild) as a polite live region; false when the platform cannot.
bool MarkPolite(HWND hWnd, LONG lChild) {
    IAccPropServices* pServices = nullptr;
    if (FAILED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                                reinterpret_cast<void**>(&pServices))) ||
        !pServices)
        return false;
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_I4;
    var.lVal = kLivePolite;
    const HRESULT hr = pServices->SetHwndProp(hWnd, static_cast<DWORD>(OBJID_CLIENT),
                                              static_cast<DWORD>(lChild), kLiveSettingProperty, var);
    pServices->Release();
    return SUCCEEDED(hr) && hr != S_FALSE;
}

// Children lChild .. lLast (child ids) one after another.
class CChildRange : public IEnumVARIANT {
public:
    CChildRange(LONG lFirst, LONG lLast) : m_lFirst(lFirst), m_lLast(lLast), m_lNext(lFirst) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IEnumVARIANT))) {
            *ppv = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_lRefs)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG l = InterlockedDecrement(&m_lRefs);
        if (l == 0) delete this;
        return static_cast<ULONG>(l);
    }
    STDMETHODIMP Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override {
        if (!rgVar) return E_POINTER;
        ULONG n = 0;
        for (; n < celt && m_lNext <= m_lLast; ++n, ++m_lNext) {
            VariantInit(&rgVar[n]);
            rgVar[n].vt = VT_I4;
            rgVar[n].lVal = m_lNext;
        }
        if (pCeltFetched) *pCeltFetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG celt) override {
        const LONG lLeft = m_lLast - m_lNext + 1;
        const bool bAll = static_cast<LONG>(celt) <= lLeft;
        m_lNext += bAll ? static_cast<LONG>(celt) : lLeft;
        return bAll ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        m_lNext = m_lFirst;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** ppEnum) override {
        if (!ppEnum) return E_POINTER;
        auto* p = new (std::nothrow) CChildRange(m_lFirst, m_lLast);
        *ppEnum = p;
        if (!p) return E_OUTOFMEMORY;
        p->m_lNext = m_lNext;
        return S_OK;
    }

private:
    virtual ~CChildRange() = default;
    LONG m_lRefs = 1;
    LONG m_lFirst, m_lLast, m_lNext;
};

} // namespace

int CListChildren::ChildOf(int nItem) const {
    if (nItem < 0 || nItem >= m_nItems) return -1;
    auto it = std::upper_bound(m_first.begin(), m_first.end(), nItem);
    return static_cast<int>(it - m_first.begin()) - 1;
}

void CListChildren::AddItem(int nItem, DWORD kind, DWORD previousKind) {
    // The text of a message joins the header just before it, when that header stands alone.
    const bool bJoins = kind == 2 && previousKind == 1 && !m_first.empty() && m_first.back() == nItem - 1;
    if (!bJoins) m_first.push_back(nItem);
}

std::wstring QxChildName(const MessageItem* pHeader, const MessageItem* pText) {
    std::wstring strHeader = pHeader ? pHeader->text : std::wstring();
    const std::wstring strText = pText ? pText->text : std::wstring();
    while (!strHeader.empty() && iswspace(strHeader.back()))
        strHeader.pop_back();
    if (strHeader.empty()) return strText;
    if (strText.empty()) return strHeader;
    return strHeader + L" " + strText;
}

// The COM object. Every call goes through Owner(): null once the window is gone.
class CMessageListAccessible : public CAccessibleBase {
public:
    explicit CMessageListAccessible(CListAccessibility* pOwner) : m_pOwner(pOwner) {}
    void Disconnect() { m_pOwner = nullptr; }

    STDMETHODIMP get_accParent(IDispatch** ppdispParent) override;
    STDMETHODIMP get_accChildCount(LONG* pcountChildren) override;
    STDMETHODIMP get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
    STDMETHODIMP get_accName(VARIANT varChild, BSTR* pszName) override;
    STDMETHODIMP get_accValue(VARIANT varChild, BSTR* pszValue) override;
    STDMETHODIMP get_accDescription(VARIANT varChild, BSTR* pszDescription) override;
    STDMETHODIMP get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
    STDMETHODIMP get_accState(VARIANT varChild, VARIANT* pvarState) override;
    STDMETHODIMP get_accHelp(VARIANT, BSTR* pszHelp) override { return NotFound(pszHelp); }
    STDMETHODIMP get_accHelpTopic(BSTR* pszHelpFile, VARIANT, LONG* pidTopic) override {
        if (pidTopic) *pidTopic = 0;
        return NotFound(pszHelpFile);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* psz) override { return NotFound(psz); }
    STDMETHODIMP get_accFocus(VARIANT* pvarChild) override;
    STDMETHODIMP get_accSelection(VARIANT* pvarChildren) override;
    STDMETHODIMP get_accDefaultAction(VARIANT, BSTR* psz) override { return NotFound(psz); }
    STDMETHODIMP accSelect(LONG flagsSelect, VARIANT varChild) override;
    STDMETHODIMP accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth, LONG* pcyHeight,
                             VARIANT varChild) override;
    STDMETHODIMP accNavigate(LONG navDir, VARIANT varStart, VARIANT* pvarEndUpAt) override;
    STDMETHODIMP accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) override;
    STDMETHODIMP accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    static HRESULT NotFound(BSTR* pbstr) {
        if (pbstr) *pbstr = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    // The list with its children taken in, or null when disconnected.
    CMessageWindow* List() {
        if (!m_pOwner || !m_pOwner->List() || !m_pOwner->List()->GetHwnd()) return nullptr;
        m_pOwner->Children();
        return m_pOwner->List();
    }
    const CListChildren& Kids() const { return m_pOwner->Children(); }
    // The child index of a child id (0-based), -1 for the list itself; false when invalid.
    bool ChildIndex(const VARIANT& var, int* pnChild) {
        LONG lChild = 0;
        if (!QxChildId(var, &lChild) || lChild < 0 || lChild > Kids().Count()) return false;
        *pnChild = static_cast<int>(lChild) - 1;
        return true;
    }
    // Client rectangle of a child from the layout and the scroll position.
    RECT ChildRect(const CMessageWindow& list, int nChild) const {
        const int nFirst = Kids().FirstItem(nChild), nLast = Kids().LastItem(nChild);
        const long long shift = list.ScrollState().Shift();
        const MessageItem& item = list.GetItem(nFirst);
        RECT rc = {item.left, static_cast<LONG>(list.HeightAbove(nFirst) - shift), item.right,
                   static_cast<LONG>(list.HeightAbove(nLast + 1) - shift)};
        return rc;
    }
    bool ChildSelected(const CMessageWindow& list, int nChild) const {
        for (int i = Kids().FirstItem(nChild); i <= Kids().LastItem(nChild); ++i)
            if (list.GetItem(i).selState != 0) return true;
        return false;
    }

    CListAccessibility* m_pOwner;
};

#define QX_LIST_OR_FAIL(list)                                                                                \
    CMessageWindow* list = List();                                                                           \
    if (!list) return CO_E_OBJNOTCONNECTED

STDMETHODIMP CMessageListAccessible::get_accParent(IDispatch** ppdispParent) {
    if (!ppdispParent) return E_POINTER;
    *ppdispParent = nullptr;
    QX_LIST_OR_FAIL(pList);
    return AccessibleObjectFromWindow(pList->GetHwnd(), static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                      reinterpret_cast<void**>(ppdispParent));
}

STDMETHODIMP CMessageListAccessible::get_accChildCount(LONG* pcountChildren) {
    if (!pcountChildren) return E_POINTER;
    *pcountChildren = 0;
    QX_LIST_OR_FAIL(pList);
    *pcountChildren = Kids().Count();
    return S_OK;
}

STDMETHODIMP CMessageListAccessible::get_accChild(VARIANT varChild, IDispatch** ppdispChild) {
    if (!ppdispChild) return E_POINTER;
    *ppdispChild = nullptr;
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varChild, &nChild)) return E_INVALIDARG;
    return S_FALSE; // the children are simple elements of this object
}

STDMETHODIMP CMessageListAccessible::get_accName(VARIANT varChild, BSTR* pszName) {
    if (!pszName) return E_POINTER;
    *pszName = nullptr;
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varChild, &nChild)) return E_INVALIDARG;
    if (nChild < 0) return S_FALSE; // the list has no label of its own
    const int nFirst = Kids().FirstItem(nChild), nLast = Kids().LastItem(nChild);
    const MessageItem& first = pList->GetItem(nFirst);
    if (nLast > nFirst) return QxReturnString(QxChildName(&first, &pList->GetItem(nLast)), pszName);
    return QxReturnString(first.kind == 1 ? QxChildName(&first, nullptr) : QxChildName(nullptr, &first),
                          pszName);
}

STDMETHODIMP CMessageListAccessible::get_accValue(VARIANT, BSTR* pszValue) {
    if (!pszValue) return E_POINTER;
    *pszValue = nullptr;
    if (!List()) return CO_E_OBJNOTCONNECTED;
    return DISP_E_MEMBERNOTFOUND;
}

// A message's or notice's date and time, as kept for the transcript.
STDMETHODIMP CMessageListAccessible::get_accDescription(VARIANT varChild, BSTR* pszDescription) {
    if (!pszDescription) return E_POINTER;
    *pszDescription = nullptr;
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varChild, &nChild)) return E_INVALIDARG;
    if (nChild < 0) return S_FALSE;
    const MessageItem& item = pList->GetItem(Kids().LastItem(nChild));
    std::wstring str = item.date;
    if (!str.empty() && !item.time.empty()) str += L" ";
    return QxReturnString(str + item.time, pszDescription);
}

STDMETHODIMP CMessageListAccessible::get_accRole(VARIANT varChild, VARIANT* pvarRole) {
    if (!pvarRole) return E_POINTER;
    VariantInit(pvarRole);
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varChild, &nChild)) return E_INVALIDARG;
    pvarRole->vt = VT_I4;
    pvarRole->lVal = nChild < 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
    return S_OK;
}

STDMETHODIMP CMessageListAccessible::get_accState(VARIANT varChild, VARIANT* pvarState) {
    if (!pvarState) return E_POINTER;
    VariantInit(pvarState);
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varChild, &nChild)) return E_INVALIDARG;
    HWND hWnd = pList->GetHwnd();
    LONG lState = STATE_SYSTEM_READONLY;
    if (nChild < 0) {
        lState |= STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == hWnd) lState |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowVisible(hWnd)) lState |= STATE_SYSTEM_INVISIBLE;
    } else {
        lState |= STATE_SYSTEM_SELECTABLE;
        if (ChildSelected(*pList, nChild)) lState |= STATE_SYSTEM_SELECTED;
        RECT rcClient = {};
        GetClientRect(hWnd, &rcClient);
        const RECT rc = ChildRect(*pList, nChild);
        if (rc.bottom <= 0 || rc.top >= rcClient.bottom) lState |= STATE_SYSTEM_OFFSCREEN;
    }
    pvarState->vt = VT_I4;
    pvarState->lVal = lState;
    return S_OK;
}

STDMETHODIMP CMessageListAccessible::get_accFocus(VARIANT* pvarChild) {
    if (!pvarChild) return E_POINTER;
    VariantInit(pvarChild);
    QX_LIST_OR_FAIL(pList);
    return QxReturnChild(GetFocus() == pList->GetHwnd() ? CHILDID_SELF : -1, pvarChild);
}

STDMETHODIMP CMessageListAccessible::get_accSelection(VARIANT* pvarChildren) {
    if (!pvarChildren) return E_POINTER;
    VariantInit(pvarChildren);
    QX_LIST_OR_FAIL(pList);
    const int nLow = pList->SelectionLow(), nHigh = pList->SelectionHigh();
    if (nLow < 0 || nHigh < nLow) return S_FALSE;
    const LONG lFirst = Kids().ChildOf(nLow) + 1, lLast = Kids().ChildOf(nHigh) + 1;
    if (lFirst <= 0 || lLast < lFirst) return S_FALSE;
    if (lFirst == lLast) return QxReturnChild(lFirst, pvarChildren);
    auto* pEnum = new (std::nothrow) CChildRange(lFirst, lLast);
    if (!pEnum) return E_OUTOFMEMORY;
    pvarChildren->vt = VT_UNKNOWN;
    pvarChildren->punkVal = pEnum;
    return S_OK;
}

STDMETHODIMP CMessageListAccessible::accSelect(LONG flagsSelect, VARIANT varChild) {
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varChild, &nChild)) return E_INVALIDARG;
    if (flagsSelect & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) return E_INVALIDARG;
    if (flagsSelect & SELFLAG_TAKEFOCUS) SetFocus(pList->GetHwnd());
    if ((flagsSelect & SELFLAG_TAKESELECTION) && nChild >= 0)
        pList->SelectRange(Kids().FirstItem(nChild), Kids().LastItem(nChild));
    return S_OK;
}

STDMETHODIMP CMessageListAccessible::accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth, LONG* pcyHeight,
                                                 VARIANT varChild) {
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight) return E_POINTER;
    *pxLeft = *pyTop = *pcxWidth = *pcyHeight = 0;
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varChild, &nChild)) return E_INVALIDARG;
    RECT rc = {};
    if (nChild < 0)
        GetClientRect(pList->GetHwnd(), &rc);
    else
        rc = ChildRect(*pList, nChild);
    MapWindowPoints(pList->GetHwnd(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.right - rc.left;
    *pcyHeight = rc.bottom - rc.top;
    return S_OK;
}

STDMETHODIMP CMessageListAccessible::accNavigate(LONG navDir, VARIANT varStart, VARIANT* pvarEndUpAt) {
    if (!pvarEndUpAt) return E_POINTER;
    VariantInit(pvarEndUpAt);
    QX_LIST_OR_FAIL(pList);
    int nChild = 0;
    if (!ChildIndex(varStart, &nChild)) return E_INVALIDARG;
    const int nCount = Kids().Count();
    int nTo = -1;
    if (nChild < 0) {
        // From the list itself only into its children; its siblings are the window's business.
        if (navDir == NAVDIR_FIRSTCHILD && nCount > 0) nTo = 0;
        if (navDir == NAVDIR_LASTCHILD && nCount > 0) nTo = nCount - 1;
        if (navDir != NAVDIR_FIRSTCHILD && navDir != NAVDIR_LASTCHILD) return DISP_E_MEMBERNOTFOUND;
    } else {
        switch (navDir) {
        case NAVDIR_NEXT:
        case NAVDIR_DOWN: nTo = nChild + 1 < nCount ? nChild + 1 : -1; break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP: nTo = nChild - 1; break;
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD: return S_FALSE; // a child has no children
        case NAVDIR_LEFT:
        case NAVDIR_RIGHT: return S_FALSE;
        default: return E_INVALIDARG;
        }
    }
    return QxReturnChild(nTo >= 0 ? nTo + 1 : -1, pvarEndUpAt);
}

STDMETHODIMP CMessageListAccessible::accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) {
    if (!pvarChild) return E_POINTER;
    VariantInit(pvarChild);
    QX_LIST_OR_FAIL(pList);
    POINT pt = {xLeft, yTop};
    ScreenToClient(pList->GetHwnd(), &pt);
    RECT rcClient = {};
    GetClientRect(pList->GetHwnd(), &rcClient);
    if (!PtInRect(&rcClient, pt)) return S_FALSE;
    if (pList->GetItemCount() > 0 && pt.y + pList->ScrollState().Shift() < pList->TotalHeight()) {
        const int nChild = Kids().ChildOf(pList->HitTest(pt).nItem);
        if (nChild >= 0) return QxReturnChild(nChild + 1, pvarChild);
    }
    return QxReturnChild(CHILDID_SELF, pvarChild);
}

CListAccessibility::CListAccessibility(CMessageWindow* pList) : m_pList(pList) {}

CListAccessibility::~CListAccessibility() {
    if (!m_pObject) return;
    m_pObject->Disconnect();
    // References a reader was handed through the marshalled result go too.
    CoDisconnectObject(static_cast<IAccessible*>(m_pObject), 0);
    m_pObject->Release();
    m_pObject = nullptr;
}

CListChildren& CListAccessibility::Children() {
    if (m_pList) {
        const CMessageWindow& list = *m_pList;
        m_children.Sync(list.GetItemCount(), [&list](int i) { return list.GetItem(i).kind; });
    }
    return m_children;
}

LRESULT CListAccessibility::OnGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !m_pList) return 0;
    if (!m_pObject) m_pObject = new (std::nothrow) CMessageListAccessible(this);
    if (!m_pObject) return 0;
    const LRESULT result =
        LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(m_pObject));
    return result > 0 ? result : 0;
}

DWORD CListAccessibility::AnnouncementEvent() {
    if (m_nLiveRegion < 0 && m_pList)
        m_nLiveRegion = PlatformHasLiveRegions() && MarkPolite(m_pList->GetHwnd(), CHILDID_SELF) ? 1 : 0;
    return m_nLiveRegion == 1 ? kEventLiveRegionChanged : EVENT_OBJECT_SHOW;
}

void CListAccessibility::Announce(int nItem) {
    if (!m_pList || !m_pList->GetHwnd()) return;
    const int nChild = Children().ChildOf(nItem);
    if (nChild < 0) return;
    const LONG lChild = nChild + 1;
    const DWORD dwEvent = AnnouncementEvent();
    // The new child is itself polite, so a reader speaks its name rather than the whole list.
    if (dwEvent == kEventLiveRegionChanged) MarkPolite(m_pList->GetHwnd(), lChild);
    NotifyWinEvent(dwEvent, m_pList->GetHwnd(), OBJID_CLIENT, lChild);
}
