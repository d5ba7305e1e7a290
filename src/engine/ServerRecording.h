// What the host told an instance about server-side recording: the status of
// ChServerSideRecordingStatus and the provider of ChSetServerSideRecordingProvider. The instance
// owns it; its dialog reads it when messages arrive.
#pragma once

#include <windows.h>

#include "qxchat.h"

struct ServerRecordingState {
    // 1 (SSR_STATUS_TPRECORDING), 2 and 3 are recording states.
    DWORD m_dwStatus = 0;
    IQxRecordingProvider* m_pSink = nullptr; // the host's, never released here
    LONG m_bNeedWriInfo = 0;
};
