#include "engine/RecoveryList.h"

#include <gtest/gtest.h>

namespace {

CRecoveryList::Item MakeItem(DWORD dwHandle, DWORD dwId, const std::string& strText = "m") {
    CRecoveryList::Item item;
    item.dwCacheHandle = dwHandle;
    item.dwCacheId = dwId;
    item.pPdu.reset(new CGroupMessagePDU());
    item.pPdu->SetMessageText(strText);
    return item;
}

std::vector<DWORD> Ids(const std::vector<CRecoveryList::Item>& items) {
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
    EXPECT_EQ(items[2].pPdu->GetMessageText(), "other cache");
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
    CRecoveryList::Item empty;
    empty.dwCacheHandle = 1;
    empty.dwCacheId = 1;
    EXPECT_FALSE(list.Add(std::move(empty))) << "nothing to show";
    list.Reset();
    EXPECT_FALSE(list.IsShown(8, 10));
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
