#include "pdu/TransferMessagePDU.h"

CTransferMessagePDU::CTransferMessagePDU() : CChatXMLPDU(PDU_TRANSFER_MESSAGE, L"CTransferMessagePDU") {}

bool CTransferMessagePDU::IsPlainTextSubType() const {
    switch (GetSubType()) {
    case 1:
    case 6:
    case 7:
    case 8:
    case 9: return true;
    default: return false;
    }
}

bool CTransferMessagePDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "sendid", m_strSendId, false);
        AddTextElement(pRoot, "recid", m_strRecId, false);
        TiXmlElement* pInfo = AppendElement(pRoot, "messageinfo");
        AddTextElement(pInfo, "stype", m_strSubType, false);
        AddTextElement(pInfo, "option", m_strOption, false);
        AddTextElement(pInfo, "message", m_strMessage, !IsPlainTextSubType());
    });
}

bool CTransferMessagePDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    const char* lpszSendId = ChildText(pRoot, "sendid");
    if (!lpszSendId) return Fail(L"!SendIDElem || !SendIDElem->GetText()");
    m_strSendId = lpszSendId;
    const char* lpszRecId = ChildText(pRoot, "recid");
    if (!lpszRecId) return Fail(L"!ReveIDElem || !ReveIDElem->GetText()");
    m_strRecId = lpszRecId;
    const TiXmlElement* pInfo = pRoot->FirstChildElement("messageinfo");
    if (!pInfo) return Fail(L"!MessageInfoElem");
    const char* lpszSubType = ChildText(pInfo, "stype");
    if (!lpszSubType) return Fail(L"!SubTypeElem || !SubTypeElem->GetText()");
    m_strSubType = lpszSubType;
    ReadChildText(pInfo, "option", m_strOption);
    const TiXmlElement* pMessage = pInfo->FirstChildElement("message");
    if (!pMessage) return Fail(L"!SubMessageElem");
    ReadText(pMessage, m_strMessage);
    return true;
}
