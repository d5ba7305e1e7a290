#include "pdu/GroupInfoPDU.h"

CGroupInfoPDU::CGroupInfoPDU() : CChatXMLPDU(PDU_GROUP_INFO, L"CGroupInfoPDU") {}

bool CGroupInfoPDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "grouphandle", m_strGroupHandle, false);
        AddTextElement(pRoot, "groupname", m_strGroupName, true);
    });
}

bool CGroupInfoPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    const char* lpszHandle = ChildText(pRoot, "grouphandle");
    if (!lpszHandle) return Fail(L"!GroupHandleElem || !GroupHandleElem->GetText()");
    m_strGroupHandle = lpszHandle;
    const TiXmlElement* pName = pRoot->FirstChildElement("groupname");
    if (!pName) return Fail(L"!GroupNameElem");
    ReadText(pName, m_strGroupName);
    return true;
}
