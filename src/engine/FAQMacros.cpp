#include "engine/FAQMacros.h"

#include "participants/ChatItemData.h"
#include "qxchat.h"

const wchar_t kMacroFirstName[] = L"%FirstName%";
const wchar_t kMacroLastName[] = L"%LastName%";
const wchar_t kMacroPhoneNumber[] = L"%PhoneNumber%";
const wchar_t kMacroEmailAddress[] = L"%EmailAddress%";

void QxReplaceFAQMacro(std::wstring& strText, const std::wstring& strMacro, const std::wstring& strValue) {
    if (strValue.empty() || strMacro.empty()) return;
    size_t at = strText.find(strMacro);
    if (at == std::wstring::npos) return;
    // Built anew rather than replaced in place: a long phrase full of macros stays linear.
    std::wstring strOut;
    size_t from = 0;
    for (; at != std::wstring::npos && strOut.size() < MAX_FAQ_MACRO_TEXT;
         at = strText.find(strMacro, from)) {
        strOut.append(strText, from, at - from);
        strOut += strValue;
        from = at + strMacro.size();
    }
    if (strOut.size() < MAX_FAQ_MACRO_TEXT) strOut.append(strText, from, std::wstring::npos);
    if (strOut.size() > MAX_FAQ_MACRO_TEXT) strOut.resize(MAX_FAQ_MACRO_TEXT);
    strText.swap(strOut);
}

std::wstring QxApplyFAQMacros(const std::wstring& strContent, const FAQMacroValues& values) {
    std::wstring strText = strContent;
    if (values.AllEmpty()) return strText;
    QxReplaceFAQMacro(strText, kMacroFirstName, values.strFirstName);
    QxReplaceFAQMacro(strText, kMacroLastName, values.strLastName);
    QxReplaceFAQMacro(strText, kMacroPhoneNumber, values.strPhone);
    QxReplaceFAQMacro(strText, kMacroEmailAddress, values.strEmail);
    return strText;
}

DWORD QxMacroTargetNode(DWORD dwEntryKind, DWORD dwUserNodeId, DWORD dwPrimCustNodeId, LONG lMeetingType) {
    if (lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT) return dwPrimCustNodeId;
    if (dwPrimCustNodeId != 0 && dwEntryKind == CHAT_KIND_GROUP) return dwPrimCustNodeId;
    if (dwEntryKind == CHAT_KIND_USER) return dwUserNodeId;
    return 0;
}

std::wstring QxClipText(std::wstring strText, size_t nMax) {
    if (strText.size() <= nMax) return strText;
    strText.resize(nMax);
    if (!strText.empty() && IS_HIGH_SURROGATE(strText.back())) strText.pop_back();
    return strText;
}
