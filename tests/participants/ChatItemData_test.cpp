#include "participants/ChatItemData.h"

#include <gtest/gtest.h>

namespace {

TEST(ChatItemData, UserEntryLayout) {
    ChatItemData data;
    data.m_dwData[CHAT_DATA_GROUP_ID] = 15;
    data.m_dwData[CHAT_DATA_GONE] = 1;
    data.InitUser(0x80000001u);
    const DWORD expected[CHAT_DATA_WORDS] = {1, 0, 0x80000001u, 1, 0, 0, 1, 0};
    for (int i = 0; i < CHAT_DATA_WORDS; ++i)
        EXPECT_EQ(data.m_dwData[i], expected[i]) << "word " << i;
    EXPECT_EQ(data.UserId(), 0x80000001u);
}

TEST(ChatItemData, DisplayCodesReadSigned) {
    ChatItemData data;
    data.SetCode(-6);
    EXPECT_EQ(data.Code(), -6);
    EXPECT_EQ(data.m_dwData[CHAT_DATA_CODE], 0xfffffffau);
    data.m_dwData[CHAT_DATA_GROUP_ID] = 4096;
    EXPECT_EQ(data.GroupId(), 4096);
}

TEST(ChatItemData, EqualityComparesEveryWord) {
    ChatItemData a, b;
    EXPECT_EQ(a, b);
    for (int i = 0; i < CHAT_DATA_WORDS; ++i) {
        b = a;
        b.m_dwData[i] = 1;
        EXPECT_NE(a, b) << "word " << i;
    }
    b.Clear();
    EXPECT_EQ(a, b);
}

} // namespace
