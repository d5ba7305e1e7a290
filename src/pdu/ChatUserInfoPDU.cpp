#include "pdu/ChatUserInfoPDU.h"

CChatUserInfoPDU::CChatUserInfoPDU() : CChatXMLPDU(PDU_CHAT_USER_INFO, L"CChatUserInfoPDU") {}

bool CChatUserInfoPDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "uid", m_strUserId, false);
        AddTextElement(pRoot, "un", m_strName, true);
    });
}

bool CChatUserInfoPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    const char* lpszUserId = ChildText(pRoot, "uid");
    if (!lpszUserId) return Fail(L"!UserIDElem || !UserIDElem->GetText()");
    m_strUserId = lpszUserId;
    const TiXmlElement* pName = pRoot->FirstChildElement("un");
    if (!pName) return Fail(L"!UserNameElem");
    ReadText(pName, m_strName);
    return true;
}
