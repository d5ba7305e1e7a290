#include "pdu/GroupMessagePDU.h"

#include "trace/Trace.h"

CGroupMessagePDU::CGroupMessagePDU() : CChatXMLPDU(PDU_GROUP_MESSAGE, L"CGroupMessagePDU") {}

void CGroupMessagePDU::SetGroupCacheId(DWORD dwCacheId) {
    m_dwGroupCacheId = dwCacheId;
    m_strGroupCacheId = DecimalFromDword(dwCacheId);
}

bool CGroupMessagePDU::GenerateXMLPDU() {
    return BuildDocument([this](TiXmlElement* pRoot) {
        AddTextElement(pRoot, "sendid", m_strSendId, false);
        AddTextElement(pRoot, "sendnodeid", m_strSendNodeId, false);
        AddTextElement(pRoot, "SenderName", m_strSenderName, true);
        AddTextElement(pRoot, "groupid", m_strGroupId, false);
        AddTextElement(pRoot, "ReceiverName", m_strReceiverName, true);
        if (!m_strGroupCacheId.empty()) {
            AddTextElement(pRoot, "GroupCacheId", m_strGroupCacheId, false);
            Trace(L"CGroupMessagePDU::GenerateXMLPDU: m_dwGroupCacheId=%d", m_dwGroupCacheId);
        }
        AddTextElement(pRoot, "message", m_strMessage, true);
        AddTextElement(pRoot, "custcopy", m_strSenderCopies, false);
    });
}

bool CGroupMessagePDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    return ParseBuffer(strPDUBuffer, true);
}

bool CGroupMessagePDU::ReadBody(const TiXmlElement* pRoot) {
    if (!ReadRequiredText(pRoot, "sendid", m_strSendId, FAIL_SEND_ID)) return false;
    ReadChildText(pRoot, "sendnodeid", m_strSendNodeId);
    ReadChildText(pRoot, "SenderName", m_strSenderName);
    if (!ReadRequiredText(pRoot, "groupid", m_strGroupId, L"!GroupIDElem || !GroupIDElem->GetText()"))
        return false;
    ReadChildText(pRoot, "ReceiverName", m_strReceiverName);
    ReadChildText(pRoot, "GroupCacheId", m_strGroupCacheId);
    ReadChildText(pRoot, "custcopy", m_strSenderCopies);
    return ReadRequiredElement(pRoot, "message", m_strMessage, L"!MessageContentElem");
}
