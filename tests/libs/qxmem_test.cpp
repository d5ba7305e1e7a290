// qxmem: every result of every call, through the import library.
#include "qxmem.h"
#include "qxmem_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

namespace {

// A block that releases its reference at the end of the test unless a test took it.
struct Block {
    explicit Block(DWORD size) { EXPECT_EQ(QxMemoryAlloc(size, &h), QXMEM_OK); }
    ~Block() {
        if (h) QxMemoryRelease(h);
    }
    QXMEMHANDLE h = nullptr;
};

QXMEMHANDLE Forged() {
    return reinterpret_cast<QXMEMHANDLE>(static_cast<uintptr_t>(0x7fffff01));
}

TEST(QxMemory, ExportsEveryEntryByName) {
    HMODULE h = GetModuleHandleW(L"qxmem.dll");
    ASSERT_NE(h, nullptr);
    for (const char* name : {"QxMemoryAlloc", "QxMemoryWrite", "QxMemoryGetSize", "QxMemoryRead",
                             "QxMemoryRelease", "QxMemoryAddRef", "QxMemoryLiveBlocks"})
        EXPECT_NE(GetProcAddress(h, name), nullptr) << name;
}

TEST(QxMemory, ScriptedFailuresRefuseExactlyThatManyAllocations) {
    const DWORD dwLive = QxMemoryLiveBlocks();
    EXPECT_EQ(QxMemoryScriptFailures(2), 0u);
    QXMEMHANDLE h = reinterpret_cast<QXMEMHANDLE>(static_cast<uintptr_t>(1));
    EXPECT_EQ(QxMemoryAlloc(16, &h), QXMEM_E_NO_MEMORY);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(QxMemoryAlloc(0, &h), QXMEM_E_NO_MEMORY);
    EXPECT_EQ(QxMemoryLiveBlocks(), dwLive);
    Block after(16);
    EXPECT_NE(after.h, nullptr) << "the script is used up";
    // A null out pointer is refused as always and uses no scripted failure.
    QxMemoryScriptFailures(1);
    EXPECT_EQ(QxMemoryAlloc(16, nullptr), QXMEM_E_NULL_POINTER);
    EXPECT_EQ(QxMemoryScriptFailures(0), 1u) << "removed, one was still pending";
    Block last(1);
    EXPECT_NE(last.h, nullptr);
}

TEST(QxMemory, WritesAndReadsBackAZeroFilledBlock) {
    Block block(16);
    DWORD size = 0;
    ASSERT_EQ(QxMemoryGetSize(block.h, &size), QXMEM_OK);
    EXPECT_EQ(size, 16u);
    const char data[] = "abcdefgh";
    size = 8;
    ASSERT_EQ(QxMemoryWrite(block.h, 4, data, &size), QXMEM_OK);
    EXPECT_EQ(size, 8u);
    unsigned char back[16];
    std::memset(back, 0xCC, sizeof(back));
    size = 16;
    ASSERT_EQ(QxMemoryRead(block.h, 0, back, &size), QXMEM_OK);
    EXPECT_EQ(size, 16u);
    const unsigned char want[16] = {0, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(back, want, 16), 0);
    char tail[3] = {};
    size = 2;
    ASSERT_EQ(QxMemoryRead(block.h, 10, tail, &size), QXMEM_OK);
    EXPECT_STREQ(tail, "gh");
}

TEST(QxMemory, AnEmptyBlockTakesOnlyEmptyRanges) {
    Block block(0);
    DWORD size = 0;
    EXPECT_EQ(QxMemoryGetSize(block.h, &size), QXMEM_OK);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(QxMemoryWrite(block.h, 0, nullptr, &size), QXMEM_OK);
    EXPECT_EQ(QxMemoryRead(block.h, 0, nullptr, &size), QXMEM_OK);
    char c = 'x';
    size = 1;
    EXPECT_EQ(QxMemoryWrite(block.h, 0, &c, &size), QXMEM_E_OUT_OF_RANGE);
}

TEST(QxMemory, AllocRefusesANullOutPointerAndReportsExhaustion) {
    EXPECT_EQ(QxMemoryAlloc(8, nullptr), QXMEM_E_NULL_POINTER);
    QXMEMHANDLE h = Forged();
    const DWORD live = QxMemoryLiveBlocks();
    // Almost 4 GB cannot be had in a 32-bit process; a 64-bit test build may well get it.
    if (sizeof(void*) != 4) GTEST_SKIP() << "exhaustion is a 32-bit process's";
    EXPECT_EQ(QxMemoryAlloc(0xFFFFFFF0u, &h), QXMEM_E_NO_MEMORY);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(QxMemoryLiveBlocks(), live);
}

struct RangeCase {
    const char* name;
    DWORD offset;
    DWORD size;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.name;
}

class OutOfRange : public testing::TestWithParam<RangeCase> {};

TEST_P(OutOfRange, IsRefusedWithoutTouchingEitherSide) {
    Block block(16);
    const char pattern[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    DWORD size = 16;
    ASSERT_EQ(QxMemoryWrite(block.h, 0, pattern, &size), QXMEM_OK);

    char big[64];
    std::memset(big, 'Z', sizeof(big));
    size = GetParam().size;
    EXPECT_EQ(QxMemoryWrite(block.h, GetParam().offset, big, &size), QXMEM_E_OUT_OF_RANGE);
    EXPECT_EQ(size, 0u);

    char buffer[64];
    std::memset(buffer, 'Q', sizeof(buffer));
    size = GetParam().size;
    EXPECT_EQ(QxMemoryRead(block.h, GetParam().offset, buffer, &size), QXMEM_E_OUT_OF_RANGE);
    EXPECT_EQ(size, 0u);
    for (char c : buffer)
        ASSERT_EQ(c, 'Q');

    char back[16];
    size = 16;
    ASSERT_EQ(QxMemoryRead(block.h, 0, back, &size), QXMEM_OK);
    EXPECT_EQ(std::memcmp(back, pattern, 16), 0);
}

INSTANTIATE_TEST_SUITE_P(Ranges, OutOfRange,
                         testing::Values(RangeCase{"OneBytePastTheEnd", 0, 17},
                                         RangeCase{"TailPastTheEnd", 10, 7},
                                         RangeCase{"OffsetPastTheEnd", 17, 0},
                                         RangeCase{"OffsetWraps", 0xFFFFFFFFu, 2},
                                         RangeCase{"SizeWraps", 8, 0xFFFFFFF9u}),
                         [](const testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

// Each call on a handle that is not live: NULL, never issued, or released.
void ExpectHandleRefused(QXMEMHANDLE h, int rc) {
    char buffer[4] = {};
    DWORD size = 4;
    EXPECT_EQ(QxMemoryWrite(h, 0, buffer, &size), rc);
    EXPECT_EQ(QxMemoryRead(h, 0, buffer, &size), rc);
    EXPECT_EQ(QxMemoryGetSize(h, &size), rc);
    EXPECT_EQ(QxMemoryAddRef(h), rc);
    EXPECT_EQ(QxMemoryRelease(h), rc);
}

TEST(QxMemory, RefusesHandlesThatAreNotLive) {
    {
        SCOPED_TRACE("null");
        ExpectHandleRefused(nullptr, QXMEM_E_NULL_HANDLE);
    }
    {
        SCOPED_TRACE("forged");
        ExpectHandleRefused(Forged(), QXMEM_E_BAD_HANDLE);
    }
    QXMEMHANDLE released = nullptr;
    ASSERT_EQ(QxMemoryAlloc(4, &released), QXMEM_OK);
    ASSERT_EQ(QxMemoryRelease(released), QXMEM_OK);
    SCOPED_TRACE("released");
    ExpectHandleRefused(released, QXMEM_E_BAD_HANDLE);
}

TEST(QxMemory, RefusesNullPointers) {
    Block block(4);
    char buffer[4] = {};
    DWORD size = 4;
    EXPECT_EQ(QxMemoryWrite(block.h, 0, buffer, nullptr), QXMEM_E_NULL_POINTER);
    EXPECT_EQ(QxMemoryWrite(block.h, 0, nullptr, &size), QXMEM_E_NULL_POINTER);
    EXPECT_EQ(QxMemoryRead(block.h, 0, buffer, nullptr), QXMEM_E_NULL_POINTER);
    EXPECT_EQ(QxMemoryRead(block.h, 0, nullptr, &size), QXMEM_E_NULL_POINTER);
    EXPECT_EQ(QxMemoryGetSize(block.h, nullptr), QXMEM_E_NULL_POINTER);
}

TEST(QxMemory, TheLastReferenceFreesTheBlock) {
    const DWORD live = QxMemoryLiveBlocks();
    QXMEMHANDLE h = nullptr;
    ASSERT_EQ(QxMemoryAlloc(4, &h), QXMEM_OK);
    EXPECT_EQ(QxMemoryLiveBlocks(), live + 1);
    ASSERT_EQ(QxMemoryAddRef(h), QXMEM_OK);
    ASSERT_EQ(QxMemoryRelease(h), QXMEM_OK);
    DWORD size = 0;
    EXPECT_EQ(QxMemoryGetSize(h, &size), QXMEM_OK) << "one reader still holds it";
    ASSERT_EQ(QxMemoryRelease(h), QXMEM_OK);
    EXPECT_EQ(QxMemoryGetSize(h, &size), QXMEM_E_BAD_HANDLE);
    EXPECT_EQ(QxMemoryRelease(h), QXMEM_E_BAD_HANDLE);
    EXPECT_EQ(QxMemoryLiveBlocks(), live);
}

TEST(QxMemory, ARetiredHandleNeverNamesALaterBlock) {
    QXMEMHANDLE first = nullptr;
    ASSERT_EQ(QxMemoryAlloc(4, &first), QXMEM_OK);
    ASSERT_EQ(QxMemoryRelease(first), QXMEM_OK);
    Block second(4);
    EXPECT_NE(second.h, first);
    DWORD size = 0;
    EXPECT_EQ(QxMemoryGetSize(first, &size), QXMEM_E_BAD_HANDLE);
}

} // namespace
