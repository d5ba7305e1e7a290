// Transfer messages as plain rules: what the host's request does by type and option, which
// held messages are sent once released, the send option of a transfer, and the duplicate test
// against the customer's history.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// What one ChTransferMessages request does.
enum TransferStep {
    TRANSFER_NOTHING,
    TRANSFER_SHOW_AND_SEND, // held while the customer history is awaited, else shown and sent
    TRANSFER_SEND_ONLY,
    TRANSFER_PRIVATE_CHAT, // sent as a private chat message to the target user
    TRANSFER_GROUP_CHAT    // sent as a group chat message to the target group
};

struct TransferPlan {
    TransferStep step = TRANSFER_NOTHING;
    bool bSwitchOffStrip = false; // type 11
};

TransferPlan QxPlanTransfer(DWORD dwType, DWORD dwOption);

// A held message that is shown once released is also sent for these types.
bool QxTransferSentWhenReleased(DWORD dwType);
// Shown transfer messages go to the customer's history, except the highlighted types 6 and 8.
bool QxTransferCopiedToHistory(DWORD dwType);
// Read back from the customer's history, these types are kept for the duplicate checks: the
// strip's lines, notices and the once-only types.
bool QxTransferKeptInHistory(DWORD dwType);
// Only a type and at least one of the chat, recordable and record-copy bits make a send.
bool QxTransferMaySend(DWORD dwType, DWORD dwOption);
// Targets 1 to 9999 are groups; 0 is the local user, 10000 and above are node ids.
bool QxIsGroupID(DWORD dwTargetID);
// The transfer's bits on top of GetSendOption's word.
DWORD QxTransferSendOption(DWORD dwBase, DWORD dwTargetID, DWORD dwOption, bool bGroup);

// Room left in every PDU for what the forms of one message differ in (the copy's and the chat
// message's ids and names).
const size_t TRANSFER_PDU_ROOM = 1024;
// Whether a transfer PDU of that many bytes leaves a message that the conference carries and a
// participant accepts, in every form it is sent or kept in. One that does not could be shown
// but neither sent nor kept in the customer's history.
bool QxTransferPDUFits(size_t nPDUBytes);

// The text without its trailing blanks (U+0020 only).
std::wstring QxTrimTrailingBlanks(const std::wstring& strText);

// One transfer message read from the customer's history.
struct TransferHistoryEntry {
    DWORD dwType = 0;
    std::wstring strText;
};

// Whether the text may be shown: not empty, not already in the history (trailing blanks
// ignored), and for types 10 and 11 no history entry of the same type.
bool QxIsNewTransferMessage(const std::wstring& strText, DWORD dwType,
                            const std::vector<TransferHistoryEntry>& history);
