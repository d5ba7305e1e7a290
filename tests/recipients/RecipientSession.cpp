#include "RecipientSession.h"

#include "interface/Cchat.h"
#include "participants/RecipientCombo.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

namespace recipienttest {

Session::Session(DWORD dwFeature, DWORD dwPrivilege, DWORD dwRoles) {
    enginetest::FreshControl();
    m_h = QxNewInstance(m_host.Get());
    ChSelectFeature(m_h, dwFeature, 0, 0, 0, 0, nullptr);
    ChSetPrivilege(m_h, static_cast<LONG>(dwPrivilege));
    ChSetRosters(m_h, static_cast<LONG>(dwRoles));
    EXPECT_EQ(ChChat1(m_h, L"conf.recipients", 7, static_cast<LONG>(kRoom), L"Me", 1, L""), 0);
    EXPECT_TRUE(PumpUntil([&] { return Dlg()->Status().m_bEnrolled != FALSE; }));
    // The session adds its groups later, so there is no group cache to name and the chain stops
    // before the chat status: take its last step, the subscriptions that make the dialog ready to
    // send, and wait for the enrollment it repeats.
    TraceCapture capture;
    Dlg()->CallEnrollToSendMessages(0);
    EXPECT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"ApeEnrollConfirm, end"); }));
    EXPECT_TRUE(Dlg()->Status().m_bSendReady);
}

Session::~Session() {
    if (m_h) QxDeleteInstance(m_h);
}

CMainChatDlg* Session::Dlg() const {
    return reinterpret_cast<Cchat*>(m_h)->Dialog();
}

HWND Session::Box() const {
    return Dlg()->Controls().m_hRecipient;
}

HWND Session::Dialog() const {
    return Dlg()->GetHwnd();
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
