// Churn through one chat instance, run by scripts/churn.sh, which reads the process's resident
// size from outside while this runs and holds it to its own bounds:
//   joins N     N participants join the instance's chat and leave again, one after another
//   messages N  one participant sends the instance N private messages
// The participants are bare controllers of the embedded conference (each join is a new APE).
// At every checkpoint a line "CHECK <unix ms> <done> ..." gives what the code itself counts: the
// process's live C++ allocations and their bytes (the checked heap), the drawing objects held,
// the thread's windows, the qxmem blocks, the PDU objects, the instance's participants and list
// items. After QxDeleteInstance a last line "DELETED ..." gives the same counts against those
// before it was made. Each bound below that is not met prints a "FAIL" line and the run fails.
#include "../fuzz/FuzzSupport.h"

#include "ChatMember.h"
#include "TestControl.h"
#include "NodeTestSupport.h"
#include "pdu/PrivateMessagePDU.h"
#include "qxmem.h"
#include "window/GdiObject.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <cstdio>
#include <memory>

using msgtest::ChatMember;
using msgtest::MemberConfig;

namespace {

// Where ChatMember starts its chat.
const char kServer[] = "conf.messages";
constexpr WORD kConference = 9;
constexpr DWORD kRoom = 3;

// Joins and leaves: after the warm-up the counts are those of the first checkpoint, within these.
constexpr unsigned long long kJoinWarmUp = 500;
constexpr unsigned long long kJoinCheckEvery = 500;
constexpr long long kJoinAllocationSlack = 64;  // live allocations, either way
constexpr long long kJoinByteSlack = 64 * 1024; // live bytes, either way
// Messages: the live bytes grow by what the list keeps for each message and nothing besides: its
// items (measured on the items themselves, below) and its per-item index entries (the item's
// pointer, its height and its running sum for scrolling, and the reader's child start). The
// index vectors double as they grow, so their spare room is bounded by their size, not zero.
constexpr unsigned long long kMessageCheckEvery = 10000;
constexpr long long kIndexBytesPerItem = sizeof(void*) + sizeof(int) + sizeof(long long);
constexpr long long kIndexBytesPerChild = sizeof(int);
// After QxDeleteInstance: what the instance made is gone, within this (the module's own lazily
// made state, such as loaded strings, stays).
constexpr long long kDeleteByteSlack = 64 * 1024;

long long UnixMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const unsigned long long t =
        (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<long long>((t - 116444736000000000ULL) / 10000ULL);
}

// The thread's windows, children included, but the platform's own input-method window, which
// comes and goes with the thread's first and last window.
int OwnWindowCount() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* pn = reinterpret_cast<int*>(lParam);
            wchar_t cls[8] = {};
            GetClassNameW(hWnd, cls, 8);
            if (wcscmp(cls, L"IME") == 0) return TRUE;
            ++*pn;
            EnumChildWindows(
                hWnd, [](HWND, LPARAM l) -> BOOL { return ++*reinterpret_cast<int*>(l), TRUE; }, lParam);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

struct Counts {
    long long nAllocations = fuzz::LiveAllocations();
    long long nBytes = fuzz::LiveBytes();
    long nDrawing = QxGdiObjectsLive();
    int nWindows = OwnWindowCount();
    DWORD dwBlocks = QxMemoryLiveBlocks();
    long nPdus = QxPdusLive();
};

void PrintCounts(const char* lpszTag, unsigned long long nDone, const Counts& c, const ChatMember* pMember) {
    printf("%s %lld %llu allocations=%lld bytes=%lld drawing=%ld windows=%d blocks=%lu pdus=%ld", lpszTag,
           UnixMs(), nDone, c.nAllocations, c.nBytes, c.nDrawing, c.nWindows,
           static_cast<unsigned long>(c.dwBlocks), c.nPdus);
    if (pMember) printf(" users=%d items=%d", pMember->Dlg()->Users().GetCount(), pMember->ItemCount());
    printf("\n");
    fflush(stdout);
}

// Counts a bound on; every miss is printed and remembered.
class Bounds {
public:
    void Equal(const char* lpszWhat, long long nNow, long long nThen, unsigned long long nDone) {
        Within(lpszWhat, nNow, nThen, 0, nDone);
    }
    void Within(const char* lpszWhat, long long nNow, long long nThen, long long nSlack,
                unsigned long long nDone) {
        if (nNow - nThen > nSlack || nThen - nNow > nSlack) {
            printf("FAIL at %llu: %s %lld against %lld (slack %lld)\n", nDone, lpszWhat, nNow, nThen, nSlack);
            m_bFailed = true;
        }
    }
    void AtMost(const char* lpszWhat, long long nNow, long long nBound, unsigned long long nDone) {
        if (nNow > nBound) {
            printf("FAIL at %llu: %s %lld above %lld\n", nDone, lpszWhat, nNow, nBound);
            m_bFailed = true;
        }
    }
    bool Failed() const { return m_bFailed; }

private:
    bool m_bFailed = false;
};

// Nothing drawn, shown, shared or parsed is held beyond the reference.
void ExpectFlatObjects(Bounds& bounds, const Counts& now, const Counts& then, unsigned long long nDone) {
    bounds.Equal("drawing objects", now.nDrawing, then.nDrawing, nDone);
    bounds.Equal("windows", now.nWindows, then.nWindows, nDone);
    bounds.Equal("qxmem blocks", now.dwBlocks, then.dwBlocks, nDone);
    bounds.Equal("PDU objects", now.nPdus, then.nPdus, nDone);
}

// The heap bytes a list item holds: the item, its strings past the short-string buffer, its
// links.
long long ItemBytes(const MessageItem& item) {
    auto text = [](const std::wstring& s) {
        return s.capacity() > std::wstring().capacity()
                   ? static_cast<long long>((s.capacity() + 1) * sizeof(wchar_t))
                   : 0LL;
    };
    long long n = sizeof(MessageItem);
    for (const std::wstring* s : {&item.text, &item.date, &item.time, &item.senderPart, &item.restPart})
        n += text(*s);
    n += static_cast<long long>(item.links.capacity() * sizeof(LinkRange));
    for (const LinkRange& link : item.links)
        n += text(link.strText) + text(link.strTarget);
    return n;
}

// Names the thread's windows: a window left after the instance is named in the run's output.
void PrintThreadWindows() {
    auto print = [](HWND hWnd, LPARAM lDepth) -> BOOL {
        wchar_t cls[64] = {}, title[64] = {};
        GetClassNameW(hWnd, cls, 64);
        GetWindowTextW(hWnd, title, 64);
        printf("WINDOW %s%ls \"%ls\"\n", lDepth ? "  " : "", cls, title);
        return TRUE;
    };
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto pPrint = reinterpret_cast<BOOL (*)(HWND, LPARAM)>(lParam);
            pPrint(hWnd, 0);
            EnumChildWindows(
                hWnd,
                [](HWND hChild, LPARAM l) -> BOOL {
                    return reinterpret_cast<BOOL (*)(HWND, LPARAM)>(l)(hChild, 1);
                },
                lParam);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(static_cast<BOOL (*)(HWND, LPARAM)>(print)));
}

