#include "pdu/GroupInfoPDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"

using ::testing::ElementsAre;

TEST(GroupInfoPDU, TextFormAndRoundTrip) {
    CGroupInfoPDU pdu;
    pdu.SetGroupHandle(123456);
    pdu.SetGroupName("Hosts <&>");
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ(Doc(1, "<grouphandle>123456</grouphandle><groupname><![CDATA[Hosts <&>]]></groupname>"),
              pdu.GetXMLText());
    CGroupInfoPDU received;
    ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
    EXPECT_EQ(123456u, received.GetGroupHandle());
    EXPECT_EQ("Hosts <&>", received.GetGroupName());
}

TEST(GroupInfoPDU, AnEmptyGroupNameParses) {
    CGroupInfoPDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU(Doc(1, "<groupname></groupname><grouphandle>5</grouphandle>")));
    EXPECT_EQ("", pdu.GetGroupName());
    EXPECT_EQ(5u, pdu.GetGroupHandle());
}

TEST(GroupInfoPDU, EachFailureHasItsLine) {
    const std::wstring prefix = L"Fail: CGroupInfoPDU::ParseXMLPDU: ";
    const FailCase cases[] = {
        {"no handle", Doc(1, "<groupname>G</groupname>"),
         prefix + L"!GroupHandleElem || !GroupHandleElem->GetText()"},
        {"empty handle", Doc(1, "<grouphandle/><groupname>G</groupname>"),
         prefix + L"!GroupHandleElem || !GroupHandleElem->GetText()"},
        {"no name", Doc(1, "<grouphandle>5</grouphandle>"), prefix + L"!GroupNameElem"},
    };
    ExpectEachFailure<CGroupInfoPDU>(cases);
}
