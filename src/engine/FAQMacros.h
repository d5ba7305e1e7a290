// The quick phrases' placeholders: which participant's contact data fills them, and how a
// picked phrase has its macros replaced. Plain functions, so that every rule can be checked
// without a window.
#pragma once

#include <windows.h>
#include <string>

// The contact data that fills the macros ("FName", "LName", "Phone", "Email").
struct FAQMacroValues {
    std::wstring strFirstName;
    std::wstring strLastName;
    std::wstring strPhone;
    std::wstring strEmail;

    bool AllEmpty() const {
        return strFirstName.empty() && strLastName.empty() && strPhone.empty() && strEmail.empty();
    }
};

// The macros, case-sensitive, in the order they are replaced.
extern const wchar_t kMacroFirstName[];
extern const wchar_t kMacroLastName[];
extern const wchar_t kMacroPhoneNumber[];
extern const wchar_t kMacroEmailAddress[];

// The longest text a replacement builds. Values come from other participants, and values that
// contain the macros multiply at every step; the input box takes far less than this anyway.
const size_t MAX_FAQ_MACRO_TEXT = 1024 * 1024;

// Every occurrence of strMacro, searched from the start, becomes strValue; the search goes on
// after the inserted value, so a value that contains the macro is inserted once. An empty value
// (or macro) leaves the text as it is. The result is cut at MAX_FAQ_MACRO_TEXT characters.
void QxReplaceFAQMacro(std::wstring& strText, const std::wstring& strMacro, const std::wstring& strValue);

// The four macros replaced in order. With every value empty the text is returned unchanged.
std::wstring QxApplyFAQMacros(const std::wstring& strContent, const FAQMacroValues& values);

// The text cut to at most nMax UTF-16 units, never between the two halves of a surrogate pair.
std::wstring QxClipText(std::wstring strText, size_t nMax);

// The node id whose contact data fills the macros: in meeting type 3 always the primary
// customer; otherwise the primary customer for a group entry (kind 2) when one is configured,
// the chosen participant's node for a user entry (kind 1), else 0.
DWORD QxMacroTargetNode(DWORD dwEntryKind, DWORD dwUserNodeId, DWORD dwPrimCustNodeId, LONG lMeetingType);
