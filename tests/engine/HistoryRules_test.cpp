// Who copies into the customer's history and how a reader shows each private copy once; the
// recovery list does not show again what was shown while an item waited in it.
#include "engine/CustomerHistory.h"
#include "engine/RecoveryList.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryPrivateFilter, CopiesWithAnIdAreShownOncePerId) {
    CHistoryPrivateFilter filter;
    EXPECT_TRUE(filter.Admit(1, 2, "7-100-1", "hi"));
    EXPECT_FALSE(filter.Admit(1, 2, "7-100-1", "hi")) << "a second copy of the same message";
    EXPECT_TRUE(filter.Admit(1, 2, "7-100-2", "hi")) << "the same text said again";
    EXPECT_TRUE(filter.Admit(3, 2, "7-100-1", "hi")) << "the id belongs to its sender";
}

TEST(HistoryPrivateFilter, EachCopyWithoutAnIdAbsorbsOneLaterIdenticalCopy) {
    CHistoryPrivateFilter filter;
    // An older pair that said "ok" twice wrote four copies.
    const bool expected[] = {true, false, true, false};
    for (bool b : expected)
        EXPECT_EQ(filter.Admit(1, 2, "", "ok"), b);
    // Only the same sender, receiver and text are one message.
    EXPECT_TRUE(filter.Admit(2, 1, "", "ok"));
    EXPECT_TRUE(filter.Admit(1, 2, "", "ok "));
    // A copy with an id can absorb an older receiver's copy that lost the id.
    EXPECT_TRUE(filter.Admit(1, 2, "9-1-1", "bye"));
    EXPECT_FALSE(filter.Admit(1, 2, "", "bye"));
    EXPECT_TRUE(filter.Admit(1, 2, "", "bye"));
    filter.Reset();
    EXPECT_TRUE(filter.Admit(1, 2, "9-1-1", "bye"));
}

TEST(HistoryCopyRule, TheSenderCopiesWhatItPromisedAndEveryoneCopiesTheRest) {
    EXPECT_TRUE(QxCopiesGroupItem(true, true));
    EXPECT_FALSE(QxCopiesGroupItem(true, false));
    EXPECT_TRUE(QxCopiesGroupItem(false, true));
    EXPECT_TRUE(QxCopiesGroupItem(false, false));
    EXPECT_EQ(QxMakeMessageId(7, 1700000000, 3), "7-1700000000-3");
    EXPECT_NE(QxMakeMessageId(7, 1700000000, 3), QxMakeMessageId(7, 1700000001, 3));
}

using Copies = std::vector<std::string>;

TEST(HistoryCopyQueue, CopiesWaitBehindAnOwnGroupItemUntilItComesBack) {
    CHistoryCopyQueue queue;
    EXPECT_EQ(queue.Write("a"), Copies{"a"}) << "nothing awaited: written at once";
    queue.AwaitGroupItem(5);
    EXPECT_TRUE(queue.Write("p1").empty());
    queue.AwaitGroupItem(6);
    queue.AwaitGroupItem(5);
    EXPECT_TRUE(queue.Write("p2").empty());
    // Cache 6's item comes back first: it waits for cache 5's earlier one.
    EXPECT_TRUE(queue.GroupItemBack(6, "g6").empty());
    EXPECT_EQ(queue.GroupItemBack(5, "g5a"), (Copies{"g5a", "p1", "g6"}));
    EXPECT_EQ(queue.GroupItemBack(5, "g5b"), (Copies{"g5b", "p2"}));
    EXPECT_EQ(queue.Held(), 0u);
    // An item nobody awaits (the queue gave up on it, or an earlier attachment sent it).
    EXPECT_EQ(queue.GroupItemBack(5, "late"), Copies{"late"});
}

TEST(HistoryCopyQueue, ItemsThatCannotComeBackReleaseWhatWaitsAndNothingIsLost) {
    CHistoryCopyQueue queue;
    queue.AwaitGroupItem(5);
    queue.AwaitGroupItem(6);
    EXPECT_TRUE(queue.Write("p1").empty());
    EXPECT_TRUE(queue.GiveUp(6).empty()) << "cache 5's item is still awaited";
    EXPECT_EQ(queue.GroupItemBack(5, "g5"), (Copies{"g5", "p1"}));

    queue.AwaitGroupItem(5);
    EXPECT_TRUE(queue.Write("p2").empty());
    EXPECT_EQ(queue.GiveUp(5), Copies{"p2"});

    // Leaving: the ready copies in order, the awaited items dropped.
    queue.AwaitGroupItem(5);
    queue.Write("p3");
    queue.AwaitGroupItem(6);
    queue.Write("p4");
    EXPECT_EQ(queue.TakeAll(), (Copies{"p3", "p4"}));
    EXPECT_EQ(queue.Held(), 0u);

    // An item that never comes back holds at most the bound; then everything is written.
    queue.AwaitGroupItem(5);
    size_t written = 0;
    for (size_t i = 0; i < HISTORY_COPY_MAX_HELD + 10; ++i)
        written += queue.Write("c" + std::to_string(i)).size();
    EXPECT_EQ(written, HISTORY_COPY_MAX_HELD + 10);
    EXPECT_LE(queue.Held(), HISTORY_COPY_MAX_HELD);
}

CRecoveryList::Item Collected(DWORD dwCacheId) {
    CRecoveryList::Item item;
    item.dwCacheHandle = 5;
    item.dwCacheId = dwCacheId;
    item.strText = "<chat/>";
    return item;
}

TEST(RecoveryListClose, ItemsShownWhileTheyWaitedAreNotHandedOutAgain) {
    CRecoveryList list;
    for (DWORD id : {30u, 10u, 20u})
        ASSERT_TRUE(list.Add(Collected(id)));
    EXPECT_TRUE(list.MarkShown(5, 20)); // the customer's history showed it meanwhile
    const auto items = list.TakeAll();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].dwCacheId, 10u);
    EXPECT_EQ(items[1].dwCacheId, 30u);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.IsShown(5, 10));
    EXPECT_FALSE(list.Add(Collected(30))) << "shown at the close";
}

} // namespace
