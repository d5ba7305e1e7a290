// Type 7, received only (from the host's configuration): the list of FAQ quick phrases, any
// number of "faq" elements each with "index", "faqn" (name) and "faqc" (content).
#pragma once

#include "pdu/ChatXMLPDU.h"
#include "pdu/FAQItem.h"

class CFAQContentPDU : public CChatXMLPDU {
public:
    explicit CFAQContentPDU(IFAQItemSink* pSink);

    // Hands every complete "faq" to the sink (names and contents converted from UTF-8 to
    // UTF-16), skips incomplete ones silently, and reports the end of the list, also when
    // there was no "faq". False without a sink or for an empty buffer (not traced), or when
    // the document fails the common checks. The buffer is taken by value; the const
    // reference overload inherited from the base parses nothing.
    virtual bool ParseXMLPDU(std::string strPDUBuffer);

private:
    std::unique_ptr<FAQItem> ReadItem(const TiXmlElement* pFAQ) const;

    IFAQItemSink* m_pSink;
};
