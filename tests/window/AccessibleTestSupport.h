// Helpers of the accessibility tests: a child id as a VARIANT and a string result freed with it.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace windowtest {

inline VARIANT Child(LONG l) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = l;
    return v;
}

struct BstrText {
    BSTR b = nullptr;
    BstrText() = default;
    BstrText(const BstrText&) = delete;
    BstrText& operator=(const BstrText&) = delete;
    ~BstrText() { SysFreeString(b); }
    std::wstring Str() const { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }
};

} // namespace windowtest
