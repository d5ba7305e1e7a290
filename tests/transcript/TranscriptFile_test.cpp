// The transcript writer and reader on real files: a new file beside the old one, put in place
// only when complete, and a mapped read.
#include "transcript/TranscriptFile.h"

#include "TranscriptTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>

namespace {

using transcripttest::Bytes;
using transcripttest::FileBytes;
using transcripttest::TempFolder;
using transcripttest::WriteBytes;

// The texts as records, one each.
QxRecordSource Texts(std::vector<std::wstring> texts) {
    auto shared = std::make_shared<const std::vector<std::wstring>>(std::move(texts));
    QxRecordSource source;
    source.nCount = shared->size();
    source.length = [shared](size_t i) { return (*shared)[i].size(); };
    source.encode = [shared](size_t i, wchar_t* p) {
        const std::wstring& text = (*shared)[i];
        return std::copy(text.begin(), text.end(), p);
    };
    return source;
}

// Texts of many lengths, some empty and a few longer than one write, so that records fall on
// both encoding threads and some of them fill a buffer.
std::vector<std::wstring> VariedTexts(size_t nCount) {
    std::vector<std::wstring> texts(nCount);
    for (size_t i = 0; i < nCount; ++i) {
        const size_t nLength = i % 97 == 0 ? 0 : i % 1499 == 0 ? 150000 + i : 1 + (i * 7919) % 300;
        texts[i] = std::wstring(nLength, static_cast<wchar_t>(L'a' + i % 26));
        if (!texts[i].empty())
            texts[i].replace(0, std::min<size_t>(8, nLength), std::to_wstring(i).substr(0, 8));
    }
    return texts;
}

std::wstring Joined(const std::vector<std::wstring>& texts) {
    std::wstring all;
    for (const std::wstring& text : texts)
        all += text;
    return all;
}

// Failure injection: the nth write comes out one byte short (or, with g_dwShortOffThread set,
// every write made on another thread than that one), or every close fails.
volatile LONG g_nWritesBeforeShort = -1;
DWORD g_dwShortOffThread = 0;
BOOL WINAPI ShortWrite(HANDLE h, LPCVOID p, DWORD n, LPDWORD pWritten, LPOVERLAPPED o) {
    const bool bOffThread = g_dwShortOffThread && GetCurrentThreadId() != g_dwShortOffThread;
    if (InterlockedDecrement(&g_nWritesBeforeShort) == -1 || bOffThread) {
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

// Thousands of records are encoded in two halves on two threads at once and written in order,
// each once.
TEST(TranscriptWriter, ManyRecordsComeOutInOrderEachOnce) {
    TempFolder folder;
    const std::wstring path = folder / L"chat.txt";
    for (size_t nCount : {size_t(1), size_t(4095), size_t(4096), size_t(4097), size_t(12001)}) {
        const std::vector<std::wstring> texts = VariedTexts(nCount);
        auto calls = std::make_shared<std::vector<LONG>>(nCount, 0);
        QxRecordSource source = Texts(texts);
        const auto encodeText = source.encode;
        source.encode = [calls, encodeText](size_t i, wchar_t* p) {
            InterlockedIncrement(&(*calls)[i]);
            return encodeText(i, p);
        };
        ASSERT_EQ(QxWriteTranscriptFile(path, source), QxWriteResult::Ok) << nCount;
        EXPECT_EQ(FileBytes(path), Bytes(Joined(texts), false)) << nCount << " records";
        std::vector<LONG> once(nCount);
        for (size_t i = 0; i < nCount; ++i)
            once[i] = texts[i].empty() ? 0 : 1;
        EXPECT_EQ(*calls, once) << "every record with text encoded exactly once, " << nCount;
    }
    EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"chat.txt"});
}

// An encoding that throws, on either thread, throws to the caller and leaves the old file and
// no new one.
TEST(TranscriptWriter, AThrowingRecordLeavesThePreviousFile) {
    TempFolder folder;
    const std::wstring path = folder / L"chat.txt";
    const std::vector<unsigned char> previous = Bytes(L"yesterday's transcript", true);
    const std::vector<std::wstring> texts = VariedTexts(5000);
    for (size_t nThrowing : {size_t(3), size_t(2400), size_t(4999)}) {
        ASSERT_TRUE(WriteBytes(path, previous));
        QxRecordSource source = Texts(texts);
        const auto encodeText = source.encode;
        source.encode = [nThrowing, encodeText](size_t i, wchar_t* p) {
            if (i == nThrowing) throw std::bad_alloc();
            return encodeText(i, p);
        };
        EXPECT_THROW(QxWriteTranscriptFile(path, source), std::bad_alloc) << nThrowing;
        EXPECT_EQ(FileBytes(path), previous) << nThrowing;
        EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"chat.txt"}) << nThrowing;
    }
}

// A first half that comes out shorter than its records' lengths said would leave a gap before
// the second half: the write fails instead of putting such a file in place.
TEST(TranscriptWriter, AFirstHalfShorterThanCountedFails) {
    TempFolder folder;
    const std::wstring path = folder / L"chat.txt";
    const std::vector<unsigned char> previous = Bytes(L"yesterday's transcript", true);
    ASSERT_TRUE(WriteBytes(path, previous));
    QxRecordSource source = Texts(VariedTexts(5000));
    const auto lengthOf = source.length;
    source.length = [lengthOf](size_t i) { return lengthOf(i) + (i == 10 ? 1 : 0); };
    EXPECT_EQ(QxWriteTranscriptFile(path, source), QxWriteResult::ShortWrite);
    EXPECT_EQ(FileBytes(path), previous);
    EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"chat.txt"});
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
        {"a write of many records short", 9, false, QxWriteResult::ShortWrite},
        {"a write of the second half short", -2, false, QxWriteResult::ShortWrite},
        {"close fails", -1, true, QxWriteResult::CloseFailed},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(path, previous));
        g_nWritesBeforeShort = c.shortAt;
        g_dwShortOffThread = c.shortAt == -2 ? GetCurrentThreadId() : 0;
        QxTranscriptFileCalls calls;
        calls.pfnWrite = ShortWrite;
        if (c.failClose) calls.pfnClose = FailingClose;
        InjectedCalls injected(calls);
        const bool bMany = c.shortAt == 9 || c.shortAt == -2;
        const QxRecordSource source = bMany ? Texts(VariedTexts(6000)) : Texts({big, big, big, big});
        EXPECT_EQ(QxWriteTranscriptFile(path, source), c.result) << c.name;
        EXPECT_EQ(FileBytes(path), previous) << c.name;
        EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"chat.txt"}) << c.name;
    }
    {
        g_nWritesBeforeShort = 0;
        g_dwShortOffThread = 0;
        QxTranscriptFileCalls calls;
        calls.pfnWrite = ShortWrite;
        InjectedCalls injected(calls);
        EXPECT_EQ(QxWriteTranscriptFile(path, Texts({big, big})), QxWriteResult::ShortWrite);
    }
    g_nWritesBeforeShort = -1;
    EXPECT_EQ(QxWriteTranscriptFile(path, Texts({L"a", L"b"})), QxWriteResult::Ok);
    EXPECT_EQ(FileBytes(path), Bytes(L"ab", false)) << "nothing of a failed write comes with the next";
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
