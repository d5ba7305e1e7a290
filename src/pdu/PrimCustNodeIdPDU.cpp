#include "pdu/PrimCustNodeIdPDU.h"

CPrimCustNodeIdPDU::CPrimCustNodeIdPDU() : CChatXMLPDU(PDU_PRIM_CUST_NODE_ID, L"CPrimCustNodeIdPDU") {}

bool CPrimCustNodeIdPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CPrimCustNodeIdPDU::ReadBody(const TiXmlElement* pRoot) {
    return ReadRequiredText(pRoot, "primcust", m_strNodeId, L"!NodeIdElem || !NodeIdElem->GetText()");
}
