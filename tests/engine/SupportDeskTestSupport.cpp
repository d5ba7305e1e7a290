#include "SupportDeskTestSupport.h"

#include "TestControl.h"
#include "module/ModuleState.h"
#include "resources/resource.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <gtest/gtest.h>

namespace desktest {

using msgtest::ChatMember;

namespace {
// Longer than a recovery may wait for an answer that never comes.
constexpr DWORD kSettleTimeoutMs = 15000;
} // namespace

std::wstring FAQText(const std::vector<Phrase>& phrases) {
    std::wstring text = L"<chat ver=\"1.0\"><mtype>7</mtype>";
    for (const Phrase& p : phrases)
        text += L"<faq><index>" + std::to_wstring(p.nIndex) + L"</index><faqn>" + p.strName +
                L"</faqn><faqc>" + p.strContent + L"</faqc></faq>";
    return text + L"</chat>";
}

std::wstring MacroText(const std::wstring& strFirst, const std::wstring& strLast,
                       const std::wstring& strPhone, const std::wstring& strEmail) {
    std::wstring text = L"<chat ver=\"1.0\"><mtype>8</mtype>";
    const std::pair<const wchar_t*, const std::wstring*> fields[] = {
        {L"fname", &strFirst}, {L"lname", &strLast}, {L"phone", &strPhone}, {L"email", &strEmail}};
    for (const auto& f : fields)
        if (!f.second->empty())
            text += std::wstring(L"<") + f.first + L"><![CDATA[" + *f.second + L"]]></" + f.first + L">";
    return text + L"</chat>";
}

std::wstring CustomerIdText(const std::wstring& strId) {
    return L"<chat ver=\"1.0\"><mtype>11</mtype><customerid>" + strId + L"</customerid></chat>";
}

std::wstring PrimaryCustomerText(DWORD dwNodeId) {
    return L"<chat ver=\"1.0\"><mtype>10</mtype><primcust>" + std::to_wstring(dwNodeId) +
           L"</primcust></chat>";
}

std::unique_ptr<ChatMember> StartDeskMember(const DeskMemberSetup& setup) {
    std::unique_ptr<ChatMember> m(new ChatMember(msgtest::MemberConfig(setup.lpszName, setup.dwFeature)));
    // The support groups list their members, so that a participant can be chosen by node.
    ChAddGroup(m->H(), 1, CHAT_ROLE_GROUP, CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, L"Support", 1, 0, 0, nullptr,
               0, 0);
    ChAddGroup(m->H(), 2, CHAT_ROLE_GROUP, CHAT_PANELIST_ROLE_GROUP, L"Customers", 1, 0, 0, nullptr, 0, 0);
    ChSetMeetingType(m->H(), setup.lMeetingType);
    ChSetUserType(m->H(), setup.lUserType);
    if (setup.bCustomerId) {
        EXPECT_EQ(ChSetConfig(m->H(), QXCHAT_CFG_CUSTOMER_ID, CustomerIdText().c_str()), 1);
    }
    for (const auto& config : setup.configs)
        EXPECT_EQ(ChSetConfig(m->H(), config.first, config.second.c_str()), 1) << config.first;
    m->Start();
    if (setup.bWaitReady) {
        EXPECT_TRUE(msgtest::PumpUntilReady({m.get()})) << "start of " << m->Name().c_str();
    }
    return m;
}

bool PumpUntilSettled(const ChatMember& m) {
    const bool bSettled = PumpUntil(
        [&] {
            const CMainChatDlg* pDlg = m.Dlg();
            return pDlg->Status().m_bAllCachesAllocated && pDlg->Status().m_bChatStatusKnown &&
                   !pDlg->Status().m_bInRecovery && !pDlg->Features().m_bHoldTransfer;
        },
        kSettleTimeoutMs);
    msgtest::PumpUntilQuiet();
    return bSettled && !m.Dlg()->Status().m_bInRecovery;
}

HWND PhraseBox(const ChatMember& m) {
    return m.Dlg()->Controls().m_hPhraseBox;
}

int PhraseCount(const ChatMember& m) {
    HWND hBox = PhraseBox(m);
    return hBox ? static_cast<int>(SendMessageW(hBox, CB_GETCOUNT, 0, 0)) : -1;
}

std::wstring PhraseName(const ChatMember& m, int nIndex) {
    HWND hBox = PhraseBox(m);
    const LRESULT n = hBox ? SendMessageW(hBox, CB_GETLBTEXTLEN, nIndex, 0) : CB_ERR;
    if (n == CB_ERR) return L"<none>";
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(hBox, CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
}

void PickPhrase(const ChatMember& m, int nIndex) {
    HWND hBox = PhraseBox(m);
    SendMessageW(hBox, CB_SETCURSEL, nIndex, 0);
    SendMessageW(m.Dialog(), WM_COMMAND, MAKEWPARAM(IDC_PHRASE_BOX, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hBox));
}

bool ShowsInputPrompt(const ChatMember& m) {
    return m.Dlg()->Status().m_bInputPromptShown && m.InputText() == QxLoadString(IDS_INPUT_PROMPT);
}

void ClickSend(const ChatMember& m) {
    SendMessageW(m.Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEND, BN_CLICKED),
                 reinterpret_cast<LPARAM>(m.Dlg()->Controls().m_hSend));
}

std::vector<std::wstring> ItemsOfKind(const ChatMember& m, DWORD dwKind) {
    return m.ItemsOfKind(dwKind);
}

std::vector<std::string> SentData(const ChatMember& m) {
    std::vector<std::string> texts;
    for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_SEND_DATA))
        if (call.args[0] == m.Dlg()->Status().m_apeHandle && call.data)
            texts.emplace_back(reinterpret_cast<const char*>(call.data), call.data_length);
    return texts;
}

std::vector<std::string> CacheWrites(const ChatMember& m, DWORD dwCacheHandle) {
    std::vector<std::string> texts;
    for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_CACHE_SET))
        if (call.args[0] == m.Dlg()->Status().m_apeHandle && call.args[1] == dwCacheHandle && call.data)
            texts.emplace_back(reinterpret_cast<const char*>(call.data), call.data_length);
    return texts;
}

std::vector<DWORD> SendOptions(const ChatMember& m) {
    std::vector<DWORD> options;
    for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_SET_SEND_OPTION)) {
        if (!call.data || call.data_length < sizeof(QxSendOption)) continue;
        const QxSendOption* pOption = reinterpret_cast<const QxSendOption*>(call.data);
        if (pOption->ape_handle == m.Dlg()->Status().m_apeHandle) options.push_back(pOption->option);
    }
    return options;
}

size_t CountContaining(const std::vector<std::string>& texts, const std::string& part) {
    size_t n = 0;
    for (const std::string& text : texts)
        n += text.find(part) != std::string::npos;
    return n;
}

} // namespace desktest
