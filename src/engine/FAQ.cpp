// CMainChatDlg, engine side: the support desk's configuration and quick phrases. The host sends
// the phrases, the local user's contact data and the primary customer as configuration texts;
// a picked phrase has its macros filled from the contact data of the participant it is meant
// for and lands in the input box.
#include "window/MainChatDlg.h"

#include "engine/FAQMacros.h"
#include "engine/SendOption.h"
#include "module/ModuleState.h"
#include "pdu/FAQContentPDU.h"
#include "pdu/FAQMacroInfoPDU.h"
#include "pdu/PrimCustNodeIdPDU.h"
#include "pdu/StringConverter.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"

#include <new>

namespace {

// Takes the phrases of one FAQ content text into the engine's list; once the list is complete
// the box is filled again.
class FAQListSink : public IFAQItemSink {
public:
    FAQListSink(std::vector<std::unique_ptr<FAQItem>>& list, CMainChatDlg& dlg) : m_list(list), m_dlg(dlg) {}
    void AddFAQItem(std::unique_ptr<FAQItem> pItem) override {
        if (pItem) m_list.push_back(std::move(pItem));
    }
    void OnFAQListComplete() override { m_dlg.ShowFAQInComboBox(); }

private:
    std::vector<std::unique_ptr<FAQItem>>& m_list;
    CMainChatDlg& m_dlg;
};

// The phrase text as the input box takes it: at most its limit, never half a surrogate pair.
std::wstring InputBoxText(const std::wstring& strText) {
    return QxClipText(strText, QX_MAX_SEND_TEXT);
}

} // namespace

LONG CMainChatDlg::HandleFAQContentConfig(const wchar_t* lpszConfig) {
    Trace(L"/---- CMainChatDlg::HandleFAQContentConfig Enter ----/");
    FAQListSink sink(m_support.m_FAQList, *this);
    std::unique_ptr<CFAQContentPDU> pPdu(new (std::nothrow) CFAQContentPDU(&sink));
    if (!pPdu || !lpszConfig) return 0;
    const bool bParsed = pPdu->ParseXMLPDU(CStringConverter(lpszConfig).GetUtf8());
    pPdu.reset();
    if (!bParsed) return 0;
    Trace(L"/==== CMainChatDlg::HandleFAQContentConfig Exit ====/");
    return 1;
}

LONG CMainChatDlg::HandleFAQMacroInfoConfig(const wchar_t* lpszConfig) {
    Trace(L"/**** CMainChatDlg::HandleFAQMacroInfoConfig Enter ****/");
    CFAQMacroInfoPDU pdu;
    if (!lpszConfig || !pdu.ParseXMLPDU(CStringConverter(lpszConfig).GetUtf8())) {
        Trace(L"/---- Parse FAQ Macro Info PDU Failed! ----/");
        return 0;
    }
    // Taken now, sent with the next enrollment.
    m_own.m_strFirstName = CStringConverter::FromUtf8(pdu.GetFirstName());
    m_own.m_strLastName = CStringConverter::FromUtf8(pdu.GetLastName());
    m_own.m_strPhone = CStringConverter::FromUtf8(pdu.GetPhone());
    m_own.m_strEmail = CStringConverter::FromUtf8(pdu.GetEmail());
    Trace(L"/==== CMainChatDlg::HandleFAQMacroInfoConfig Exit ====/");
    return 1;
}

LONG CMainChatDlg::HandlePrimaryCustomerNodeId(const wchar_t* lpszConfig) {
    Trace(L"/**** CMainChatDlg::HandlePrimaryCustomerNodeId Enter ****/");
    CPrimCustNodeIdPDU pdu;
    // Parsed in the system code page, like the customer id.
    if (!lpszConfig || !pdu.ParseXMLPDU(CStringConverter(lpszConfig).GetAnsi())) return 0;
    m_support.m_dwPrimCustNodeId = pdu.GetPrimCustNodeId();
    Trace(L"/==== CMainChatDlg::HandlePrimaryCustomerNodeId Exit: m_dwPrimCustNodeId=%d ====/",
          m_support.m_dwPrimCustNodeId);
    return 1;
}

void CMainChatDlg::HandleFAQSelChange() {
    if (!m_features.m_bQuickPhrase || !HasInput()) return;
    const void* pSelected = SelectedPhraseData();
    if (!pSelected) return;
    // Only data that a listed phrase still owns is read.
    const FAQEntryData* pData = nullptr;
    for (const std::unique_ptr<FAQItem>& pItem : m_support.m_FAQList)
        if (pItem->GetEntryData() == pSelected) pData = pItem->GetEntryData();
    if (!pData) return;
    std::wstring strText;
    for (const std::unique_ptr<FAQItem>& pItem : m_support.m_FAQList) {
        if (static_cast<DWORD>(pItem->m_nIndex) != pData->dwFAQIndex) continue;
        strText = CheckAndRepaceMacro(pItem->m_strContent);
        if (!strText.empty()) break;
    }
    if (strText.empty()) return;
    SetInputText(InputBoxText(strText));
    // A multi-line box does not report text set this way as a change: run what a change runs.
    OnInputTextChanged();
}

std::wstring CMainChatDlg::CheckAndRepaceMacro(const std::wstring& strContent) const {
    const ChatItemData* pSelected = SelectedRecipient();
    if (!pSelected) return strContent;
    const DWORD dwUserNode =
        pSelected->Kind() == CHAT_KIND_USER ? m_users.GetNodeIdByUserId(pSelected->UserId()) : 0;
    const DWORD dwTarget =
        QxMacroTargetNode(pSelected->Kind(), dwUserNode, m_support.m_dwPrimCustNodeId, m_host.m_lMeetingType);
    FAQMacroValues values;
    if (const CUserItem* pUser = dwTarget ? m_users.FindByNodeId(dwTarget) : nullptr) {
        values.strFirstName = pUser->m_strFirstName;
        values.strLastName = pUser->m_strLastName;
        values.strPhone = pUser->m_strPhone;
        values.strEmail = pUser->m_strEmail;
    } else {
        Trace(L"/==== CMainChatDlg::CheckAndRepaceMacro pUserItem is empty ====/");
    }
    if (values.AllEmpty()) {
        Trace(L"/*** CMainChatDlg::CheckAndRepaceMacro, user info is all empty ***/");
        return strContent;
    }
    return QxApplyFAQMacros(strContent, values);
}

void CMainChatDlg::ClearFAQList() {
    EmptyPhraseBox();
    m_support.m_FAQList.clear();
}
