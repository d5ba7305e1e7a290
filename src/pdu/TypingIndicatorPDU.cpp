#include "pdu/TypingIndicatorPDU.h"

CTypingIndicatorPDU::CTypingIndicatorPDU() : CChatXMLPDU(PDU_TYPING_INDICATOR, L"CTypingIndicatorPDU") {}

bool CTypingIndicatorPDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddAlwaysElement(pRoot, "sendid", m_strSendId);
        AddAlwaysElement(pRoot, "recid", m_strRecId);
    });
}

bool CTypingIndicatorPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CTypingIndicatorPDU::ReadBody(const TiXmlElement* pRoot) {
    if (!ReadRequiredText(pRoot, "sendid", m_strSendId, FAIL_SEND_ID)) return false;
    return ReadRequiredText(pRoot, "recid", m_strRecId, FAIL_REC_ID);
}
