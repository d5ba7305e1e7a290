#include "ChatMember.h"

#include "interface/Cchat.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

namespace qxtest {

namespace {

constexpr wchar_t kServer[] = L"conf.messages";

} // namespace

ChatMember::ChatMember(const MemberConfig& config) : m_config(config) {
    m_h = QxNewInstance(m_host.Get());
    ChSelectFeature(m_h, config.dwFeature, 0, 0, config.lTypingLimit, 0, nullptr);
    if (config.bServiceWindow)
        ChSetEventConfig(m_h, QXCHAT_EVT_SERVICE_WINDOW,
                         static_cast<LONG>(reinterpret_cast<LONG_PTR>(m_host.Get())), 0, nullptr);
    ChSetPrivilege(m_h, static_cast<LONG>(config.dwPrivilege));
    ChSetRosters(m_h, static_cast<LONG>(config.dwRoles));
    if (!config.bEveryoneGroup) return;
    // The host-driven model reads its flags from the fact-name word: bit 4 keeps the group shown.
    const LONG lFlags = (config.dwFeature & QXCHAT_FEATURE_HOST_GROUPS) ? 0x10 : 0;
    ChAddGroup(m_h, 0, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 1, 1, lFlags, nullptr, 0, 0);
    int nAt = 1;
    for (int nGroup : config.extraGroups)
        ChAddGroup(m_h, nAt++, CHAT_ROLE_GROUP, nGroup, (L"Group " + std::to_wstring(nGroup)).c_str(), 0, 0,
                   0, nullptr, 0, 0);
}

ChatMember::~ChatMember() {
    Delete();
}

LONG ChatMember::Start() {
    return ChChat1(m_h, kServer, m_config.lConference, m_config.lRoom, m_config.strName.c_str(), 1, L"");
}

void ChatMember::Delete() {
    if (m_h) QxDeleteInstance(m_h);
    m_h = 0;
}

CMainChatDlg* ChatMember::Dlg() const {
    return reinterpret_cast<Cchat*>(m_h)->Dialog();
}

bool ChatMember::IsReady() const {
    CMainChatDlg* pDlg = Dlg();
    const CUsersGroup* pEveryone = pDlg->CacheGroups().FindById(CHAT_ALL_USERS_ROLE_GROUP);
    return pDlg->Status().m_bAllCachesAllocated && pEveryone && pEveryone->m_bSubscribed &&
           pEveryone->m_lSubscribedAction >= static_cast<LONG>(QXNC_CACHE_SUBSCRIBE) &&
           !pDlg->Status().m_bInRecovery && pDlg->Controls().m_hSend &&
           IsWindowEnabled(pDlg->Controls().m_hSend);
}

std::vector<std::wstring> ChatMember::ItemsOfKind(DWORD dwKind) const {
    std::vector<std::wstring> texts;
    CMessageWindow* pList = QxMessageList(Dlg()->Controls().m_hMessageWnd);
    for (int i = 0; pList && i < pList->GetItemCount(); ++i)
        if (pList->GetItem(i).kind == dwKind) texts.push_back(pList->GetItem(i).text);
    return texts;
}

std::vector<std::wstring> ChatMember::Texts() const {
    return ItemsOfKind(ITEM_TEXT);
}

std::vector<std::wstring> ChatMember::Headers() const {
    return ItemsOfKind(ITEM_HEADER);
}

std::vector<std::wstring> ChatMember::Notices() const {
    return ItemsOfKind(ITEM_NOTICE);
}

int ChatMember::ItemCount() const {
    CMessageWindow* pList = QxMessageList(Dlg()->Controls().m_hMessageWnd);
    return pList ? pList->GetItemCount() : 0;
}

void ChatMember::ToGroup(int nGroupId) {
    ChChatToGroup(m_h, CHAT_ROLE_GROUP, nGroupId);
}

void ChatMember::ToUser(const ChatMember& other) {
    ChChatToAttendee(m_h, other.NodeId());
}

void ChatMember::Say(const std::wstring& strText) {
    SetWindowTextW(Input(), strText.c_str());
    HWND hSend = Dlg()->Controls().m_hSend;
    SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), reinterpret_cast<LPARAM>(hSend));
}

std::wstring ChatMember::InputText() const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Input())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(Input(), &text[0], static_cast<int>(text.size()))));
    return text;
}

bool PumpUntilReady(std::initializer_list<const ChatMember*> members, DWORD timeoutMs) {
    return PumpUntil(
        [&] {
            for (const ChatMember* m : members)
                if (!m->IsReady()) return false;
            return true;
        },
        timeoutMs);
}

bool PumpUntilTexts(const ChatMember& member, const std::vector<std::wstring>& texts, DWORD timeoutMs) {
    return PumpUntil([&] { return member.Texts() == texts; }, timeoutMs);
}

} // namespace qxtest
