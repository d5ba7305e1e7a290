// Stored group messages for the recovery benches: the items a writer appends to the everyone
// cache through its own attachment, as its sends do.
#pragma once

#include "BenchMember.h"
#include "pdu/GroupMessagePDU.h"

#include "qxmem.h"
#include "qxnodectl.h"

#include <string>

namespace bench {

// The n-th stored message of a sender, as the chat stores it.
inline std::string StoredItem(DWORD dwSender, const char* lpszSender, int n) {
    CGroupMessagePDU pdu;
    pdu.SetSendId(dwSender);
    pdu.SetSenderName(lpszSender);
    pdu.SetGroupId(CHAT_ALL_USERS_ROLE_GROUP);
    pdu.SetMessageText("stored message " + std::to_string(n) + ": the figures of the quarter, page " +
                       std::to_string(n % 40));
    pdu.GenerateXMLPDU();
    return pdu.GetXMLText();
}

inline bool Store(const Member& writer, const std::string& strItem) {
    CMainChatDlg* pDlg = writer.Dlg();
    QXMEMHANDLE hMem = nullptr;
    if (QxMemoryAlloc(static_cast<DWORD>(strItem.size()), &hMem) != 0) return false;
    DWORD dwSize = static_cast<DWORD>(strItem.size());
    QxMemoryWrite(hMem, 0, strItem.data(), &dwSize);
    const int nRet = pDlg->Status().m_pArmNC->CacheSet(pDlg->Status().m_apeHandle,
                                                       pDlg->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP),
                                                       0, 0, QXNC_CACHE_APPEND, 0, hMem, 0, 1);
    QxMemoryRelease(hMem);
    return nRet == 0;
}

} // namespace bench
