#include "pdu/PrivateMessagePDU.h"

CPrivateMessagePDU::CPrivateMessagePDU() : CChatXMLPDU(PDU_PRIVATE_MESSAGE, L"CPrivateMessagePDU") {}

bool CPrivateMessagePDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "sendid", m_strSendId, false);
        AddTextElement(pRoot, "SenderName", m_strSenderName, true);
        AddTextElement(pRoot, "recid", m_strRecId, false);
        AddTextElement(pRoot, "ReceiverName", m_strReceiverName, true);
        AddTextElement(pRoot, "message", m_strMessage, true);
    });
}

bool CPrivateMessagePDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    const char* lpszSendId = ChildText(pRoot, "sendid");
    if (!lpszSendId) return Fail(L"!SendIDElem || !SendIDElem->GetText()");
    m_strSendId = lpszSendId;
    ReadChildText(pRoot, "SenderName", m_strSenderName);
    const char* lpszRecId = ChildText(pRoot, "recid");
    if (!lpszRecId) return Fail(L"!ReveIDElem || !ReveIDElem->GetText()");
    m_strRecId = lpszRecId;
    ReadChildText(pRoot, "ReceiverName", m_strReceiverName);
    const TiXmlElement* pMessage = pRoot->FirstChildElement("message");
    if (!pMessage) return Fail(L"!MessageContentElem");
    ReadText(pMessage, m_strMessage);
    return true;
}
