// The export boundary: an exception raised inside an export ends as a "Fail: " trace line and
// the export's failure result. The export bodies are compiled into this test, and allocation
// failures are forced through a replaced operator new.
#include "interface/Cchat.h"
#include "module/ExportGuard.h"
#include "qxchat.h"
#include "TraceCapture.h"
#include "WindowTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

namespace {

// The next allocation of exactly this many bytes fails (0: none).
size_t g_failSize = 0;

void* Allocate(size_t n) {
    if (g_failSize != 0 && n == g_failSize) {
        g_failSize = 0;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(size_t n) {
    return Allocate(n);
}
void* operator new[](size_t n) {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace {

TEST(ExportGuard, TurnsEveryExceptionIntoTheFailureResult) {
    TraceCapture capture;
    EXPECT_EQ(QxGuarded(L"ChOne", 7L, []() -> LONG { throw std::bad_alloc(); }), 7);
    EXPECT_EQ(QxGuarded(L"ChTwo", -1L, []() -> LONG { throw std::runtime_error("broken"); }), -1);
    EXPECT_EQ(QxGuarded(L"ChThree", 1L, []() -> LONG { throw 42; }), 1);
    EXPECT_EQ(QxGuarded(L"ChFour", 1L, []() -> LONG { return 5; }), 5);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"Fail: ChOne, out of memory", L"Fail: ChTwo, broken",
                                         L"Fail: ChThree, unknown exception"}));
}

TEST(ExportGuard, NewInstanceOutOfMemoryGivesNull) {
    TestHostWindow host;
    TraceCapture capture;
    g_failSize = sizeof(Cchat);
    const QXHCOMPONENT h = QxNewInstance(host.Get());
    g_failSize = 0;
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(capture.Contains(L"Fail: QxNewInstance, out of memory"))
        << ::testing::PrintToString(capture.Dump());
    EXPECT_TRUE(capture.Contains(L"/#### QxNewInstance, return: (pChat) = 0 ####/"));
    EXPECT_EQ(FindInstanceWindow(host.Get()), nullptr);
}

TEST(ExportGuard, StringCopyOutOfMemoryStopsTheStart) {
    TestHostWindow host;
    const QXHCOMPONENT h = QxNewInstance(host.Get());
    ASSERT_NE(h, 0);
    const std::wstring server(616, L's'); // its copy takes exactly 1234 bytes
    TraceCapture capture;
    g_failSize = (server.size() + 1) * sizeof(wchar_t);
    EXPECT_EQ(ChChat1(h, server.c_str(), 1, 1, L"me", 1, nullptr), 0);
    g_failSize = 0;
    EXPECT_TRUE(capture.Contains(L"Fail: ChChat1, out of memory"))
        << ::testing::PrintToString(capture.Dump());
    EXPECT_FALSE(capture.Contains(L"/#### ChChat1 exit: ####/"));
    EXPECT_EQ(FindChatDialog(host.Get()), nullptr) << "the chat must not start half-way";
    // The instance stays usable.
    EXPECT_EQ(ChChat1(h, server.c_str(), 1, 1, L"me", 1, nullptr), 0);
    EXPECT_NE(FindChatDialog(host.Get()), nullptr);
    QxDeleteInstance(h);
}

TEST(ExportGuard, TracedServerAddressesNeverShowAPassword) {
    const struct {
        const wchar_t* address;
        const wchar_t* shown;
    } cases[] = {
        {L"redis://:s3cret@127.0.0.1:6379", L"redis://:***@127.0.0.1:6379"},
        {L"redis://:a@b@host:1", L"redis://:***@host:1"},
        {L"redis://127.0.0.1:6379", L"redis://127.0.0.1:6379"},
        {L"net-1", L"net-1"},
        {L"user@embedded", L"user@embedded"},
        {nullptr, L"NULL"},
    };
    for (const auto& c : cases) {
        std::wstring masked;
        EXPECT_EQ(std::wstring(c.shown), QxTraceAddress(c.address, masked));
    }

    TestHostWindow host;
    const QXHCOMPONENT h = QxNewInstance(host.Get());
    ASSERT_NE(h, 0);
    TraceCapture capture;
    // Port 9 on loopback has no server: the controller fails later, out of this test's sight.
    EXPECT_EQ(ChChat1(h, L"redis://:s3cret@127.0.0.1:9", 1, 1, L"me", 1, nullptr), 0);
    // The address is one field of the whole enter line.
    EXPECT_TRUE(capture.ContainsSubstring(L",lpszServerAddress=redis://:***@127.0.0.1:9,"))
        << ::testing::PrintToString(capture.Dump());
    EXPECT_EQ(std::wstring::npos, capture.Dump().find(L"s3cret"));
    QxDeleteInstance(h);
}

} // namespace
