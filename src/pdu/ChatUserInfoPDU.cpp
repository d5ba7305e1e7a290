#include "pdu/ChatUserInfoPDU.h"

CChatUserInfoPDU::CChatUserInfoPDU() : CChatXMLPDU(PDU_CHAT_USER_INFO, L"CChatUserInfoPDU") {}

bool CChatUserInfoPDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "uid", m_strUserId, false);
        AddTextElement(pRoot, "un", m_strName, true);
    });
}

bool CChatUserInfoPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CChatUserInfoPDU::ReadBody(const TiXmlElement* pRoot) {
    if (!ReadRequiredText(pRoot, "uid", m_strUserId, L"!UserIDElem || !UserIDElem->GetText()")) return false;
    return ReadRequiredElement(pRoot, "un", m_strName, L"!UserNameElem");
}
