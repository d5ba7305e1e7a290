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
    });
}

bool CGroupMessagePDU::ParseXMLPDU(const std::string& strPDUBuffer) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer, true);
    if (!pRoot) return false;
    const char* lpszSendId = ChildText(pRoot, "sendid");
    if (!lpszSendId) return Fail(L"!SendIDElem || !SendIDElem->GetText()");
    m_strSendId = lpszSendId;
    ReadChildText(pRoot, "sendnodeid", m_strSendNodeId);
    ReadChildText(pRoot, "SenderName", m_strSenderName);
    const char* lpszGroupId = ChildText(pRoot, "groupid");
    if (!lpszGroupId) return Fail(L"!GroupIDElem || !GroupIDElem->GetText()");
    m_strGroupId = lpszGroupId;
    ReadChildText(pRoot, "ReceiverName", m_strReceiverName);
    ReadChildText(pRoot, "GroupCacheId", m_strGroupCacheId);
    const TiXmlElement* pMessage = pRoot->FirstChildElement("message");
    if (!pMessage) return Fail(L"!MessageContentElem");
    ReadText(pMessage, m_strMessage);
    return true;
}
