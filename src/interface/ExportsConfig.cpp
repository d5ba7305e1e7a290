// Exports 26-47: saving by name, recipients, recording, groups, features and the engine's
// configuration. Same shape as ExportsInstance.cpp.
#include "interface/ExportSupport.h"

#include "module/ModuleState.h"
#include "interface/SavePath.h"
#include "resources/resource.h"

#include <string>

namespace {

// The caller's buffer as the enter line shows it: at most its capacity, never past it.
std::wstring BufferText(const wchar_t* lpszBuffer, LONG nCapacity) {
    std::wstring text;
    for (LONG i = 0; lpszBuffer && i < nCapacity && lpszBuffer[i]; ++i)
        text += lpszBuffer[i];
    return text;
}

} // namespace

extern "C" {

LONG __stdcall ChSaveChatNameAndPath(QXHCOMPONENT hComponent, const wchar_t* lpszName,
                                     const wchar_t* lpszPath) {
    return QxGuarded(L"ChSaveChatNameAndPath", QXCHAT_SAVE_NOT_DONE, [&] {
        Trace(L"/@@@@ ChSaveChatNameAndPath enter: hComponent=%d,lpszName=%s,lpszPath=%s @@@@/",
              QxHv(hComponent), QxTraceText(lpszName), QxTraceText(lpszPath));
        LONG lResult = QXCHAT_SAVE_NOT_DONE;
        if (hComponent) {
            Cchat* pChat = QxChatOf(hComponent);
            if (!lpszName || !*lpszName || !lpszPath || !*lpszPath)
                lResult = QXCHAT_SAVE_EMPTY_PATH;
            else if (!pChat->Dialog() || !pChat->Dialog()->HasWindow())
                lResult = QXCHAT_SAVE_NOT_DONE;
            else {
                const std::wstring full = QxJoinSavePath(lpszPath, lpszName);
                if (full.empty())
                    Trace(
                        L"Fail: ChSaveChatNameAndPath, a folder of %u characters is longer than %u, refused",
                        static_cast<unsigned>(wcslen(lpszPath)), static_cast<unsigned>(kSaveFolderMax));
                lResult = full.empty() ? QXCHAT_SAVE_EMPTY_PATH : pChat->Transcript().SaveCopyTo(full);
            }
        }
        Trace(L"/#### ChSaveChatNameAndPath exit: return = %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChSetUserType(QXHCOMPONENT hComponent, LONG nUserType) {
    return QxGuarded(L"ChSetUserType", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetUserType enter: hComponent=%d,nUserType=%d @@@@/", QxHv(hComponent), nUserType);
        if (hComponent) QxChatOf(hComponent)->SetUserType(nUserType);
        Trace(L"/#### ChSetUserType exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChGetMaxMinWidth(QXHCOMPONENT hComponent, LONG bIsMax) {
    return QxGuarded(L"ChGetMaxMinWidth", QXCHAT_NO_WIDTH_LIMIT, [&] {
        Trace(L"/@@@@ ChGetMaxMinWidth enter: hComponent=%d,bIsMax=%d @@@@/", QxHv(hComponent), bIsMax);
        LONG lWidth = QXCHAT_NO_WIDTH_LIMIT;
        if (hComponent) QxChatOf(hComponent)->GetMaxMinWidth(bIsMax, &lWidth);
        Trace(L"/#### ChGetMaxMinWidth exit: width = %d ####/", lWidth);
        return lWidth;
    });
}

LONG __stdcall ChSaveChatTo(QXHCOMPONENT hComponent, const wchar_t* lpszFileName) {
    return QxGuarded(L"ChSaveChatTo", QXCHAT_SAVE_NOT_DONE, [&] {
        Trace(L"/@@@@ ChSaveChatTo enter: hComponent=%d,lpszFileName=%s @@@@/", QxHv(hComponent),
              QxTraceText(lpszFileName));
        LONG lResult = hComponent ? QxChatOf(hComponent)->SaveChatTo(lpszFileName) : QXCHAT_SAVE_NOT_DONE;
        Trace(L"/#### ChSaveChatTo exit: %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChGetSavedFileName(QXHCOMPONENT hComponent, wchar_t* lpszFileName, LONG reserved) {
    return QxGuarded(L"ChGetSavedFileName", QXCHAT_SAVED_NAME_OK, [&] {
        const std::wstring shown = BufferText(lpszFileName, reserved);
        Trace(L"/@@@@ ChGetSavedFileName enter: hComponent=%d,lpszFileName=%s,reserved=%d @@@@/",
              QxHv(hComponent), lpszFileName ? shown.c_str() : L"NULL", reserved);
        LONG lResult = QXCHAT_SAVED_NAME_OK;
        if (hComponent && lpszFileName)
            lResult = QxChatOf(hComponent)->GetSavedFileName(lpszFileName, reserved);
        Trace(L"/#### ChGetSavedFileName exit: %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChChatToAttendee(QXHCOMPONENT hComponent, DWORD dwNodeId) {
    return QxGuarded(L"ChChatToAttendee", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChChatToAttendee enter: hComponent=%d,dwNodeId=%d @@@@/", QxHv(hComponent), dwNodeId);
        if (hComponent) QxChatOf(hComponent)->ChatToAttendee(dwNodeId);
        Trace(L"/#### ChChatToAttendee exit ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChDestroyModalDialog(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChDestroyModalDialog", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChDestroyModalDialog enter: hComponent=%d @@@@/", QxHv(hComponent));
        LONG lResult = hComponent ? QxDestroyModalDialog(QxChatOf(hComponent)->Transcript()) : 0;
        Trace(L"/#### ChDestroyModalDialog exit: return= %X ####/", lResult);
        return lResult;
    });
}

// Accepted and ignored; traces nothing.
LONG __stdcall ChSetSharingRc(LONG, LONG) {
    return 0;
}

LONG __stdcall ChSetRosters(QXHCOMPONENT hComponent, LONG lRoster) {
    return QxGuarded(L"ChSetRosters", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetRosters enter: hComponent=%d,lRoster=%d @@@@/", QxHv(hComponent), lRoster);
        LONG lResult = QXCHAT_OK;
        if (hComponent) {
            Cchat* pChat = QxChatOf(hComponent);
            pChat->SetRoster(lRoster);
            lResult = pChat->Dialog()->SetRosters(static_cast<DWORD>(lRoster));
        }
        Trace(L"/#### ChSetRosters exit: return = %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ServerSideRecordingStatus(QXHCOMPONENT hComponent, DWORD dwStatus) {
    return QxGuarded(L"ServerSideRecordingStatus", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ServerSideRecordingStatus enter: hComponent=%d,dwStatus=%d @@@@/", QxHv(hComponent),
              dwStatus);
        if (hComponent) QxChatOf(hComponent)->ServerSideRecordingStatus(dwStatus);
        Trace(L"/#### ServerSideRecordingStatus exit ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall SetServerSideRecordingProvider(QXHCOMPONENT hComponent, void* pSink, LONG bNeedWriInfo) {
    return QxGuarded(L"SetServerSideRecordingProvider", QXCHAT_OK, [&] {
        Trace(L"/@@@@ SetServerSideRecordingProvider enter: hComponent=%d,pSink=%d,bNeedWriInfo=%d @@@@/",
              QxHv(hComponent), QxHv(pSink), bNeedWriInfo);
        if (hComponent) QxChatOf(hComponent)->SetServerSideRecordingProvider(pSink, bNeedWriInfo);
        Trace(L"/#### SetServerSideRecordingProvider exit ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetHandleForSmc(QXHCOMPONENT hComponent, HWND hWndParent) {
    return QxGuarded(L"ChSetHandleForSmc", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetHandleForSmc enter: hComponent=%d,hWndParent=%d @@@@/", QxHv(hComponent),
              QxHv(hWndParent));
        if (hComponent) QxChatOf(hComponent)->Dialog()->SetSCParentWnd(hWndParent);
        Trace(L"/#### ChSetHandleForSmc exit ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChAddGroup(QXHCOMPONENT hComponent, LONG nInsertIndex, LONG nGroupType, LONG nGroupId,
                          const wchar_t* pstrGroupName, LONG bShowMemberList, LONG bDefault,
                          LONG lShowFactNameInUserList, const wchar_t* lpszGroupLabel, DWORD, DWORD) {
    return QxGuarded(L"ChAddGroup", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ ChAddGroup enter: "
              L"hComponent=%d,nInsertIndex=%d,nGroupType=%d,nGroupId/role=%d,pstrGroupName=%s,"
              L"lpszGroupLabel=%s,lShowFactNameInUserList=%d,bShowMemberList=%d,bDefault=%d @@@@/",
              QxHv(hComponent), nInsertIndex, nGroupType, nGroupId, QxTraceText(pstrGroupName),
              QxTraceText(lpszGroupLabel), lShowFactNameInUserList, bShowMemberList, bDefault);
        LONG lResult = -1;
        if (hComponent)
            lResult = QxChatOf(hComponent)
                          ->Dialog()
                          ->AddGroup(nInsertIndex, nGroupType, nGroupId, pstrGroupName, bShowMemberList,
                                     bDefault, lShowFactNameInUserList, lpszGroupLabel);
        Trace(L"/#### ChAddGroup exit: return = %x ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChSelectFeature(QXHCOMPONENT hComponent, DWORD dwFeature1, DWORD dwFeature2, LONG lParam1,
                               LONG lParam2, DWORD dwLen, const wchar_t* lpszData) {
    return QxGuarded(L"ChSelectFeature", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ ChSelectFeature enter: "
              L"hComponent=%d,dwFeature1=%d,dwFeature2=%d,lParam1=%d,lParam2=%d,dwLen=%d,"
              L"lpszData=%s @@@@/",
              QxHv(hComponent), dwFeature1, dwFeature2, lParam1, lParam2, dwLen, QxTraceText(lpszData));
        LONG lResult = -1;
        if (hComponent && QxChatOf(hComponent)->Dialog())
            lResult = QxChatOf(hComponent)->Dialog()->SelectFeature(dwFeature1, lParam2);
        Trace(L"/#### ChSelectFeature exit: return = %x ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChChatToGroup(QXHCOMPONENT hComponent, LONG nGroupType, LONG GroupID) {
    return QxGuarded(L"ChChatToGroup", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChChatToGroup enter: hComponent=%d,nGroupType=%d,GroupID=%d @@@@/", QxHv(hComponent),
              nGroupType, GroupID);
        if (hComponent) QxChatOf(hComponent)->ChatToGroup(nGroupType, GroupID);
        Trace(L"/#### ChChatToGroup exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChModifyGroup(QXHCOMPONENT hComponent, LONG nModifyIndex, LONG lModifyMask, LONG lModifyValue,
                             LONG lModifyCount, const wchar_t* lpszReserved1, const wchar_t* lpszReserved2,
                             DWORD dwReserved1, DWORD dwReserved2) {
    return QxGuarded(L"ChModifyGroup", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ ChModifyGroup enter: hComponent=%d,nModifyIndex=%d,lModifyMask=%d,lModifyValue=%d,"
              L"lModifyCount=%d,lpszReserved1=%s,lpszReserved2=%s,dwReserved1=%d,dwReserved2=%d @@@@/",
              QxHv(hComponent), nModifyIndex, lModifyMask, lModifyValue, lModifyCount,
              QxTraceText(lpszReserved1), QxTraceText(lpszReserved2), dwReserved1, dwReserved2);
        LONG lResult = -1;
        if (hComponent)
            lResult = QxChatOf(hComponent)
                          ->Dialog()
                          ->ModifyGroup(nModifyIndex, lModifyMask, lModifyValue, lModifyCount, lpszReserved1,
                                        lpszReserved2, dwReserved1, dwReserved2);
        Trace(L"/#### ChModifyGroup exit: return= %x ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChChatToGroupEx(QXHCOMPONENT hComponent, LONG nGroupIndex) {
    return QxGuarded(L"ChChatToGroupEx", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ ChChatToGroupEx enter: hComponent=%d,nGroupIndex=%d @@@@/", QxHv(hComponent),
              nGroupIndex);
        LONG lResult = hComponent ? QxChatOf(hComponent)->ChatToGroupEx(nGroupIndex) : -1;
        Trace(L"/#### ChChatToGroupEx exit: ####/");
        return lResult;
    });
}

LONG __stdcall ChAddAUser(QXHCOMPONENT hComponent, DWORD dwNodeId, LONG nGroupID, LONG nGroupIndex,
                          const wchar_t* lpszReserved1, const wchar_t* lpszReserved2, DWORD dwReserved1,
                          DWORD dwReserved2) {
    return QxGuarded(L"ChAddAUser", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ ChAddAUserToList enter: "
              L"hComponent=%d,dwNodeId=%d,nGroupID=%d,nGroupIndex=%d,lpszReserved1=%s,"
              L"lpszReserved2=%s,dwReserved1=%d,dwReserved2=%d @@@@/",
              QxHv(hComponent), dwNodeId, nGroupID, nGroupIndex, QxTraceText(lpszReserved1),
              QxTraceText(lpszReserved2), dwReserved1, dwReserved2);
        LONG lResult = hComponent ? QxChatOf(hComponent)->Dialog()->AddAUser(dwNodeId) : -1;
        Trace(L"/#### ChAddAUserToList exit: return=%x ####/", lResult);
        return lResult;
    });
}

LONG __stdcall TlmSetNBRStatus(QXHCOMPONENT hComponent, DWORD dwStatus, DWORD dwOption, DWORD dwReserved) {
    return QxGuarded(L"TlmSetNBRStatus", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ TLMSetNBRStatus enter: hCompoent= 0x%x,dwStatus=0x%x, dwOption=0x%x, dwReserved=0x%x "
              L"@@@@/",
              QxHv(hComponent), dwStatus, dwOption, dwReserved);
        if (!hComponent) return QXCHAT_NULL_HANDLE;
        if (CMainChatDlg* pDlg = QxChatOf(hComponent)->Dialog()) pDlg->SetNBRStatus(dwStatus, dwOption);
        Trace(L"/#### TLMSetNBRStatus exit: lRet=%d ####/", 0);
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetConfig(QXHCOMPONENT hComponent, DWORD dwConfigType, const wchar_t* lpszConfig) {
    return QxGuarded(L"ChSetConfig", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ ChSetConfig enter: hCompoent= 0x%x, dwConfigType=0x%x, lpszConfig=%s @@@@/",
              QxHv(hComponent), dwConfigType, QxTraceText(lpszConfig));
        if (!hComponent) return QXCHAT_NULL_HANDLE;
        CMainChatDlg* pDlg = QxChatOf(hComponent)->Dialog();
        LONG lResult = pDlg ? pDlg->SetConfig(dwConfigType, lpszConfig) : 0;
        Trace(L"/#### ChSetConfig exit: lResult= %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChTransferMessages(QXHCOMPONENT hComponent, DWORD dwType, DWORD dwTargetID, DWORD dwOption,
                                  const wchar_t* lpszMessage) {
    return QxGuarded(L"ChTransferMessages", QXCHAT_NULL_HANDLE, [&] {
        Trace(L"/@@@@ ChTransferMessages enter: hCompoent= 0x%x,dwType=%d, dwTargetID=%d, dwOption=%d, "
              L"lpszMessage=%s@@@@/",
              QxHv(hComponent), dwType, dwTargetID, dwOption, lpszMessage ? lpszMessage : L"");
        if (!hComponent) return QXCHAT_NULL_HANDLE;
        CMainChatDlg* pDlg = QxChatOf(hComponent)->Dialog();
        LONG lResult = pDlg ? pDlg->TransferMessages(dwType, dwTargetID, dwOption, lpszMessage) : 0;
        Trace(L"/#### ChTransferMessages exit: lResult= %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChSetMessageDisplayFormat(QXHCOMPONENT hComponent, DWORD, DWORD, LONG, DWORD, DWORD, DWORD,
                                         DWORD) {
    return QxGuarded(L"ChSetMessageDisplayFormat", QXCHAT_OK, [&] {
        (void)hComponent; // accepted and ignored
        Trace(L"/@@@@ ChSetMessageDisplayFormat enter @@@@/");
        Trace(L"/#### ChSetMessageDisplayFormat exit ####/");
        return QXCHAT_OK;
    });
}

} // extern "C"
