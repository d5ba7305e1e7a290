// Shared by the export files: handle conversion and the values the trace lines print.
#pragma once

#include "interface/Cchat.h"
#include "module/ExportGuard.h"
#include "qxchat.h"
#include "trace/Trace.h"
#include "window/MainChatDlg.h"

inline Cchat* QxChatOf(QXHCOMPONENT hComponent) {
    return reinterpret_cast<Cchat*>(hComponent);
}
// Handles, pointers and windows are 32-bit values printed with %d or %x.
inline int QxHv(QXHCOMPONENT h) {
    return static_cast<int>(h);
}
inline int QxHv(const void* p) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(p));
}
