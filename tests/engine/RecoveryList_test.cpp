#include "engine/RecoveryList.h"
#include "pdu/GroupMessagePDU.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

CRecoveryList::Item MakeItem(DWORD dwHandle, DWORD dwId, const std::string& strText = "m") {
    CRecoveryList::Item item;
    item.dwCacheHandle = dwHandle;
    item.dwCacheId = dwId;
    item.strText = strText;
    return item;
}

std::vector<DWORD> Ids(const std::deque<CRecoveryList::Item>& items) {
    std::vector<DWORD> ids;
    for (const auto& item : items)
        ids.push_back(item.dwCacheId);
    return ids;
}

TEST(RecoveryList, ItemsComeOutInCacheIdOrderEqualIdsInArrivalOrder) {
    CRecoveryList list;
    EXPECT_TRUE(list.Add(MakeItem(7, 30)));
    EXPECT_TRUE(list.Add(MakeItem(7, 10)));
    EXPECT_TRUE(list.Add(MakeItem(7, 20)));
    EXPECT_TRUE(list.Add(MakeItem(8, 20, "other cache")));
    const auto items = list.TakeAll();
    EXPECT_EQ(Ids(items), (std::vector<DWORD>{10, 20, 20, 30}));
    EXPECT_EQ(items[1].dwCacheHandle, 7u);
    EXPECT_EQ(items[2].strText, "other cache");
    EXPECT_EQ(list.Count(), 0u);
}

TEST(RecoveryList, AnItemIsKeptOnceByCacheAndIdAndNeverAfterItWasShown) {
    CRecoveryList list;
    EXPECT_TRUE(list.Add(MakeItem(7, 10)));
    EXPECT_FALSE(list.Add(MakeItem(7, 10))) << "a second read of the same cache";
    EXPECT_TRUE(list.Add(MakeItem(8, 10))) << "the same id in another cache is another item";
    EXPECT_TRUE(list.MarkShown(7, 11));
    EXPECT_FALSE(list.Add(MakeItem(7, 11))) << "shown live before";
    EXPECT_EQ(list.TakeAll().size(), 2u);
    EXPECT_FALSE(list.Add(MakeItem(7, 10))) << "shown by the recovery";
    EXPECT_FALSE(list.MarkShown(8, 10));
    EXPECT_TRUE(list.IsShown(8, 10));
    EXPECT_FALSE(list.Add(MakeItem(1, 1, ""))) << "nothing to show";
    list.Reset();
    EXPECT_FALSE(list.IsShown(8, 10));
}

TEST(RecoveryList, WhatWasShownWhileCollectingIsNotHandedOutAgain) {
    CRecoveryList list;
    EXPECT_TRUE(list.Add(MakeItem(7, 2)));
    EXPECT_TRUE(list.Add(MakeItem(7, 3)));
    EXPECT_TRUE(list.Add(MakeItem(7, 4)));
    // The customer history shows 2 and 3 before the read is over.
    EXPECT_TRUE(list.MarkShown(7, 2));
    EXPECT_TRUE(list.MarkShown(7, 3));
    EXPECT_EQ(Ids(list.TakeAll()), std::vector<DWORD>{4});
    EXPECT_TRUE(list.IsShown(7, 4));
}

TEST(RecoveryList, ABatchIsFullAtItsItemOrByteBound) {
    CRecoveryList list;
    const std::string strBig(RECOVERY_MAX_BYTES / 4, 'x');
    for (DWORD i = 1; i <= 3; ++i)
        EXPECT_TRUE(list.Add(MakeItem(7, i, strBig)));
    EXPECT_FALSE(list.IsFull());
    EXPECT_TRUE(list.Add(MakeItem(7, 4, strBig)));
    EXPECT_TRUE(list.IsFull()) << "the byte bound";
    EXPECT_EQ(list.Bytes(), RECOVERY_MAX_BYTES);
    EXPECT_EQ(list.TakeAll().size(), 4u);
    EXPECT_EQ(list.Bytes(), 0u);
    for (DWORD i = 1; i < RECOVERY_MAX_ITEMS; ++i)
        list.Add(MakeItem(8, i));
    EXPECT_FALSE(list.IsFull());
    list.Add(MakeItem(8, RECOVERY_MAX_ITEMS));
    EXPECT_TRUE(list.IsFull()) << "the item bound";
    EXPECT_GE(RECOVERY_MAX_ITEMS, 65536u);
}

