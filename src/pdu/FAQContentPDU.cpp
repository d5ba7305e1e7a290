#include "pdu/FAQContentPDU.h"

#include "pdu/Decimal.h"
#include "pdu/StringConverter.h"

CFAQContentPDU::CFAQContentPDU(IFAQItemSink* pSink)
    : CChatXMLPDU(PDU_FAQ_CONTENT, L"CFAQContentPDU"), m_pSink(pSink) {}

std::unique_ptr<FAQItem> CFAQContentPDU::ReadItem(const TiXmlElement* pFAQ) const {
    auto pItem = std::make_unique<FAQItem>();
    const char* lpszIndex = ChildText(pFAQ, "index");
    if (!lpszIndex) return nullptr;
    pItem->m_nIndex = IntFromDecimal(lpszIndex);
    const char* lpszName = ChildText(pFAQ, "faqn");
    if (!lpszName) return nullptr;
    pItem->m_strName = CStringConverter(lpszName, CStringConverter::UTF8).GetUtf16();
    const char* lpszContent = ChildText(pFAQ, "faqc");
    if (!lpszContent) return nullptr;
    pItem->m_strContent = CStringConverter(lpszContent, CStringConverter::UTF8).GetUtf16();
    return pItem;
}

bool CFAQContentPDU::ParseXMLPDU(std::string strPDUBuffer) {
    if (strPDUBuffer.empty() || !m_pSink) return false;
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer);
    if (!pRoot) return false;
    for (const TiXmlElement* pFAQ = pRoot->FirstChildElement("faq"); pFAQ;
         pFAQ = pFAQ->NextSiblingElement("faq")) {
        if (std::unique_ptr<FAQItem> pItem = ReadItem(pFAQ)) m_pSink->AddFAQItem(std::move(pItem));
    }
    m_pSink->OnFAQListComplete();
    return true;
}
