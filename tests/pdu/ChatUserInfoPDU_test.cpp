#include "pdu/ChatUserInfoPDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"
#include "pdu/StringConverter.h"

using ::testing::ElementsAre;

TEST(ChatUserInfoPDU, RoundTripWithANonAsciiName) {
    const std::wstring name = L"\u30A2\u30F3 \u0410\u043D\u043D\u0430 \xD83D\xDC69";
    CChatUserInfoPDU pdu;
    pdu.SetUserId(4000000000u);
    pdu.SetName(CStringConverter::ToUtf8(name));
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    CChatUserInfoPDU received;
    ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
    EXPECT_EQ("4000000000", received.GetUserId());
    EXPECT_EQ(name, CStringConverter::FromUtf8(received.GetName()));
}

TEST(ChatUserInfoPDU, NameMayBeEmptyOrOutOfOrder) {
    CChatUserInfoPDU empty;
    ASSERT_TRUE(empty.ParseXMLPDU(Doc(4, "<un/><uid>7</uid>")));
    EXPECT_EQ("7", empty.GetUserId());
    EXPECT_EQ("", empty.GetName());
    CChatUserInfoPDU plain;
    ASSERT_TRUE(plain.ParseXMLPDU(Doc(4, "<x>y</x><un>A &amp; B</un><uid>7</uid>")));
    EXPECT_EQ("A & B", plain.GetName());
}

TEST(ChatUserInfoPDU, EachFailureHasItsLine) {
    const std::wstring prefix = L"Fail: CChatUserInfoPDU::ParseXMLPDU: ";
    const FailCase cases[] = {
        {"no uid", Doc(4, "<un>Ann</un>"), prefix + L"!UserIDElem || !UserIDElem->GetText()"},
        {"uid without text", Doc(4, "<uid><!--7--></uid><un>Ann</un>"),
         prefix + L"!UserIDElem || !UserIDElem->GetText()"},
        {"no un", Doc(4, "<uid>7</uid>"), prefix + L"!UserNameElem"},
    };
    ExpectEachFailure<CChatUserInfoPDU>(cases);
}
