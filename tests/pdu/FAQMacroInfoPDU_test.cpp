#include "pdu/FAQMacroInfoPDU.h"

#include <gtest/gtest.h>

#include "PDUTestSupport.h"

TEST(FAQMacroInfoPDU, CopiesEachElementThatHasText) {
    CFAQMacroInfoPDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU(Doc(8, "<email>ann@example.com</email><phone>555 0100</phone>"
                                       "<lname><![CDATA[\xD0\x9B\xD0\xB8]]></lname><fname>Ann</fname>")));
    EXPECT_EQ("Ann", pdu.GetFirstName());
    EXPECT_EQ("\xD0\x9B\xD0\xB8", pdu.GetLastName());
    EXPECT_EQ("555 0100", pdu.GetPhone());
    EXPECT_EQ("ann@example.com", pdu.GetEmail());
}

TEST(FAQMacroInfoPDU, EveryElementIsOptional) {
    CFAQMacroInfoPDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU(Doc(8, "<fname/><phone>1</phone>")));
    EXPECT_EQ("", pdu.GetFirstName());
    EXPECT_EQ("", pdu.GetLastName());
    EXPECT_EQ("1", pdu.GetPhone());
    EXPECT_EQ("", pdu.GetEmail());
}
