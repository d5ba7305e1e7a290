// Helpers of the support-desk tests: the configuration texts the host sends, members of a
// support conversation (supporters and a customer, meeting type 3 unless said otherwise), and
// the quick-phrase box as a user works it.
#pragma once

#include "ChatMember.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace desktest {

constexpr LONG kSupportMeeting = 3;
constexpr LONG kSupporter = 1;
constexpr LONG kCustomer = 3;
constexpr DWORD kCustomerId = 12345;

struct Phrase {
    int nIndex;
    std::wstring strName;
    std::wstring strContent;
};

// ChSetConfig texts.
std::wstring FAQText(const std::vector<Phrase>& phrases);
std::wstring MacroText(const std::wstring& strFirst, const std::wstring& strLast = L"",
                       const std::wstring& strPhone = L"", const std::wstring& strEmail = L"");
std::wstring CustomerIdText(const std::wstring& strId = std::to_wstring(kCustomerId));
std::wstring PrimaryCustomerText(DWORD dwNodeId);

using ConfigList = std::vector<std::pair<DWORD, std::wstring>>;

struct DeskMemberSetup {
    DeskMemberSetup(const wchar_t* lpszMemberName, LONG lType = kSupporter, DWORD dwFeatureBits = 0)
        : lpszName(lpszMemberName), lUserType(lType), dwFeature(dwFeatureBits) {}

    const wchar_t* lpszName;
    LONG lUserType;
    DWORD dwFeature;
    ConfigList configs; // besides the customer id, before the start
    LONG lMeetingType = kSupportMeeting;
    bool bWaitReady = true;
    bool bCustomerId = true; // configured with the customer id (and so has the customer cache)
};

// Configured, started and (unless told otherwise) ready.
std::unique_ptr<msgtest::ChatMember> StartDeskMember(const DeskMemberSetup& setup);

// Pumps until the member's start has settled: caches named, no recovery open, transfers no
// longer held. (A supporter that reads the customer's history in meeting type 3 recovers the
// group caches afterwards with reads, so its subscription state is not what IsReady asks for.)
bool PumpUntilSettled(const msgtest::ChatMember& m);

// The quick-phrase box.
HWND PhraseBox(const msgtest::ChatMember& m);
int PhraseCount(const msgtest::ChatMember& m);
std::wstring PhraseName(const msgtest::ChatMember& m, int nIndex);
// Selects the entry and lets the box tell the dialog, as a pick with the mouse does.
void PickPhrase(const msgtest::ChatMember& m, int nIndex);

// The input box holds the prompt the dialog puts there once: real text, never sent, and not
// anything the user typed.
bool ShowsInputPrompt(const msgtest::ChatMember& m);
// Clicks "Send" as the user does, whatever the input box holds.
void ClickSend(const msgtest::ChatMember& m);

// The message list's items of one kind, in order.
std::vector<std::wstring> ItemsOfKind(const msgtest::ChatMember& m, DWORD dwKind);

// Data and cache writes of one member, as the conference logged them.
std::vector<std::string> SentData(const msgtest::ChatMember& m);
std::vector<std::string> CacheWrites(const msgtest::ChatMember& m, DWORD dwCacheHandle);
// The send option that went with each of the member's SendData calls, in order.
std::vector<DWORD> SendOptions(const msgtest::ChatMember& m);
size_t CountContaining(const std::vector<std::string>& texts, const std::string& part);

} // namespace desktest
