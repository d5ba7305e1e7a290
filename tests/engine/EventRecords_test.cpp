#include "engine/EventRecords.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

// A host reads the records as raw 32-bit slots.
DWORD Slot(const void* record, size_t nIndex) {
    DWORD value;
    std::memcpy(&value, static_cast<const BYTE*>(record) + 4 * nIndex, 4);
    return value;
}

TEST(EventRecords, LayoutsAreThoseTheHostReads) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "the records are 32-bit layouts; this build is 64-bit";
    EXPECT_EQ(0u, offsetof(QXCHAT_EVENT_IDENTITY, dwLength));
    EXPECT_EQ(4u, offsetof(QXCHAT_EVENT_IDENTITY, lpszName));
    EXPECT_EQ(8u, offsetof(QXCHAT_EVENT_IDENTITY, lTime));
    EXPECT_EQ(12u, sizeof(QXCHAT_EVENT_IDENTITY));
    EXPECT_EQ(0u, offsetof(QXCHAT_EVENT_MESSAGE, pFrom));
    EXPECT_EQ(4u, offsetof(QXCHAT_EVENT_MESSAGE, dwToLength));
    EXPECT_EQ(8u, offsetof(QXCHAT_EVENT_MESSAGE, lpszTo));
    EXPECT_EQ(12u, offsetof(QXCHAT_EVENT_MESSAGE, dwTextLength));
    EXPECT_EQ(16u, offsetof(QXCHAT_EVENT_MESSAGE, lpszText));
    EXPECT_EQ(20u, sizeof(QXCHAT_EVENT_MESSAGE));
    EXPECT_EQ(7000, CHAT_EVENT_FIRST_SEND);
    EXPECT_EQ(7001, CHAT_EVENT_MESSAGE);
    EXPECT_EQ(7002, CHAT_EVENT_CLOSE);
}

TEST(EventRecords, IdentityCountsTheTerminator) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "a host reads 32-bit slots; this build is 64-bit";
    CChatEventIdentity identity(L"Ann Lee", 1796560496);
    const QXCHAT_EVENT_IDENTITY* p = identity.Get();
    EXPECT_EQ(8u, Slot(p, 0));
    EXPECT_STREQ(L"Ann Lee", reinterpret_cast<const wchar_t*>(Slot(p, 1)));
    EXPECT_EQ(1796560496u, Slot(p, 2));
    CChatEventIdentity empty(L"", 0);
    EXPECT_EQ(1u, empty.Get()->dwLength);
    EXPECT_STREQ(L"", empty.Get()->lpszName);
}

TEST(EventRecords, MessagePointsToItsOwnCopies) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "a host reads 32-bit slots; this build is 64-bit";
    std::wstring from = L"Ann", to = L"Everyone", text = L"hello\r\nthere";
    CChatEventMessage message(from, to, text, 42);
    from.assign(L"XXXX");
    to.clear();
    text.clear();
    const QXCHAT_EVENT_MESSAGE* p = message.Get();
    const QXCHAT_EVENT_IDENTITY* pFrom = reinterpret_cast<const QXCHAT_EVENT_IDENTITY*>(Slot(p, 0));
    EXPECT_EQ(4u, pFrom->dwLength);
    EXPECT_STREQ(L"Ann", pFrom->lpszName);
    EXPECT_EQ(42, pFrom->lTime);
    EXPECT_EQ(8u, Slot(p, 1));
    EXPECT_STREQ(L"Everyone", reinterpret_cast<const wchar_t*>(Slot(p, 2)));
    EXPECT_EQ(12u, Slot(p, 3));
    EXPECT_STREQ(L"hello\r\nthere", reinterpret_cast<const wchar_t*>(Slot(p, 4)));
}

TEST(EventRecords, LengthsFitSixteenBits) {
    CChatEventMessage message(L"Ann", L"", std::wstring(70000, L'x'), 0);
    EXPECT_EQ(0u, message.Get()->dwToLength);
    EXPECT_EQ(0xFFFFu, message.Get()->dwTextLength);
}

} // namespace
