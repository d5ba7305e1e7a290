#include "pdu/TransferMessagePDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"

using ::testing::ElementsAre;

TEST(TransferMessagePDU, PlainTextOrCDataBySubType) {
    for (DWORD dwType = 1; dwType <= 11; ++dwType) {
        CTransferMessagePDU pdu;
        pdu.SetSendId(5);
        pdu.SetRecId(6);
        pdu.SetSubType(dwType);
        pdu.SetOption(3);
        pdu.SetMessageText("a < b & ]]>");
        ASSERT_TRUE(pdu.GenerateXMLPDU());
        const bool bPlain = dwType == 1 || (dwType >= 6 && dwType <= 9);
        const std::string message = bPlain ? "<message>a &lt; b &amp; ]]&gt;</message>"
                                           : "<message><![CDATA[a < b & ]] >]]></message>";
        EXPECT_EQ(Doc(9, "<sendid>5</sendid><recid>6</recid><messageinfo><stype>" + std::to_string(dwType) +
                             "</stype><option>3</option>" + message + "</messageinfo>"),
                  pdu.GetXMLText())
            << dwType;
        CTransferMessagePDU received;
        ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
        EXPECT_EQ("5", received.GetSendId());
        EXPECT_EQ("6", received.GetRecId());
        EXPECT_EQ(dwType, received.GetSubType());
        EXPECT_EQ("3", received.GetOption());
        EXPECT_EQ(bPlain ? "a < b & ]]>" : "a < b & ]] >", received.GetMessageText()) << dwType;
    }
}

TEST(TransferMessagePDU, TheContainerIsAlwaysWritten) {
    CTransferMessagePDU pdu;
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ(Doc(9, "<messageinfo />"), pdu.GetXMLText());
    CTransferMessagePDU noMessage;
    noMessage.SetSendId(1);
    noMessage.SetSubType(2);
    ASSERT_TRUE(noMessage.GenerateXMLPDU());
    EXPECT_EQ(Doc(9, "<sendid>1</sendid><messageinfo><stype>2</stype></messageinfo>"),
              noMessage.GetXMLText());
}

TEST(TransferMessagePDU, OptionIsOptionalAndTheMessageMayBeEmpty) {
    CTransferMessagePDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU(
        Doc(9, "<messageinfo><message/><stype>10</stype></messageinfo><recid>0</recid><sendid>1</sendid>")));
    EXPECT_EQ(10u, pdu.GetSubType());
    EXPECT_EQ("", pdu.GetOption());
    EXPECT_EQ("", pdu.GetMessageText());
}

TEST(TransferMessagePDU, EachFailureHasItsLine) {
    const std::wstring prefix = L"Fail: CTransferMessagePDU::ParseXMLPDU: ";
    const std::string info = "<messageinfo><stype>2</stype><message>m</message></messageinfo>";
    const FailCase cases[] = {
        {"no sendid", Doc(9, "<recid>2</recid>" + info), prefix + L"!SendIDElem || !SendIDElem->GetText()"},
        {"no recid", Doc(9, "<sendid>1</sendid>" + info), prefix + L"!ReveIDElem || !ReveIDElem->GetText()"},
        {"no messageinfo", Doc(9, "<sendid>1</sendid><recid>2</recid><stype>2</stype><message>m</message>"),
         prefix + L"!MessageInfoElem"},
        {"no stype",
         Doc(9, "<sendid>1</sendid><recid>2</recid><messageinfo><message>m</message></messageinfo>"),
         prefix + L"!SubTypeElem || !SubTypeElem->GetText()"},
        {"empty stype",
         Doc(9, "<sendid>1</sendid><recid>2</recid><messageinfo><stype/><message>m</message></messageinfo>"),
         prefix + L"!SubTypeElem || !SubTypeElem->GetText()"},
        {"no message",
         Doc(9, "<sendid>1</sendid><recid>2</recid><messageinfo><stype>2</stype></messageinfo>"),
         prefix + L"!SubMessageElem"},
    };
    ExpectEachFailure<CTransferMessagePDU>(cases);
}
