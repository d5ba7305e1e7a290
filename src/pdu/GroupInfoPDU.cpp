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
    if (!ReadRequiredText(pRoot, "grouphandle", m_strGroupHandle,
                          L"!GroupHandleElem || !GroupHandleElem->GetText()"))
        return false;
    return ReadRequiredElement(pRoot, "groupname", m_strGroupName, L"!GroupNameElem");
}
