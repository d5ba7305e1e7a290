#include "engine/CacheNames.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct NameCase {
    const char* name;
    int number;
};

TEST(CacheNames, NamesOfTheConferenceCaches) {
    EXPECT_EQ(QxGroupCacheName(77, 15), "77_chat_cache_15");
    EXPECT_EQ(QxGroupCacheName(0, 4), "0_chat_cache_4");
    EXPECT_EQ(QxUserInfoCacheName(77), "77_Chat_User_Info");
    EXPECT_EQ(QxStatusCacheName(4294967295u), "4294967295_chat_status");
    EXPECT_EQ(QxCustomerCacheName(12345), "switch_cache_12345");
}

TEST(CacheNames, TheNumberAfterTheLastUnderscore) {
    const NameCase cases[] = {
        {"77_chat_cache_15", 15},      {"77_chat_cache_4", 4},
        {"switch_cache_12345", 12345}, {"switch_cache_7", 7},
        {"77_Chat_User_Info", 0},      {"77_chat_status", 0},
        {"nounderscore", 0},           {"x_", 0},
        {"a_123456789", 1234567},      {"a_12b", 12},
    };
    for (const NameCase& c : cases) {
        char field[64];
        QxCopyCacheName(field, c.name);
        EXPECT_EQ(QxCacheNameNumber(field), c.number) << c.name;
    }
}

TEST(CacheNames, FieldsArePaddedAndBounded) {
    char field[64];
    std::memset(field, 'x', sizeof(field));
    QxCopyCacheName(field, "abc");
    EXPECT_EQ(QxCacheNameText(field), "abc");
    for (int i = 3; i < 64; ++i)
        EXPECT_EQ(field[i], 0);
    QxCopyCacheName(field, std::string(100, 'n'));
    EXPECT_EQ(QxCacheNameText(field), std::string(63, 'n')) << "63 characters and a NUL";
    std::memset(field, 'y', sizeof(field));
    EXPECT_EQ(QxCacheNameText(field), std::string(64, 'y')) << "a full field without NUL";
    // Only the first 63 characters are searched for the group number.
    std::memset(field, 'z', sizeof(field));
    field[62] = '_';
    field[63] = '5';
    EXPECT_EQ(QxCacheNameNumber(field), 0);
}

} // namespace
