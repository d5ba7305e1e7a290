// The two recording statuses the host reports: the meeting's recording (TlmSetNBRStatus) and
// the server-side recording (ServerSideRecordingStatus), each read through one predicate.
#pragma once

#include <windows.h>

#include "qxchat.h"

// Server-side recording: direct data is dropped while it lasts.
enum : DWORD { SSR_STATUS_TPRECORDING = QXCHAT_SSR_TP_RECORDING };

// TlmSetNBRStatus statuses that allow recording; the group information is written again.
inline bool QxNBRAllowsRecording(DWORD dwStatus) {
    return dwStatus == 0 || dwStatus == 3;
}

// ServerSideRecordingStatus statuses under which shown messages go to the recording provider.
inline bool QxSSRIsRecording(DWORD dwStatus) {
    return dwStatus == QXCHAT_SSR_RECORDING_2 || dwStatus == QXCHAT_SSR_RECORDING_3;
}
