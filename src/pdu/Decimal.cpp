#include "pdu/Decimal.h"

#include <cctype>
#include <climits>
#include <cstdint>

namespace {

// Magnitudes are accumulated only up to this bound, which is beyond every result range.
const uint64_t kSaturated = 0x100000000ull;

struct ParsedDecimal {
    bool bNegative = false;
    uint64_t uMagnitude = 0; // at most kSaturated
};

ParsedDecimal Parse(const char* p) {
    ParsedDecimal r;
    if (!p) return r;
    while (*p && isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p == '+' || *p == '-') r.bNegative = (*p++ == '-');
    for (; *p >= '0' && *p <= '9'; ++p) {
        r.uMagnitude = r.uMagnitude * 10 + static_cast<unsigned>(*p - '0');
        if (r.uMagnitude > kSaturated) r.uMagnitude = kSaturated;
    }
    return r;
}

int64_t Signed(const ParsedDecimal& r) {
    int64_t v = static_cast<int64_t>(r.uMagnitude);
    return r.bNegative ? -v : v;
}

} // namespace

std::string DecimalFromDword(DWORD dwValue) {
    return std::to_string(static_cast<unsigned long>(dwValue));
}

std::string DecimalFromLong(LONG lValue) {
    return std::to_string(static_cast<long>(lValue));
}

DWORD DwordFromDecimal(const char* lpsz) {
    ParsedDecimal r = Parse(lpsz);
    if (r.uMagnitude > UINT32_MAX) return UINT32_MAX;
    DWORD dw = static_cast<DWORD>(r.uMagnitude);
    return r.bNegative ? 0u - dw : dw;
}

LONG LongFromDecimal(const char* lpsz) {
    int64_t v = Signed(Parse(lpsz));
    if (v > LONG_MAX) return LONG_MAX;
    if (v < LONG_MIN) return LONG_MIN;
    return static_cast<LONG>(v);
}

int IntFromDecimal(const char* lpsz) {
    int64_t v = Signed(Parse(lpsz));
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}
