// Mutation fuzzer of the texts a participant sends: the eleven PDU types (target "pdu") and the
// roster information of an enroll entry (target "roster"). Seeds are valid documents of every
// type as the senders write them; each mutated input is typed as a receiver types it, parsed by
// its own class and by one other, and must end quickly, free everything it allocated and leave
// every heap guard intact. Roster texts are read from the very end of a committed page, so a
// read past the entry's length faults at once.
//
// pdu_fuzz.exe pdu|roster [inputs] [seed]
#include "FuzzSupport.h"

#include "engine/RosterRules.h"
#include "participants/UserItem.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/CustomerIdPDU.h"
#include "pdu/FAQContentPDU.h"
#include "pdu/FAQMacroInfoPDU.h"
#include "pdu/GroupInfoPDU.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrimCustNodeIdPDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "pdu/RosterInfoPDU.h"
#include "pdu/TransferMessagePDU.h"
#include "pdu/TypingIndicatorPDU.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using fuzz::Bytes;

std::string Doc(int nType, const std::string& strBody) {
    return "<chat ver=\"1.0\"><mtype>" + std::to_string(nType) + "</mtype>" + strBody + "</chat>";
}

Bytes RosterSeed(const std::string& strName, DWORD dwRoles, DWORD dwGuest, bool bAll) {
    CRosterInfoPDU pdu;
    pdu.SetNodeId(4711);
    pdu.SetName(strName);
    pdu.SetRoleSet(dwRoles);
    pdu.SetVisible(1);
    pdu.SetUserType(2);
    if (bAll) {
        pdu.SetFirstName("Ann");
        pdu.SetLastName("\xC3\x96sterberg");
        pdu.SetPhone("+1 555 0100");
        pdu.SetEmail("ann@example.com");
    }
    pdu.SetGuestId(dwGuest);
    pdu.GenerateXMLPDU();
    return pdu.GetXMLText();
}

std::vector<Bytes> PduSeeds() {
    std::vector<Bytes> seeds;
    CGroupMessagePDU group;
    group.SetSendId(5);
    group.SetSendNodeId(77);
    group.SetSenderName("Ann");
    group.SetGroupId(15);
    group.SetReceiverName("Everyone");
    group.SetGroupCacheId(3);
    group.SetMessageText("hello <b>&amp; \xE2\x82\xAC ]]> www.example.com");
    group.SetSenderCopies(true);
    group.GenerateXMLPDU();
    seeds.push_back(group.GetXMLText());
    CPrivateMessagePDU priv;
    priv.SetSendId(5);
    priv.SetSenderName("Ann");
    priv.SetRecId(6);
    priv.SetReceiverName("Bob");
    priv.SetMessageText("two\r\nlines\t\xF0\x9F\x98\x80");
    priv.SetMessageId("5-1");
    priv.GenerateXMLPDU();
    seeds.push_back(priv.GetXMLText());
    CTransferMessagePDU transfer;
    transfer.SetSendId(5);
    transfer.SetRecId(6);
    transfer.SetSubType(2);
    transfer.SetOption(1);
    transfer.SetMessageText("please wait");
    transfer.GenerateXMLPDU();
    seeds.push_back(transfer.GetXMLText());
    CTypingIndicatorPDU typing;
    typing.SetSendId(5);
    typing.SetRecId(0);
    typing.GenerateXMLPDU();
    seeds.push_back(typing.GetXMLText());
    CChatUserInfoPDU user;
    user.SetUserId(5);
    user.SetName("Ann");
    user.GenerateXMLPDU();
    seeds.push_back(user.GetXMLText());
    CGroupInfoPDU info;
    info.SetGroupHandle(12);
    info.SetGroupName("Presenters");
    info.GenerateXMLPDU();
    seeds.push_back(info.GetXMLText());
    seeds.push_back(RosterSeed("Ann", 9, 42, true));
    seeds.push_back(Doc(7,
                        "<faq><index>1</index><faqn>Hello</faqn><faqc><![CDATA[Hello {fname}!]]></faqc></faq>"
                        "<faq><index>2</index><faqn>Broken</faqn></faq><other/>"
                        "<faq><faqc>Bye \xD0\x91</faqc><faqn>n</faqn><index>3</index></faq>"));
    seeds.push_back(Doc(8, "<email>ann@example.com</email><phone>555 0100</phone><fname>Ann</fname>"
                           "<lname>Lee</lname>"));
    seeds.push_back(Doc(10, "<primcust>77</primcust>"));
    seeds.push_back(Doc(11, "<customerid>42</customerid>"));
    seeds.push_back("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                    Doc(3, "<sendid>1</sendid><groupid>15</groupid>"
                           "<message>x</message>"));
    return seeds;
}

std::vector<Bytes> RosterSeeds() {
    return {RosterSeed("Ann", 8, 0, false), RosterSeed("Bob", 1, 0, false), RosterSeed("Carol", 15, 42, true),
            RosterSeed("\xE3\x81\x95\xE3\x82\x88", 2, 0, true), Doc(5, "")};
}

