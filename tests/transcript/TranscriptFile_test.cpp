// The transcript writer and reader on real files: a new file beside the old one, put in place
// only when complete, and a mapped read.
#include "transcript/TranscriptFile.h"

#include "TranscriptTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

namespace {

using transcripttest::Bytes;
using transcripttest::FileBytes;
using transcripttest::TempFolder;
using transcripttest::WriteBytes;

// Writes the texts one per producer call.
std::function<bool(QxWriteBuffer&)> Texts(std::vector<std::wstring> texts) {
    auto next = std::make_shared<size_t>(0);
    return [texts, next](QxWriteBuffer& out) {
        if (*next < texts.size()) out.Append(texts[(*next)++]);
        return *next < texts.size();
    };
}

// Failure injection: the nth write comes out one byte short, or every close fails.
int g_nWritesBeforeShort = -1;
BOOL WINAPI ShortWrite(HANDLE h, LPCVOID p, DWORD n, LPDWORD pWritten, LPOVERLAPPED o) {
    if (g_nWritesBeforeShort-- == 0) {
        WriteFile(h, p, n - 1, pWritten, o);
        return TRUE;
    }
    return WriteFile(h, p, n, pWritten, o);
}
BOOL WINAPI FailingClose(HANDLE h) {
    CloseHandle(h);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

class InjectedCalls {
public:
    explicit InjectedCalls(const QxTranscriptFileCalls& calls)
        : m_previous(QxSetTranscriptFileCalls(calls)) {}
    ~InjectedCalls() { QxSetTranscriptFileCalls(m_previous); }

private:
    QxTranscriptFileCalls m_previous;
};

TEST(TranscriptWriter, WritesTheWholeTextAndReplacesTheOldFile) {
    TempFolder folder;
    const std::wstring path = folder / L"chat.txt";
    ASSERT_TRUE(WriteBytes(path, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    const std::wstring big(200000, L'b'); // several flushes
    EXPECT_EQ(QxWriteTranscriptFile(path, Texts({L"\xFEFF"
                                                 L"a",
                                                 big, L"z"})),
              QxWriteResult::Ok);
    EXPECT_EQ(FileBytes(path), Bytes(L"a" + big + L"z", true));
    EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"chat.txt"}) << "no new file is left behind";
    EXPECT_EQ(QxWriteTranscriptFile(path, Texts({})), QxWriteResult::Ok);
    EXPECT_TRUE(FileBytes(path).empty()) << "nothing to write gives an empty file";
}

TEST(TranscriptWriter, FailuresLeaveThePreviousFileByteForByte) {
    TempFolder folder;
    const std::wstring path = folder / L"chat.txt";
    const std::vector<unsigned char> previous = Bytes(L"yesterday's transcript", true);
    const std::wstring big(300000, L'n');
    struct Case {
        const char* name;
        int shortAt;
        bool failClose;
        QxWriteResult result;
    } cases[] = {
        {"first write short", 0, false, QxWriteResult::ShortWrite},
        {"a later write short", 2, false, QxWriteResult::ShortWrite},
        {"close fails", -1, true, QxWriteResult::CloseFailed},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(path, previous));
        g_nWritesBeforeShort = c.shortAt;
        QxTranscriptFileCalls calls;
        calls.pfnWrite = ShortWrite;
        if (c.failClose) calls.pfnClose = FailingClose;
        InjectedCalls injected(calls);
        EXPECT_EQ(QxWriteTranscriptFile(path, Texts({big, big, big, big})), c.result) << c.name;
        EXPECT_EQ(FileBytes(path), previous) << c.name;
        EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"chat.txt"}) << c.name;
    }
    {
        g_nWritesBeforeShort = 0;
        QxTranscriptFileCalls calls;
        calls.pfnWrite = ShortWrite;
        InjectedCalls injected(calls);
        EXPECT_EQ(QxWriteTranscriptFile(path, Texts({big, big})), QxWriteResult::ShortWrite);
    }
    g_nWritesBeforeShort = -1;
    EXPECT_EQ(QxWriteTranscriptFile(path, Texts({L"a", L"b"})), QxWriteResult::Ok);
    EXPECT_EQ(FileBytes(path), Bytes(L"ab", false)) << "nothing of a failed write comes with the next";
}

