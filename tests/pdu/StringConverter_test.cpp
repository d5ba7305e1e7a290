#include "pdu/StringConverter.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const wchar_t kJapanese[] = L"\u65E5\u672C\u8A9E\u306E\u540D\u524D";
const wchar_t kCyrillic[] = L"\u0410\u043D\u043D\u0430";
// U+1F600 and U+1F680, outside the BMP: surrogate pairs in UTF-16.
const wchar_t kEmoji[] = L"\xD83D\xDE00 \xD83D\xDE80";

} // namespace

TEST(StringConverter, Utf16ToUtf8AndBackIsLossless) {
    for (const wchar_t* lpsz :
         {kJapanese, kCyrillic, kEmoji, L"plain ASCII", L"mixed \u00E9\xD83D\xDE00\u65E5"}) {
        const std::string utf8 = CStringConverter(lpsz).GetUtf8();
        EXPECT_EQ(std::wstring(lpsz), CStringConverter(utf8, CStringConverter::UTF8).GetUtf16());
    }
}

TEST(StringConverter, NonBmpCharactersAreFourByteSequences) {
    EXPECT_EQ("\xF0\x9F\x98\x80 \xF0\x9F\x9A\x80", CStringConverter(kEmoji).GetUtf8());
    EXPECT_EQ(std::wstring(kEmoji),
              CStringConverter("\xF0\x9F\x98\x80 \xF0\x9F\x9A\x80", CStringConverter::UTF8).GetUtf16());
    EXPECT_EQ("\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0", CStringConverter::ToUtf8(kCyrillic));
}

TEST(StringConverter, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ("a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD",
              CStringConverter(L"a\xD83D"
                               L"b\xDE00")
                  .GetUtf8());
    // A high surrogate at the very end, and a pair in reverse order.
    EXPECT_EQ("x\xEF\xBF\xBD", CStringConverter(L"x\xD800").GetUtf8());
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD", CStringConverter(L"\xDE00\xD83D").GetUtf8());
}

TEST(StringConverter, MalformedUtf8NeverFails) {
    for (const char* lpsz : {"\xFF\xFE", "abc\xC3", "\xF0\x9F\x98", "\xC3(", "\xED\xA0\x80", "\x80\x80"}) {
        const std::wstring wide = CStringConverter(lpsz, CStringConverter::UTF8).GetUtf16();
        EXPECT_FALSE(wide.empty()) << lpsz;
        EXPECT_NE(std::wstring::npos, wide.find(L'\xFFFD')) << lpsz;
    }
}

TEST(StringConverter, EmptyAndNullAreTheEmptyString) {
    EXPECT_EQ("", CStringConverter(static_cast<const wchar_t*>(nullptr)).GetUtf8());
    EXPECT_EQ(L"", CStringConverter(static_cast<const char*>(nullptr), CStringConverter::UTF8).GetUtf16());
    EXPECT_EQ("", CStringConverter(std::string(), CStringConverter::ANSI).GetUtf8());
    EXPECT_EQ(L"", CStringConverter(L"").GetUtf16());
}

TEST(StringConverter, EachFormIsProducedOnceAndKept) {
    CStringConverter conv(kCyrillic);
    const std::string& first = conv.GetUtf8();
    const std::string& second = conv.GetUtf8();
    EXPECT_EQ(&first, &second);
    // The form it was built from is returned as given.
    CStringConverter fromUtf8("\xC3(", CStringConverter::UTF8);
    EXPECT_EQ("\xC3(", fromUtf8.GetUtf8());
}

TEST(StringConverter, AnsiGoesThroughUtf16) {
    EXPECT_EQ("Ann 1001", CStringConverter("Ann 1001", CStringConverter::ANSI).GetUtf8());
    EXPECT_EQ("Ann 1001", CStringConverter("Ann 1001", CStringConverter::UTF8).GetAnsi());
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC", CStringConverter("caf\xE9 \x80", CStringConverter::ANSI).GetUtf8());
    EXPECT_EQ("caf\xE9 \x80", CStringConverter("caf\xC3\xA9 \xE2\x82\xAC", CStringConverter::UTF8).GetAnsi());
    EXPECT_EQ(L"caf\u00E9", CStringConverter("caf\xE9", CStringConverter::ANSI).GetUtf16());
}
