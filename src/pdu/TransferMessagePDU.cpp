#include "pdu/TransferMessagePDU.h"

#include "qxchat.h"

CTransferMessagePDU::CTransferMessagePDU() : CChatXMLPDU(PDU_TRANSFER_MESSAGE, L"CTransferMessagePDU") {}

bool CTransferMessagePDU::IsPlainTextSubType() const {
    const DWORD dwType = GetSubType();
    return dwType == QXCHAT_TRANSFER_STRIP_TOP || dwType == QXCHAT_TRANSFER_STRIP_MIDDLE ||
           dwType == QXCHAT_TRANSFER_STRIP_BOTTOM || QxIsHighlightTransfer(dwType);
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
    return ParseBuffer(strPDUBuffer);
}

bool CTransferMessagePDU::ReadBody(const TiXmlElement* pRoot) {
    if (!ReadRequiredText(pRoot, "sendid", m_strSendId, FAIL_SEND_ID)) return false;
    if (!ReadRequiredText(pRoot, "recid", m_strRecId, FAIL_REC_ID)) return false;
    const TiXmlElement* pInfo = pRoot->FirstChildElement("messageinfo");
    if (!pInfo) return Fail(L"!MessageInfoElem");
    if (!ReadRequiredText(pInfo, "stype", m_strSubType, L"!SubTypeElem || !SubTypeElem->GetText()"))
        return false;
    ReadChildText(pInfo, "option", m_strOption);
    return ReadRequiredElement(pInfo, "message", m_strMessage, L"!SubMessageElem");
}
