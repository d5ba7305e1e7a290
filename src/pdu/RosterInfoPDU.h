// Type 5: a participant's roster information, the enrollment data of its node.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CRosterInfoPDU : public CChatXMLPDU {
public:
    CRosterInfoPDU();

    bool GenerateXMLPDU() override;
    // Every element is optional: a bare header parses, with all fields empty.
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    void SetNodeId(DWORD dwNodeId) { m_strNodeId = DecimalFromDword(dwNodeId); }
    DWORD GetNodeId() const { return DwordFromDecimal(m_strNodeId); }
    void SetName(const std::string& strName) { m_strName = strName; }
    std::string GetName() const { return m_strName; }
    // Role bits: 1 host, 2 presenter, 4 panelist, 8 attendee.
    void SetRoleSet(DWORD dwRoles) { m_strRoleSet = DecimalFromDword(dwRoles); }
    DWORD GetRoleSet() const { return DwordFromDecimal(m_strRoleSet); }
    // 1 = listed, 0 = hidden.
    void SetVisible(LONG lVisible) { m_strVisible = DecimalFromLong(lVisible); }
    LONG GetVisible() const { return LongFromDecimal(m_strVisible); }
    void SetUserType(DWORD dwType) { m_strUserType = DecimalFromDword(dwType); }
    DWORD GetUserType() const { return DwordFromDecimal(m_strUserType); }
    void SetFirstName(const std::string& strName) { m_strFirstName = strName; }
    std::string GetFirstName() const { return m_strFirstName; }
    void SetLastName(const std::string& strName) { m_strLastName = strName; }
    std::string GetLastName() const { return m_strLastName; }
    void SetPhone(const std::string& strPhone) { m_strPhone = strPhone; }
    std::string GetPhone() const { return m_strPhone; }
    void SetEmail(const std::string& strEmail) { m_strEmail = strEmail; }
    std::string GetEmail() const { return m_strEmail; }
    // The customer id.
    void SetGuestId(DWORD dwGuestId) { m_strGuestId = DecimalFromDword(dwGuestId); }
    void SetGuestIdText(const std::string& strGuestId) { m_strGuestId = strGuestId; }
    DWORD GetGuestId() const { return DwordFromDecimal(m_strGuestId); }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strNodeId;
    std::string m_strName;
    std::string m_strRoleSet;
    std::string m_strVisible;
    std::string m_strUserType;
    std::string m_strFirstName;
    std::string m_strLastName;
    std::string m_strPhone;
    std::string m_strEmail;
    std::string m_strGuestId;
};
