#include "pdu/PrimCustNodeIdPDU.h"

CPrimCustNodeIdPDU::CPrimCustNodeIdPDU() : CChatXMLPDU(PDU_PRIM_CUST_NODE_ID, L"CPrimCustNodeIdPDU") {}

bool CPrimCustNodeIdPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    const char* lpszNodeId = ChildText(pRoot, "primcust");
    if (!lpszNodeId) return Fail(L"!NodeIdElem || !NodeIdElem->GetText()");
    m_strNodeId = lpszNodeId;
    return true;
}
