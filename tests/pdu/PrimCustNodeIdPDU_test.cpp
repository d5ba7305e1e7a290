#include "pdu/PrimCustNodeIdPDU.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"

using ::testing::ElementsAre;

TEST(PrimCustNodeIdPDU, ReadsTheNodeId) {
    CPrimCustNodeIdPDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU(Doc(10, "<primcust>3000000001</primcust>")));
    EXPECT_EQ(3000000001u, pdu.GetPrimCustNodeId());
}

TEST(PrimCustNodeIdPDU, TheNodeIdIsRequired) {
    for (const std::string& body : {std::string(), std::string("<primcust/>")}) {
        std::vector<std::wstring> lines;
        EXPECT_FALSE(ParseWithTrace<CPrimCustNodeIdPDU>(Doc(10, body), &lines));
        EXPECT_THAT(
            lines,
            ElementsAre(L"Fail: CPrimCustNodeIdPDU::ParseXMLPDU: !NodeIdElem || !NodeIdElem->GetText()"));
    }
}
