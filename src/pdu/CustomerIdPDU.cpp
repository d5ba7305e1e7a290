#include "pdu/CustomerIdPDU.h"

CCustomerIdPDU::CCustomerIdPDU() : CChatXMLPDU(PDU_CUSTOMER_ID, L"CCustomerIdPDU") {}

bool CCustomerIdPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    const char* lpszCustomerId = ChildText(pRoot, "customerid");
    if (!lpszCustomerId) return Fail(L"!CustomerIdElem || !CustomerIdElem->GetText()");
    m_strCustomerId = lpszCustomerId;
    return true;
}
