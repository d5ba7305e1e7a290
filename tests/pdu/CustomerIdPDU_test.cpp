#include "pdu/CustomerIdPDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"

using ::testing::ElementsAre;

TEST(CustomerIdPDU, ReadsTheCustomerId) {
    CCustomerIdPDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU("<chat ver=\"2.0\"><customerid>987654</customerid><mtype>11</mtype></chat>"));
    EXPECT_EQ(987654u, pdu.GetCustomerId());
}

TEST(CustomerIdPDU, TheCustomerIdIsRequired) {
    for (const std::string& body : {std::string(), std::string("<customerid></customerid>")}) {
        std::vector<std::wstring> lines;
        EXPECT_FALSE(ParseWithTrace<CCustomerIdPDU>(Doc(11, body), &lines));
        EXPECT_THAT(
            lines,
            ElementsAre(L"Fail: CCustomerIdPDU::ParseXMLPDU: !CustomerIdElem || !CustomerIdElem->GetText()"));
    }
}
