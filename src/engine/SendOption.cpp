#include "engine/SendOption.h"

#include "engine/RecordingStatus.h"
#include "qxchat.h"

DWORD QxGetSendOption(const QxSendOptionContext& ctx, DWORD id, bool bGroup, bool bGroupMessage,
                      bool bRecordable, bool bRecordCopy) {
    const bool bToEveryone = id == QXCHAT_GROUP_EVERYONE;
    bool bRecordingAllowed =
        (ctx.dwFeature1 & QXCHAT_FEATURE_RECORDING) != 0 || QxNBRAllowsRecording(ctx.dwNBRStatus);
    bool bRecorded = bRecordable && bRecordingAllowed;
    DWORD option = 0;
    if (bRecorded) {
        option = SEND_OPTION_RECORDED;
        if ((ctx.dwNBROption & NBR_OPTION_FLAG_1) == 0 && !bToEveryone) option |= SEND_OPTION_NOT_EVERYONE;
    }
    if (bRecordCopy && (ctx.dwFeature1 & QXCHAT_FEATURE_RECORD_COPY) != 0) {
        option |= SEND_OPTION_RECORD_COPY;
        if (!bToEveryone) option |= SEND_OPTION_NOT_EVERYONE;
        option |= bRecorded ? SEND_OPTION_COPY_RECORDED : SEND_OPTION_COPY_UNRECORDED;
    }
    if (bGroup) option |= bGroupMessage ? SEND_OPTION_GROUP_MESSAGE : SEND_OPTION_GROUP_DATA;
    return option;
}

std::wstring QxPrepareOutgoingText(const std::wstring& text) {
    // Replacing the leftmost "\r\n\r\n" by "\r\n" until none is left has one result whatever the
    // order, so one pass does it: whenever the output comes to end in two line breaks, drop one.
    size_t n = text.size() < QX_MAX_SEND_TEXT ? text.size() : static_cast<size_t>(QX_MAX_SEND_TEXT);
    std::wstring out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        out += text[i];
        size_t len = out.size();
        if (len >= 4 && out[len - 4] == L'\r' && out[len - 3] == L'\n' && out[len - 2] == L'\r' &&
            out[len - 1] == L'\n')
            out.resize(len - 2);
    }
    return out;
}
