// Type 1: a group's name and the handle of its cache, written into the group's cache.
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/Decimal.h"

class CGroupInfoPDU : public CChatXMLPDU {
public:
    CGroupInfoPDU();

    bool GenerateXMLPDU() override;
    bool ParseXMLPDU(const std::string& strPDUBuffer) override;

    void SetGroupHandle(DWORD dwHandle) { m_strGroupHandle = DecimalFromDword(dwHandle); }
    DWORD GetGroupHandle() const { return DwordFromDecimal(m_strGroupHandle); }
    void SetGroupName(const std::string& strName) { m_strGroupName = strName; }
    std::string GetGroupName() const { return m_strGroupName; }

protected:
    bool ReadBody(const TiXmlElement* pRoot) override;

private:
    std::string m_strGroupHandle;
    std::string m_strGroupName;
};
