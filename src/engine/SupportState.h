// The customer-support desk's state in the engine: the quick phrases, the primary customer, and
// the transfer messages held until the customer's history has been read.
#pragma once

#include "engine/CustomerHistory.h"
#include "pdu/FAQItem.h"
#include "pdu/TransferMessagePDU.h"

#include <windows.h>
#include <memory>
#include <vector>

struct ChatSupportState {
    // The quick phrases in configuration order; a later configuration appends. Each item owns
    // the entry data that its quick-phrase entry points at.
    std::vector<std::unique_ptr<FAQItem>> m_FAQList;
    DWORD m_dwPrimCustNodeId = 0; // the participant whose contact data fills the macros; 0 = none
    // Transfer messages held while the customer history is awaited, in request order.
    std::vector<std::unique_ptr<CTransferMessagePDU>> m_HeldTransfers;
    // Private messages read from the customer's history, so that each is shown once.
    CHistoryPrivateFilter m_historyFilter;
    // The copies this participant writes into the customer's history, in the order said.
    CHistoryCopyQueue m_copyQueue;
    // The ids of the private messages this instance sends.
    DWORD m_dwMessageStart = 0;
    DWORD m_dwMessageSerial = 0;
};
