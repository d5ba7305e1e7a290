#include "pdu/FAQContentPDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class CRecordingSink : public IFAQItemSink {
public:
    void AddFAQItem(std::unique_ptr<FAQItem> pItem) override {
        EXPECT_EQ(0, m_nCompleted) << "item after the end of the list";
        m_Items.push_back(std::move(pItem));
    }
    void OnFAQListComplete() override { ++m_nCompleted; }

    std::vector<std::unique_ptr<FAQItem>> m_Items;
    int m_nCompleted = 0;
};

std::string Faq(const std::string& strChildren) {
    return "<faq>" + strChildren + "</faq>";
}

std::string Nested(int nLevels) {
    std::string s;
    for (int i = 0; i < nLevels; ++i)
        s += "<a>";
    return s;
}

} // namespace

TEST(FAQContentPDU, CompleteItemsInOrderIncompleteOnesSkipped) {
    const std::string text = Doc(
        7, Faq("<index>1</index><faqn>Hello</faqn><faqc><![CDATA[Hello {fname}!]]></faqc>") +
               Faq("<index>2</index><faqn>Broken</faqn>") + "<other/>" +
               Faq("<faqc>Bye "
                   "\xD0\x91</faqc><faqn>\xE3\x81\x95\xE3\x82\x88\xE3\x81\x86\xE3\x81\xAA\xE3\x82\x89</faqn>"
                   "<index>3</index>") +
               Faq("<index/><faqn>n</faqn><faqc>c</faqc>") + Faq("<index>5</index><faqn/><faqc>c</faqc>"));
    CRecordingSink sink;
    TraceCapture capture;
    CFAQContentPDU pdu(&sink);
    ASSERT_TRUE(pdu.ParseXMLPDU(text));
    EXPECT_THAT(capture.Lines(), IsEmpty());
    ASSERT_EQ(2u, sink.m_Items.size());
    EXPECT_EQ(1, sink.m_Items[0]->m_nIndex);
    EXPECT_EQ(L"Hello", sink.m_Items[0]->m_strName);
    EXPECT_EQ(L"Hello {fname}!", sink.m_Items[0]->m_strContent);
    EXPECT_EQ(3, sink.m_Items[1]->m_nIndex);
    EXPECT_EQ(L"\u3055\u3088\u3046\u306A\u3089", sink.m_Items[1]->m_strName);
    EXPECT_EQ(L"Bye \u0411", sink.m_Items[1]->m_strContent);
    EXPECT_EQ(nullptr, sink.m_Items[1]->GetEntryData());
    EXPECT_EQ(1, sink.m_nCompleted);
}

TEST(FAQContentPDU, AnEmptyListIsStillComplete) {
    CRecordingSink sink;
    CFAQContentPDU pdu(&sink);
    ASSERT_TRUE(pdu.ParseXMLPDU(Doc(7, "")));
    EXPECT_TRUE(sink.m_Items.empty());
    EXPECT_EQ(1, sink.m_nCompleted);
}

TEST(FAQContentPDU, NoSinkOrNoTextIsRefusedSilently) {
    TraceCapture capture;
    CFAQContentPDU noSink(nullptr);
    EXPECT_FALSE(noSink.ParseXMLPDU(Doc(7, Faq("<index>1</index><faqn>a</faqn><faqc>b</faqc>"))));
    CRecordingSink sink;
    CFAQContentPDU empty(&sink);
    EXPECT_FALSE(empty.ParseXMLPDU(std::string()));
    // The inherited entry point parses nothing.
    CChatXMLPDU& base = empty;
    EXPECT_FALSE(base.ParseXMLPDU(Doc(7, "")));
    EXPECT_THAT(capture.Lines(), IsEmpty());
    EXPECT_EQ(0, sink.m_nCompleted);
}

TEST(FAQContentPDU, CommonFailuresAreTracedAndNothingIsDelivered) {
    const std::wstring prefix = L"Fail: CFAQContentPDU::ParseXMLPDU: ";
    const FailCase cases[] = {
        {"not XML", "faq", prefix + L"Error()"},
        {"no chat", "<faq/>", prefix + L"!node"},
        {"chat is a comment", "<!--chat-->", prefix + L"!RootElement"},
        {"other type", Doc(8, Faq("<index>1</index><faqn>a</faqn><faqc>b</faqc>")), prefix + L"!bRet"},
        {"too deep", Doc(7, Nested(40)), prefix + L"nesting depth > 32"},
    };
    for (const FailCase& c : cases) {
        CRecordingSink sink;
        TraceCapture capture;
        CFAQContentPDU pdu(&sink);
        EXPECT_FALSE(pdu.ParseXMLPDU(c.strBuffer)) << c.lpszName;
        EXPECT_THAT(FailLines(capture), ElementsAre(c.strLine)) << c.lpszName;
        EXPECT_TRUE(sink.m_Items.empty());
        EXPECT_EQ(0, sink.m_nCompleted) << c.lpszName;
    }
}

TEST(FAQItem, StartsUnsetAndOwnsItsEntryData) {
    FAQItem item;
    EXPECT_EQ(-1, item.m_nIndex);
    EXPECT_EQ(nullptr, item.GetEntryData());
    auto pFirst = std::make_unique<FAQEntryData>();
    pFirst->dwFAQIndex = 4;
    item.SetEntryData(std::move(pFirst));
    EXPECT_EQ(4u, item.GetEntryData()->dwFAQIndex);
    EXPECT_EQ(1u, item.GetEntryData()->dwKind);
    EXPECT_EQ(0u, item.GetEntryData()->dwReserved);
    item.SetEntryData(std::make_unique<FAQEntryData>());
    EXPECT_EQ(0u, item.GetEntryData()->dwFAQIndex);
}
