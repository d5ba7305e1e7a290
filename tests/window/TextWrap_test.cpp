// Word wrap: where lines break, character positions, tabs, hit positions.
#include "window/TextWrap.h"

#include <gtest/gtest.h>

namespace {

// Every character 10 pixels wide unless told otherwise.
std::vector<int> Even(const std::wstring& text, int w = 10) {
    return std::vector<int>(text.size(), w);
}

std::vector<std::wstring> Lines(const std::wstring& text, const WrappedText& wrap) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < wrap.LineCount(); ++i)
        lines.push_back(text.substr(wrap.lineStarts[i],
                                    wrap.LineEnd(i, static_cast<int>(text.size())) - wrap.lineStarts[i]));
    return lines;
}

TEST(TextWrap, BreaksAtWordsAndHangsSpaces) {
    const struct {
        const wchar_t* text;
        int width;
        std::vector<std::wstring> lines;
    } cases[] = {
        {L"", 100, {L""}},
        {L"short", 100, {L"short"}},
        {L"aaaa bbbb", 100, {L"aaaa bbbb"}},
        {L"aaaa bbbb", 50, {L"aaaa ", L"bbbb"}}, // the space hangs at the first line's end
        {L"aaaa    bbbb", 50, {L"aaaa    ", L"bbbb"}},
        {L"aa bb cc dd", 50, {L"aa bb ", L"cc dd"}},
        {L"abcdefghij", 40, {L"abcd", L"efgh", L"ij"}}, // a word wider than the line breaks by character
        {L"a abcdefghij", 40, {L"a ", L"abcd", L"efgh", L"ij"}},
        {L"one\r\ntwo", 200, {L"one\r\n", L"two"}},
        {L"one\ntwo\n\nend", 200, {L"one\n", L"two\n", L"\n", L"end"}},
        {L"x", 1, {L"x"}}, // narrower than one character: still one per line
    };
    for (const auto& c : cases) {
        const std::wstring text = c.text;
        EXPECT_EQ(Lines(text, QxWrapText(text, Even(text), c.width, 80)), c.lines)
            << testing::PrintToString(text) << " at " << c.width;
    }
}

TEST(TextWrap, PositionsRestartOnEachLine) {
    const std::wstring text = L"ab cd";
    const WrappedText wrap = QxWrapText(text, {5, 7, 3, 9, 11}, 20, 80);
    ASSERT_EQ(wrap.LineCount(), 2);
    EXPECT_EQ(wrap.x, (std::vector<int>{0, 5, 12, 0, 9}));
    EXPECT_EQ(wrap.width, (std::vector<int>{5, 7, 3, 9, 11}));
}

TEST(TextWrap, TabsReachTheNextStopAndSplitNothing) {
    const std::wstring text = L"a\tb\t\tc";
    const WrappedText wrap = QxWrapText(text, Even(text), 1000, 40);
    EXPECT_EQ(wrap.LineCount(), 1);
    EXPECT_EQ(wrap.x, (std::vector<int>{0, 10, 40, 50, 80, 120}));
    EXPECT_EQ(wrap.width[1], 30);
    EXPECT_EQ(wrap.width[4], 40);
    EXPECT_FALSE(QxIsDrawnChar(L'\t'));
    EXPECT_FALSE(QxIsDrawnChar(L'\n'));
    EXPECT_TRUE(QxIsDrawnChar(L'a'));

    const std::wstring tabs(500, L'\t');
    const WrappedText wide = QxWrapText(tabs, Even(tabs), 300, 56);
    EXPECT_EQ(wide.LineCount(), 1);
    EXPECT_EQ(wide.x[499], 499 * 56);
}

TEST(TextWrap, ALineNeverStartsInsideASurrogatePairOrBeforeACombiningMark) {
    // "ab" then a pair, at 10 pixels per unit and 30 pixels of room: the pair moves whole.
    const std::wstring pair = L"ab\xD83D\xDE00";
    EXPECT_EQ(Lines(pair, QxWrapText(pair, Even(pair), 30, 80)),
              (std::vector<std::wstring>{L"ab", L"\xD83D\xDE00"}));
    const std::wstring marks = L"abe\x0301";
    EXPECT_EQ(Lines(marks, QxWrapText(marks, Even(marks), 30, 80)),
              (std::vector<std::wstring>{L"ab", L"e\x0301"}));
}

TEST(TextWrap, HugeWordsWrapByCharacterInLinearTime) {
    const std::wstring word(1000, L'w');
    const WrappedText wrap = QxWrapText(word, Even(word, 7), 70, 56);
    EXPECT_EQ(wrap.LineCount(), 100);
    for (int i = 0; i < wrap.LineCount(); ++i)
        EXPECT_EQ(wrap.lineStarts[i], i * 10);
    // Many words that each fill a line.
    std::wstring words;
    for (int i = 0; i < 20000; ++i)
        words += L"abcdefgh ";
    EXPECT_EQ(QxWrapText(words, Even(words), 80, 80).LineCount(), 20000);
}

TEST(TextWrap, HitPositions) {
    const std::wstring text = L"abc def\n";
    const WrappedText wrap = QxWrapText(text, Even(text), 1000, 80);
    const struct {
        int px;
        int boundary; // nearest boundary
        int ch;       // character under px, -1 outside
    } cases[] = {{-5, 0, -1}, {0, 0, 0},  {5, 0, 0},   {6, 1, 0},   {15, 1, 1},
                 {16, 2, 1},  {69, 7, 6}, {70, 7, -1}, {500, 7, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(QxBoundaryAt(wrap, text, 0, c.px), c.boundary) << c.px;
        EXPECT_EQ(QxCharAt(wrap, text, 0, c.px), c.ch) << c.px;
    }
    EXPECT_EQ(QxCharAt(wrap, text, 5, 10), -1); // no such line
}

} // namespace
