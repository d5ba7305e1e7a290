#include "pdu/Decimal.h"

#include <gtest/gtest.h>

TEST(Decimal, FormsCarryNoSignPaddingOrLeadingZeros) {
    EXPECT_EQ("0", DecimalFromDword(0));
    EXPECT_EQ("4294967295", DecimalFromDword(0xFFFFFFFFu));
    EXPECT_EQ("-1", DecimalFromLong(-1));
    EXPECT_EQ("-2147483648", DecimalFromLong(LONG_MIN));
}

TEST(Decimal, ReadsLikeTheCLibraryWithoutOverflowing) {
    struct Case {
        const char* lpszText;
        DWORD dwValue;
        LONG lValue;
        int nValue;
    } cases[] = {
        {"", 0, 0, 0},
        {"abc", 0, 0, 0},
        {"12abc", 12, 12, 12},
        {"  +7", 7, 7, 7},
        {"\t42 ", 42, 42, 42},
        {"-1", 0xFFFFFFFFu, -1, -1},
        {"2147483648", 2147483648u, LONG_MAX, INT_MAX},
        // Unsigned ids above the signed range keep their value.
        {"3000000000", 3000000000u, LONG_MAX, INT_MAX},
        {"4294967295", 4294967295u, LONG_MAX, INT_MAX},
        // Beyond 32 bits: saturated, never wrapped round to 3.
        {"4294967299", 0xFFFFFFFFu, LONG_MAX, INT_MAX},
        {"99999999999999999999", 0xFFFFFFFFu, LONG_MAX, INT_MAX},
        {"-99999999999999999999", 0xFFFFFFFFu, LONG_MIN, INT_MIN},
        {"- 5", 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.dwValue, DwordFromDecimal(c.lpszText)) << c.lpszText;
        EXPECT_EQ(c.lValue, LongFromDecimal(c.lpszText)) << c.lpszText;
        EXPECT_EQ(c.nValue, IntFromDecimal(c.lpszText)) << c.lpszText;
    }
    EXPECT_EQ(0u, DwordFromDecimal(static_cast<const char*>(nullptr)));
}

TEST(Decimal, EveryUnsignedValueRoundTrips) {
    for (DWORD dw : {0u, 1u, 77u, 1001u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu})
        EXPECT_EQ(dw, DwordFromDecimal(DecimalFromDword(dw)));
}