class NullFAQSink : public IFAQItemSink {
public:
    void AddFAQItem(std::unique_ptr<FAQItem> pItem) override { nItems += pItem != nullptr; }
    void OnFAQListComplete() override {}
    size_t nItems = 0;
};

// Parses the text with the class of type nType; true when it parsed. bTooLong is set when a
// field came out longer than the text it was read from.
bool ParseAs(int nType, const std::string& text, bool& bTooLong) {
    auto check = [&](const std::string& field) { bTooLong |= field.size() > text.size(); };
    switch (nType) {
    case CChatXMLPDU::PDU_GROUP_INFO: {
        CGroupInfoPDU p;
        const bool b = p.ParseXMLPDU(text);
        check(p.GetGroupName());
        return b;
    }
    case CChatXMLPDU::PDU_PRIVATE_MESSAGE: {
        CPrivateMessagePDU p;
        const bool b = p.ParseXMLPDU(text);
        for (const std::string& f :
             {p.GetSenderName(), p.GetReceiverName(), p.GetMessageText(), p.GetMessageId()})
            check(f);
        return b;
    }
    case CChatXMLPDU::PDU_GROUP_MESSAGE: {
        CGroupMessagePDU p;
        const bool b = p.ParseXMLPDU(text);
        for (const std::string& f : {p.GetSenderName(), p.GetReceiverName(), p.GetMessageText()})
            check(f);
        return b;
    }
    case CChatXMLPDU::PDU_CHAT_USER_INFO: {
        CChatUserInfoPDU p;
        const bool b = p.ParseXMLPDU(text);
        check(p.GetName());
        return b;
    }
    case CChatXMLPDU::PDU_ROSTER_INFO: {
        CRosterInfoPDU p;
        const bool b = p.ParseXMLPDU(text);
        for (const std::string& f :
             {p.GetName(), p.GetFirstName(), p.GetLastName(), p.GetPhone(), p.GetEmail()})
            check(f);
        return b;
    }
    case CChatXMLPDU::PDU_TYPING_INDICATOR: {
        CTypingIndicatorPDU p;
        return p.ParseXMLPDU(text);
    }
    case CChatXMLPDU::PDU_FAQ_CONTENT: {
        NullFAQSink sink;
        CFAQContentPDU p(&sink);
        const bool b = p.ParseXMLPDU(text);
        bTooLong |= sink.nItems > text.size();
        return b;
    }
    case CChatXMLPDU::PDU_FAQ_MACRO_INFO: {
        CFAQMacroInfoPDU p;
        const bool b = p.ParseXMLPDU(text);
        for (const std::string& f : {p.GetFirstName(), p.GetLastName(), p.GetPhone(), p.GetEmail()})
            check(f);
        return b;
    }
    case CChatXMLPDU::PDU_TRANSFER_MESSAGE: {
        CTransferMessagePDU p;
        const bool b = p.ParseXMLPDU(text);
        check(p.GetMessageText());
        return b;
    }
    case CChatXMLPDU::PDU_PRIM_CUST_NODE_ID: {
        CPrimCustNodeIdPDU p;
        return p.ParseXMLPDU(text);
    }
    case CChatXMLPDU::PDU_CUSTOMER_ID: {
        CCustomerIdPDU p;
        return p.ParseXMLPDU(text);
    }
    default: return false;
    }
}

// The text at the very end of a committed page: the next page is reserved only.
class PageEndBuffer {
public:
    explicit PageEndBuffer(size_t nMax) {
        m_nPages = (nMax + 4095) / 4096 + 1;
        m_pBase = static_cast<char*>(VirtualAlloc(nullptr, m_nPages * 4096, MEM_RESERVE, PAGE_NOACCESS));
        VirtualAlloc(m_pBase, (m_nPages - 1) * 4096, MEM_COMMIT, PAGE_READWRITE);
    }
    ~PageEndBuffer() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    const char* Place(const Bytes& bytes) {
        char* p = m_pBase + (m_nPages - 1) * 4096 - bytes.size();
        std::memcpy(p, bytes.data(), bytes.size());
        return p;
    }

private:
    char* m_pBase = nullptr;
    size_t m_nPages = 0;
};

struct Stats {
    unsigned long long nParsed = 0, nRefused = 0, nTyped[CChatXMLPDU::PDU_TYPE_LAST + 1] = {};
};

// One PDU input; false when something broke.
void RunPdu(const Bytes& input, std::mt19937& rng, Stats& stats, bool& bTooLong) {
    int nType = 0;
    {
        CChatXMLPDU scratch;
        nType = scratch.GetPDUType(input);
    }
    ++stats.nTyped[nType >= 0 && nType <= CChatXMLPDU::PDU_TYPE_LAST ? nType : 0];
    const int nOther = 1 + static_cast<int>(rng() % CChatXMLPDU::PDU_TYPE_LAST);
    const bool bOk = nType ? ParseAs(nType, input, bTooLong) : false;
    ParseAs(nOther, input, bTooLong);
    bOk ? ++stats.nParsed : ++stats.nRefused;
}

