#include "pdu/TypingIndicatorPDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"

using ::testing::ElementsAre;

TEST(TypingIndicatorPDU, WorkedExamplesByteForByte) {
    CTypingIndicatorPDU pdu;
    pdu.SetSendId(7);
    pdu.SetRecId(9);
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ("<chat ver=\"1.0\"><mtype>6</mtype><sendid>7</sendid><recid>9</recid></chat>",
              pdu.GetXMLText());

    CTypingIndicatorPDU noReceiver;
    noReceiver.SetSendId(7);
    ASSERT_TRUE(noReceiver.GenerateXMLPDU());
    EXPECT_EQ("<chat ver=\"1.0\"><mtype>6</mtype><sendid>7</sendid><recid /></chat>",
              noReceiver.GetXMLText());
    std::vector<std::wstring> lines;
    EXPECT_FALSE(ParseWithTrace<CTypingIndicatorPDU>(noReceiver.GetXMLText(), &lines));
    EXPECT_THAT(
        lines, ElementsAre(L"Fail: CTypingIndicatorPDU::ParseXMLPDU: !ReveIDElem || !ReveIDElem->GetText()"));

    CTypingIndicatorPDU empty;
    ASSERT_TRUE(empty.GenerateXMLPDU());
    EXPECT_EQ("<chat ver=\"1.0\"><mtype>6</mtype><sendid /><recid /></chat>", empty.GetXMLText());
}

TEST(TypingIndicatorPDU, RoundTrip) {
    CTypingIndicatorPDU pdu;
    pdu.SetSendId(0x80000001u);
    pdu.SetRecId(0);
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    CTypingIndicatorPDU received;
    ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
    EXPECT_EQ(0x80000001u, received.GetSendId());
    EXPECT_EQ(0u, received.GetRecId());
}

TEST(TypingIndicatorPDU, EachFailureHasItsLine) {
    const std::wstring prefix = L"Fail: CTypingIndicatorPDU::ParseXMLPDU: ";
    const FailCase cases[] = {
        {"no sendid", Doc(6, "<recid>9</recid>"), prefix + L"!SendIDElem || !SendIDElem->GetText()"},
        {"empty sendid", Doc(6, "<sendid /><recid>9</recid>"),
         prefix + L"!SendIDElem || !SendIDElem->GetText()"},
        {"no recid", Doc(6, "<sendid>7</sendid>"), prefix + L"!ReveIDElem || !ReveIDElem->GetText()"},
    };
    ExpectEachFailure<CTypingIndicatorPDU>(cases);
}
