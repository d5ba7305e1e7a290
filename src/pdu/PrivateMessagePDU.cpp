#include "pdu/PrivateMessagePDU.h"

CPrivateMessagePDU::CPrivateMessagePDU() : CChatXMLPDU(PDU_PRIVATE_MESSAGE, L"CPrivateMessagePDU") {}

bool CPrivateMessagePDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "sendid", m_strSendId, false);
        AddTextElement(pRoot, "SenderName", m_strSenderName, true);
        AddTextElement(pRoot, "recid", m_strRecId, false);
        AddTextElement(pRoot, "ReceiverName", m_strReceiverName, true);
        AddTextElement(pRoot, "message", m_strMessage, true);
        AddTextElement(pRoot, "msgid", m_strMessageId, false);
        AddTextElement(pRoot, "custcopy", m_strSenderCopies, false);
    });
}

bool CPrivateMessagePDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer);
}

bool CPrivateMessagePDU::ReadBody(const TiXmlElement* pRoot) {
    if (!ReadRequiredText(pRoot, "sendid", m_strSendId, FAIL_SEND_ID)) return false;
    ReadChildText(pRoot, "SenderName", m_strSenderName);
    if (!ReadRequiredText(pRoot, "recid", m_strRecId, FAIL_REC_ID)) return false;
    ReadChildText(pRoot, "ReceiverName", m_strReceiverName);
    ReadChildText(pRoot, "msgid", m_strMessageId);
    ReadChildText(pRoot, "custcopy", m_strSenderCopies);
    return ReadRequiredElement(pRoot, "message", m_strMessage, L"!MessageContentElem");
}