bool Settle() {
    return nctest::PumpUntilQuiet(10000);
}

// A bare participant enters the chat's room with a roster text of its name.
bool Enter(nctest::Participant& p, const std::string& strName) {
    return p.Connect() && p.Join(kConference) && p.Attach(kConference) &&
           p.Enroll(kRoom, enginetest::RosterText(strName));
}

// The stand-in conference logs every call, with its data, up to 20,000 of them, for tests to
// read: cleared as the run goes, so that the log's growth is not taken for the chat's.
int Joins(IQxNodeControlTest* control, ChatMember& alice, unsigned long long nJoins, Bounds& bounds) {
    const int nBase = alice.Dlg()->Users().GetCount();
    const int nItemsBase = alice.ItemCount();
    std::unique_ptr<Counts> pReference;
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
        control->ClearCalls();
        const unsigned long long nDone = i + 1;
        if (nDone % kJoinCheckEvery != 0 && nDone != nJoins) continue;
        const Counts now;
        PrintCounts("CHECK", nDone, now, &alice);
        bounds.Equal("list items", alice.ItemCount(), nItemsBase, nDone);
        if (nDone < kJoinWarmUp) continue;
        if (!pReference) {
            pReference.reset(new Counts(now));
            continue;
        }
        bounds.Within("live allocations", now.nAllocations, pReference->nAllocations, kJoinAllocationSlack,
                      nDone);
        bounds.Within("live bytes", now.nBytes, pReference->nBytes, kJoinByteSlack, nDone);
        ExpectFlatObjects(bounds, now, *pReference, nDone);
    }
    return 0;
}