void RunRoster(const Bytes& input, std::mt19937& rng, PageEndBuffer& page, Stats& stats, bool& bTooLong) {
    QxEnrollEntry entry = {};
    entry.node_id = 77;
    entry.user_id = 5;
    entry.user_data = page.Place(input);
    // Mostly the true length; sometimes a shorter one, none or a negative one.
    entry.user_data_length = static_cast<int>(input.size());
    switch (rng() % 16) {
    case 0: entry.user_data_length = input.empty() ? 0 : static_cast<int>(rng() % input.size()); break;
    case 1: entry.user_data_length = -static_cast<int>(rng() % 0x7fffffff) - 1; break;
    case 2: entry.user_data = nullptr; break;
    default: break;
    }
    QxRosterRecord record = {};
    record.conf_handle = 7;
    record.chat_room_id = 3;
    record.entry_count = 1;
    record.entries = &entry;
    CUserItem item;
    const int nResult = QxExtractEnrollInfo(static_cast<int>(rng() % 3) - 1, &item, &record);
    const int nResult0 = QxExtractEnrollInfo(0, &item, &record);
    (void)nResult;
    for (const std::wstring* p :
         {&item.m_strName, &item.m_strFirstName, &item.m_strLastName, &item.m_strPhone, &item.m_strEmail})
        bTooLong |= p->size() > input.size();
    nResult0 == 0 ? ++stats.nParsed : ++stats.nRefused;
}

} // namespace

int main(int argc, char** argv) {
    const std::string target = argc > 1 ? argv[1] : "";
    if (target != "pdu" && target != "roster") {
        fprintf(stderr, "usage: pdu_fuzz.exe pdu|roster [inputs] [seed]\n");
        return 2;
    }
    const unsigned long long nInputs = argc > 2 ? strtoull(argv[2], nullptr, 10) : 1000000ULL;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(strtoul(argv[3], nullptr, 10)) : 20261208u;
    const bool bRoster = target == "roster";
    fuzz::InstallCrashHandler(target.c_str());
    std::vector<Bytes> seeds = bRoster ? RosterSeeds() : PduSeeds();
    std::vector<Bytes> tokens = fuzz::XmlTokens();
    for (const char* t : {"<NodeID>", "<UserName>", "<RoleSet>", "<Visible>", "<GuestID>", "<message>",
                          "<sendid>", "<recid>", "<faq>", "<index>", "<messageinfo>", "<stype>"})
        tokens.push_back(t);
    fuzz::Mutator mutator(seed, seeds, tokens);
    PageEndBuffer page(2u << 20);
    Stats stats;
    // One pass over the seeds first: anything made once per process is made now.
    bool bIgnored = false;
    for (const Bytes& s : seeds)
        bRoster ? RunRoster(s, mutator.Rng(), page, stats, bIgnored)
                : RunPdu(s, mutator.Rng(), stats, bIgnored);
    const double tStart = fuzz::Now();
    double slowest = 0;
    unsigned long long nBytes = 0;
    for (unsigned long long i = 0; i < nInputs; ++i) {
        const Bytes input = mutator.Next(bRoster ? (1u << 20) : (1u << 20) + 64);
        fuzz::SetCurrent(input);
        nBytes += input.size();
        const long long nLiveBefore = fuzz::LiveAllocations();
        bool bTooLong = false;
        const unsigned long long nParsedBefore = stats.nParsed;
        const double t0 = fuzz::ThreadSeconds();
        bRoster ? RunRoster(input, mutator.Rng(), page, stats, bTooLong)
                : RunPdu(input, mutator.Rng(), stats, bTooLong);
        const double seconds = fuzz::ThreadSeconds() - t0;
        slowest = std::max(slowest, seconds);
        // The input itself is the one allocation still alive here.
        if (fuzz::LiveAllocations() != nLiveBefore) fuzz::ReportFinding("allocations not released");
        if (seconds > fuzz::kSlowInputSeconds) fuzz::ReportFinding("slow");
        if (bTooLong) fuzz::ReportFinding("a field longer than its text");
        if (stats.nParsed > nParsedBefore && mutator.Rng()() % 32 == 0) mutator.Keep(input);
        if ((i + 1) % 100000 == 0) {
            if (!fuzz::HeapsValid()) fuzz::ReportFinding("heap damaged");
            printf("%llu inputs, %llu parsed, %llu refused, %.1f s\n", i + 1, stats.nParsed, stats.nRefused,
                   fuzz::Now() - tStart);
            fflush(stdout);
        }
    }
    if (!fuzz::HeapsValid()) fuzz::ReportFinding("heap damaged");
    printf("done: %s, %llu inputs (%llu MB), %llu parsed, %llu refused, slowest %.4f s (processor), %.1f s, "
           "%d findings\n",
           target.c_str(), nInputs, nBytes >> 20, stats.nParsed, stats.nRefused, slowest,
           fuzz::Now() - tStart, fuzz::FindingCount());
    if (!bRoster) {
        printf("typed:");
        for (int t = 0; t <= CChatXMLPDU::PDU_TYPE_LAST; ++t)
            printf(" %d=%llu", t, stats.nTyped[t]);
        printf("\n");
    }
    return fuzz::FindingCount() ? 1 : 0;
}
