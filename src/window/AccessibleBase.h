// What every accessible object of the module shares: reference counting, no type library for
// IDispatch, reading a child id out of a VARIANT, and the count of objects alive.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

// Accessible objects alive in the process (the list's and the controls'), for leak checks.
LONG QxLiveAccessibleObjects();

class CAccessibleBase : public IAccessible {
public:
    CAccessibleBase(const CAccessibleBase&) = delete;
    CAccessibleBase& operator=(const CAccessibleBase&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

protected:
    CAccessibleBase();
    virtual ~CAccessibleBase();

private:
    LONG m_lRefs = 1;
};

// The child id a VARIANT carries: VT_I4 only.
bool QxChildId(const VARIANT& var, LONG* plChild);
// A string result: S_FALSE with a null string when empty, E_OUTOFMEMORY when it cannot be made.
HRESULT QxReturnString(const std::wstring& str, BSTR* pbstr);
// A child-id result (VT_I4), or VT_EMPTY with S_FALSE for none (lChild < 0).
HRESULT QxReturnChild(LONG lChild, VARIANT* pvar);
