#include "pdu/GroupMessagePDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

void FillAnnToEveryone(CGroupMessagePDU& pdu) {
    pdu.SetSendId(1001);
    pdu.SetSendNodeId(77);
    pdu.SetSenderName("Ann");
    pdu.SetGroupId(15);
    pdu.SetReceiverName("Everyone");
    pdu.SetMessageText("Hi & bye");
}

} // namespace

TEST(GroupMessagePDU, WorkedExampleByteForByte) {
    TraceCapture capture;
    CGroupMessagePDU pdu;
    FillAnnToEveryone(pdu);
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ(
        "<chat ver=\"1.0\"><mtype>3</mtype><sendid>1001</sendid><sendnodeid>77</sendnodeid>"
        "<SenderName><![CDATA[Ann]]></SenderName><groupid>15</groupid>"
        "<ReceiverName><![CDATA[Everyone]]></ReceiverName><message><![CDATA[Hi & bye]]></message></chat>",
        pdu.GetXMLText());
    // No cache item id yet: no element, no trace line.
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(GroupMessagePDU, CacheIdIsWrittenAndTraced) {
    TraceCapture capture;
    CGroupMessagePDU pdu;
    pdu.SetSendId(1001);
    pdu.SetGroupId(15);
    pdu.SetGroupCacheId(42);
    pdu.SetMessageText("m");
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ(Doc(3, "<sendid>1001</sendid><groupid>15</groupid><GroupCacheId>42</GroupCacheId>"
                     "<message><![CDATA[m]]></message>"),
              pdu.GetXMLText());
    EXPECT_THAT(capture.Lines(), ElementsAre(L"CGroupMessagePDU::GenerateXMLPDU: m_dwGroupCacheId=42"));

    CGroupMessagePDU received;
    ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
    EXPECT_EQ(42u, received.GetGroupCacheId());
}

TEST(GroupMessagePDU, CacheIdTextSetsTheTextOnly) {
    CGroupMessagePDU pdu;
    pdu.SetSendId(1);
    pdu.SetGroupId(2);
    pdu.SetGroupCacheIdText("3000000000");
    EXPECT_EQ(3000000000u, pdu.GetGroupCacheId());
    TraceCapture capture;
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_NE(std::string::npos, pdu.GetXMLText().find("<GroupCacheId>3000000000</GroupCacheId>"));
    // The number was never set.
    EXPECT_THAT(capture.Lines(), ElementsAre(L"CGroupMessagePDU::GenerateXMLPDU: m_dwGroupCacheId=0"));
}

TEST(GroupMessagePDU, RoundTripAndTheAlternativeBuild) {
    CGroupMessagePDU pdu;
    FillAnnToEveryone(pdu);
    pdu.SetGroupCacheId(0xFFFFFFFFu);
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    CGroupMessagePDU received;
    ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
    EXPECT_EQ(1001u, received.GetSendId());
    EXPECT_EQ(77u, received.GetSendNodeId());
    EXPECT_EQ("Ann", received.GetSenderName());
    EXPECT_EQ(15u, received.GetGroupId());
    EXPECT_EQ("Everyone", received.GetReceiverName());
    EXPECT_EQ(0xFFFFFFFFu, received.GetGroupCacheId());
    EXPECT_EQ("Hi & bye", received.GetMessageText());

    CGroupMessagePDU alternative;
    ASSERT_TRUE(alternative.ParseXMLPDU(
        Doc(3, "<message><![CDATA[x]]></message><groupid>15</groupid><other/><sendid>1001</sendid>", "2.0")));
    EXPECT_EQ(0u, alternative.GetSendNodeId());
    EXPECT_EQ(0u, alternative.GetGroupCacheId());
    EXPECT_EQ("", alternative.GetSenderName());
    EXPECT_EQ("x", alternative.GetMessageText());
}

TEST(GroupMessagePDU, EachFailureHasItsLine) {
    const std::wstring prefix = L"Fail: CGroupMessagePDU::ParseXMLPDU: ";
    const FailCase cases[] = {
        {"empty buffer", "", prefix + L"strPDUBuffer.empty()"},
        {"no sendid", Doc(3, "<groupid>15</groupid><message/>"),
         prefix + L"!SendIDElem || !SendIDElem->GetText()"},
        {"no groupid", Doc(3, "<sendid>1</sendid><message/>"),
         prefix + L"!GroupIDElem || !GroupIDElem->GetText()"},
        {"empty groupid", Doc(3, "<sendid>1</sendid><groupid/><message/>"),
         prefix + L"!GroupIDElem || !GroupIDElem->GetText()"},
        {"no message", Doc(3, "<sendid>1</sendid><groupid>15</groupid>"), prefix + L"!MessageContentElem"},
    };
    ExpectEachFailure<CGroupMessagePDU>(cases);
}
