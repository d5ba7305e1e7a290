// Type 8, received only (from the host's configuration): the customer's name, phone and
// e-mail, which replace the macros of the FAQ quick phrases.
#pragma once

#include "pdu/ChatXMLPDU.h"

class CFAQMacroInfoPDU : public CChatXMLPDU {
public:
    CFAQMacroInfoPDU();

    // All four elements are optional; an absent one leaves its field empty.
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    std::string GetFirstName() const { return m_strFirstName; }
    std::string GetLastName() const { return m_strLastName; }
    std::string GetPhone() const { return m_strPhone; }
    std::string GetEmail() const { return m_strEmail; }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strFirstName;
    std::string m_strLastName;
    std::string m_strPhone;
    std::string m_strEmail;
};
