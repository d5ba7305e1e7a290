// Several chat instances in one process, each in its own host window, driven through the
// exports: they connect, join, attach and enroll on the embedded conference, see each other in
// their participant lists, and tell their host windows.
#include "interface/Cchat.h"
#include "window/MainChatDlg.h"

#include "WindowTestUtil.h"
#include "TestControl.h"
#include "TraceCapture.h"
#include "qxchat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace enginetest;

namespace {

constexpr wchar_t kRecorder[] = L"tlm_ssr_987_recorder-654";

struct Participant {
    std::wstring strName;
    DWORD dwRoles;
    LONG lUserType;
};

// One meeting client: its host window (also the service window), its SMC window and its instance.
class Member {
public:
    explicit Member(const Participant& who, DWORD dwFeature = QXCHAT_FEATURE_ENROLL_FEEDBACK) : m_who(who) {
        m_h = QxNewInstance(m_host.Get());
        ChSelectFeature(m_h, dwFeature, 0, 0, 0, 0, nullptr);
        ChSetEventConfig(m_h, QXCHAT_EVT_SERVICE_WINDOW,
                         static_cast<LONG>(reinterpret_cast<LONG_PTR>(m_host.Get())), 0, nullptr);
        ChSetHandleForSmc(m_h, m_smc.Get());
        ChSetUserType(m_h, who.lUserType);
        ChSetRosters(m_h, static_cast<LONG>(who.dwRoles));
        m_lChat1 = ChChat1(m_h, L"conf.multi", 7, 5, who.strName.c_str(), 1, L"");
    }
    ~Member() { Delete(); }
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;

    void Delete() {
        if (m_h) QxDeleteInstance(m_h);
        m_h = 0;
    }
    CMainChatDlg* Dlg() const { return reinterpret_cast<Cchat*>(m_h)->Dialog(); }
    std::map<std::wstring, const CUserItem*> Listed() const {
        std::map<std::wstring, const CUserItem*> listed;
        CUserList& users = Dlg()->Users();
        for (int i = 0; i < users.GetCount(); ++i)
            listed[users.GetAt(i)->m_strName] = users.GetAt(i);
        return listed;
    }
    bool Sees(const std::vector<const Member*>& members) const {
        const auto listed = Listed();
        if (listed.size() != members.size()) return false;
        for (const Member* m : members)
            if (!listed.count(m->m_who.strName)) return false;
        return true;
    }
    int Notified(LPARAM lParam) const {
        return std::min(m_host.Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, lParam),
                        m_smc.Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, lParam));
    }

    Participant m_who;
    TestHostWindow m_host, m_smc;
    QXHCOMPONENT m_h = 0;
    LONG m_lChat1 = -1;
};

class EngineConferenceTest : public testing::Test {
protected:
    ~EngineConferenceTest() override {
        members.clear();
        control->Reset();
    }
    Member& Join(const Participant& who) {
        members.push_back(std::make_unique<Member>(who));
        EXPECT_EQ(members.back()->m_lChat1, 0);
        return *members.back();
    }
    std::vector<const Member*> Everyone() const {
        std::vector<const Member*> all;
        for (const auto& m : members)
            if (m->m_h) all.push_back(m.get());
        return all;
    }
    bool AllSeeEachOther() const {
        const auto all = Everyone();
        return std::all_of(all.begin(), all.end(), [&](const Member* m) { return m->Sees(all); });
    }

    IQxNodeControlTest* control = FreshControl();
    std::vector<std::unique_ptr<Member>> members;
};

