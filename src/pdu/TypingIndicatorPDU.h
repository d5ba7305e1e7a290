// Type 6: the sender is typing. Sent to one node; the sender field carries a node id.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CTypingIndicatorPDU : public CChatXMLPDU {
public:
    CTypingIndicatorPDU();

    // Both ids are written even when empty (as elements without children).
    bool GenerateXMLPDU() override;
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    void SetSendId(DWORD dwId) { m_strSendId = DecimalFromDword(dwId); }
    DWORD GetSendId() const { return DwordFromDecimal(m_strSendId); }
    void SetRecId(DWORD dwId) { m_strRecId = DecimalFromDword(dwId); }
    DWORD GetRecId() const { return DwordFromDecimal(m_strRecId); }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strSendId;
    std::string m_strRecId;
};