// An item that comes parsed is kept as its fields: its text still counts towards the byte bound,
// but is not held twice, and the fields make the message again as the show step reads it.
TEST(RecoveryList, AParsedItemKeepsItsMessageAndCountsItsText) {
    CRecoveryList list;
    CGroupMessagePDU received;
    received.SetSendId(41);
    received.SetSendNodeId(42);
    received.SetGroupId(15);
    received.SetSenderName("Ann");
    received.SetMessageText("five");
    CRecoveryList::Item item = MakeItem(7, 5, "<chat>five</chat>");
    item.bParsed = true;
    item.message = CRecoveryList::FromPdu(received);
    EXPECT_TRUE(list.Add(std::move(item)));
    EXPECT_EQ(list.Bytes(), 17u);
    const auto items = list.TakeAll();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_TRUE(items[0].strText.empty());
    CGroupMessagePDU shown;
    shown.SetMessageText("an earlier item's text");
    CRecoveryList::ToPdu(items[0].message, items[0].dwCacheId, shown);
    EXPECT_EQ(shown.GetSendId(), 41u);
    EXPECT_EQ(shown.GetSendNodeId(), 42u);
    EXPECT_EQ(shown.GetGroupId(), 15u);
    EXPECT_EQ(shown.GetSenderName(), "Ann");
    EXPECT_EQ(shown.GetMessageText(), "five");
    EXPECT_EQ(shown.GetGroupCacheId(), 5u);

    CRecoveryList::Item empty = MakeItem(7, 6, "");
    empty.bParsed = true;
    EXPECT_FALSE(list.Add(std::move(empty), 0)) << "an item that came empty";
}

// Shown items are kept as ranges of consecutive ids per cache, whatever order they come in.
TEST(RecoveryList, ShownItemsAreRangesThatMergeInAnyOrder) {
    CShownItems shown;
    for (DWORD id : {5u, 3u, 4u, 9u, 7u, 8u, 1u})
        EXPECT_TRUE(shown.Insert(7, id)) << id;
    for (DWORD id : {1u, 3u, 4u, 5u, 7u, 8u, 9u})
        EXPECT_TRUE(shown.Contains(7, id)) << id;
    for (DWORD id : {0u, 2u, 6u, 10u})
        EXPECT_FALSE(shown.Contains(7, id)) << id;
    EXPECT_FALSE(shown.Contains(8, 5)) << "another cache";
    EXPECT_EQ(shown.RangeCount(), 3u); // 1, 3-5, 7-9
    for (DWORD id : {1u, 4u, 9u})
        EXPECT_FALSE(shown.Insert(7, id)) << "again: " << id;
    EXPECT_TRUE(shown.Insert(7, 6));
    EXPECT_TRUE(shown.Insert(7, 2));
    EXPECT_EQ(shown.RangeCount(), 1u);
    EXPECT_TRUE(shown.Insert(7, 0xFFFFFFFFu));
    EXPECT_TRUE(shown.Insert(7, 0));
    EXPECT_TRUE(shown.Contains(7, 0xFFFFFFFFu));
    EXPECT_FALSE(shown.Contains(7, 0xFFFFFFFEu));
    EXPECT_EQ(shown.RangeCount(), 2u);
    shown.Clear();
    EXPECT_FALSE(shown.Contains(7, 5));
}

// A recovery of many items leaves a record of one range, and its items come out in order once.
TEST(RecoveryList, AManyItemRecoveryIsShownOnceInOrderAndRecordedAsOneRange) {
    CRecoveryList list;
    const DWORD kItems = 5000;
    for (DWORD id = 1; id <= kItems; ++id)
        EXPECT_TRUE(list.Add(MakeItem(7, id)));
    EXPECT_FALSE(list.Add(MakeItem(7, kItems / 2))) << "collected already";
    const auto items = list.TakeAll();
    ASSERT_EQ(items.size(), kItems);
    for (DWORD i = 0; i < kItems; ++i)
        ASSERT_EQ(items[i].dwCacheId, i + 1);
    for (DWORD id = 1; id <= kItems; ++id)
        ASSERT_TRUE(list.IsShown(7, id));
    EXPECT_TRUE(list.MarkShown(7, kItems + 1)) << "the live item after it";
    EXPECT_FALSE(list.MarkShown(7, kItems));
}

TEST(RecoveryList, ATimeoutLeavesTheAwaitedCachesLateUntilTheirLastItem) {
    CRecoveryList list;
    list.Expect(7);
    list.Expect(9);
    list.Answered(9);
    list.DropOutstanding();
    EXPECT_EQ(list.Outstanding(), 0);
    EXPECT_TRUE(list.IsLate(7));
    EXPECT_FALSE(list.IsLate(9)) << "its answer was complete";
    list.LateAnswered(7);
    EXPECT_FALSE(list.IsLate(7));
    list.Expect(5);
    list.DropOutstanding();
    list.Expect(5);
    EXPECT_FALSE(list.IsLate(5)) << "a new read answers for it";
    list.Reset();
    EXPECT_EQ(list.Outstanding(), 0);
}

TEST(RecoveryList, OnlyAwaitedAnswersCount) {
    CRecoveryList list;
    EXPECT_EQ(list.Outstanding(), 0);
    list.Expect(7);
    list.Expect(7); // two reads of one cache
    list.Expect(9);
    EXPECT_EQ(list.Outstanding(), 3);
    EXPECT_FALSE(list.Answered(8)) << "a cache nobody waits for";
    EXPECT_EQ(list.Outstanding(), 3);
    EXPECT_TRUE(list.Answered(7));
    EXPECT_TRUE(list.Answered(7));
    EXPECT_FALSE(list.Answered(7)) << "no third answer awaited";
    EXPECT_EQ(list.Outstanding(), 1);
    list.DropOutstanding();
    EXPECT_EQ(list.Outstanding(), 0);
}

} // namespace
