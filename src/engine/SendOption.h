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

// The fixed send option of every copy written into the customer's history.
enum : DWORD { QX_CUSTOMER_COPY_OPTION = 0x2000000 };

// Longest text a send carries, in characters.
enum { QX_MAX_SEND_TEXT = 1000 };
// Cut to 1000 characters, then "\r\n\r\n" -> "\r\n" until none is left.
std::wstring QxPrepareOutgoingText(const std::wstring& text);
