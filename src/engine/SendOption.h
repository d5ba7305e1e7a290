// The send option word of every chat send and cache write, and the text as it is sent.
#pragma once

#include <windows.h>
#include <string>

struct QxSendOptionContext {
    DWORD dwFeature1 = 0;
    DWORD dwNBRStatus = 0xFFFFFFFF; // recording status of TlmSetNBRStatus
    DWORD dwNBROption = 0;          // its flags; bit 0x1 used
};
DWORD QxGetSendOption(const QxSendOptionContext&, DWORD id, bool bGroup, bool bGroupMessage, bool bRecordable,
                      bool bRecordCopy);

// Bits of the send option word.
enum : DWORD {
    SEND_OPTION_NOT_EVERYONE = 0x2, // with the recording or record-copy flags: target is not group 15
    SEND_OPTION_RECORD_COPY = 0x10, // record-copy flag; also a transfer's option bit 0x10
    SEND_OPTION_TO_SELF = 0x20,     // a transfer addressed to the local user itself
    SEND_OPTION_RECORDED = 0x90,    // the message may be recorded
    SEND_OPTION_COPY_UNRECORDED = 0x100,
    SEND_OPTION_COPY_RECORDED = 0x200,
    SEND_OPTION_GROUP_MESSAGE = 0x1000000, // group target, group-message variant
    SEND_OPTION_GROUP_DATA = 0x2000000     // group target, group-data variant; resets and user information
};
// The recording flag bit of TlmSetNBRStatus's option: set, group targets other than 15 too are
// sent without SEND_OPTION_NOT_EVERYONE.
enum : DWORD { NBR_OPTION_FLAG_1 = 0x1 };

// The fixed send option of every copy written into the customer's history.
enum : DWORD { QX_CUSTOMER_COPY_OPTION = SEND_OPTION_GROUP_DATA };

// Longest text a send carries, in characters.
enum { QX_MAX_SEND_TEXT = 1000 };
// Cut to 1000 characters, then "\r\n\r\n" -> "\r\n" until none is left.
std::wstring QxPrepareOutgoingText(const std::wstring& text);
