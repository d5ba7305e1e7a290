// Decimal text of the numeric PDU fields. Peers and hosts send any text, so reading never
// overflows: values beyond the result's range saturate instead of wrapping round into a
// small, plausible-looking number.
#pragma once

#include <string>
#include <windows.h>

// Unsigned decimal form: no sign, no leading zeros, no padding.
std::string DecimalFromDword(DWORD dwValue);
// Signed decimal form ("-" only for negative values).
std::string DecimalFromLong(LONG lValue);

// The C library's reading of a number (leading white space, an optional sign, then digits up
// to the first other character; nothing readable gives 0), without its undefined overflow.
// Magnitudes beyond the range saturate; a negative unsigned value reads as its 32-bit
// complement, as the C library's unsigned conversion gives it.
DWORD DwordFromDecimal(const char* lpsz);
LONG LongFromDecimal(const char* lpsz);
int IntFromDecimal(const char* lpsz);

inline DWORD DwordFromDecimal(const std::string& str) {
    return DwordFromDecimal(str.c_str());
}
inline LONG LongFromDecimal(const std::string& str) {
    return LongFromDecimal(str.c_str());
}
