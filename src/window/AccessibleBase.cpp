#include "window/AccessibleBase.h"

namespace {
LONG g_lLiveObjects = 0;
} // namespace

LONG QxLiveAccessibleObjects() {
    return g_lLiveObjects;
}

CAccessibleBase::CAccessibleBase() {
    InterlockedIncrement(&g_lLiveObjects);
}

CAccessibleBase::~CAccessibleBase() {
    InterlockedDecrement(&g_lLiveObjects);
}

STDMETHODIMP CAccessibleBase::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IDispatch)) ||
        IsEqualIID(riid, __uuidof(IAccessible))) {
        *ppv = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CAccessibleBase::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_lRefs));
}

STDMETHODIMP_(ULONG) CAccessibleBase::Release() {
    const LONG lRefs = InterlockedDecrement(&m_lRefs);
    if (lRefs == 0) delete this;
    return static_cast<ULONG>(lRefs);
}

STDMETHODIMP CAccessibleBase::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CAccessibleBase::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAccessibleBase::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CAccessibleBase::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

bool QxChildId(const VARIANT& var, LONG* plChild) {
    if (var.vt != VT_I4) return false;
    *plChild = var.lVal;
    return true;
}

HRESULT QxReturnString(const std::wstring& str, BSTR* pbstr) {
    if (!pbstr) return E_POINTER;
    *pbstr = nullptr;
    if (str.empty()) return S_FALSE;
    *pbstr = SysAllocStringLen(str.c_str(), static_cast<UINT>(str.size()));
    return *pbstr ? S_OK : E_OUTOFMEMORY;
}

HRESULT QxReturnChild(LONG lChild, VARIANT* pvar) {
    if (!pvar) return E_POINTER;
    VariantInit(pvar);
    if (lChild < 0) return S_FALSE;
    pvar->vt = VT_I4;
    pvar->lVal = lChild;
    return S_OK;
}
