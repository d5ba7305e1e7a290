#include "pdu/CustomerIdPDU.h"

CCustomerIdPDU::CCustomerIdPDU() : CChatXMLPDU(PDU_CUSTOMER_ID, L"CCustomerIdPDU") {}

bool CCustomerIdPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    return ReadRequiredText(pRoot, "customerid", m_strCustomerId,
                            L"!CustomerIdElem || !CustomerIdElem->GetText()");
}
