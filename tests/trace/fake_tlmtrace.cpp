// A stand-in for tlmtrace.dll that reports what it was called with: the result encodes the three
// leading values and the formatted length, so a child process's exit code shows them.
#include <cstdarg>
#include <cwchar>

#ifndef FAKE_TLMTRACE_WITHOUT_ENTRY
extern "C" int __stdcall TLMTRACE(int level, int a, int b, const wchar_t* format, va_list args) {
    return level * 100000 + a * 10000 + b * 1000 + _vscwprintf(format, args);
}
#endif

// Present in both variants, so that the library itself always loads.
extern "C" int __stdcall TLMTRACERAW(int, int, int, const wchar_t*) {
    return 0;
}
