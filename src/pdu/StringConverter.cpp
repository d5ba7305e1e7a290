#include "pdu/StringConverter.h"

#include <climits>
#include <windows.h>

namespace {

std::wstring Widen(UINT nCodePage, const std::string& str) {
    if (str.empty() || str.size() > INT_MAX) return std::wstring();
    const int nIn = static_cast<int>(str.size());
    int n = MultiByteToWideChar(nCodePage, 0, str.data(), nIn, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    n = MultiByteToWideChar(nCodePage, 0, str.data(), nIn, &out[0], n);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string Narrow(UINT nCodePage, const std::wstring& str) {
    if (str.empty() || str.size() > INT_MAX) return std::string();
    const int nIn = static_cast<int>(str.size());
    int n = WideCharToMultiByte(nCodePage, 0, str.data(), nIn, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    n = WideCharToMultiByte(nCodePage, 0, str.data(), nIn, &out[0], n, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

// A surrogate without its partner is no character: UTF-8 cannot carry it, and some
// conversion functions would write it as bytes that no decoder accepts. It becomes U+FFFD,
// as a strict decoder reads such bytes anyway; pairs pass unchanged.
std::wstring WithoutLoneSurrogates(const std::wstring& str) {
    std::wstring out(str);
    for (size_t i = 0; i < out.size(); ++i) {
        const wchar_t c = out[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 &&
            out[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out[i] = 0xFFFD;
        }
    }
    return out;
}

} // namespace

CStringConverter::CStringConverter(const wchar_t* lpszUtf16) : m_strUtf16(lpszUtf16 ? lpszUtf16 : L"") {}

CStringConverter::CStringConverter(const std::wstring& strUtf16) : m_strUtf16(strUtf16) {}

CStringConverter::CStringConverter(const char* lpsz, NarrowForm form)
    : CStringConverter(std::string(lpsz ? lpsz : ""), form) {}

CStringConverter::CStringConverter(const std::string& str, NarrowForm form) {
    if (form == ANSI)
        m_strAnsi = str;
    else
        m_strUtf8 = str;
}

const std::wstring& CStringConverter::GetUtf16() const {
    if (!m_strUtf16) m_strUtf16 = m_strUtf8 ? Widen(CP_UTF8, *m_strUtf8) : Widen(CP_ACP, *m_strAnsi);
    return *m_strUtf16;
}

const std::string& CStringConverter::GetUtf8() const {
    if (!m_strUtf8) m_strUtf8 = Narrow(CP_UTF8, WithoutLoneSurrogates(GetUtf16()));
    return *m_strUtf8;
}

const std::string& CStringConverter::GetAnsi() const {
    if (!m_strAnsi) m_strAnsi = Narrow(CP_ACP, GetUtf16());
    return *m_strAnsi;
}

std::string CStringConverter::ToUtf8(const std::wstring& strUtf16) {
    return CStringConverter(strUtf16).GetUtf8();
}

std::wstring CStringConverter::FromUtf8(const std::string& strUtf8) {
    return CStringConverter(strUtf8, UTF8).GetUtf16();
}
