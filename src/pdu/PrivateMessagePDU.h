// Type 2: a private message from one user to another, sent directly to the receiver.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CPrivateMessagePDU : public CChatXMLPDU {
public:
    CPrivateMessagePDU();

    bool GenerateXMLPDU() override;
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    void SetSendId(DWORD dwUserId) { m_strSendId = DecimalFromDword(dwUserId); }
    DWORD GetSendId() const { return DwordFromDecimal(m_strSendId); }
    void SetSenderName(const std::string& strName) { m_strSenderName = strName; }
    std::string GetSenderName() const { return m_strSenderName; }
    void SetRecId(DWORD dwUserId) { m_strRecId = DecimalFromDword(dwUserId); }
    DWORD GetRecId() const { return DwordFromDecimal(m_strRecId); }
    void SetReceiverName(const std::string& strName) { m_strReceiverName = strName; }
    std::string GetReceiverName() const { return m_strReceiverName; }
    void SetMessageText(const std::string& strText) { m_strMessage = strText; }
    std::string GetMessageText() const { return m_strMessage; }
    // "msgid": names the message among all that its sender sends, so that copies of it in the
    // customer's history are told apart from a message said twice. Older senders leave it out.
    void SetMessageId(const std::string& strId) { m_strMessageId = strId; }
    std::string GetMessageId() const { return m_strMessageId; }
    // "custcopy" 1: the sender itself copies the message into the customer's history, so its
    // receiver does not.
    void SetSenderCopies(bool bCopies) { m_strSenderCopies = bCopies ? "1" : ""; }
    bool SenderCopies() const { return m_strSenderCopies == "1"; }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strSendId;
    std::string m_strSenderName;
    std::string m_strRecId;
    std::string m_strReceiverName;
    std::string m_strMessage;
    std::string m_strMessageId;
    std::string m_strSenderCopies;
};
