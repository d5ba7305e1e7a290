#include "engine/RosterRules.h"

#include "participants/UserItem.h"
#include "pdu/RosterInfoPDU.h"
#include "pdu/StringConverter.h"
#include "trace/Trace.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr wchar_t kRecordingUserName[] = L"tlm_ssr_987_recorder-654";

std::wstring Utf16(const std::string& strUtf8) {
    return CStringConverter::FromUtf8(strUtf8);
}

} // namespace

DWORD QxRosterFlags(LONG lNeedRosterInfo, LONG lBroadcastRosterInfo) {
    return (lNeedRosterInfo ? 2u : 0u) | (lBroadcastRosterInfo ? 1u : 0u);
}

bool QxRosterValueFlips(LONG lOld, LONG lNew) {
    return (lOld == 0 && lNew == 1) || (lOld == 1 && lNew == 0);
}

QxRosterChangeRuns QxSplitRosterChange(WORD add_num, WORD remove_num, WORD change_num,
                                       const QxRosterRecord* list) {
    QxRosterChangeRuns runs;
    if (!list) return runs;
    if (add_num > 0) runs.pAdded = list;
    if (remove_num > 0) runs.pRemoved = list + add_num;
    if (change_num > 0) runs.pChanged = list + add_num + remove_num;
    return runs;
}

int QxExtractEnrollInfo(int nIndex, CUserItem* pItem, const QxRosterRecord* pRoster) {
    if (!pRoster || !pItem || !pRoster->entries || nIndex < 0 || nIndex >= pRoster->entry_count) {
        Trace(L"CMainChatDlg::ExtractEnrollInfo, pRoster or pItem is Null.");
        return -1;
    }
    const QxEnrollEntry& entry = pRoster->entries[nIndex];
    if (!entry.user_data) {
        Trace(L"CMainChatDlg::ExtractEnrollInfo, lpUserInfo is Null.");
        return -1;
    }
    if (entry.user_data_length <= 0) {
        Trace(L"CMainChatDlg::ExtractEnrollInfo, nLength <= 0.");
        return -1;
    }
    // A terminating zero inside the data ends the text, as it would for any reader of the bytes.
    const char* const pEnd = entry.user_data + entry.user_data_length;
    std::string strText;
    try {
        strText.assign(entry.user_data, std::find(entry.user_data, pEnd, '\0'));
    } catch (const std::bad_alloc&) {
        Trace(L"CMainChatDlg::ExtractEnrollInfo, lpszUserInfo is Null.");
        return -1;
    }
    std::unique_ptr<CRosterInfoPDU> pRosterInfo(new (std::nothrow) CRosterInfoPDU());
    if (!pRosterInfo) {
        Trace(L"CMainChatDlg::ExtractEnrollInfo, pRosterInfo is Null.");
        return -1;
    }
    pItem->m_dwUserId = entry.user_id;
    pItem->m_dwNodeId = entry.node_id;
    pItem->m_ItemData.InitUser(entry.user_id);
    if (!pRosterInfo->ParseXMLPDU(strText)) {
        Trace(L"CMainChatDlg::ExtractEnrollInfo, ParseXMLPDU return FALSE.");
        return 0;
    }
    if (!pRosterInfo->GetName().empty()) {
        pItem->m_strName = Utf16(pRosterInfo->GetName());
        Trace(L"Macro User Name: %s", pItem->m_strName.c_str());
    }
    pItem->m_dwRosterInfo = pRosterInfo->GetRoleSet();
    pItem->m_lVisible = pRosterInfo->GetVisible();
    pItem->m_lUserType = static_cast<LONG>(pRosterInfo->GetUserType());
    struct Macro {
        std::string strValue;
        std::wstring* pField;
        const wchar_t* lpszFormat;
    };
    const Macro macros[] = {
        {pRosterInfo->GetFirstName(), &pItem->m_strFirstName, L"Macro First Name: %s"},
        {pRosterInfo->GetLastName(), &pItem->m_strLastName, L"Macro Last Name: %s"},
        {pRosterInfo->GetPhone(), &pItem->m_strPhone, L"Macro Phone Number: %s"},
        {pRosterInfo->GetEmail(), &pItem->m_strEmail, L"Macro Email Address: %s"},
    };
    for (const Macro& macro : macros) {
        if (macro.strValue.empty()) continue;
        *macro.pField = Utf16(macro.strValue);
        Trace(macro.lpszFormat, macro.pField->c_str());
    }
    pItem->m_dwCustomerId = pRosterInfo->GetGuestId();
    Trace(L"Customer Id: %d", pItem->m_dwCustomerId);
    return 0;
}

bool QxIsRecordingUser(const std::wstring& strName) {
    return strName == kRecordingUserName;
}
