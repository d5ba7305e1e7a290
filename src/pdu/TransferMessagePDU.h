// Type 9: a typed sub-message that the host injects (a transfer message), sent to a user or
// kept in a cache. Its body sits in the container "messageinfo".
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"
#include "qxchat.h"

// Sub-types 6 and 8: highlighted lines, kept out of the customer history.
inline bool QxIsHighlightTransfer(DWORD dwType) {
    return dwType == QXCHAT_TRANSFER_HIGHLIGHT || dwType == QXCHAT_TRANSFER_HIGHLIGHT_ALT;
}

class CTransferMessagePDU : public CChatXMLPDU {
public:
    CTransferMessagePDU();

    // The message travels as CDATA, except for the sub-types 1, 6, 7, 8 and 9, whose text is
    // plain (escaped by the XML library).
    bool GenerateXMLPDU() override;
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    void SetSendId(DWORD dwUserId) { m_strSendId = DecimalFromDword(dwUserId); }
    std::string GetSendId() const { return m_strSendId; }
    void SetRecId(DWORD dwUserId) { m_strRecId = DecimalFromDword(dwUserId); }
    std::string GetRecId() const { return m_strRecId; }
    void SetSubType(DWORD dwType) { m_strSubType = DecimalFromDword(dwType); }
    DWORD GetSubType() const { return DwordFromDecimal(m_strSubType); }
    void SetOption(DWORD dwOption) { m_strOption = DecimalFromDword(dwOption); }
    std::string GetOption() const { return m_strOption; }
    void SetMessageText(const std::string& strText) { m_strMessage = strText; }
    std::string GetMessageText() const { return m_strMessage; }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    bool IsPlainTextSubType() const;

    std::string m_strSendId;
    std::string m_strRecId;
    std::string m_strSubType;
    std::string m_strOption;
    std::string m_strMessage;
};
