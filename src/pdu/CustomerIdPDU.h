// Type 11, received only (from the host's configuration): the customer id.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CCustomerIdPDU : public CChatXMLPDU {
public:
    CCustomerIdPDU();

    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    DWORD GetCustomerId() const { return DwordFromDecimal(m_strCustomerId); }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strCustomerId;
};
