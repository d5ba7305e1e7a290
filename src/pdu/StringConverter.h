// One string held in up to three forms: the system's ANSI code page, UTF-8 and UTF-16. It is
// built from one of them; the others are produced on first request, always through UTF-16
// (ANSI -> UTF-16 -> UTF-8, UTF-8 -> UTF-16 -> ANSI), and kept until the converter dies.
// Conversions use the platform's code-page functions: malformed input yields replacement
// characters, never a failure, and a string that cannot be converted reads as empty.
#pragma once

#include <optional>
#include <string>

class CStringConverter {
public:
    enum NarrowForm { ANSI, UTF8 };

    // A null pointer is the empty string.
    explicit CStringConverter(const wchar_t* lpszUtf16);
    explicit CStringConverter(const std::wstring& strUtf16);
    CStringConverter(const char* lpsz, NarrowForm form);
    CStringConverter(const std::string& str, NarrowForm form);

    const std::string& GetAnsi() const;
    const std::string& GetUtf8() const;
    const std::wstring& GetUtf16() const;

    // One-step helpers for the common PDU field conversions.
    static std::string ToUtf8(const std::wstring& strUtf16);
    static std::wstring FromUtf8(const std::string& strUtf8);

private:
    mutable std::optional<std::string> m_strAnsi;
    mutable std::optional<std::string> m_strUtf8;
    mutable std::optional<std::wstring> m_strUtf16;
};
