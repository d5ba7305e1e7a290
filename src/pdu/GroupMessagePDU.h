// Type 3: a message to a group (the public chat included). Also the form in which messages
// are kept in the group caches and copied into the customer cache, where "GroupCacheId"
// carries the item's cache id.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CGroupMessagePDU : public CChatXMLPDU {
public:
    CGroupMessagePDU();

    bool GenerateXMLPDU() override;
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    void SetSendId(DWORD dwUserId) { m_strSendId = DecimalFromDword(dwUserId); }
    DWORD GetSendId() const { return DwordFromDecimal(m_strSendId); }
    void SetSendNodeId(DWORD dwNodeId) { m_strSendNodeId = DecimalFromDword(dwNodeId); }
    DWORD GetSendNodeId() const { return DwordFromDecimal(m_strSendNodeId); }
    void SetSenderName(const std::string& strName) { m_strSenderName = strName; }
    std::string GetSenderName() const { return m_strSenderName; }
    void SetGroupId(DWORD dwGroupId) { m_strGroupId = DecimalFromDword(dwGroupId); }
    DWORD GetGroupId() const { return DwordFromDecimal(m_strGroupId); }
    void SetReceiverName(const std::string& strName) { m_strReceiverName = strName; }
    std::string GetReceiverName() const { return m_strReceiverName; }
    // The number sets both forms; the text (as parsed) sets the text only. 0 when absent.
    void SetGroupCacheId(DWORD dwCacheId);
    void SetGroupCacheIdText(const std::string& strCacheId) { m_strGroupCacheId = strCacheId; }
    DWORD GetGroupCacheId() const { return DwordFromDecimal(m_strGroupCacheId); }
    void SetMessageText(const std::string& strText) { m_strMessage = strText; }
    std::string GetMessageText() const { return m_strMessage; }
    // "custcopy" 1: the sender itself copies the message into the customer's history, so its
    // receivers do not. Older senders leave it out.
    void SetSenderCopies(bool bCopies) { m_strSenderCopies = bCopies ? "1" : ""; }
    bool SenderCopies() const { return m_strSenderCopies == "1"; }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strSendId;
    std::string m_strSendNodeId;
    std::string m_strSenderName;
    std::string m_strGroupId;
    std::string m_strReceiverName;
    DWORD m_dwGroupCacheId = 0;
    std::string m_strGroupCacheId;
    std::string m_strMessage;
    std::string m_strSenderCopies;
};
