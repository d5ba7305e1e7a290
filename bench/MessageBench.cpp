// Group messages on the embedded conference: the time from a send (the Send button's command)
// to the receiver's showing of the message, against the conference's own bare round trip (data
// an APE sends to itself, posted and dispatched back) measured in the same run; then a burst of
// group messages, its throughput and the number of list refreshes it cost.
#include "BenchClock.h"
#include "BenchMember.h"

#include "MessagePump.h"
#include "qxchat.h"
#include "qxnodectl.h"
#include "trace/Trace.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Member;

constexpr wchar_t kServer[] = L"conf.bench.messages";
constexpr char kServerUtf8[] = "conf.bench.messages";

// A bare APE that only counts the data it receives.
class BareApe : public IArmNodeControllerSink, public IArmConferenceSink, public IArmApeSink {
public:
    bool Enter() {
        if (QxGetArmNodeController(kServerUtf8, &m_nc) != 0 || !m_nc) return false;
        if (m_nc->Connect(this, "", 0, 0, 0) != 0 || !PumpUntil([&] { return m_connected; })) return false;
        if (m_nc->JoinConference(0, 99, this, 3) != 0 || !PumpUntil([&] { return m_joined; })) return false;
        if (m_nc->AttachApe(this, 0, 99, &m_ape) != 0) return false;
        return PumpUntil([&] { return m_userId != 0; });
    }
    ~BareApe() {
        if (m_nc) m_nc->Release();
    }
    // One round trip: data to itself, pumped until its indication was dispatched.
    double RoundTrip() {
        const int before = m_received;
        static const BYTE data[] = "<chat ver=\"1.0\"><mtype>3</mtype></chat>";
        const double t0 = NowMs();
        m_nc->SendData(m_ape, m_userId, 1, data, sizeof(data) - 1, 1, 1);
        if (!PumpUntil([&] { return m_received > before; })) return -1;
        return NowMs() - t0;
    }

    int __stdcall ConnectConfirm(short, DWORD) override {
        m_connected = true;
        return 0;
    }
    int __stdcall ConferenceJoinConfirm(WORD, const char*, short, DWORD) override {
        m_joined = true;
        return 0;
    }
    int __stdcall ApeAttachConfirm(DWORD, int, DWORD userid) override {
        m_userId = userid;
        return 0;
    }
    int __stdcall ApeEnrollConfirm(DWORD, short, WORD, const QxResourceRecord*) override { return 0; }
    int __stdcall ApeDataIndication(DWORD, DWORD, DWORD, DWORD, const BYTE*, DWORD) override {
        ++m_received;
        return 0;
    }
    int __stdcall ApeRosterChanged(DWORD, WORD, WORD, WORD, WORD, const QxRosterRecord*) override {
        return 0;
    }
    int __stdcall ApeDetachIndication(DWORD, DWORD) override { return 0; }
    int __stdcall ApeCacheActionConfirmEx(DWORD, DWORD, DWORD, DWORD, DWORD, short) override { return 0; }

private:
    IArmNodeController* m_nc = nullptr;
    DWORD m_ape = 0, m_userId = 0;
    bool m_connected = false, m_joined = false;
    int m_received = 0;
};

} // namespace

int main(int argc, char** argv) {
    // Optional: round trips to time, burst size, "notrace".
    const int nTrips = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int nBurst = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
    if (argc > 3 && std::string(argv[3]) == "notrace") TraceUnbind();

    BareApe bare;
    if (!bare.Enter()) {
        std::printf("the bare APE could not enter the conference\n");
        return 1;
    }
    Member a(kServer, L"Alice", 0), b(kServer, L"Bob", 420);
    if (!PumpUntil([&] { return a.Ready() && b.Ready(); }, 10000)) {
        std::printf("the two instances did not become ready\n");
        return 1;
    }
    ChChatToGroup(a.h, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP);

    std::vector<double> sends, trips;
    for (int i = 0; i < nTrips; ++i) {
        const int before = b.Items();
        a.Type(L"round trip " + std::to_wstring(i));
        const double t0 = NowMs();
        a.ClickSend();
        if (!PumpUntil([&] { return b.Items() >= before + 2; })) {
            std::printf("message %d was not shown by the receiver\n", i);
            return 1;
        }
        sends.push_back(NowMs() - t0);
        trips.push_back(bare.RoundTrip());
    }
    const double ms = Median(sends), mt = Median(trips);
    std::printf("send to show: median %.3f ms over %d messages; bare conference round trip: median %.3f ms; "
                "ratio=%.1f\n",
                ms, nTrips, mt, mt > 0 ? ms / mt : 0.0);

    ReportFigure("message latency, send to show", Summarize(sends), "bare conference round trip",
                 Summarize(trips), "");

    // Bursts: every message of one sent at once, then pumped until the receiver has shown them
    // all. The burst is split into rounds so that the per-message time has a spread.
    constexpr int kRounds = 5;
    const int nRound = std::max(1, nBurst / kRounds);
    std::vector<double> perMessage;
    for (int round = 0; round < kRounds; ++round) {
        PumpUntil([&] { return false; }, 400); // let the last deferred refresh pass
        const int refreshesBefore = b.List()->RefreshCount();
        const int itemsBefore = b.Items();
        const double t0 = NowMs();
        double tTyping = 0;
        for (int i = 0; i < nRound; ++i) {
            const double tType = NowMs();
            a.Type(L"burst message " + std::to_wstring(i));
            tTyping += NowMs() - tType;
            a.ClickSend();
        }
        const double tSent = NowMs() - t0;
        if (!PumpUntil([&] { return b.Items() >= itemsBefore + 2 * nRound; }, 600000)) {
            std::printf("the burst was not shown whole: %d of %d messages\n", (b.Items() - itemsBefore) / 2,
                        nRound);
            return 1;
        }
        const double tDone = NowMs();
        const double tShown = tDone - t0 - tTyping;
        // Nothing is pumped while the loop sends: the receiver shows the whole burst afterwards.
        const double tShowing = tDone - t0 - tSent;
        PumpUntil([&] { return false; }, 400); // the refresh that follows the last message
        const int nRefreshes = b.List()->RefreshCount() - refreshesBefore;
        perMessage.push_back(tShown / nRound);
        std::printf("burst of %d: sent in %.1f ms (typing into the input box, %.1f ms of it, not counted), "
                    "shown by the receiver after %.1f ms (%.0f messages/s, %.3f ms each); receiver "
                    "refreshes=%d while it showed them for %.0f ms (one per 300 ms: about %.0f)\n",
                    nRound, tSent, tTyping, tShown, 1000.0 * nRound / tShown, tShown / nRound, nRefreshes,
                    tShowing, tShowing / 300.0 + 1);
    }
    const std::string what = "burst of " + std::to_string(nRound) + ", time per message";
    ReportFigure(what.c_str(), Summarize(perMessage), "bare conference round trip", Summarize(trips), "");
    return 0;
}
