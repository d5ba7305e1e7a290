// Type 10, received only (from the host's configuration): the primary customer's node id.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CPrimCustNodeIdPDU : public CChatXMLPDU {
public:
    CPrimCustNodeIdPDU();

    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    DWORD GetPrimCustNodeId() const { return DwordFromDecimal(m_strNodeId); }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strNodeId;
};
