#include "engine/TypingIndicator.h"

#include <gtest/gtest.h>

namespace {

using Notices = std::vector<CTypingList::Notice>;

bool Same(const Notices& a, const Notices& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].dwNode != b[i].dwNode || a[i].lState != b[i].lState) return false;
    return true;
}

TEST(TypingList, OneIndicationThenSilenceExpiresAtTheSecondTick) {
    CTypingList list;
    EXPECT_TRUE(list.Indicate(7));              // typing at once
    EXPECT_TRUE(Same({{7, 1}}, list.Expire())); // still typing at the first tick
    EXPECT_TRUE(list.Contains(7));
    EXPECT_TRUE(Same({{7, 2}}, list.Expire())); // stopped at the second
    EXPECT_FALSE(list.Contains(7));
    EXPECT_TRUE(list.Expire().empty());
}

TEST(TypingList, RefreshedNodesStayListed) {
    CTypingList list;
    EXPECT_TRUE(list.Indicate(1));
    EXPECT_TRUE(list.Indicate(2));
    EXPECT_FALSE(list.Indicate(1)); // already listed: refreshed only
    EXPECT_EQ(2u, list.Count());
    EXPECT_TRUE(Same({{1, 1}, {2, 1}}, list.Expire()));
    EXPECT_FALSE(list.Indicate(2));
    EXPECT_TRUE(Same({{1, 2}, {2, 1}}, list.Expire())); // list order kept
    EXPECT_TRUE(Same({{2, 2}}, list.Expire()));
    EXPECT_EQ(0u, list.Count());
    EXPECT_TRUE(list.Indicate(1)); // listed anew after it expired
}

TEST(TypingList, AMessageRemovesItsSender) {
    CTypingList list;
    list.Indicate(5);
    list.Indicate(6);
    EXPECT_TRUE(list.Remove(5));
    EXPECT_FALSE(list.Remove(5));
    EXPECT_FALSE(list.Remove(99));
    EXPECT_TRUE(Same({{6, 1}}, list.Expire()));
    list.Clear();
    EXPECT_EQ(0u, list.Count());
    EXPECT_FALSE(list.Contains(6));
}

TEST(TypingSender, FirstCharacterSendsAndStartsTheTimerOnce) {
    CTypingSender sender;
    CTypingSender::Step step = sender.OnTextChanged(1);
    EXPECT_TRUE(step.bSendNow);
    EXPECT_TRUE(step.bStartTimer);
    step = sender.OnTextChanged(2);
    EXPECT_FALSE(step.bSendNow);
    EXPECT_FALSE(step.bStartTimer);
    EXPECT_EQ(2, sender.TypedLength());
    // Cleared and typed again: a new indication, but the timer still runs.
    sender.OnTextChanged(0);
    step = sender.OnTextChanged(3);
    EXPECT_TRUE(step.bSendNow);
    EXPECT_FALSE(step.bStartTimer);
    EXPECT_TRUE(sender.TimerRunning());
}

TEST(TypingSender, TimerSendsOnlyWhenTheTextChanged) {
    CTypingSender sender;
    sender.OnTextChanged(4);
    EXPECT_TRUE(sender.OnSendTimer()); // typed 4, sent 0
    EXPECT_EQ(4, sender.SentLength());
    EXPECT_FALSE(sender.OnSendTimer()); // nothing new
    sender.OnTextChanged(5);
    EXPECT_TRUE(sender.OnSendTimer());
    sender.OnTextChanged(0);
    EXPECT_FALSE(sender.OnSendTimer()); // an empty box says nothing
}

TEST(TypingSender, ResetAfterASendStartsOver) {
    CTypingSender sender;
    sender.OnTextChanged(8);
    sender.OnSendTimer();
    sender.Reset();
    EXPECT_EQ(0, sender.TypedLength());
    EXPECT_EQ(0, sender.SentLength());
    EXPECT_FALSE(sender.TimerRunning());
    EXPECT_FALSE(sender.OnSendTimer());
    CTypingSender::Step step = sender.OnTextChanged(1);
    EXPECT_TRUE(step.bSendNow);
    EXPECT_TRUE(step.bStartTimer);
}

} // namespace
