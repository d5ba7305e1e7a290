#include "pdu/TypingIndicatorPDU.h"

CTypingIndicatorPDU::CTypingIndicatorPDU() : CChatXMLPDU(PDU_TYPING_INDICATOR, L"CTypingIndicatorPDU") {}

bool CTypingIndicatorPDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddAlwaysElement(pRoot, "sendid", m_strSendId);
        AddAlwaysElement(pRoot, "recid", m_strRecId);
    });
}

bool CTypingIndicatorPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    const char* lpszSendId = ChildText(pRoot, "sendid");
    if (!lpszSendId) return Fail(L"!SendIDElem || !SendIDElem->GetText()");
    m_strSendId = lpszSendId;
    const char* lpszRecId = ChildText(pRoot, "recid");
    if (!lpszRecId) return Fail(L"!ReveIDElem || !ReveIDElem->GetText()");
    m_strRecId = lpszRecId;
    return true;
}
