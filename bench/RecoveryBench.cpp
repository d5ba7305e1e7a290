// A late joiner reading the conversation back: 50,000 group messages stored in the everyone
// cache, then a participant with recovery joins; the time from its start until it has shown
// the last of them, in order, against parsing the same stored items alone in the same run.
#include "BenchClock.h"
#include "BenchMember.h"
#include "BenchStore.h"
#include "SamplingProfiler.h"
#include "pdu/GroupMessagePDU.h"

#include "MessagePump.h"
#include "qxmem.h"
#include "qxnodectl.h"
#include "trace/Trace.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using bench::Member;

constexpr wchar_t kServer[] = L"conf.bench.recovery";
constexpr DWORD kTimeoutMs = 600000;

double ParseAlone(const std::vector<std::string>& items) {
    const double t0 = NowMs();
    size_t nChars = 0;
    for (const std::string& item : items) {
        CGroupMessagePDU pdu;
        if (pdu.ParseXMLPDU(item)) nChars += pdu.GetMessageText().size();
    }
    const double t = NowMs() - t0;
    return nChars ? t : -1;
}

// The texts of the joiner's list in order: every stored message once, in its order.
bool ShownInOrder(const Member& joiner, const std::vector<std::string>& texts) {
    CMessageWindow* pList = joiner.List();
    size_t next = 0;
    for (int i = 0; i < pList->GetItemCount() && next < texts.size(); ++i) {
        const MessageItem& item = pList->GetItem(i);
        if (item.kind == ITEM_TEXT) {
            if (item.text != std::wstring(texts[next].begin(), texts[next].end())) return false;
            ++next;
        }
    }
    return next == texts.size();
}

} // namespace

int main(int argc, char** argv) {
    const int nItems = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50000;
    const int nRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    TraceUnbind(); // the figure is the recovery's, not the trace's

    Member writer(kServer, L"Alice", 0);
    if (!PumpUntil([&] { return writer.Ready(); }, 10000)) {
        std::printf("the writer did not become ready\n");
        return 1;
    }
    std::vector<std::string> items, texts;
    for (int i = 0; i < nItems; ++i) {
        items.push_back(bench::StoredItem(writer.Dlg()->OwnUser().m_dwOwnUserId, "Alice", i));
        CGroupMessagePDU pdu;
        pdu.ParseXMLPDU(items.back());
        texts.push_back(pdu.GetMessageText());
        if (!bench::Store(writer, items.back())) {
            std::printf("item %d could not be stored\n", i);
            return 1;
        }
    }
    // The writer shows every item it stored once they come back: the cache holds them all then.
    if (!PumpUntil([&] { return writer.Items() >= 2 * nItems; }, kTimeoutMs)) {
        std::printf("the stored items did not all come back to the writer\n");
        return 1;
    }

    std::vector<double> recovery, parse;
    SamplingProfiler profiler; // with QX_PROFILE set: where the recoveries spend their time
    for (int r = 0; r < nRuns; ++r) {
        const double t0 = NowMs();
        auto joiner = std::make_unique<Member>(kServer, L"Carol", 420, QXCHAT_FEATURE_RECOVERY);
        // The list is looked up once: the wait checks after every message, and finding the list
        // through its window asks Wine about the window each time, which a recovery of many
        // callbacks would pay per callback.
        const CMessageWindow* pList = joiner->List();
        if (!pList) {
            std::printf("run %d: the joiner has no message list\n", r + 1);
            return 1;
        }
        if (!PumpUntil([&] { return pList->GetItemCount() >= 2 * nItems; }, kTimeoutMs)) {
            std::printf("run %d: the joiner showed %d of %d items\n", r + 1, joiner->Items() / 2, nItems);
            return 1;
        }
        const double t = NowMs() - t0;
        if (!ShownInOrder(*joiner, texts)) {
            std::printf("run %d: the joiner did not show the stored messages once, in order\n", r + 1);
            return 1;
        }
        const double p = ParseAlone(items);
        recovery.push_back(t);
        parse.push_back(p);
        std::printf("run %d: recovery of %d stored items shown %.1f ms, parsing them alone %.1f ms\n", r + 1,
                    nItems, t, p);
        joiner.reset();
        PumpUntil([] { return false; }, 200); // the leave reaches the conference
    }
    const std::string what = "late joiner's recovery of " + std::to_string(nItems) + " stored items, shown";
    ReportFigure(what.c_str(), Summarize(recovery), "parsing the items alone", Summarize(parse), "<= 3");
    return 0;
}
