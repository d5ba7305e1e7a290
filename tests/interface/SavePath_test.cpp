// Path joining of ChSaveChatNameAndPath and the short-name copy of ChGetSavedFileName.
#include "interface/SavePath.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(SavePath, JoinsWithExactlyOneBackslash) {
    EXPECT_EQ(QxJoinSavePath(L"C:\\chats", L"a.txt"), L"C:\\chats\\a.txt");
    EXPECT_EQ(QxJoinSavePath(L"C:\\chats\\", L"a.txt"), L"C:\\chats\\a.txt");
    EXPECT_EQ(QxJoinSavePath(L"C:\\", L"b"), L"C:\\b");
}

TEST(SavePath, AFolderPast259CharactersGivesNoTargetRatherThanACutOne) {
    EXPECT_EQ(QxJoinSavePath(std::wstring(260, L'x').c_str(), L"n"), L"");
    EXPECT_EQ(QxJoinSavePath(std::wstring(100000, L'x').c_str(), L"n"), L"");
    EXPECT_EQ(QxJoinSavePath(std::wstring(259, L'x').c_str(), L"n"), std::wstring(259, L'x') + L"\\n");
    const std::wstring exact = std::wstring(258, L'y') + L"\\";
    EXPECT_EQ(QxJoinSavePath(exact.c_str(), L"n"), exact + L"n");
}

class ShortNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        path = std::wstring(dir) + L"qxchat saved transcript name.txt";
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        wchar_t shortBuf[MAX_PATH] = {};
        ASSERT_GT(GetShortPathNameW(path.c_str(), shortBuf, MAX_PATH), 0u);
        shortName = shortBuf;
    }
    void TearDown() override { DeleteFileW(path.c_str()); }
    std::wstring path, shortName;
};

TEST_F(ShortNameTest, CopiesTheShortFormWhenItFits) {
    wchar_t buffer[MAX_PATH + 4];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(QxCopyShortFileName(path, buffer, MAX_PATH), 0);
    EXPECT_EQ(std::wstring(buffer), shortName);
}

TEST_F(ShortNameTest, ShortCapacityClearsOnlyTheCapacity) {
    const LONG capacity = static_cast<LONG>(shortName.size()); // no room for the terminator
    std::vector<wchar_t> buffer(shortName.size() + 8, L'#');
    EXPECT_EQ(QxCopyShortFileName(path, buffer.data(), capacity), 1);
    for (LONG i = 0; i < capacity; ++i)
        EXPECT_EQ(buffer[i], L'\0') << i;
    for (size_t i = capacity; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], L'#') << i;
}

TEST_F(ShortNameTest, ExactFitWithTerminatorSucceeds) {
    std::vector<wchar_t> buffer(shortName.size() + 1, L'#');
    EXPECT_EQ(QxCopyShortFileName(path, buffer.data(), static_cast<LONG>(buffer.size())), 0);
    EXPECT_EQ(std::wstring(buffer.data()), shortName);
}

TEST(SavePath, UnknownOrMissingNameClearsTheBuffer) {
    wchar_t buffer[6] = {L'a', L'b', L'c', L'd', L'e', L'f'};
    EXPECT_EQ(QxCopyShortFileName(L"", buffer, 3), 1);
    EXPECT_EQ(std::wstring(buffer, 6), (std::wstring{L'\0', L'\0', L'\0', L'd', L'e', L'f'}));
    EXPECT_EQ(QxCopyShortFileName(L"C:\\no\\such\\file.txt", buffer, 6), 1);
    EXPECT_EQ(QxCopyShortFileName(L"C:\\x", nullptr, 6), 1);
    EXPECT_EQ(QxCopyShortFileName(L"", buffer, 0), 1);
}

} // namespace
