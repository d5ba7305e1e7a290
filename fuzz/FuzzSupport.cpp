#include "FuzzSupport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Checked heap layout: [size][magic] user bytes [kTail guard bytes].
constexpr size_t kHead = 16;
constexpr size_t kTail = 16;
constexpr size_t kMagic = 0x5A17C0DEu;
constexpr unsigned char kGuard = 0xFD;

std::atomic<long long> g_nLive{0};
std::atomic<long long> g_nLiveBytes{0};
// The current input, outside the checked heap so that keeping it changes no count.
char* g_pCurrent = nullptr;
size_t g_nCurrent = 0;
const char* g_lpszTarget = "fuzz";
int g_nFindings = 0;

void WriteBytes(const char* lpszName, const char* p, size_t n) {
    if (FILE* f = fopen(lpszName, "wb")) {
        if (n) fwrite(p, 1, n, f);
        fclose(f);
    }
}

[[noreturn]] void GuardBroken(const char* lpszWhat) {
    char name[96];
    snprintf(name, sizeof(name), "fuzz-crash-%s.bin", g_lpszTarget);
    WriteBytes(name, g_pCurrent, g_nCurrent);
    fprintf(stderr, "CRASH: %s, input of %u bytes in %s\n", lpszWhat, static_cast<unsigned>(g_nCurrent),
            name);
    fflush(stderr);
    ExitProcess(4);
}

void* CheckedAlloc(size_t n) {
    unsigned char* p = static_cast<unsigned char*>(std::malloc(kHead + n + kTail));
    if (!p) return nullptr;
    reinterpret_cast<size_t*>(p)[0] = n;
    reinterpret_cast<size_t*>(p)[1] = kMagic;
    std::memset(p + kHead + n, kGuard, kTail);
    ++g_nLive;
    g_nLiveBytes += static_cast<long long>(n);
    return p + kHead;
}

void CheckedFree(void* pUser) {
    if (!pUser) return;
    unsigned char* p = static_cast<unsigned char*>(pUser) - kHead;
    if (reinterpret_cast<size_t*>(p)[1] != kMagic)
        GuardBroken("heap block header overwritten or freed twice");
    const size_t n = reinterpret_cast<size_t*>(p)[0];
    for (size_t i = 0; i < kTail; ++i)
        if (p[kHead + n + i] != kGuard) GuardBroken("write past the end of a heap block");
    reinterpret_cast<size_t*>(p)[1] = 0;
    --g_nLive;
    g_nLiveBytes -= static_cast<long long>(n);
    std::free(p);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* pInfo) {
    char what[64];
    snprintf(what, sizeof(what), "exception 0x%08lx", pInfo->ExceptionRecord->ExceptionCode);
    GuardBroken(what);
}

} // namespace

