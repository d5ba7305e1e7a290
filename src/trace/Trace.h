// The module's one diagnostic entry: a printf-style UTF-16 format, one call per line.
// In wide formats %s is a UTF-16 string (the Microsoft C runtime's reading).
#pragma once

// Writes one trace line. Callers ignore the result: the forwarding back end returns the trace
// library's result or -1 without it; the file back end 1 when written, 0 otherwise.
int Trace(const wchar_t* lpszFormat, ...);

// Binding to the back end, at module load and unload (called by the module's static
// initialisation; tests that link the code directly get the same through it).
void TraceBind();
void TraceUnbind();

// File back end only (no-ops in the forwarding build): the registry re-check on every timer
// tick of the chat dialog (first = 1 once at attach).
void TraceCheckEnable(int first);
