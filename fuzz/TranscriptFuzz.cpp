// Mutation fuzzer of the transcript loader: seeds are real transcripts written by the record
// writer (current layout, notices, the older layout, LF-ended records), mutated byte by byte and
// spliced, and read by the loader's byte-level entry. Every input must end, quickly, with every
// field inside its limit. A crash writes the input to fuzz-crash.bin; a slow input or a broken
// limit is written to fuzz-finding-N.bin.
//
// transcript_fuzz.exe [inputs] [seed]
#include "transcript/TranscriptFormat.h"

#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes g_current; // the input being read, written out by the crash handler

void WriteFileBytes(const char* name, const Bytes& bytes) {
    if (FILE* f = fopen(name, "wb")) {
        if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* pInfo) {
    WriteFileBytes("fuzz-crash.bin", g_current);
    fprintf(stderr, "CRASH: exception 0x%08lx, input of %u bytes in fuzz-crash.bin\n",
            pInfo->ExceptionRecord->ExceptionCode, static_cast<unsigned>(g_current.size()));
    fflush(stderr);
    ExitProcess(3);
}

Bytes ToBytes(const std::wstring& text, bool bMark) {
    Bytes bytes;
    if (bMark) bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    return bytes;
}

MessageItem Item(DWORD kind, const std::wstring& sender, const std::wstring& rest, const std::wstring& text) {
    MessageItem item;
    item.kind = kind;
    item.senderPart = sender;
    item.restPart = rest;
    item.text = text;
    item.date = L"December 6, 2026";
    item.time = L"9:05:07 AM";
    return item;
}

std::vector<Bytes> Seeds() {
    std::vector<Bytes> seeds;
    std::wstring current;
    const std::wstring texts[] = {
        L"hello", L"two\r\nlines",        L"tab\tinside", L"\xD83D\xDE00 smile", L"www.example.com ok",
        L"a",     std::wstring(600, L'x')};
    for (int i = 0; i < 7; ++i) {
        QxAppendRecord(Item(ITEM_TEXT, L"Ann", L" to Everyone:", texts[i]), current);
        if (i % 3 == 0) QxAppendRecord(Item(ITEM_NOTICE, L"", L"", L"Bob joined the chat"), current);
    }
    seeds.push_back(ToBytes(current, true));
    std::wstring one;
    QxAppendRecord(Item(ITEM_TEXT, L"Bob", L" to Ann (privately):", L"hi"), one);
    seeds.push_back(ToBytes(one, true));
    seeds.push_back(ToBytes(L"12/06/2026    09:05:07 AM    Ann\v to all:\thello\r\n\n"
                            L"12/06/2026    09:06:10 PM    Bob\v:\tanswer\r\n\n",
                            true));
    seeds.push_back(ToBytes(L"d\t    t\t    Ann\v:\tone\nd\t    t\t    Bob\v:\ttwo\n", true));
    return seeds;
}

// Pieces that steer the reader into its branches.
const std::vector<std::wstring>& Tokens() {
    static const std::vector<std::wstring> tokens = {
        L"\t",     L"\t    ", L"    ",   L"  ", L"\r\n\n", L"\r\n",           L"\n",   L"\v", L"\0",
        L"\xD800", L"\xDC00", L"\xFEFF", L" ",  L"AM",     L"00/00/0000    ", L"\t  ",
    };
    return tokens;
}

void Mutate(Bytes& b, std::mt19937& rng, const std::vector<Bytes>& seeds) {
    const int nSteps = 1 + static_cast<int>(rng() % 8);
    for (int step = 0; step < nSteps; ++step) {
        const size_t n = b.size();
        switch (rng() % 10) {
        case 0: // flip a bit
            if (n) b[rng() % n] ^= static_cast<unsigned char>(1u << (rng() % 8));
            break;
        case 1: // set a byte
            if (n) b[rng() % n] = static_cast<unsigned char>(rng());
            break;
        case 2: { // insert a token at an even position (most tokens keep the UTF-16 alignment)
            const Bytes token = ToBytes(Tokens()[rng() % Tokens().size()], false);
            const size_t at = n ? (rng() % (n + 1)) & ~size_t(1) : 0;
            b.insert(b.begin() + at, token.begin(), token.end());
            break;
        }
        case 3: // delete a range
            if (n) {
                const size_t at = rng() % n;
                const size_t len = 1 + rng() % std::min<size_t>(64, n - at);
                b.erase(b.begin() + at, b.begin() + at + len);
            }
            break;
        case 4: // duplicate a range
            if (n) {
                const size_t at = rng() % n;
                const size_t len = 1 + rng() % std::min<size_t>(512, n - at);
                const Bytes piece(b.begin() + at, b.begin() + at + len);
                b.insert(b.begin() + rng() % (b.size() + 1), piece.begin(), piece.end());
            }
            break;
        case 5: // truncate
            if (n) b.resize(rng() % n);
            break;
        case 6: { // splice with another seed
            const Bytes& other = seeds[rng() % seeds.size()];
            const size_t cut = n ? rng() % n : 0, from = other.empty() ? 0 : rng() % other.size();
            b.resize(cut);
            b.insert(b.end(), other.begin() + from, other.end());
            break;
        }
        case 7: // a long run of one UTF-16 unit
        {
            const wchar_t units[] = {L'\t', L' ', L'x', L'\r', L'\n', 0xD800, 0};
            const Bytes run = ToBytes(std::wstring(1 + rng() % 3000, units[rng() % 7]), false);
            const size_t at = n ? (rng() % (n + 1)) & ~size_t(1) : 0;
            b.insert(b.begin() + at, run.begin(), run.end());
        } break;
        case 8: // drop or keep the mark
            if (n >= 2 && rng() % 4 == 0) b.erase(b.begin(), b.begin() + 2);
            break;
        default: // an odd byte at the end
            b.push_back(static_cast<unsigned char>(rng()));
            break;
        }
        if (b.size() > (1u << 20)) b.resize(1u << 20);
    }
}

} // namespace

