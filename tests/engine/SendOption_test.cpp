#include "engine/SendOption.h"

#include <gtest/gtest.h>

namespace {

struct OptionCase {
    const char* name;
    DWORD dwFeature1, dwNBRStatus, dwNBROption;
    DWORD id;
    bool bGroup, bGroupMessage, bRecordable, bRecordCopy;
    DWORD expected;
};

TEST(SendOption, FollowsTheRecordingStateAndTheFeatureBits) {
    const OptionCase cases[] = {
        {"group 15", 0, 0, 0, 15, true, true, true, true, 0x1000090},
        {"group 4", 0, 0, 0, 4, true, true, true, true, 0x1000092},
        {"private, record copy", 0x8000, 0, 0, 4, false, true, true, true, 0x292},
        {"private to 15, record copy", 0x8000, 0, 0, 15, false, true, true, true, 0x290},
        {"status 3 records", 0, 3, 0, 4, false, true, true, true, 0x92},
        {"status 2 does not", 0, 2, 0, 4, false, true, true, true, 0},
        {"unset status does not", 0, 0xFFFFFFFF, 0, 4, true, true, true, true, 0x1000000},
        {"feature 0x100 overrides the status", 0x100, 1, 0, 4, true, true, true, true, 0x1000092},
        {"recording flag 0x1 drops 0x2", 0, 0, 1, 4, false, true, true, true, 0x90},
        {"flag 0x1 keeps the copy's 0x2", 0x8000, 0, 1, 4, false, true, true, true, 0x292},
        {"copy while not recordable", 0x8000, 2, 0, 4, false, true, true, true, 0x112},
        {"copy to 15 not recordable", 0x8000, 2, 0, 15, false, true, true, true, 0x110},
        {"copy not asked", 0x8000, 0, 0, 4, false, true, true, false, 0x92},
        {"not recordable, no copy", 0, 0, 0, 4, false, true, false, true, 0},
        {"not recordable, copy", 0x8000, 0, 0, 4, false, true, false, true, 0x112},
        {"group info", 0, 0, 0, 4, true, false, true, true, 0x2000092},
        {"group data, nothing else", 0, 2, 0, 15, true, false, false, false, 0x2000000},
        {"all together", 0x8100, 1, 0, 7, true, true, true, true, 0x1000292},
    };
    for (const OptionCase& c : cases) {
        QxSendOptionContext ctx;
        ctx.dwFeature1 = c.dwFeature1;
        ctx.dwNBRStatus = c.dwNBRStatus;
        ctx.dwNBROption = c.dwNBROption;
        EXPECT_EQ(c.expected,
                  QxGetSendOption(ctx, c.id, c.bGroup, c.bGroupMessage, c.bRecordable, c.bRecordCopy))
            << c.name;
    }
}

TEST(SendOption, DefaultContextDoesNotRecord) {
    EXPECT_EQ(0x1000000u, QxGetSendOption(QxSendOptionContext(), 15, true, true, true, true));
}

struct TextCase {
    std::wstring in, out;
};

TEST(OutgoingText, EmptyLinesCollapseToSingleLineBreaks) {
    const TextCase cases[] = {
        {L"a\r\n\r\n\r\n\r\nb", L"a\r\nb"},
        {L"a\r\n\r\n\r\nb", L"a\r\nb"},
        {L"a\r\n\r\nb", L"a\r\nb"},
        {L"a\r\nb", L"a\r\nb"},
        {L"\r\n\r\n", L"\r\n"},
        {L"\r\n\r\n\r\nx\r\n\r\ny\r\n\r\n", L"\r\nx\r\ny\r\n"},
        {L"a\n\n\nb", L"a\n\n\nb"},     // only CR LF pairs count
        {L"a\r\r\n\nb", L"a\r\r\n\nb"}, // no "\r\n\r\n" inside
        {L"\r\r\n\r\n\n", L"\r\r\n\n"}, // the pair in the middle collapses
        {L"a\r\n\r\r\n\r\n", L"a\r\n\r\r\n"},
        {L"", L""},
        {L"plain", L"plain"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.out, QxPrepareOutgoingText(c.in));
}

// The rule as stated: replace the leftmost occurrence, search again from the start.
std::wstring CollapseByRepeatedSearch(std::wstring text) {
    size_t pos;
    while ((pos = text.find(L"\r\n\r\n")) != std::wstring::npos)
        text.replace(pos, 4, L"\r\n");
    return text;
}

TEST(OutgoingText, AgreesWithRepeatedSearchOnEveryShortMix) {
    // Every text of up to 8 characters over {\r, \n, a}.
    const wchar_t alphabet[] = {L'\r', L'\n', L'a'};
    for (int len = 0; len <= 8; ++len) {
        int total = 1;
        for (int i = 0; i < len; ++i)
            total *= 3;
        for (int code = 0; code < total; ++code) {
            std::wstring text;
            for (int i = 0, c = code; i < len; ++i, c /= 3)
                text += alphabet[c % 3];
            ASSERT_EQ(CollapseByRepeatedSearch(text), QxPrepareOutgoingText(text)) << code << " " << len;
        }
    }
}

TEST(OutgoingText, CutsToOneThousandCharactersBeforeCollapsing) {
    EXPECT_EQ(std::wstring(1000, L'x'), QxPrepareOutgoingText(std::wstring(1500, L'x')));
    // Line breaks past the bound do not make room for more text.
    std::wstring text = std::wstring(998, L'x') + L"\r\n\r\nyyy";
    EXPECT_EQ(std::wstring(998, L'x') + L"\r\n", QxPrepareOutgoingText(text));
    // Collapsing inside the bound shortens the result below it.
    std::wstring breaks;
    for (int i = 0; i < 600; ++i)
        breaks += L"\r\n";
    EXPECT_EQ(L"\r\n", QxPrepareOutgoingText(breaks));
}

TEST(OutgoingText, AHugePasteIsCutBeforeAnythingElse) {
    std::wstring text = L"a";
    for (int i = 0; i < 200000; ++i)
        text += L"\r\n";
    text += L"b";
    // 1000 characters: "a", 499 line breaks and the first half of the next one.
    EXPECT_EQ(L"a\r\n\r", QxPrepareOutgoingText(text));
}

} // namespace
