#include "pdu/RosterInfoPDU.h"

#include <gtest/gtest.h>

#include "PDUTestSupport.h"

TEST(RosterInfoPDU, TextFormInTableOrder) {
    CRosterInfoPDU pdu;
    pdu.SetGuestId(555);
    pdu.SetEmail("ann@example.com");
    pdu.SetPhone("+1 555 0100");
    pdu.SetLastName("Lee");
    pdu.SetFirstName("Ann");
    pdu.SetUserType(2);
    pdu.SetVisible(1);
    pdu.SetRoleSet(9);
    pdu.SetName("Ann Lee");
    pdu.SetNodeId(77);
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ(Doc(5, "<NodeID>77</NodeID><UserName><![CDATA[Ann Lee]]></UserName><RoleSet>9</RoleSet>"
                     "<Visible>1</Visible><UserType>2</UserType><FName><![CDATA[Ann]]></FName>"
                     "<LName><![CDATA[Lee]]></LName><Phone>+1 555 0100</Phone>"
                     "<Email><![CDATA[ann@example.com]]></Email><GuestID>555</GuestID>"),
              pdu.GetXMLText());
}

TEST(RosterInfoPDU, RoundTrip) {
    CRosterInfoPDU pdu;
    pdu.SetNodeId(0xFFFFFFFFu);
    pdu.SetName("\xE5\xB1\xB1\xE7\x94\xB0");
    pdu.SetRoleSet(15);
    pdu.SetVisible(-1);
    pdu.SetUserType(3);
    pdu.SetFirstName("A");
    pdu.SetLastName("B");
    pdu.SetPhone("1 & 2");
    pdu.SetEmail("e@x");
    pdu.SetGuestIdText("42");
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    CRosterInfoPDU received;
    ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText()));
    EXPECT_EQ(0xFFFFFFFFu, received.GetNodeId());
    EXPECT_EQ("\xE5\xB1\xB1\xE7\x94\xB0", received.GetName());
    EXPECT_EQ(15u, received.GetRoleSet());
    EXPECT_EQ(-1, received.GetVisible());
    EXPECT_EQ(3u, received.GetUserType());
    EXPECT_EQ("A", received.GetFirstName());
    EXPECT_EQ("B", received.GetLastName());
    EXPECT_EQ("1 & 2", received.GetPhone());
    EXPECT_EQ("e@x", received.GetEmail());
    EXPECT_EQ(42u, received.GetGuestId());
}

TEST(RosterInfoPDU, EveryElementIsOptional) {
    CRosterInfoPDU header;
    EXPECT_TRUE(header.ParseXMLPDU(Doc(5, "")));
    CRosterInfoPDU roles;
    ASSERT_TRUE(roles.ParseXMLPDU(Doc(5, "<RoleSet>8</RoleSet>")));
    EXPECT_EQ(8u, roles.GetRoleSet());
    EXPECT_EQ(0u, roles.GetNodeId());
    EXPECT_EQ(0, roles.GetVisible());
    EXPECT_EQ(0u, roles.GetUserType());
    EXPECT_EQ(0u, roles.GetGuestId());
    EXPECT_EQ("", roles.GetName());
    EXPECT_EQ("", roles.GetFirstName());
    EXPECT_EQ("", roles.GetLastName());
    EXPECT_EQ("", roles.GetPhone());
    EXPECT_EQ("", roles.GetEmail());
}
