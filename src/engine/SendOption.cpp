#include "engine/SendOption.h"

namespace {

const DWORD kFeatureRecording = 0x100;
const DWORD kFeatureRecordCopy = 0x8000;
const DWORD kEveryoneGroup = 15;

} // namespace

DWORD QxGetSendOption(const QxSendOptionContext& ctx, DWORD id, bool bGroup, bool bGroupMessage,
                      bool bRecordable, bool bRecordCopy) {
    bool bRecordingAllowed =
        (ctx.dwFeature1 & kFeatureRecording) != 0 || ctx.dwNBRStatus == 0 || ctx.dwNBRStatus == 3;
    bool bRecorded = bRecordable && bRecordingAllowed;
    DWORD option = 0;
    if (bRecorded) {
        option = 0x90;
        if ((ctx.dwNBROption & 0x1) == 0 && id != kEveryoneGroup) option = 0x92;
    }
    if (bRecordCopy && (ctx.dwFeature1 & kFeatureRecordCopy) != 0) {
        option |= 0x10;
        if (id != kEveryoneGroup) option |= 0x2;
        option |= bRecorded ? 0x200 : 0x100;
    }
    if (bGroup) option |= bGroupMessage ? 0x1000000 : 0x2000000;
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
