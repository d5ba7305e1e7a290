#include <gtest/gtest.h>
#include <windows.h>
#include <cwchar>

// The Microsoft C runtime's reading of %s in a wide format is a UTF-16 string.
TEST(WideFormat, PercentSReadsUtf16) {
    wchar_t buf[64];
    _snwprintf(buf, 64, L"a=%s,b=%d", L"\x65e5\x672c", 7);
    EXPECT_STREQ(L"a=\x65e5\x672c,b=7", buf);
}

TEST(Display, WindowsCanBeCreated) {
    HWND h = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, h);
    DestroyWindow(h);
}
