#include "pdu/GroupInfoPDU.h"

CGroupInfoPDU::CGroupInfoPDU() : CChatXMLPDU(PDU_GROUP_INFO, L"CGroupInfoPDU") {}

bool CGroupInfoPDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "grouphandle", m_strGroupHandle, false);
        AddTextElement(pRoot, "groupname", m_strGroupName, true);
    });
}

bool CGroupInfoPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CGroupInfoPDU::ReadBody(const TiXmlElement* pRoot) {
    if (!ReadRequiredText(pRoot, "grouphandle", m_strGroupHandle,
                          L"!GroupHandleElem || !GroupHandleElem->GetText()"))
        return false;
    return ReadRequiredElement(pRoot, "groupname", m_strGroupName, L"!GroupNameElem");
}
