#include "pdu/RosterInfoPDU.h"

CRosterInfoPDU::CRosterInfoPDU() : CChatXMLPDU(PDU_ROSTER_INFO, L"CRosterInfoPDU") {}

bool CRosterInfoPDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "NodeID", m_strNodeId, false);
        AddTextElement(pRoot, "UserName", m_strName, true);
        AddTextElement(pRoot, "RoleSet", m_strRoleSet, false);
        AddTextElement(pRoot, "Visible", m_strVisible, false);
        AddTextElement(pRoot, "UserType", m_strUserType, false);
        AddTextElement(pRoot, "FName", m_strFirstName, true);
        AddTextElement(pRoot, "LName", m_strLastName, true);
        AddTextElement(pRoot, "Phone", m_strPhone, false);
        AddTextElement(pRoot, "Email", m_strEmail, true);
        AddTextElement(pRoot, "GuestID", m_strGuestId, false);
    });
}

bool CRosterInfoPDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CRosterInfoPDU::ReadBody(const TiXmlElement* pRoot) {
    ReadChildText(pRoot, "NodeID", m_strNodeId);
    ReadChildText(pRoot, "UserName", m_strName);
    ReadChildText(pRoot, "RoleSet", m_strRoleSet);
    ReadChildText(pRoot, "Visible", m_strVisible);
    ReadChildText(pRoot, "UserType", m_strUserType);
    ReadChildText(pRoot, "FName", m_strFirstName);
    ReadChildText(pRoot, "LName", m_strLastName);
    ReadChildText(pRoot, "Phone", m_strPhone);
    ReadChildText(pRoot, "Email", m_strEmail);
    ReadChildText(pRoot, "GuestID", m_strGuestId);
    return true;
}
