#include "pdu/FAQMacroInfoPDU.h"

CFAQMacroInfoPDU::CFAQMacroInfoPDU() : CChatXMLPDU(PDU_FAQ_MACRO_INFO, L"CFAQMacroInfoPDU") {}

bool CFAQMacroInfoPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CFAQMacroInfoPDU::ReadBody(const TiXmlElement* pRoot) {
    ReadChildText(pRoot, "fname", m_strFirstName);
    ReadChildText(pRoot, "lname", m_strLastName);
    ReadChildText(pRoot, "phone", m_strPhone);
    ReadChildText(pRoot, "email", m_strEmail);
    return true;
}
