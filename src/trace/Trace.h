// The module's one diagnostic entry: a printf-style UTF-16 format, one call per line.
// In wide formats %s is a UTF-16 string (the Microsoft C runtime's reading).
#pragma once

// Writes one trace line. Callers ignore the result: the forwarding back end returns the trace
// library's result or -1 without it; the file back end 1 when written, 0 otherwise.
int Trace(const wchar_t* lpszFormat, ...);

// Binding to the back end at module load and unload. The module's static initialisation calls
// them (load: before the entry point's attach handling; unload: after its detach handling), so
// nobody else needs to; tests may call them to rebind. Forwarding back end: load and resolve
// "tlmtrace.dll", then release it. File back end: Initialise and the first switch check (so the
// attach line is already written when tracing is on), then Close with the end banner.
void TraceBind();
void TraceUnbind();

// File back end only (a no-op in the forwarding build): the registry re-check, called on every
// timer tick of the chat dialog with first = 0.
void TraceCheckEnable(int first);