// A producer that throws part-way (out of memory for a long record) throws to the caller and
// leaves the old file as it was and no new one beside it; the next write is whole.
TEST(TranscriptWriter, AThrowingProducerLeavesThePreviousFile) {
    TempFolder folder;
    const std::wstring path = folder / L"chat.txt";
    const std::vector<unsigned char> previous = Bytes(L"yesterday's transcript", true);
    ASSERT_TRUE(WriteBytes(path, previous));
    const std::wstring big(300000, L't');
    int nCalls = 0;
    auto throwing = [&](QxWriteBuffer& out) -> bool {
        if (++nCalls == 3) throw std::bad_alloc();
        out.Append(big);
        return true;
    };
    EXPECT_THROW(QxWriteTranscriptFile(path, throwing), std::bad_alloc);
    EXPECT_EQ(FileBytes(path), previous);
    EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"chat.txt"}) << "no new file is left behind";
}

TEST(TranscriptWriter, MissingFolderOrReadOnlyTargetFail) {
    TempFolder folder;
    EXPECT_EQ(QxWriteTranscriptFile(folder / L"no such folder\\chat.txt", Texts({L"x"})),
              QxWriteResult::OpenFailed);
    const std::wstring path = folder / L"locked.txt";
    ASSERT_TRUE(WriteBytes(path, {1, 2}));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(QxWriteTranscriptFile(path, Texts({L"x"})), QxWriteResult::ReplaceFailed);
    EXPECT_EQ(FileBytes(path), (std::vector<unsigned char>{1, 2}));
    EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"locked.txt"});
}

TEST(TranscriptWriteBuffer, GrowsForALongRecordAndKeepsWhatWaits) {
    QxWriteBuffer buffer(8);
    EXPECT_FALSE(buffer.Full());
    buffer.Append(L"abc");
    buffer.Append(L"");
    wchar_t* p = buffer.Room(100); // far past the room it started with
    std::fill(p, p + 100, L'x');
    buffer.Commit(p + 100);
    EXPECT_EQ(std::wstring(buffer.Data(), buffer.Size()), L"abc" + std::wstring(100, L'x'));
    EXPECT_TRUE(buffer.Full());
    buffer.Clear();
    EXPECT_EQ(buffer.Size(), 0u);
    EXPECT_FALSE(buffer.Full());
    buffer.Append(L"1234567");
    EXPECT_FALSE(buffer.Full());
    buffer.Append(L"8");
    EXPECT_TRUE(buffer.Full()) << "full at the flush size";
}

TEST(TranscriptReader, MapsFilesAndKnowsEmptyOnes) {
    TempFolder folder;
    QxMappedFile missing;
    EXPECT_FALSE(missing.Open(folder / L"absent.txt"));
    ASSERT_TRUE(WriteBytes(folder / L"empty.txt", {}));
    QxMappedFile empty;
    ASSERT_TRUE(empty.Open(folder / L"empty.txt"));
    EXPECT_EQ(empty.Size(), 0u);
    const std::vector<unsigned char> bytes = Bytes(L"content", true);
    ASSERT_TRUE(WriteBytes(folder / L"some.txt", bytes));
    QxMappedFile some;
    ASSERT_TRUE(some.Open(folder / L"some.txt"));
    ASSERT_EQ(some.Size(), bytes.size());
    EXPECT_EQ(std::vector<unsigned char>(some.Data(), some.Data() + some.Size()), bytes);
}

// A 1 GB file is read through its mapping, not copied: a sparse file of one record and then
// zeros reads its record and stops at the first tab-less stretch.
TEST(TranscriptReader, AGigabyteFileIsReadInPlace) {
    TempFolder folder;
    const std::wstring path = folder / L"huge.txt";
    ASSERT_TRUE(WriteBytes(path, Bytes(L"d\t    t\t    A\v:\thello\r\n\n", true)));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 1LL << 30;
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    QxMappedFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_EQ(file.Size(), size_t(1) << 30);
    std::vector<std::wstring> texts;
    EXPECT_EQ(
        QxReadTranscriptBytes(file.Data(), file.Size(),
                              [&](const QxTranscriptRecord& r) { return texts.push_back(r.text), true; }),
        QxTranscriptCheck::Ok);
    EXPECT_EQ(texts, std::vector<std::wstring>{L"hello"});
}

TEST(TranscriptPaths, FolderOfAPath) {
    EXPECT_EQ(QxFolderOf(L"C:\\a\\b.txt"), L"C:\\a\\");
    EXPECT_EQ(QxFolderOf(L"b.txt"), L"");
}

} // namespace
