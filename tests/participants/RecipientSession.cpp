#include "RecipientSession.h"

#include "window/RecipientCombo.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

namespace recipienttest {

Session::Session(DWORD dwFeature, DWORD dwPrivilege, DWORD dwRoles) {
    qxtest::FreshControl();
    m_member = std::make_unique<qxtest::ChatMember>(qxtest::MemberConfig(L"Me", dwFeature)
                                                        .Privilege(dwPrivilege)
                                                        .Roles(dwRoles)
                                                        .Bare()
                                                        .Meeting(7, static_cast<LONG>(kRoom)));
    EXPECT_EQ(m_member->Start(), 0);
    qxtest::WaitFor([&] { return Dlg()->Status().m_bEnrolled != FALSE; }, "the enrollment");
    // The session adds its groups later, so there is no group cache to name and the chain stops
    // before the chat status: take its last step, the subscriptions that make the dialog ready to
    // send, and wait for the enrollment it repeats.
    TraceCapture capture;
    Dlg()->CallEnrollToSendMessages(0);
    qxtest::WaitFor([&] { return capture.ContainsSubstring(L"ApeEnrollConfirm, end"); },
                    "the repeated enrollment");
    EXPECT_TRUE(Dlg()->Status().m_bSendReady);
}

Session::~Session() = default;

HWND Session::Box() const {
    return Dlg()->Controls().m_hRecipient;
}

void Session::Arrive(const std::vector<Person>& people) {
    std::vector<enginetest::EntrySpec> entries;
    for (const Person& p : people)
        entries.push_back(
            {p.dwNodeId, p.dwUserId, enginetest::RosterText(p.strName, p.dwRoles, 1, p.dwUserType)});
    enginetest::RosterList list;
    list.Record(kRoom, entries);
    // One record holds them all: the counts are of records, not of entries.
    Dlg()->ApeRosterChanged(Dlg()->Status().m_apeHandle, 7, 1, 0, 0, list.Get());
}

void Session::Leave(const std::vector<DWORD>& nodeIds) {
    std::vector<enginetest::EntrySpec> entries;
    for (DWORD n : nodeIds)
        entries.push_back({n, 0, std::string()});
    enginetest::RosterList list;
    list.Record(kRoom, entries);
    Dlg()->ApeRosterChanged(Dlg()->Status().m_apeHandle, 7, 0, 1, 0, list.Get());
}

std::vector<Entry> Session::Entries() const {
    std::vector<Entry> entries;
    for (int i = 0, n = ComboCount(Box()); i < n; ++i)
        entries.push_back({ComboText(Box(), i), ComboData(Box(), i)});
    return entries;
}

std::vector<std::wstring> Session::Texts() const {
    std::vector<std::wstring> texts;
    for (const Entry& e : Entries())
        texts.push_back(e.strText);
    return texts;
}

int Session::GroupEntry(int nGroupId) const {
    const std::vector<Entry> entries = Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].pData && entries[i].pData->Kind() != CHAT_KIND_USER &&
            entries[i].pData->GroupId() == nGroupId)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::wstring> Session::MembersUnder(int nGroupId) const {
    std::vector<std::wstring> names;
    const std::vector<Entry> entries = Entries();
    const int nAt = GroupEntry(nGroupId);
    for (size_t i = nAt < 0 ? entries.size() : static_cast<size_t>(nAt) + 1; i < entries.size(); ++i) {
        if (!entries[i].pData || entries[i].pData->Kind() != CHAT_KIND_USER) break;
        names.push_back(entries[i].strText);
    }
    return names;
}

int Session::Selected() const {
    return ComboSelection(Box());
}

} // namespace recipienttest