int Messages(IQxNodeControlTest* control, ChatMember& alice, unsigned long long nMessages, Bounds& bounds) {
    nctest::Participant bob(kServer);
    if (!Enter(bob, "Bob") || !PumpUntil([&] { return alice.Dlg()->Users().GetCount() == 2; })) {
        fprintf(stderr, "the sender did not join\n");
        return 1;
    }
    Settle();
    const int nItemsBefore = alice.ItemCount();
    CMessageWindow* pList = QxMessageList(alice.Dlg()->Controls().m_hMessageWnd);
    if (!pList) {
        fprintf(stderr, "no message list\n");
        return 1;
    }
    // The reference: the first checkpoint, and the bytes its items held then.
    std::unique_ptr<Counts> pReference;
    unsigned long long nReferenceDone = 0;
    long long nReferenceItemBytes = 0, nReferenceIndexBytes = 0;
    int nItemsMeasured = nItemsBefore;
    // Short runs still get a few checkpoints.
    const unsigned long long nCheckEvery =
        nMessages >= 4 * kMessageCheckEvery ? kMessageCheckEvery : (nMessages / 4 ? nMessages / 4 : 1);
    long long nItemBytes = 0, nIndexBytes = 0;
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
        const unsigned long long nDone = i + 1;
        if (nDone % 100 == 0) {
            if (!Settle()) {
                fprintf(stderr, "message %llu not delivered\n", i);
                return 1;
            }
            control->ClearCalls();
        }
        if (nDone % nCheckEvery != 0 && nDone != nMessages) continue;
        Settle();
        for (; nItemsMeasured < pList->GetItemCount(); ++nItemsMeasured) {
            const MessageItem& item = pList->GetItem(nItemsMeasured);
            nItemBytes += ItemBytes(item);
            // A text after its header is read as one child with it.
            nIndexBytes += kIndexBytesPerItem + (item.kind == ITEM_TEXT ? 0 : kIndexBytesPerChild);
        }
        const Counts now;
        PrintCounts("CHECK", nDone, now, &alice);
        if (!pReference) {
            pReference.reset(new Counts(now));
            nReferenceDone = nDone;
            nReferenceItemBytes = nItemBytes;
            nReferenceIndexBytes = nIndexBytes;
            continue;
        }
        const long long nMessagesSince = static_cast<long long>(nDone - nReferenceDone);
        const long long nIndexGrowth = nIndexBytes - nReferenceIndexBytes;
        const long long nListGrowth = nItemBytes - nReferenceItemBytes + nIndexGrowth;
        const long long nGrowth = now.nBytes - pReference->nBytes;
        printf("GROWTH %llu bytes=%lld list=%lld per_message=%.1f list_per_message=%.1f "
               "index_per_message=%.1f\n",
               nDone, nGrowth, nListGrowth, double(nGrowth) / double(nMessagesSince),
               double(nListGrowth) / double(nMessagesSince), double(nIndexGrowth) / double(nMessagesSince));
        // A vector's capacity is at most twice its size: from the reference on, the index's
        // room grows by at most its growth again plus its size at the reference.
        bounds.AtMost("live bytes grown", nGrowth, nListGrowth + nIndexGrowth + nReferenceIndexBytes, nDone);
        ExpectFlatObjects(bounds, now, *pReference, nDone);
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
    IQxNodeControlTest* control = enginetest::FreshControl();
    Bounds bounds;
    int nResult = 0;
    // The first instance of the process loads what every later one shares (strings, fonts, the
    // resource library): one made and deleted first keeps that out of the before and after.
    {
        std::unique_ptr<ChatMember> warm(new ChatMember(MemberConfig(L"Warm")));
        warm->Start();
        msgtest::PumpUntilReady({warm.get()}, 15000);
        warm->Delete();
        Settle();
    }
    const Counts before;
    PrintCounts("BEFORE", 0, before, nullptr);
    const long long tStart = UnixMs();
    {
        std::unique_ptr<ChatMember> alice(new ChatMember(MemberConfig(L"Alice")));
        alice->Start();
        if (!msgtest::PumpUntilReady({alice.get()}, 15000)) {
            fprintf(stderr, "the instance did not start\n");
            return 2;
        }
        PrintCounts("START", 0, Counts(), alice.get());
        nResult = mode == "joins" ? Joins(control, *alice, nCount, bounds)
                                  : Messages(control, *alice, nCount, bounds);
        printf("ran %llu %s in %.1f s\n", nCount, mode.c_str(), double(UnixMs() - tStart) / 1000.0);
        // Only the instance is deleted here; its host window goes with the member afterwards.
        alice->Delete();
        Settle();
        const Counts afterDelete;
        PrintCounts("DELETED", nCount, afterDelete, nullptr);
        bounds.Equal("drawing objects after QxDeleteInstance", afterDelete.nDrawing, before.nDrawing, nCount);
        // The member's own host window is still there, as it was before the instance (+1).
        bounds.AtMost("windows after QxDeleteInstance", afterDelete.nWindows, before.nWindows + 1, nCount);
        if (afterDelete.nWindows > before.nWindows + 1) PrintThreadWindows();
        bounds.Equal("qxmem blocks after QxDeleteInstance", afterDelete.dwBlocks, before.dwBlocks, nCount);
        bounds.Equal("PDU objects after QxDeleteInstance", afterDelete.nPdus, before.nPdus, nCount);
        bounds.Within("live bytes after QxDeleteInstance", afterDelete.nBytes, before.nBytes,
                      kDeleteByteSlack, nCount);
    }
    if (bounds.Failed()) nResult = 1;
    printf("%s\n", nResult == 0 ? "PASS" : "FAIL");
    return nResult;
}