void* operator new(size_t n) {
    if (void* p = CheckedAlloc(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) {
    return operator new(n);
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    return CheckedAlloc(n);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    return CheckedAlloc(n);
}
void operator delete(void* p) noexcept {
    CheckedFree(p);
}
void operator delete[](void* p) noexcept {
    CheckedFree(p);
}
void operator delete(void* p, size_t) noexcept {
    CheckedFree(p);
}
void operator delete[](void* p, size_t) noexcept {
    CheckedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    CheckedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    CheckedFree(p);
}

namespace fuzz {

long long LiveAllocations() {
    return g_nLive.load();
}

long long LiveBytes() {
    return g_nLiveBytes.load();
}

bool HeapsValid() {
    HANDLE heaps[64];
    const DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < n && i < 64; ++i)
        if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    return true;
}

void SetCurrent(const Bytes& bytes) {
    if (char* p = static_cast<char*>(std::realloc(g_pCurrent, bytes.size() + 1))) {
        g_pCurrent = p;
        g_nCurrent = bytes.size();
        std::memcpy(p, bytes.data(), bytes.size());
    }
}

void InstallCrashHandler(const char* lpszTarget) {
    g_lpszTarget = lpszTarget;
    SetUnhandledExceptionFilter(OnCrash);
}

void ReportFinding(const char* lpszWhy) {
    char name[96];
    snprintf(name, sizeof(name), "fuzz-finding-%s-%d.bin", g_lpszTarget, ++g_nFindings);
    WriteBytes(name, g_pCurrent, g_nCurrent);
    fprintf(stderr, "FINDING %d: %s, %u bytes, in %s\n", g_nFindings, lpszWhy,
            static_cast<unsigned>(g_nCurrent), name);
    fflush(stderr);
}

int FindingCount() {
    return g_nFindings;
}

double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& ft) {
        return double((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(freq.QuadPart);
}

std::vector<Bytes> XmlTokens() {
    return {"<",
            ">",
            "/>",
            "</",
            "<a>",
            "</a>",
            "<chat ver=\"1.0\">",
            "</chat>",
            "<mtype>",
            "</mtype>",
            "<![CDATA[",
            "]]>",
            "<!--",
            "-->",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
            "<?xml version=\"1.0\"?>",
            "<!DOCTYPE chat [<!ENTITY e \"x\">]>",
            "\xEF\xBB\xBF",
            "&amp;",
            "&lt;",
            "&#x0;",
            "&#xFFFF;",
            "&#65;",
            "&#x10FFFF;",
            "&#",
            "&",
            "&e;",
            " a=\"1\"",
            " a='",
            "=\"",
            "\"",
            "'",
            std::string(1, '\0'),
            "\r\n",
            "\t",
            "\xC0",
            "\xE3\x81",
            "\xF0\x9F\x98\x80",
            "\xFF\xFE",
            "0",
            "1",
            "-1",
            "2147483647",
            "2147483648",
            "-2147483648",
            "4294967295",
            "4294967296",
            "18446744073709551616",
            "99999999999999999999999",
            "0x10",
            " 7",
            "+3",
            "1e9",
            "00000000001"};
}

Mutator::Mutator(unsigned seed, std::vector<Bytes> seeds, std::vector<Bytes> tokens)
    : m_rng(seed), m_seeds(std::move(seeds)), m_corpus(m_seeds), m_tokens(std::move(tokens)) {}

Bytes Mutator::Next(size_t nMaxSize) {
    Bytes b = m_corpus[Pick(m_corpus.size())];
    const int nSteps = 1 + static_cast<int>(m_rng() % 4);
    for (int i = 0; i < nSteps; ++i) {
        Step(b);
        if (b.size() > nMaxSize) b.resize(nMaxSize);
    }
    return b;
}

void Mutator::Keep(const Bytes& bytes) {
    if (m_corpus.size() < 512 && bytes.size() < 16384) m_corpus.push_back(bytes);
}

void Mutator::Step(Bytes& b) {
    const size_t n = b.size();
    switch (m_rng() % 14) {
    case 0: // flip a bit
        if (n) b[Pick(n)] ^= static_cast<char>(1u << (m_rng() % 8));
        break;
    case 1: // set a byte
        if (n) b[Pick(n)] = static_cast<char>(m_rng());
        break;
    case 2: // insert a byte
        b.insert(b.begin() + Pick(n + 1), static_cast<char>(m_rng()));
        break;
    case 3: // delete a range
        if (n) {
            const size_t at = Pick(n);
            b.erase(at, 1 + Pick(std::min<size_t>(32, n - at)));
        }
        break;
    case 4: // insert a token
    case 5: {
        const Bytes& token = m_tokens[Pick(m_tokens.size())];
        b.insert(Pick(n + 1), token);
        break;
    }
    case 6: // replace a run of digits (or any run) by a boundary number
        if (n) {
            static const char* const numbers[] = {
                "0",          "-1",          "4294967295",           "4294967296",
                "2147483648", "-2147483649", "99999999999999999999", ""};
            size_t at = Pick(n), end = at;
            while (end < n && b[end] >= '0' && b[end] <= '9')
                ++end;
            b.replace(at, end - at, numbers[Pick(8)]);
        }
        break;
    case 7: // duplicate a range (an element repeated, a field twice)
        if (n) {
            const size_t at = Pick(n);
            const Bytes piece = b.substr(at, 1 + Pick(std::min<size_t>(256, n - at)));
            b.insert(Pick(b.size() + 1), piece);
        }
        break;
    case 8: // repeat a range many times
        if (n) {
            const size_t at = Pick(n);
            const Bytes piece = b.substr(at, 1 + Pick(std::min<size_t>(16, n - at)));
            const size_t nTimes = 2 + Pick(m_rng() % 16 ? 200 : 5000);
            Bytes run;
            for (size_t i = 0; i < nTimes; ++i)
                run += piece;
            b.insert(at, run);
        }
        break;
    case 9: // a huge text
        b.insert(Pick(n + 1), Bytes(1 + Pick(m_rng() % 32 ? 4096 : 300000), "xA<&\x80 "[Pick(6)]));
        break;
    case 10: // truncate
        if (n) b.resize(Pick(n));
        break;
    case 11: { // splice with another input
        const Bytes& other = m_corpus[Pick(m_corpus.size())];
        b = b.substr(0, Pick(n + 1)) + other.substr(Pick(other.size() + 1));
        break;
    }
    case 12: { // swap a tag name or cut a tag open: remove one '>' or '<'
        const size_t at = b.find(m_rng() % 2 ? '>' : '<', Pick(n + 1));
        if (at != Bytes::npos) b.erase(at, 1);
        break;
    }
    default: { // deep nesting or many attributes
        Bytes piece;
        const size_t nTimes = 1 + Pick(80);
        for (size_t i = 0; i < nTimes; ++i)
            piece += m_rng() % 2 ? "<b>" : " x" + std::to_string(i) + "=\"1\"";
        b.insert(Pick(n + 1), piece);
        break;
    }
    }
}

} // namespace fuzz
