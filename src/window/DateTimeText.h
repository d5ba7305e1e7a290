// Date and time texts of shown messages, by the system language.
#pragma once

#include <windows.h>
#include <ctime>
#include <string>

struct QxDateTimeText {
    std::wstring strDate, strTime;
};
// The texts for this language at this moment: the locale of the language table (English when
// the runtime cannot set it), or the hand-made UTC+8 rule of Simplified Chinese systems.
QxDateTimeText QxFormatDateTime(LANGID langId, time_t now);
// The system default language and the clock (or the sources set for tests); calls within one
// second of the clock, for one language, give the text made for the first.
QxDateTimeText QxGetCurrentDateTime();
// Tests may fix the clock and the language: nullptr restores the real ones.
void QxSetDateTimeSource(time_t (*pfnNow)(), LANGID (*pfnLanguage)());

// The runtime locale name the language table gives this language ("english" for any language
// not listed; empty for the Simplified Chinese ids, which use no locale).
const char* QxLocaleNameFor(LANGID langId);

// The date (with pszDateFormat) and the time ("%#X") of this local time under the runtime locale
// pszLocale; English ("%B %#d, %Y" and the default locale's time) when the locale cannot be set.
// The previous locale is restored.
QxDateTimeText QxFormatLocalTime(const char* pszLocale, const wchar_t* pszDateFormat, const struct tm& local);
