#include "window/DateTimeText.h"

#include <clocale>
#include <cwchar>
#include <string>

namespace {

// Room of each text, in characters with the terminator.
const size_t kTextRoom = 100;

const wchar_t kLongDate[] = L"%#x";
const wchar_t kEnglishDate[] = L"%B %#d, %Y";
const wchar_t kTime[] = L"%#X";

struct LocaleRow {
    const char* pszLocale;
    LANGID ids[20];
};

// Rows end at the first zero id.
const LocaleRow kLocales[] = {
    {"japanese", {1041}},
    {"chinese-traditional", {1028}},
    {"german", {1031, 2055, 3079, 4103, 5127}},
    {"french", {1036, 2060, 3084, 4108, 5132}},
    {"korean", {1042, 2066}},
    {"Italian", {1040, 2064}},
    {"Spanish", {1034,  2058,  3082,  4106,  5130,  6154,  7178,  8202,  9226,  10250,
                 11274, 12298, 13322, 14346, 15370, 16394, 17418, 18442, 19466, 20490}},
    {"Swedish", {1053, 2077}},
    {"Portuguese", {1046, 2070}},
    {"Russian", {1049}},
};
const char kEnglish[] = "english";

bool IsSimplifiedChinese(LANGID langId) {
    return langId == 2052 || langId == 3076 || langId == 4100;
}

std::wstring Format(const wchar_t* pszFormat, const struct tm& local) {
    wchar_t buffer[kTextRoom];
    size_t n = wcsftime(buffer, kTextRoom, pszFormat, &local);
    return std::wstring(buffer, n);
}

// Restores the locale in force when it was made.
class CLocaleSwitch {
public:
    CLocaleSwitch() {
        const char* prev = setlocale(LC_ALL, nullptr);
        m_strPrevious = prev ? prev : "C";
    }
    ~CLocaleSwitch() { setlocale(LC_ALL, m_strPrevious.c_str()); }
    CLocaleSwitch(const CLocaleSwitch&) = delete;
    CLocaleSwitch& operator=(const CLocaleSwitch&) = delete;
    bool Set(const char* pszLocale) { return setlocale(LC_ALL, pszLocale) != nullptr; }

private:
    std::string m_strPrevious;
};

std::wstring TwoDigits(int n) {
    return (n < 10 ? L"0" : L"") + std::to_wstring(n);
}

// UTC shifted by 8 hours for the hour only; the calendar date stays the UTC one.
QxDateTimeText FormatSimplifiedChinese(time_t now) {
    QxDateTimeText text;
    const struct tm* utc = gmtime(&now);
    if (!utc) return text;
    int hour = (utc->tm_hour + 8) % 24;
    text.strDate = std::to_wstring(utc->tm_year + 1900) + L"-" + std::to_wstring(utc->tm_mon + 1) + L"-" +
                   std::to_wstring(utc->tm_mday);
    text.strTime = (hour < 10 ? L" " : L"") + std::to_wstring(hour) + L":" + TwoDigits(utc->tm_min) + L":" +
                   TwoDigits(utc->tm_sec);
    return text;
}

// The runtime's time() asks for the time zone twice, and under some systems each ask reads the
// zone file again: a message shown costs more than its text. The clock alone gives the same
// seconds since 1970.
time_t RealNow() {
    const unsigned long long kTicksPerSecond = 10000000ULL, kSeconds1601To1970 = 11644473600ULL;
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<time_t>(ticks / kTicksPerSecond - kSeconds1601To1970);
}

LANGID RealLanguage() {
    return GetSystemDefaultLangID();
}

time_t (*g_pfnNow)() = RealNow;
LANGID (*g_pfnLanguage)() = RealLanguage;

} // namespace

const char* QxLocaleNameFor(LANGID langId) {
    if (IsSimplifiedChinese(langId)) return "";
    for (const LocaleRow& row : kLocales) {
        for (LANGID id : row.ids) {
            if (id == 0) break;
            if (id == langId) return row.pszLocale;
        }
    }
    return kEnglish;
}

QxDateTimeText QxFormatLocalTime(const char* pszLocale, const wchar_t* pszDateFormat,
                                 const struct tm& local) {
    CLocaleSwitch locale;
    QxDateTimeText text;
    if (!locale.Set(pszLocale)) {
        // Month names of the runtime's default locale are English; only the date shape changes.
        locale.Set(kEnglish);
        pszDateFormat = kEnglishDate;
    }
    text.strDate = Format(pszDateFormat, local);
    text.strTime = Format(kTime, local);
    return text;
}

QxDateTimeText QxFormatDateTime(LANGID langId, time_t now) {
    if (IsSimplifiedChinese(langId)) return FormatSimplifiedChinese(now);
    const struct tm* local = localtime(&now);
    if (!local) return QxDateTimeText();
    struct tm copy = *local; // the runtime's buffer is shared with every other localtime call
    const char* pszLocale = QxLocaleNameFor(langId);
    bool bEnglish = std::string(pszLocale) == kEnglish;
    return QxFormatLocalTime(pszLocale, bEnglish ? kEnglishDate : kLongDate, copy);
}

QxDateTimeText QxGetCurrentDateTime() {
    // Formatting switches the runtime's locale there and back, which costs far more than showing
    // a message: the messages of one second (a burst, a recovery) share one text.
    struct Last {
        LANGID langId = 0;
        time_t now = static_cast<time_t>(-1);
        QxDateTimeText text;
    };
    thread_local Last last;
    const LANGID langId = g_pfnLanguage();
    const time_t now = g_pfnNow();
    if (now != last.now || langId != last.langId || last.text.strTime.empty()) {
        last.text = QxFormatDateTime(langId, now);
        last.now = now;
        last.langId = langId;
    }
    return last.text;
}

void QxSetDateTimeSource(time_t (*pfnNow)(), LANGID (*pfnLanguage)()) {
    g_pfnNow = pfnNow ? pfnNow : RealNow;
    g_pfnLanguage = pfnLanguage ? pfnLanguage : RealLanguage;
}
