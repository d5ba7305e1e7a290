// CMainChatDlg, engine side: the history roster, the names of users who have left, read back
// from the user-info cache so that old messages can still name their senders.
#include "window/MainChatDlg.h"

#include "pdu/ChatUserInfoPDU.h"
#include "pdu/Decimal.h"
#include "pdu/StringConverter.h"
#include "trace/Trace.h"

#include <new>

void CMainChatDlg::RequestHistoryUserRoster() {
    Trace(L"/**** CMainChatDlg::RequestHistoryUserRoster() Enter ****/");
    // The user-info cache's handle comes with the shared caches; without it nothing is asked.
    if (m_status.m_pArmNC && m_status.m_dwUserInfoCacheHandle)
        m_status.m_pArmNC->CacheAction(m_status.m_apeHandle, m_status.m_dwUserInfoCacheHandle, 0,
                                       QXNC_CACHE_READ, 255, m_sinks.SharedData());
    Trace(L"/=== CMainChatDlg::RequestHistoryUserRoster() Exit ====/");
}

int CMainChatDlg::HandleHistoryUserRoster(const std::string& strText) {
    Trace(L"/**** CMainChatDlg::HandleHistoryUserRoster() Enter ****/");
    std::unique_ptr<CChatUserInfoPDU> pUserInfo(new (std::nothrow) CChatUserInfoPDU());
    if (!pUserInfo || !pUserInfo->ParseXMLPDU(strText)) return 1;
    m_HistoryRoster.push_back(std::move(pUserInfo));
    Trace(L"/=== CMainChatDlg::HandleHistoryUserRoster() Exit ====/");
    return 0;
}

bool CMainChatDlg::GetHistoryUserName(DWORD dwUserId, std::wstring& strName) const {
    for (const auto& pUserInfo : m_HistoryRoster) {
        if (DwordFromDecimal(pUserInfo->GetUserId()) != dwUserId) continue;
        strName = CStringConverter::FromUtf8(pUserInfo->GetName());
        return true;
    }
    return false;
}
