#include "window/DateTimeText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

const time_t k20261206_123456 = 1796560496; // 6 December 2026, 12:34:56 UTC
const time_t k20261206_230507 = 1796598307; // 23:05:07 UTC
const time_t k20261206_010203 = 1796518923;
const time_t k20261206_020000 = 1796522400;

std::string CurrentLocale() {
    const char* name = setlocale(LC_ALL, nullptr);
    return name ? name : "";
}

TEST(DateTimeText, LanguageTableGivesTheLocaleNames) {
    const std::pair<LANGID, const char*> cases[] = {
        {1033, "english"},  {2057, "english"},    {1041, "japanese"},   {1028, "chinese-traditional"},
        {1031, "german"},   {5127, "german"},     {1036, "french"},     {5132, "french"},
        {1042, "korean"},   {2066, "korean"},     {1040, "Italian"},    {2064, "Italian"},
        {1034, "Spanish"},  {11274, "Spanish"},   {20490, "Spanish"},   {1053, "Swedish"},
        {2077, "Swedish"},  {1046, "Portuguese"}, {2070, "Portuguese"}, {1049, "Russian"},
        {2052, ""},         {3076, ""},           {4100, ""},           {0, "english"},
        {21514, "english"}, {6155, "english"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.second, QxLocaleNameFor(c.first)) << c.first;
}

TEST(DateTimeText, EnglishDateHasMonthNameAndDayWithoutLeadingZero) {
    QxDateTimeText text = QxFormatDateTime(1033, k20261206_123456);
    EXPECT_EQ(L"December 6, 2026", text.strDate);
    EXPECT_NE(std::wstring::npos, text.strTime.find(L":56")) << text.strTime;
    EXPECT_EQ("C", CurrentLocale());
}

struct ChineseCase {
    LANGID langId;
    time_t now;
    const wchar_t* date;
    const wchar_t* time;
};

TEST(DateTimeText, SimplifiedChineseIsUtcPlusEightByHand) {
    const ChineseCase cases[] = {
        {2052, k20261206_230507, L"2026-12-6", L" 7:05:07"}, // the hour wraps, the date stays
        {3076, k20261206_010203, L"2026-12-6", L" 9:02:03"},
        {4100, k20261206_020000, L"2026-12-6", L"10:00:00"},
        {2052, k20261206_123456, L"2026-12-6", L"20:34:56"},
    };
    for (const ChineseCase& c : cases) {
        QxDateTimeText text = QxFormatDateTime(c.langId, c.now);
        EXPECT_EQ(c.date, text.strDate) << c.langId;
        EXPECT_EQ(c.time, text.strTime) << c.langId;
    }
}

TEST(DateTimeText, ALocaleThatCannotBeSetFallsBackToEnglish) {
    time_t now = k20261206_123456;
    struct tm local = *localtime(&now);
    QxDateTimeText text = QxFormatLocalTime("no-such-locale-xx", L"%#x", local);
    EXPECT_EQ(L"December 6, 2026", text.strDate);
    EXPECT_NE(std::wstring::npos, text.strTime.find(L":56")) << text.strTime;
    EXPECT_EQ("C", CurrentLocale());
}

TEST(DateTimeText, ListedLanguagesUseTheirLocaleOrEnglish) {
    // Whether the runtime knows a locale depends on the system: either it formats in that
    // language, or the English text comes out; the locale is back to "C" after each.
    const std::pair<LANGID, const wchar_t*> cases[] = {
        {1031, L"Dezember"},
        {1036, L"d\u00e9cembre"},
        {1034, L"diciembre"},
        {1040, L"dicembre"},
    };
    for (const auto& c : cases) {
        bool bKnown = setlocale(LC_ALL, QxLocaleNameFor(c.first)) != nullptr;
        setlocale(LC_ALL, "C");
        QxDateTimeText text = QxFormatDateTime(c.first, k20261206_123456);
        if (bKnown)
            EXPECT_NE(std::wstring::npos, text.strDate.find(c.second))
                << c.first << " " << text.strDate.size();
        else
            EXPECT_EQ(L"December 6, 2026", text.strDate) << c.first;
        EXPECT_FALSE(text.strTime.empty());
        EXPECT_EQ("C", CurrentLocale());
    }
}

time_t FixedNow() {
    return k20261206_230507;
}
LANGID FixedChinese() {
    return 2052;
}
LANGID FixedEnglish() {
    return 1033;
}

TEST(DateTimeText, CurrentDateTimeReadsTheInjectedClockAndLanguage) {
    QxSetDateTimeSource(FixedNow, FixedChinese);
    QxDateTimeText text = QxGetCurrentDateTime();
    EXPECT_EQ(L" 7:05:07", text.strTime);
    EXPECT_EQ(L"2026-12-6", text.strDate);
    QxSetDateTimeSource(FixedNow, FixedEnglish);
    EXPECT_EQ(QxFormatDateTime(1033, FixedNow()).strDate, QxGetCurrentDateTime().strDate);

    QxSetDateTimeSource(nullptr, nullptr);
    time_t before = time(nullptr);
    QxDateTimeText real = QxGetCurrentDateTime();
    time_t after = time(nullptr);
    LANGID lang = GetSystemDefaultLangID();
    QxDateTimeText a = QxFormatDateTime(lang, before), b = QxFormatDateTime(lang, after);
    EXPECT_TRUE(real.strDate == a.strDate || real.strDate == b.strDate);
    EXPECT_TRUE(real.strTime == a.strTime || real.strTime == b.strTime);
}

time_t g_movingNow = k20261206_230507;
time_t MovingNow() {
    return g_movingNow;
}

// One second's text is reused; a new second, a new day or a new language gives a new one.
TEST(DateTimeText, CurrentDateTimeFollowsTheClockAcrossReusedTexts) {
    QxSetDateTimeSource(MovingNow, FixedChinese);
    g_movingNow = k20261206_230507;
    EXPECT_EQ(L" 7:05:07", QxGetCurrentDateTime().strTime);
    EXPECT_EQ(L" 7:05:07", QxGetCurrentDateTime().strTime);
    g_movingNow += 1;
    EXPECT_EQ(L" 7:05:08", QxGetCurrentDateTime().strTime);
    g_movingNow += 24 * 3600;
    EXPECT_EQ(L"2026-12-7", QxGetCurrentDateTime().strDate);
    QxSetDateTimeSource(MovingNow, FixedEnglish);
    EXPECT_EQ(QxFormatDateTime(1033, g_movingNow).strDate, QxGetCurrentDateTime().strDate);
    QxSetDateTimeSource(nullptr, nullptr);
}

} // namespace
