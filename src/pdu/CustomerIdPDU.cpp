#include "pdu/CustomerIdPDU.h"

CCustomerIdPDU::CCustomerIdPDU() : CChatXMLPDU(PDU_CUSTOMER_ID, L"CCustomerIdPDU") {}

bool CCustomerIdPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CCustomerIdPDU::ReadBody(const TiXmlElement* pRoot) {
    return ReadRequiredText(pRoot, "customerid", m_strCustomerId,
                            L"!CustomerIdElem || !CustomerIdElem->GetText()");
}
