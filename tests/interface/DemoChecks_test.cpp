// The demo host's checks: transcript records read back, and colour runs found in a screenshot.
#include "DemoChecks.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using demo::TranscriptTexts;

const std::wstring kField = L"\t    ";

std::wstring Message(const std::wstring& sender, const std::wstring& text) {
    return L"12/08/2026" + kField + L"10:42:07 AM" + kField + sender + L"\x0B to Everyone:\t" + text +
           L"\r\n\n";
}

std::wstring Notice(const std::wstring& text) {
    return L"12/08/2026" + kField + L"10:42:08 AM" + kField + L"\t" + text + L"\r\n\n";
}

TEST(DemoChecks, TranscriptRecordsAreReadInOrderWithTheirHeaders) {
    using Records = std::vector<demo::TranscriptRecord>;
    const struct {
        std::wstring content;
        Records records;
    } cases[] = {
        {L"", {}},
        {Message(L"Ann", L"Good morning!"), {{L"Ann\x0B to Everyone:", L"Good morning!"}}},
        {Message(L"Ann", L"one") + Notice(L"Ben joined") + Message(L"Ben", L"two"),
         {{L"Ann\x0B to Everyone:", L"one"}, {L"", L"Ben joined"}, {L"Ben\x0B to Everyone:", L"two"}}},
        // A text with a line break stays one record; an unfinished last record still counts.
        {Message(L"Ann", L"first\r\nsecond") + L"12/08/2026" + kField + L"t" + kField + L"\tcut",
         {{L"Ann\x0B to Everyone:", L"first\r\nsecond"}, {L"", L"cut"}}},
        {Message(L"Ann", L""), {{L"Ann\x0B to Everyone:", L""}}},
        // Records without both time fields or without a text are not records.
        {L"12/08/2026" + kField + L"no time\r\n\n" + L"d" + kField + L"t" + kField + L"\r\n\n" +
             Notice(L"kept"),
         {{L"", L"kept"}}},
    };
    for (const auto& c : cases) {
        const Records records = demo::TranscriptRecords(c.content);
        EXPECT_TRUE(records == c.records) << c.content.size();
        std::vector<std::wstring> texts;
        for (const auto& r : c.records)
            texts.push_back(r.text);
        EXPECT_EQ(TranscriptTexts(c.content), texts);
    }
}

TEST(DemoChecks, ATranscriptFileIsReadAsLittleEndianAfterItsMark) {
    wchar_t szDir[MAX_PATH] = {}, szPath[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, szDir);
    GetTempFileNameW(szDir, L"qxd", 0, szPath);
    const auto write = [&](const std::string& bytes) {
        FILE* f = _wfopen(szPath, L"wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    };
    std::wstring content;
    write(std::string("\xFF\xFE"
                      "A\0\x15\x20",
                      6)); // "A" and a horizontal bar (U+2015)
    ASSERT_TRUE(demo::ReadTranscriptFile(szPath, &content));
    EXPECT_EQ(content, L"A\x2015");
    write(std::string("A\0", 2)); // no mark
    EXPECT_FALSE(demo::ReadTranscriptFile(szPath, &content));
    write(std::string("\xFF\xFE"
                      "A",
                      3)); // half a character
    EXPECT_FALSE(demo::ReadTranscriptFile(szPath, &content));
    DeleteFileW(szPath);
    EXPECT_FALSE(demo::ReadTranscriptFile(szPath, &content));
}

ScreenImage Blank(int width, int height) {
    ScreenImage image;
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<size_t>(width) * height * 3, 0xFF);
    return image;
}

void Paint(ScreenImage& image, int x, int y, COLORREF colour) {
    uint8_t* px = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    px[0] = GetRValue(colour), px[1] = GetGValue(colour), px[2] = GetBValue(colour);
}

TEST(DemoChecks, ColourRunsAndCountsStayInsideTheRectangleAndTheImage) {
    const COLORREF blue = RGB(0, 0, 0xFF);
    ScreenImage image = Blank(20, 4);
    for (int x = 2; x < 12; ++x)
        Paint(image, x, 1, blue);
    Paint(image, 13, 1, blue);           // a gap breaks the run
    Paint(image, 5, 3, RGB(0, 0, 0xFE)); // a near colour is not the colour
    const RECT all = {0, 0, 20, 4}, left = {0, 0, 6, 4}, huge = {-50, -50, 500, 500}, none = {0, 2, 20, 4};
    EXPECT_EQ(demo::LongestColourRun(image, all, blue), 10);
    EXPECT_EQ(demo::LongestColourRun(image, left, blue), 4);
    EXPECT_EQ(demo::LongestColourRun(image, huge, blue), 10);
    EXPECT_EQ(demo::LongestColourRun(image, none, blue), 0);
    EXPECT_EQ(demo::CountColour(image, all, blue), 11);
    EXPECT_EQ(demo::CountColour(image, huge, blue), 11);
    EXPECT_EQ(demo::CountColour(image, left, blue), 4);
    const COLORREF white = RGB(0xFF, 0xFF, 0xFF);
    EXPECT_EQ(demo::LastRowDrawn(image, all, white), 3);
    EXPECT_EQ(demo::LastRowDrawn(image, RECT{6, 0, 20, 4}, white), 1) << "the near-blue pixel is left of it";
    EXPECT_EQ(demo::LastRowDrawn(image, RECT{0, 2, 5, 4}, white), -1);
}

} // namespace