TEST_F(EngineConferenceTest, TwoThenFiveSeeEachOtherAndOneLeaving) {
    const Participant people[] = {{L"Hana", QXCHAT_ROLE_HOST, 0},
                                  {L"Ilse", QXCHAT_ROLE_PRESENTER, 1},
                                  {L"J\u00F6rg", QXCHAT_ROLE_PANELIST, 2},
                                  {L"Kofi", QXCHAT_ROLE_ATTENDEE, 3},
                                  {L"Lena", QXCHAT_ROLE_ATTENDEE, 4}};
    Join(people[0]);
    Join(people[1]);
    ASSERT_TRUE(PumpUntil([&] { return AllSeeEachOther(); }));
    for (const auto& m : members) {
        ASSERT_TRUE(PumpUntil([&] { return m->Notified(0) == 1; }));
        EXPECT_EQ(m->Notified(-1), 0);
    }
    for (int i = 2; i < 5; ++i)
        Join(people[i]);
    ASSERT_TRUE(PumpUntil([&] { return AllSeeEachOther(); }));

    std::map<DWORD, std::wstring> nodeNames;
    for (const auto& m : members) {
        const CMainChatDlg* dlg = m->Dlg();
        EXPECT_TRUE(dlg->Status().m_bEnrolled);
        for (const Participant& p : people) {
            const CUserItem* item = m->Listed().at(p.strName);
            EXPECT_EQ(item->m_dwRosterInfo, p.dwRoles) << p.strName.size();
            EXPECT_EQ(item->m_lUserType, p.lUserType);
            // Every instance knows every participant by the same node id and user id.
            auto it = nodeNames.emplace(item->m_dwNodeId, p.strName).first;
            EXPECT_EQ(it->second, p.strName);
        }
        const CUserItem* self = m->Listed().at(m->m_who.strName);
        EXPECT_EQ(self->m_dwUserId, m->Dlg()->OwnUser().m_dwOwnUserId);
        EXPECT_EQ(self->m_dwNodeId, m->Dlg()->OwnUser().m_dwOwnNodeId);
        EXPECT_NE(self->m_dwNodeId, self->m_dwUserId);
    }
    EXPECT_EQ(nodeNames.size(), 5u);

    members[2]->Delete();
    ASSERT_TRUE(PumpUntil([&] { return AllSeeEachOther(); }));
    for (const Member* m : Everyone())
        EXPECT_EQ(m->Listed().count(people[2].strName), 0u);
}

TEST_F(EngineConferenceTest, TheRecordingParticipantNeverAppears) {
    Join({L"Host", QXCHAT_ROLE_HOST, 0});
    Join({kRecorder, QXCHAT_ROLE_ATTENDEE, 0});
    Join({L"TLM_SSR_987_Recorder-654", QXCHAT_ROLE_ATTENDEE, 0});
    TraceCapture capture;
    ASSERT_TRUE(PumpUntil([&] {
        return std::all_of(members.begin(), members.end(),
                           [](const auto& m) { return m->Listed().size() == 2; });
    }));
    for (const auto& m : members) {
        EXPECT_EQ(m->Listed().count(kRecorder), 0u);
        EXPECT_EQ(m->Listed().count(L"TLM_SSR_987_Recorder-654"), 1u);
    }
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::ProcessAddEnrollInfo it is SSR user ----/"));
}

TEST_F(EngineConferenceTest, AFailedEnrollmentIsReportedToBothHostWindows) {
    Member& first = Join({L"First", QXCHAT_ROLE_HOST, 0});
    ASSERT_TRUE(PumpUntil([&] { return first.Notified(0) == 1; }));
    control->ScriptConfirm(QXNC_CONFIRM_ENROLL, ARM_ERROR_INVALID_STATE, 1);
    Member& refused = Join({L"Refused", QXCHAT_ROLE_ATTENDEE, 0});
    ASSERT_TRUE(PumpUntil([&] { return refused.Notified(-1) == 1; }));
    EXPECT_EQ(refused.Notified(0), 0);
    EXPECT_EQ(refused.Dlg()->Status().m_pArmNC, nullptr);
    PumpUntilQuiet(1000);
    EXPECT_EQ(first.Listed().size(), 1u) << "a refused enrollment announces nobody";
}

TEST_F(EngineConferenceTest, DeletingAnInstanceDuringTheConferenceTearsItsConnectionDown) {
    Member& stays = Join({L"Stays", QXCHAT_ROLE_HOST, 0});
    Member& goes = Join({L"Goes", QXCHAT_ROLE_ATTENDEE, 0});
    ASSERT_TRUE(PumpUntil([&] { return AllSeeEachOther(); }));
    const DWORD dwSerial = control->ControllerSerial(goes.Dlg()->Status().m_pArmNC);
    const DWORD dwApe = goes.Dlg()->Status().m_apeHandle;
    ASSERT_NE(dwSerial, 0u);
    control->ClearCalls();
    TraceCapture capture;
    goes.Delete();
    std::vector<DWORD> ops;
    for (DWORD i = 0; i < control->CallCount(); ++i) {
        QxNcCall call = {};
        control->GetCall(i, &call);
        if (call.controller == dwSerial) ops.push_back(call.op);
    }
    EXPECT_EQ(ops, (std::vector<DWORD>{QXNC_OP_DETACH_APE, QXNC_OP_LEAVE_CONFERENCE, QXNC_OP_DISCONNECT,
                                       QXNC_OP_RELEASE}));
    EXPECT_EQ(CallsOf(QXNC_OP_DETACH_APE).at(0).args[0], dwApe);
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::Cleanup() : end ====/"));
    ASSERT_TRUE(PumpUntil([&] { return stays.Listed().size() == 1; }));
    EXPECT_EQ(stays.Listed().count(L"Stays"), 1u);
}

} // namespace
