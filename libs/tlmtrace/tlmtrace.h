// tlmtrace: the trace library of the product family. Every entry formats or takes one line and
// stores it: to each registered line sink, appended as UTF-8 (CRLF line breaks, no byte-order
// mark) to the file named by the environment variable TLMTRACE_FILE when that is set at load,
// to the dump file opened by TLMDumptoFile, and to the debugger output.
//
// Levels and the two further values are accepted and ignored: every line is stored.
// Wide formats use the Microsoft C runtime's reading (%s in a wide format is a UTF-16 string).
// All entries are safe to call from any thread.
#pragma once

#include <stdarg.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

// Formats one line from a UTF-16 format and the caller's argument list (the va_list itself, not
// its address). Result: the line's length in UTF-16 units, or -1 for a null format or a
// formatting error (nothing is stored then).
int __stdcall TLMTRACE(int nLevel, int nReserved1, int nReserved2, const wchar_t* lpszFormat, va_list args);
// Stores a line that is already formatted. Result as TLMTRACE.
int __stdcall TLMTRACERAW(int nLevel, int nReserved1, int nReserved2, const wchar_t* lpszLine);
// As TLMTRACE with a narrow format (%s narrow) in the system code page.
int __stdcall TLMTRACEA(int nLevel, int nReserved1, int nReserved2, const char* lpszFormat, va_list args);
// As TLMTRACERAW with a narrow line in the system code page.
int __stdcall TLMTRACERAWA(int nLevel, int nReserved1, int nReserved2, const char* lpszLine);

// Opens (or creates) a file to which every later line is also appended, closing the one opened
// before. Result: 1 when the file is open, 0 otherwise (then no dump file is open).
int __stdcall TLMDumptoFile(const wchar_t* lpszPath);
// 1 when a debugger is attached to the process (its output then shows the lines), else 0.
int __stdcall TLMIsDebugMode(void);
// Closes the dump file. Result: 1 when one was open, else 0.
int __stdcall TLMDumpFileClose(void);

// Capture interface for hosts and tests: a sink receives every stored line (without line
// break), on the tracing thread, while it is registered. Removing a sink waits for a delivery
// to it that is under way on another thread, so its context may be freed afterwards.
typedef void(__stdcall* TLMLINESINK)(void* ctx, const wchar_t* line);
// Result: 1 when added, 0 for a null sink or a pair already registered.
int __stdcall TLMAddLineSink(TLMLINESINK pfnSink, void* ctx);
// Result: 1 when removed, 0 when the pair was not registered.
int __stdcall TLMRemoveLineSink(TLMLINESINK pfnSink, void* ctx);

#ifdef __cplusplus
}
#endif
