// Mutation fuzzer of a live chat instance on the embedded conference. Alice is the instance under
// test; Bob, a second instance, is the hostile participant whose controller carries the inputs:
//   data    direct data that Bob's controller sends to Alice (SendData)
//   cache   items that Bob appends to the everyone group's cache, which Alice subscribes to
//   join    roster texts of participants joining and leaving (the conference's roster change)
//   config  the host's configuration texts (ChSetConfig on Alice)
// Each input is delivered through the message loop and must be handled within the per-input
// bound. Every cycle of inputs ends with a probe (Bob's ordinary message must still reach
// Alice), then both instances are deleted: the process's allocations, qxmem blocks, drawing
// objects and windows must be back where the first cycle left them.
//
// instance_fuzz.exe data|cache|join|config [inputs] [seed] [inputs per cycle]
#include "FuzzSupport.h"
#include "SamplingProfiler.h"

#include "ChatMember.h"
#include "TestControl.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "pdu/RosterInfoPDU.h"
#include "pdu/TransferMessagePDU.h"
#include "pdu/TypingIndicatorPDU.h"
#include "qxmem.h"
#include "window/GdiObject.h"

#include <cstdio>
#include <cstring>
#include <memory>

using fuzz::Bytes;
using msgtest::ChatMember;
using msgtest::MemberConfig;

namespace {

enum class Target { Data, Cache, Join, Config };

std::string Doc(int nType, const std::string& strBody) {
    return "<chat ver=\"1.0\"><mtype>" + std::to_string(nType) + "</mtype>" + strBody + "</chat>";
}

std::vector<Bytes> MessageSeeds(DWORD dwBob, DWORD dwBobNode, DWORD dwAlice) {
    std::vector<Bytes> seeds;
    CGroupMessagePDU group;
    group.SetSendId(dwBob);
    group.SetSendNodeId(dwBobNode);
    group.SetSenderName("Bob");
    group.SetGroupId(CHAT_ALL_USERS_ROLE_GROUP);
    group.SetReceiverName("Everyone");
    group.SetMessageText("hello www.example.com \xE2\x82\xAC");
    group.GenerateXMLPDU();
    seeds.push_back(group.GetXMLText());
    CPrivateMessagePDU priv;
    priv.SetSendId(dwBob);
    priv.SetSenderName("Bob");
    priv.SetRecId(dwAlice);
    priv.SetReceiverName("Alice");
    priv.SetMessageText("two\r\nlines\tand a tab");
    priv.SetMessageId(std::to_string(dwBob) + "-1");
    priv.GenerateXMLPDU();
    seeds.push_back(priv.GetXMLText());
    CTypingIndicatorPDU typing;
    typing.SetSendId(dwBob);
    typing.SetRecId(dwAlice);
    typing.GenerateXMLPDU();
    seeds.push_back(typing.GetXMLText());
    CTransferMessagePDU transfer;
    transfer.SetSendId(dwBob);
    transfer.SetRecId(dwAlice);
    transfer.SetSubType(1);
    transfer.SetMessageText("transferred");
    transfer.GenerateXMLPDU();
    seeds.push_back(transfer.GetXMLText());
    CChatUserInfoPDU user;
    user.SetUserId(dwBob);
    user.SetName("Bob");
    user.GenerateXMLPDU();
    seeds.push_back(user.GetXMLText());
    return seeds;
}

std::vector<Bytes> RosterSeeds() {
    std::vector<Bytes> seeds;
    const std::pair<const char*, DWORD> people[] = {
        {"Carol", 8}, {"Dan", 1}, {"Eve", 15}, {"\xE3\x81\x95", 2}};
    for (const auto& p : people)
        seeds.push_back(enginetest::RosterText(p.first, p.second, 1, 0, 0));
    seeds.push_back(enginetest::RosterText("Rec", 8, 0, 3, 42));
    return seeds;
}

std::vector<Bytes> ConfigSeeds() {
    return {Doc(7, "<faq><index>1</index><faqn>Hello</faqn><faqc><![CDATA[Hello {fname}!]]></faqc></faq>"
                   "<faq><index>2</index><faqn>Wait</faqn><faqc>One moment, {lname}</faqc></faq>"),
            Doc(8, "<fname><![CDATA[Ann]]></fname><lname>Lee</lname><phone>555</phone><email>a@b.c</email>"),
            Doc(11, "<customerid>12345</customerid>"), Doc(10, "<primcust>3</primcust>")};
}

// A wide text from the input: mostly its UTF-8 reading, sometimes its bytes as UTF-16 units.
std::wstring WideOf(const Bytes& bytes, bool bRawUnits) {
    std::wstring text;
    if (bRawUnits) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
    } else if (!bytes.empty()) {
        const int n =
            MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        text.resize(static_cast<size_t>(n));
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    }
    // The host hands a terminated string: the first NUL ends it.
    return std::wstring(text.c_str());
}