int main(int argc, char** argv) {
    const unsigned long long nInputs = argc > 1 ? strtoull(argv[1], nullptr, 10) : 1000000ULL;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(strtoul(argv[2], nullptr, 10)) : 20261208u;
    SetUnhandledExceptionFilter(OnCrash);
    std::mt19937 rng(seed);
    std::vector<Bytes> corpus = Seeds();
    const std::vector<Bytes> seeds = corpus;
    unsigned long long nOk = 0, nNoLayout = 0, nEmpty = 0, nRecords = 0, nMessages = 0;
    int nFindings = 0;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    double slowest = 0;
    for (unsigned long long i = 0; i < nInputs; ++i) {
        g_current = corpus[rng() % corpus.size()];
        Mutate(g_current, rng, seeds);
        bool bBroken = false;
        size_t nThese = 0;
        QueryPerformanceCounter(&t0);
        const QxTranscriptCheck check =
            QxReadTranscriptBytes(g_current.data(), g_current.size(), [&](const QxTranscriptRecord& r) {
                ++nThese;
                nMessages += QxRecordIsMessage(r);
                bBroken |= r.date.size() > kTranscriptFieldMax || r.time.size() > kTranscriptFieldMax ||
                           r.senderPart.size() > kTranscriptFieldMax ||
                           r.restPart.size() > kTranscriptFieldMax || r.text.size() > kTranscriptTextMax;
                return true;
            });
        QueryPerformanceCounter(&t1);
        const double seconds = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
        if (seconds > slowest) slowest = seconds;
        bBroken |= nThese > g_current.size() / 2; // a record takes at least one tab
        if (bBroken || seconds > 0.5) {
            char name[64];
            snprintf(name, sizeof(name), "fuzz-finding-%d.bin", ++nFindings);
            WriteFileBytes(name, g_current);
            fprintf(stderr, "FINDING %d: %s, %.3f s, %u bytes\n", nFindings,
                    bBroken ? "limit broken" : "slow", seconds, static_cast<unsigned>(g_current.size()));
        }
        nRecords += nThese;
        switch (check) {
        case QxTranscriptCheck::Ok: ++nOk; break;
        case QxTranscriptCheck::NoLayout: ++nNoLayout; break;
        case QxTranscriptCheck::Empty: ++nEmpty; break;
        }
        // Inputs that still read records feed later mutations.
        if (check == QxTranscriptCheck::Ok && nThese > 0 && corpus.size() < 256 && rng() % 64 == 0)
            corpus.push_back(g_current);
        if ((i + 1) % 100000 == 0) {
            printf("%llu inputs: %llu read, %llu refused, %llu empty, %llu records, %llu messages\n", i + 1,
                   nOk, nNoLayout, nEmpty, nRecords, nMessages);
            fflush(stdout);
        }
    }
    printf("done: %llu inputs, %llu read, %llu refused, %llu empty, %llu records, %llu messages, slowest "
           "%.4f s, "
           "%d findings\n",
           nInputs, nOk, nNoLayout, nEmpty, nRecords, nMessages, slowest, nFindings);
    return nFindings ? 1 : 0;
}
