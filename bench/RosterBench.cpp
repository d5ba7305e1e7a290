// 5,000 participants arriving in one roster change with member lists on: the time of that roster
// change against the time of parsing the same 5,000 roster PDUs alone, in the same run.
// Prints one line per repetition and the medians with their ratio.
#include "BenchClock.h"
#include "BenchHost.h"
#include "SamplingProfiler.h"
#include "interface/Cchat.h"
#include "pdu/RosterInfoPDU.h"
#include "window/MainChatDlg.h"

#include "TestControl.h"
#include "qxchat.h"
#include "trace/Trace.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::MakeHost;

int kParticipants = 5000;
int kRepetitions = 5;
constexpr DWORD kRoom = 5;

bool PumpUntilEnrolled(CMainChatDlg* dlg) {
    const DWORD dwEnd = GetTickCount() + 10000;
    while (!dlg->Status().m_bEnrolled && GetTickCount() < dwEnd) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return dlg->Status().m_bEnrolled != FALSE;
}

// Names in an order unrelated to their sorted order, so that every arrival searches.
std::string NameOf(int i) {
    const unsigned k = (static_cast<unsigned>(i) * 7919u) % 100000u;
    return std::string(i % 3 ? "attendee " : "Attendee ") + std::to_string(k);
}

// One roster change of all participants, timed on an instance with member lists on.
double TimeRosterChange(HWND hHost, const enginetest::RosterList& list, int* pEntries) {
    enginetest::FreshControl();
    QXHCOMPONENT h = QxNewInstance(hHost);
    ChSetPrivilege(h, 0x1FF);
    ChSetRosters(h, QXCHAT_ROLE_HOST);
    ChChat1(h, L"conf.bench", 7, static_cast<LONG>(kRoom), L"Bench", 1, L"");
    CMainChatDlg* dlg = reinterpret_cast<Cchat*>(h)->Dialog();
    double ms = -1;
    if (PumpUntilEnrolled(dlg)) {
        const int groups[] = {1, 2, 3, 4, 7, 8, 15};
        for (int i = 0; i < 7; ++i)
            ChAddGroup(h, i, 1, groups[i], L"Group", 1, i == 6, 0, nullptr, 0, 0);
        const double t0 = NowMs();
        dlg->ApeRosterChanged(dlg->Status().m_apeHandle, 7, 1, 0, 0, list.Get());
        ms = NowMs() - t0;
        *pEntries = static_cast<int>(SendMessageW(dlg->Controls().m_hRecipient, CB_GETCOUNT, 0, 0));
    }
    QxDeleteInstance(h);
    return ms;
}

double TimeParseAlone(const std::vector<std::string>& texts) {
    const double t0 = NowMs();
    DWORD sum = 0;
    for (const std::string& text : texts) {
        CRosterInfoPDU pdu;
        if (pdu.ParseXMLPDU(text)) sum += pdu.GetRoleSet();
    }
    const double ms = NowMs() - t0;
    return sum ? ms : -1;
}

} // namespace

int main(int argc, char** argv) {
    // Optional: participant count and repetitions.
    if (argc > 1) kParticipants = std::max(1, std::atoi(argv[1]));
    if (argc > 2) kRepetitions = std::max(1, std::atoi(argv[2]));
    // "notrace": the module's trace unbound, to tell the list's own cost from the trace's.
    const bool bTrace = !(argc > 3 && std::string(argv[3]) == "notrace");
    if (!bTrace) TraceUnbind();
    HWND hHost = MakeHost();
    std::vector<enginetest::EntrySpec> entries;
    std::vector<std::string> texts;
    for (int i = 0; i < kParticipants; ++i) {
        const DWORD dwRoles = i % 50 == 0 ? QXCHAT_ROLE_PANELIST : QXCHAT_ROLE_ATTENDEE;
        texts.push_back(enginetest::RosterText(NameOf(i), dwRoles));
        entries.push_back({static_cast<DWORD>(100000 + i), static_cast<DWORD>(200000 + i), texts.back()});
    }
    enginetest::RosterList list;
    list.Record(kRoom, entries);
    std::vector<double> change, parse;
    SamplingProfiler profiler; // with QX_PROFILE set: where the roster changes spend their time
    for (int r = 0; r < kRepetitions; ++r) {
        int nEntries = 0;
        const double c = TimeRosterChange(hHost, list, &nEntries);
        const double p = TimeParseAlone(texts);
        if (c < 0 || p < 0) {
            std::printf("repetition %d failed (roster change %.1f ms, parse %.1f ms)\n", r + 1, c, p);
            return 1;
        }
        change.push_back(c);
        parse.push_back(p);
        std::printf("repetition %d: roster change %.1f ms, parse alone %.1f ms, %d entries listed\n", r + 1,
                    c, p, nEntries);
    }
    const double mc = Median(change), mp = Median(parse);
    std::printf("participants=%d median roster change=%.1f ms median parse=%.1f ms ratio=%.1f\n",
                kParticipants, mc, mp, mp > 0 ? mc / mp : 0.0);
    const std::string what = "roster change of " + std::to_string(kParticipants) + " participants";
    ReportFigure(what.c_str(), Summarize(change), "parsing their roster texts", Summarize(parse), "<= 3");
    DestroyWindow(hHost);
    return 0;
}
