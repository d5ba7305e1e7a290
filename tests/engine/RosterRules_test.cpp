// The roster rules without a window: roster flags, status flips, the three runs of a change
// list, reading an enroll entry, and the hidden recording participant.
#include "engine/RosterRules.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "participants/UserItem.h"
#include "pdu/RosterInfoPDU.h"

#include <gtest/gtest.h>

using enginetest::EntrySpec;
using enginetest::RosterList;
using enginetest::RosterText;

namespace {

TEST(RosterFlags, NeedIsTwoBroadcastIsOneAnyNonZeroCounts) {
    EXPECT_EQ(QxRosterFlags(0, 0), 0u);
    EXPECT_EQ(QxRosterFlags(0, 1), 1u);
    EXPECT_EQ(QxRosterFlags(1, 0), 2u);
    EXPECT_EQ(QxRosterFlags(1, 1), 3u);
    EXPECT_EQ(QxRosterFlags(2, 7), 3u);
}

TEST(RosterValueFlips, OnlyBetweenZeroAndOne) {
    struct Case {
        LONG lOld, lNew;
        bool bFlip;
    } cases[] = {{0, 1, true},  {1, 0, true},  {1, 1, false}, {0, 0, false},
                 {1, 2, false}, {2, 0, false}, {0, 2, false}};
    for (const Case& c : cases)
        EXPECT_EQ(QxRosterValueFlips(c.lOld, c.lNew), c.bFlip) << c.lOld << "->" << c.lNew;
}

TEST(SplitRosterChange, AdditionsThenRemovalsThenChanges) {
    QxRosterRecord records[3] = {};
    QxRosterChangeRuns runs = QxSplitRosterChange(0, 2, 1, records);
    EXPECT_EQ(runs.pAdded, nullptr);
    EXPECT_EQ(runs.pRemoved, &records[0]);
    EXPECT_EQ(runs.pChanged, &records[2]);
    runs = QxSplitRosterChange(1, 0, 2, records);
    EXPECT_EQ(runs.pAdded, &records[0]);
    EXPECT_EQ(runs.pRemoved, nullptr);
    EXPECT_EQ(runs.pChanged, &records[1]);
    runs = QxSplitRosterChange(1, 1, 1, nullptr);
    EXPECT_EQ(runs.pAdded, nullptr);
    EXPECT_EQ(runs.pRemoved, nullptr);
    EXPECT_EQ(runs.pChanged, nullptr);
}

TEST(ExtractEnrollInfo, EntriesThatCannotBeReadFailWithTheirTrace) {
    RosterList list;
    list.Record(5, {{1001, 30001, RosterText("A"), true},
                    {1002, 30002, RosterText("B"), false, 0},
                    {1003, 30003, RosterText("C"), false, -4}});
    struct Case {
        int nIndex;
        const wchar_t* lpszLine;
    } cases[] = {{0, L"CMainChatDlg::ExtractEnrollInfo, lpUserInfo is Null."},
                 {1, L"CMainChatDlg::ExtractEnrollInfo, nLength <= 0."},
                 {2, L"CMainChatDlg::ExtractEnrollInfo, nLength <= 0."},
                 {3, L"CMainChatDlg::ExtractEnrollInfo, pRoster or pItem is Null."}};
    for (const Case& c : cases) {
        TraceCapture capture;
        CUserItem item;
        EXPECT_EQ(QxExtractEnrollInfo(c.nIndex, &item, list.Get()), -1);
        EXPECT_EQ(capture.Lines(), std::vector<std::wstring>{c.lpszLine}) << c.nIndex;
        EXPECT_EQ(item.m_dwNodeId, 0u);
    }
    TraceCapture capture;
    CUserItem item;
    EXPECT_EQ(QxExtractEnrollInfo(0, nullptr, list.Get()), -1);
    EXPECT_EQ(QxExtractEnrollInfo(0, &item, nullptr), -1);
    EXPECT_EQ(capture.Lines().size(), 2u);
}

TEST(ExtractEnrollInfo, AllFieldsOfTheRosterInformation) {
    CRosterInfoPDU pdu;
    pdu.SetName("J\xC3\xBCrgen");
    pdu.SetRoleSet(2);
    pdu.SetVisible(0);
    pdu.SetUserType(3);
    pdu.SetFirstName("Anna");
    pdu.SetLastName("Berg");
    pdu.SetPhone("555");
    pdu.SetEmail("a@b.c");
    pdu.SetGuestId(42);
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    RosterList list;
    list.Record(5, {{1001, 30001, pdu.GetXMLText()}});
    TraceCapture capture;
    CUserItem item;
    ASSERT_EQ(QxExtractEnrollInfo(0, &item, list.Get()), 0);
    EXPECT_EQ(item.m_dwNodeId, 1001u);
    EXPECT_EQ(item.m_dwUserId, 30001u);
    EXPECT_EQ(item.m_strName, L"J\u00FCrgen");
    EXPECT_EQ(item.m_dwRosterInfo, 2u);
    EXPECT_EQ(item.m_lVisible, 0);
    EXPECT_EQ(item.m_lUserType, 3);
    EXPECT_EQ(item.m_strFirstName, L"Anna");
    EXPECT_EQ(item.m_strLastName, L"Berg");
    EXPECT_EQ(item.m_strPhone, L"555");
    EXPECT_EQ(item.m_strEmail, L"a@b.c");
    EXPECT_EQ(item.m_dwCustomerId, 42u);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"Macro User Name: J\u00FCrgen", L"Macro First Name: Anna",
                                         L"Macro Last Name: Berg", L"Macro Phone Number: 555",
                                         L"Macro Email Address: a@b.c", L"Customer Id: 42"}));
}

TEST(ExtractEnrollInfo, UntrustedTextsGiveOnlyTheIdsOrWhatParses) {
    const std::string good = RosterText("Eve", 1);
    RosterList list;
    list.Record(5, {{1001, 30001, "not xml at all"},
                    {1002, 30002, std::string("<x", 2)},
                    {1003, 30003, good, false, static_cast<int>(good.size() / 2)},
                    {1004, 30004, good + std::string(1, '\0') + "trailing bytes"}});
    for (int i = 0; i < 3; ++i) {
        TraceCapture capture;
        CUserItem item;
        item.m_strName = L"stale";
        EXPECT_EQ(QxExtractEnrollInfo(i, &item, list.Get()), 0) << i;
        EXPECT_EQ(item.m_dwNodeId, 1001u + i);
        EXPECT_EQ(item.m_dwUserId, 30001u + i);
        EXPECT_EQ(item.m_strName, L"stale") << "a text that does not parse sets no field";
        EXPECT_TRUE(capture.Contains(L"CMainChatDlg::ExtractEnrollInfo, ParseXMLPDU return FALSE."));
    }
    CUserItem item;
    EXPECT_EQ(QxExtractEnrollInfo(3, &item, list.Get()), 0);
    EXPECT_EQ(item.m_strName, L"Eve") << "the text ends at its first zero byte";
    EXPECT_EQ(item.m_dwRosterInfo, 1u);
}

TEST(RecordingUser, OnlyTheExactName) {
    EXPECT_TRUE(QxIsRecordingUser(L"tlm_ssr_987_recorder-654"));
    EXPECT_FALSE(QxIsRecordingUser(L"TLM_SSR_987_RECORDER-654"));
    EXPECT_FALSE(QxIsRecordingUser(L"tlm_ssr_987_recorder-654 "));
    EXPECT_FALSE(QxIsRecordingUser(L""));
}

} // namespace
