#include "pdu/PrivateMessagePDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"
#include "pdu/StringConverter.h"

using ::testing::ElementsAre;

namespace {

const char kAnnToBob[] =
    "<chat ver=\"1.0\"><mtype>2</mtype><sendid>1001</sendid><SenderName><![CDATA[Ann]]></SenderName>"
    "<recid>1002</recid><ReceiverName><![CDATA[Bob]]></ReceiverName>"
    "<message><![CDATA[Hi & bye]]></message></chat>";

} // namespace

TEST(PrivateMessagePDU, WorkedExampleByteForByte) {
    CPrivateMessagePDU pdu;
    pdu.SetSendId(1001);
    pdu.SetSenderName("Ann");
    pdu.SetRecId(1002);
    pdu.SetReceiverName("Bob");
    pdu.SetMessageText("Hi & bye");
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ(kAnnToBob, pdu.GetXMLText());
}

TEST(PrivateMessagePDU, NonAsciiTextSurvivesTheRoundTrip) {
    const std::wstring sender = L"\u5C71\u7530 \u592A\u90CE";        // Japanese
    const std::wstring receiver = L"\u0411\u043E\u0440\u0438\u0441"; // Cyrillic
    const std::wstring text =
        L"\xD83D\xDE00 \u3053\u3093\u306B\u3061\u306F ]]> \xD83D\xDE80"; // emoji, non-BMP
    CPrivateMessagePDU pdu;
    pdu.SetSendId(0xFFFFFFF0u);
    pdu.SetSenderName(CStringConverter::ToUtf8(sender));
    pdu.SetRecId(2);
    pdu.SetReceiverName(CStringConverter::ToUtf8(receiver));
    pdu.SetMessageText(CStringConverter::ToUtf8(text));
    ASSERT_TRUE(pdu.GenerateXMLPDU());

    CPrivateMessagePDU received;
    ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
    EXPECT_EQ(0xFFFFFFF0u, received.GetSendId());
    EXPECT_EQ(2u, received.GetRecId());
    EXPECT_EQ(sender, CStringConverter::FromUtf8(received.GetSenderName()));
    EXPECT_EQ(receiver, CStringConverter::FromUtf8(received.GetReceiverName()));
    // Only the CDATA terminator changes.
    EXPECT_EQ(L"\xD83D\xDE00 \u3053\u3093\u306B\u3061\u306F ]] > \xD83D\xDE80",
              CStringConverter::FromUtf8(received.GetMessageText()));
}

TEST(PrivateMessagePDU, OrderExtraElementsAndTheAlternativeBuild) {
    const std::string reordered =
        Doc(2, "<extra>1</extra><message><![CDATA[Hi & bye]]></message><ReceiverName>Bob</ReceiverName>"
               "<recid>1002</recid><SenderName>Ann</SenderName><sendid>1001</sendid><sendid>9</sendid>");
    CPrivateMessagePDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU(reordered));
    EXPECT_EQ(1001u, pdu.GetSendId());
    EXPECT_EQ("Ann", pdu.GetSenderName());
    EXPECT_EQ(1002u, pdu.GetRecId());
    EXPECT_EQ("Bob", pdu.GetReceiverName());
    EXPECT_EQ("Hi & bye", pdu.GetMessageText());

    CPrivateMessagePDU alternative;
    ASSERT_TRUE(alternative.ParseXMLPDU(
        Doc(2, "<sendid>1001</sendid><recid>1002</recid><message><![CDATA[Hi]]></message>")));
    EXPECT_EQ("", alternative.GetSenderName());
    EXPECT_EQ("", alternative.GetReceiverName());
    EXPECT_EQ("Hi", alternative.GetMessageText());
}

TEST(PrivateMessagePDU, AnEmptyMessageElementParses) {
    for (const char* lpszMessage : {"<message/>", "<message></message>", "<message><![CDATA[]]></message>"}) {
        CPrivateMessagePDU pdu;
        EXPECT_TRUE(pdu.ParseXMLPDU(Doc(2, std::string("<sendid>1</sendid><recid>2</recid>") + lpszMessage)));
        EXPECT_EQ("", pdu.GetMessageText());
    }
}

TEST(PrivateMessagePDU, EachFailureHasItsLine) {
    const std::wstring prefix = L"Fail: CPrivateMessagePDU::ParseXMLPDU: ";
    const FailCase cases[] = {
        {"no sendid", Doc(2, "<recid>2</recid><message/>"),
         prefix + L"!SendIDElem || !SendIDElem->GetText()"},
        {"empty sendid", Doc(2, "<sendid/><recid>2</recid><message/>"),
         prefix + L"!SendIDElem || !SendIDElem->GetText()"},
        {"no recid", Doc(2, "<sendid>1</sendid><message/>"),
         prefix + L"!ReveIDElem || !ReveIDElem->GetText()"},
        {"empty recid", Doc(2, "<sendid>1</sendid><recid></recid><message/>"),
         prefix + L"!ReveIDElem || !ReveIDElem->GetText()"},
        {"no message", Doc(2, "<sendid>1</sendid><recid>2</recid>"), prefix + L"!MessageContentElem"},
        {"message nested too low", Doc(2, "<sendid>1</sendid><recid>2</recid><x><message/></x>"),
         prefix + L"!MessageContentElem"},
    };
    ExpectEachFailure<CPrivateMessagePDU>(cases);
}
