// Churn through one chat instance, run by scripts/churn.sh, which reads the process's resident
// size from outside while this runs:
//   joins N     N participants join the instance's chat and leave again, one after another
//   messages N  one participant sends the instance N private messages
// The participants are bare controllers of the embedded conference (each join is a new APE).
// At every checkpoint a line "CHECK <unix ms> <done> ..." gives what the code itself counts: the
// process's live C++ allocations and their bytes (the checked heap), the drawing objects held,
// the thread's windows, the qxmem blocks, the instance's participants and list items. After
// QxDeleteInstance a last line "DELETED ..." gives the same counts against those before it was
// made.
#include "../fuzz/FuzzSupport.h"

#include "ChatMember.h"
#include "TestControl.h"
#include "NodeTestSupport.h"
#include "pdu/PrivateMessagePDU.h"
#include "qxmem.h"
#include "window/GdiObject.h"

#include <cstdio>
#include <memory>

using msgtest::ChatMember;
using msgtest::MemberConfig;

namespace {

// Where ChatMember starts its chat.
const char kServer[] = "conf.messages";
constexpr WORD kConference = 9;
constexpr DWORD kRoom = 3;

long long UnixMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const unsigned long long t =
        (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<long long>((t - 116444736000000000ULL) / 10000ULL);
}

struct Counts {
    long long nAllocations = fuzz::LiveAllocations();
    long long nBytes = fuzz::LiveBytes();
    long nDrawing = QxGdiObjectsLive();
    int nWindows = ThreadWindowCount();
    DWORD dwBlocks = QxMemoryLiveBlocks();
};

void PrintCounts(const char* lpszTag, unsigned long long nDone, const Counts& c, const ChatMember* pMember) {
    printf("%s %lld %llu allocations=%lld bytes=%lld drawing=%ld windows=%d blocks=%lu", lpszTag, UnixMs(),
           nDone, c.nAllocations, c.nBytes, c.nDrawing, c.nWindows, static_cast<unsigned long>(c.dwBlocks));
    if (pMember) printf(" users=%d items=%d", pMember->Dlg()->Users().GetCount(), pMember->ItemCount());
    printf("\n");
    fflush(stdout);
}

bool Settle() {
    return nctest::PumpUntilQuiet(10000);
}

// A bare participant enters the chat's room with a roster text of its name.
bool Enter(nctest::Participant& p, const std::string& strName) {
    return p.Connect() && p.Join(kConference) && p.Attach(kConference) &&
           p.Enroll(kRoom, enginetest::RosterText(strName));
}

int Joins(ChatMember& alice, unsigned long long nJoins) {
    const int nBase = alice.Dlg()->Users().GetCount();
    for (unsigned long long i = 0; i < nJoins; ++i) {
        {
            nctest::Participant p(kServer);
            if (!Enter(p, "Guest " + std::to_string(i))) {
                fprintf(stderr, "join %llu failed\n", i);
                return 1;
            }
            if (!PumpUntil([&] { return alice.Dlg()->Users().GetCount() == nBase + 1; })) {
                fprintf(stderr, "join %llu not seen by the instance\n", i);
                return 1;
            }
        }
        if (!PumpUntil([&] { return alice.Dlg()->Users().GetCount() == nBase; }) || !Settle()) {
            fprintf(stderr, "leave %llu not seen by the instance\n", i);
            return 1;
        }
        if ((i + 1) % 500 == 0) PrintCounts("CHECK", i + 1, Counts(), &alice);
    }
    return 0;
}

int Messages(ChatMember& alice, unsigned long long nMessages) {
    nctest::Participant bob(kServer);
    if (!Enter(bob, "Bob") || !PumpUntil([&] { return alice.Dlg()->Users().GetCount() == 2; })) {
        fprintf(stderr, "the sender did not join\n");
        return 1;
    }
    Settle();
    const int nItemsBefore = alice.ItemCount();
    for (unsigned long long i = 0; i < nMessages; ++i) {
        CPrivateMessagePDU pdu;
        pdu.SetSendId(bob.userId);
        pdu.SetSenderName("Bob");
        pdu.SetRecId(alice.UserId());
        pdu.SetReceiverName("Alice");
        pdu.SetMessageText("message " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog");
        pdu.SetMessageId(std::to_string(bob.userId) + "-" + std::to_string(i));
        pdu.GenerateXMLPDU();
        const std::string strData = pdu.GetXMLText();
        if (bob.nc->SendData(bob.ape, alice.UserId(), 1, reinterpret_cast<const BYTE*>(strData.data()),
                             static_cast<DWORD>(strData.size()), 1, 1) != 0) {
            fprintf(stderr, "message %llu refused\n", i);
            return 1;
        }
        if ((i + 1) % 100 == 0 && !Settle()) {
            fprintf(stderr, "message %llu not delivered\n", i);
            return 1;
        }
        if ((i + 1) % 10000 == 0) PrintCounts("CHECK", i + 1, Counts(), &alice);
    }
    Settle();
    const int nShown = alice.ItemCount() - nItemsBefore;
    printf("shown %d list items for %llu messages\n", nShown, nMessages);
    return nShown >= static_cast<int>(nMessages) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "joins" && mode != "messages") {
        fprintf(stderr, "usage: churn.exe joins|messages [count]\n");
        return 2;
    }
    const unsigned long long nCount =
        argc > 2 ? strtoull(argv[2], nullptr, 10) : (mode == "joins" ? 9000 : 100000);
    enginetest::FreshControl();
    const Counts before;
    PrintCounts("BEFORE", 0, before, nullptr);
    const long long tStart = UnixMs();
    int nResult = 0;
    {
        std::unique_ptr<ChatMember> alice(new ChatMember(MemberConfig(L"Alice")));
        alice->Start();
        if (!msgtest::PumpUntilReady({alice.get()}, 15000)) {
            fprintf(stderr, "the instance did not start\n");
            return 2;
        }
        PrintCounts("START", 0, Counts(), alice.get());
        nResult = mode == "joins" ? Joins(*alice, nCount) : Messages(*alice, nCount);
        printf("ran %llu %s in %.1f s\n", nCount, mode.c_str(), double(UnixMs() - tStart) / 1000.0);
        // Only the instance is deleted here; its host window goes with the member afterwards.
        alice->Delete();
        Settle();
        const Counts afterDelete;
        PrintCounts("DELETED", nCount, afterDelete, nullptr);
        if (afterDelete.nDrawing != before.nDrawing) {
            fprintf(stderr, "drawing objects left after QxDeleteInstance: %ld (before %ld)\n",
                    afterDelete.nDrawing, before.nDrawing);
            nResult = 1;
        }
        // The member's own host window is still there, as it was before the instance (+1).
        if (afterDelete.nWindows > before.nWindows + 1) {
            fprintf(stderr, "windows left after QxDeleteInstance: %d (before %d, +1 host)\n",
                    afterDelete.nWindows, before.nWindows);
            nResult = 1;
        }
        if (afterDelete.dwBlocks != before.dwBlocks) {
            fprintf(stderr, "qxmem blocks left after QxDeleteInstance: %lu (before %lu)\n",
                    static_cast<unsigned long>(afterDelete.dwBlocks),
                    static_cast<unsigned long>(before.dwBlocks));
            nResult = 1;
        }
    }
    return nResult;
}