struct Pair {
    std::unique_ptr<ChatMember> alice, bob;
};

bool Start(Pair& pair, Target target) {
    DWORD dwFeature = 0;
    if (target == Target::Config) dwFeature = QXCHAT_FEATURE_QUICK_PHRASE;
    pair.alice.reset(new ChatMember(MemberConfig(L"Alice", dwFeature | QXCHAT_FEATURE_TYPING).Typing(5)));
    pair.bob.reset(new ChatMember(MemberConfig(L"Bob")));
    pair.alice->Start();
    pair.bob->Start();
    if (!msgtest::PumpUntilReady({pair.alice.get(), pair.bob.get()}, 15000)) return false;
    pair.alice->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    pair.bob->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    return true;
}

// Bob's ordinary message still reaches Alice.
bool Probe(Pair& pair, unsigned long long nCycle) {
    const std::wstring line = L"probe " + std::to_wstring(nCycle);
    pair.bob->Say(line);
    return PumpUntil(
        [&] {
            const std::vector<std::wstring> texts = pair.alice->Texts();
            return !texts.empty() && texts.back() == line;
        },
        10000);
}

class Deliverer {
public:
    Deliverer(Pair& pair, Target target, std::mt19937& rng) : m_pair(pair), m_target(target), m_rng(rng) {}

    // Hands one input to Alice and waits until everything it caused has been delivered.
    bool Deliver(const Bytes& input) {
        CMainChatDlg* pBob = m_pair.bob->Dlg();
        IArmNodeController* nc = pBob->Status().m_pArmNC;
        const DWORD dwBobApe = pBob->Status().m_apeHandle;
        switch (m_target) {
        case Target::Data:
            if (!input.empty() && nc)
                nc->SendData(dwBobApe, m_pair.alice->UserId(), 1 + m_rng() % 2,
                             reinterpret_cast<const BYTE*>(input.data()), static_cast<DWORD>(input.size()), 1,
                             1);
            break;
        case Target::Cache: {
            QXMEMHANDLE hMem = nullptr;
            if (nc && QxMemoryAlloc(static_cast<DWORD>(input.size()), &hMem) == QXMEM_OK) {
                DWORD dwSize = static_cast<DWORD>(input.size());
                QxMemoryWrite(hMem, 0, input.data(), &dwSize);
                nc->CacheSet(dwBobApe, pBob->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP), 0, 0,
                             QXNC_CACHE_APPEND, m_rng() % 4, hMem, 0, 1);
                QxMemoryRelease(hMem);
            }
            break;
        }
        case Target::Join: {
            IQxNodeControlTest* control = nullptr;
            QxGetNodeControlTest(&control);
            // Ids of a newcomer, sometimes Bob's or Alice's own.
            const DWORD ids[] = {900 + m_rng() % 50, m_pair.bob->UserId(), m_pair.alice->UserId()};
            const DWORD dwUser = ids[m_rng() % 8 == 0 ? 1 + m_rng() % 2 : 0];
            QxEnrollEntry entry = {m_pair.alice->NodeId() + 1 + m_rng() % 50, dwUser, input.data(),
                                   static_cast<int>(input.size())};
            QxRosterRecord record = {};
            record.conf_handle = 9;
            record.chat_room_id = 3;
            record.entry_count = 1;
            record.entries = &entry;
            const DWORD dwAliceApe = m_pair.alice->Dlg()->Status().m_apeHandle;
            // Joins, sometimes changes, then leaves.
            control->InjectRosterChange(dwAliceApe, 1, 0, 0, &record);
            if (m_rng() % 4 == 0) control->InjectRosterChange(dwAliceApe, 0, 0, 1, &record);
            if (m_rng() % 8) control->InjectRosterChange(dwAliceApe, 0, 1, 0, &record);
            break;
        }
        case Target::Config: {
            const DWORD types[] = {QXCHAT_CFG_FAQ_CONTENT,
                                   QXCHAT_CFG_FAQ_MACRO,
                                   QXCHAT_CFG_CUSTOMER_ID,
                                   QXCHAT_CFG_PRIMARY_CUSTOMER,
                                   0,
                                   5,
                                   0xFFFFFFFFu};
            const std::wstring text = WideOf(input, m_rng() % 8 == 0);
            // The text ends at the end of a committed page, so reading past its NUL faults.
            const wchar_t* lpszText = m_page.Place(text);
            ChSetConfig(m_pair.alice->H(), types[m_rng() % 16 < 14 ? m_rng() % 4 : 4 + m_rng() % 3],
                        lpszText);
            break;
        }
        }
        IQxNodeControlTest* control = nullptr;
        QxGetNodeControlTest(&control);
        const bool bQuiet = PumpUntil([&] { return control->PendingCallbacks() == 0; }, 5000);
        PumpPending();
        return bQuiet;
    }

