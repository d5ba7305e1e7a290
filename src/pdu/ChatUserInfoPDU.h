// Type 4: a user's id and name, kept in the user-information cache so that late joiners can
// still name the senders of old messages.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CChatUserInfoPDU : public CChatXMLPDU {
public:
    CChatUserInfoPDU();

    bool GenerateXMLPDU() override;
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    void SetUserId(DWORD dwUserId) { m_strUserId = DecimalFromDword(dwUserId); }
    std::string GetUserId() const { return m_strUserId; }
    void SetName(const std::string& strName) { m_strName = strName; }
    std::string GetName() const { return m_strName; }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strUserId;
    std::string m_strName;
};
