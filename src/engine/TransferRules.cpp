#include "engine/TransferRules.h"

#include "engine/SendOption.h"
#include "pdu/PDUInputGuard.h"
#include "pdu/TransferMessagePDU.h"
#include "qxchat.h"
#include "window/IndicationLayout.h"

namespace {

constexpr DWORD kFirstNodeTarget = 10000;
constexpr DWORD kSendBits = QXCHAT_TRANSFER_SEND | QXCHAT_TRANSFER_RECORDABLE | QXCHAT_TRANSFER_RECORD_COPY;

bool IsOneOf(DWORD dwType, std::initializer_list<DWORD> types) {
    for (DWORD t : types)
        if (t == dwType) return true;
    return false;
}

// Types 10 and 11 are shown once per history, whatever their text.
bool OncePerHistory(DWORD dwType) {
    return dwType == QXCHAT_TRANSFER_ONCE || dwType == QXCHAT_TRANSFER_STRIP_OFF;
}

} // namespace

TransferPlan QxPlanTransfer(DWORD dwType, DWORD dwOption) {
    TransferPlan plan;
    const bool bShow = (dwOption & QXCHAT_TRANSFER_SHOW) != 0;
    const bool bAsChat = (dwOption & QXCHAT_TRANSFER_SEND) != 0;
    if (IndicationSlot(dwType) >= 0) {
        plan.step = bShow ? TRANSFER_SHOW_AND_SEND : TRANSFER_NOTHING;
    } else if (QxIsHighlightTransfer(dwType) ||
               IsOneOf(dwType, {QXCHAT_TRANSFER_NOTICE, QXCHAT_TRANSFER_ONCE, QXCHAT_TRANSFER_STRIP_OFF})) {
        plan.step = bShow ? TRANSFER_SHOW_AND_SEND : TRANSFER_SEND_ONLY;
        plan.bSwitchOffStrip = dwType == QXCHAT_TRANSFER_STRIP_OFF;
    } else if (dwType == QXCHAT_TRANSFER_SEND_ONLY) {
        plan.step = TRANSFER_SEND_ONLY;
    } else if (dwType == QXCHAT_TRANSFER_PRIVATE_CHAT) {
        plan.step = bAsChat ? TRANSFER_PRIVATE_CHAT : TRANSFER_NOTHING;
    } else if (dwType == QXCHAT_TRANSFER_GROUP_CHAT) {
        plan.step = bAsChat ? TRANSFER_GROUP_CHAT : TRANSFER_NOTHING;
    }
    return plan;
}

bool QxTransferSentWhenReleased(DWORD dwType) {
    return IndicationSlot(dwType) >= 0 || QxIsHighlightTransfer(dwType) ||
           IsOneOf(dwType, {QXCHAT_TRANSFER_ONCE, QXCHAT_TRANSFER_STRIP_OFF});
}

bool QxTransferCopiedToHistory(DWORD dwType) {
    return !QxIsHighlightTransfer(dwType);
}

bool QxTransferKeptInHistory(DWORD dwType) {
    return IndicationSlot(dwType) >= 0 ||
           IsOneOf(dwType, {QXCHAT_TRANSFER_NOTICE, QXCHAT_TRANSFER_ONCE, QXCHAT_TRANSFER_STRIP_OFF});
}

bool QxTransferMaySend(DWORD dwType, DWORD dwOption) {
    return dwType != 0 && (dwOption & kSendBits) != 0;
}

bool QxIsGroupID(DWORD dwTargetID) {
    return dwTargetID > 0 && dwTargetID < kFirstNodeTarget;
}

DWORD QxTransferSendOption(DWORD dwBase, DWORD dwTargetID, DWORD dwOption, bool bGroup) {
    DWORD dwSendOption = dwBase;
    if (!bGroup && dwTargetID == 0) dwSendOption |= SEND_OPTION_TO_SELF;
    if (dwOption & QXCHAT_TRANSFER_OPTION_10) dwSendOption |= SEND_OPTION_RECORD_COPY;
    return dwSendOption;
}

bool QxTransferPDUFits(size_t nPDUBytes) {
    return nPDUBytes <= MAX_PDU_SIZE - TRANSFER_PDU_ROOM;
}

std::wstring QxTrimTrailingBlanks(const std::wstring& strText) {
    const size_t last = strText.find_last_not_of(L' ');
    return last == std::wstring::npos ? std::wstring() : strText.substr(0, last + 1);
}

bool QxIsNewTransferMessage(const std::wstring& strText, DWORD dwType,
                            const std::vector<TransferHistoryEntry>& history) {
    if (strText.empty()) return false;
    const std::wstring strTrimmed = QxTrimTrailingBlanks(strText);
    for (const TransferHistoryEntry& entry : history) {
        if (QxTrimTrailingBlanks(entry.strText) == strTrimmed) return false;
        if (OncePerHistory(dwType) && entry.dwType == dwType) return false;
    }
    return true;
}