private:
    class WidePage {
    public:
        WidePage() {
            m_pBase = static_cast<char*>(VirtualAlloc(nullptr, kBytes + 4096, MEM_RESERVE, PAGE_NOACCESS));
            VirtualAlloc(m_pBase, kBytes, MEM_COMMIT, PAGE_READWRITE);
        }
        ~WidePage() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
        const wchar_t* Place(const std::wstring& text) {
            const size_t nBytes = (std::min<size_t>(text.size(), kBytes / 2 - 1) + 1) * sizeof(wchar_t);
            wchar_t* p = reinterpret_cast<wchar_t*>(m_pBase + kBytes - nBytes);
            std::memcpy(p, text.c_str(), nBytes - sizeof(wchar_t));
            p[nBytes / sizeof(wchar_t) - 1] = 0;
            return p;
        }

    private:
        static constexpr size_t kBytes = 4u << 20;
        char* m_pBase = nullptr;
    };

    Pair& m_pair;
    Target m_target;
    std::mt19937& m_rng;
    WidePage m_page;
};

} // namespace

int main(int argc, char** argv) {
    const std::string name = argc > 1 ? argv[1] : "";
    Target target;
    if (name == "data")
        target = Target::Data;
    else if (name == "cache")
        target = Target::Cache;
    else if (name == "join")
        target = Target::Join;
    else if (name == "config")
        target = Target::Config;
    else {
        fprintf(stderr,
                "usage: instance_fuzz.exe data|cache|join|config [inputs] [seed] [inputs per cycle]\n");
        return 2;
    }
    const unsigned long long nInputs = argc > 2 ? strtoull(argv[2], nullptr, 10) : 1000000ULL;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(strtoul(argv[3], nullptr, 10)) : 20261208u;
    const unsigned long long nPerCycle = argc > 4 ? strtoull(argv[4], nullptr, 10) : 2000ULL;
    fuzz::InstallCrashHandler(name.c_str());
    enginetest::FreshControl();
    const DWORD dwBlocksBefore = QxMemoryLiveBlocks();

    Pair pair;
    if (!Start(pair, target)) {
        fprintf(stderr, "the instances did not start\n");
        return 2;
    }
    std::vector<Bytes> seeds;
    if (target == Target::Join)
        seeds = RosterSeeds();
    else if (target == Target::Config)
        seeds = ConfigSeeds();
    else
        seeds = MessageSeeds(pair.bob->UserId(), pair.bob->NodeId(), pair.alice->UserId());
    std::vector<Bytes> tokens = fuzz::XmlTokens();
    for (const char* t :
         {"<message>", "<sendid>", "<recid>", "<groupid>", "<UserName>", "<RoleSet>", "<faq>", "<faqc>",
          "{fname}", "{lname}", "http://", "file:", "javascript:", "\\\\server\\share", "www."})
        tokens.push_back(t);
    fuzz::Mutator mutator(seed, seeds, tokens);
    std::mt19937& rng = mutator.Rng();

    long long nAllocBaseline = -1;
    long nGdiBaseline = -1;
    int nWindowBaseline = -1;
    unsigned long long nCycle = 0, nSlow = 0;
    double slowest = 0;
    const double tStart = fuzz::Now();
    std::unique_ptr<Deliverer> deliverer(new Deliverer(pair, target, rng));
    long long nKeptAllocations = 0; // the mutator's corpus grows on purpose
    SamplingProfiler profiler;      // with QX_PROFILE set: where the inputs spend their time
    for (unsigned long long i = 0; i < nInputs; ++i) {
        {
            const Bytes input = mutator.Next(target == Target::Config ? (256u << 10) : (1u << 20));
            fuzz::SetCurrent(input);
            // The thread's processor time is a round trip to the Wine server, costly per input:
            // the wall clock is read instead, and an input that passed the bound on it is handed
            // over once more timed on the processor clock, so that a busy machine alone does not
            // make it a finding.
            double t0 = fuzz::Now();
            bool bQuiet = deliverer->Deliver(input);
            double seconds = fuzz::Now() - t0;
            if (bQuiet && seconds > fuzz::kSlowInputSeconds) {
                t0 = fuzz::ThreadSeconds();
                bQuiet = deliverer->Deliver(input);
                seconds = fuzz::ThreadSeconds() - t0;
            }
            slowest = std::max(slowest, seconds);
            if (!bQuiet || seconds > fuzz::kSlowInputSeconds) {
                ++nSlow;
                fuzz::ReportFinding(bQuiet ? "slow" : "callbacks still pending after 5 s");
            }
            if (rng() % 64 == 0) {
                const long long nBefore = fuzz::LiveAllocations();
                mutator.Keep(input);
                nKeptAllocations += fuzz::LiveAllocations() - nBefore;
            }
        }
        const bool bLast = i + 1 == nInputs;
        if ((i + 1) % nPerCycle != 0 && !bLast) continue;

        ++nCycle;
        if (!Probe(pair, nCycle)) fuzz::ReportFinding("the probe message did not arrive");
        if (!fuzz::HeapsValid()) fuzz::ReportFinding("heap damaged");
        deliverer.reset();
        pair.alice.reset();
        pair.bob.reset();
        msgtest::PumpUntilQuiet(5000);
        const long long nAlloc = fuzz::LiveAllocations() - nKeptAllocations;
        const long nGdi = QxGdiObjectsLive();
        const int nWindows = ThreadWindowCount();
        const DWORD dwBlocks = QxMemoryLiveBlocks();
        if (nAllocBaseline < 0) {
            nAllocBaseline = nAlloc;
            nGdiBaseline = nGdi;
            nWindowBaseline = nWindows;
        }
        printf("%llu inputs, cycle %llu: %.1f s, allocations %lld (first cycle %lld), drawing objects %ld, "
               "windows %d, qxmem blocks %lu (before start %lu)\n",
               i + 1, nCycle, fuzz::Now() - tStart, nAlloc, nAllocBaseline, nGdi, nWindows,
               static_cast<unsigned long>(dwBlocks), static_cast<unsigned long>(dwBlocksBefore));
        fflush(stdout);
        if (nAlloc > nAllocBaseline) fuzz::ReportFinding("allocations grew over a cycle");
        if (nGdi > nGdiBaseline) fuzz::ReportFinding("drawing objects left after delete");
        if (nWindows > nWindowBaseline) fuzz::ReportFinding("windows left after delete");
        if (dwBlocks != dwBlocksBefore) fuzz::ReportFinding("qxmem blocks left after delete");
        nAllocBaseline = std::max(nAllocBaseline, nAlloc);
        if (bLast) break;
        if (!Start(pair, target)) {
            fuzz::ReportFinding("the instances did not start again");
            break;
        }
        deliverer.reset(new Deliverer(pair, target, rng));
    }
    printf("done: %s, %llu inputs, %llu cycles, slowest %.4f s, %llu slow, %.1f s (%.0f "
           "inputs/s), %d "
           "findings\n",
           name.c_str(), nInputs, nCycle, slowest, nSlow, fuzz::Now() - tStart,
           double(nInputs) / (fuzz::Now() - tStart), fuzz::FindingCount());
    return fuzz::FindingCount() ? 1 : 0;
}
