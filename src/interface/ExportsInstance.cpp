// Exports 1-25: instance life, start, transcript and the plain configuration calls. Each one
// writes its enter line, checks the handle, forwards to the instance and writes its exit line;
// no exception leaves it (QxGuarded).
#include "interface/ExportSupport.h"

extern "C" {

QXHCOMPONENT __stdcall QxNewInstance(HWND hWndParent) {
    Trace(L"/@@@@ QxNewInstance, enter: hWndParent = %d @@@@/", QxHv(hWndParent));
    Cchat* pChat = QxGuarded(L"QxNewInstance", static_cast<Cchat*>(nullptr),
                             [&] { return QxCreateInstance(hWndParent); });
    Trace(L"/#### QxNewInstance, return: (pChat) = %d ####/", QxHv(pChat));
    return reinterpret_cast<QXHCOMPONENT>(pChat);
}

LONG __stdcall QxDeleteInstance(QXHCOMPONENT hComponent) {
    return QxGuarded(L"QxDeleteInstance", QXCHAT_OK, [&] {
        Trace(L"/@@@@ QxDeleteInstance, enter: hComponent = %d @@@@/", QxHv(hComponent));
        QxDestroyInstance(QxChatOf(hComponent));
        Trace(L"/#### QxDeleteInstance, end: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetMeetingType(QXHCOMPONENT hComponent, LONG lMeetingType) {
    return QxGuarded(L"ChSetMeetingType", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetMeetingType enter: hComponent=%d,lMeetingType = %d @@@@/", QxHv(hComponent),
              lMeetingType);
        if (hComponent) QxChatOf(hComponent)->SetMeetingType(lMeetingType);
        Trace(L"/#### ChSetMeetingType exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetBrowserType(QXHCOMPONENT hComponent, LONG lBrowserType) {
    return QxGuarded(L"ChSetBrowserType", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetBrowserType enter: hComponent=%d,lBrowserType = %d @@@@/", QxHv(hComponent),
              lBrowserType);
        if (hComponent) QxChatOf(hComponent)->SetBrowserType(lBrowserType);
        Trace(L"/#### ChSetBrowserType exit ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChChat1(QXHCOMPONENT hComponent, const wchar_t* lpszServerAddress, LONG confHandle,
                       LONG lChatRoomId, const wchar_t* lpszUserName, LONG userHandle,
                       const wchar_t* lpszUserInfo) {
    return QxGuarded(L"ChChat1", QXCHAT_OK, [&] {
        std::wstring strShownServer;
        Trace(L"/@@@@ ChChat1 enter: hComponent=%d,lpszServerAddress=%s,confHandle = "
              L"%d,lpszUserName=%s,userHandle=%d,"
              L"lpszUserInfo=%s @@@@/",
              QxHv(hComponent), QxTraceAddress(lpszServerAddress, strShownServer), confHandle,
              QxTraceText(lpszUserName), userHandle, QxTraceText(lpszUserInfo));
        if (hComponent) {
            QxArgCopy server(lpszServerAddress), name(lpszUserName), info(lpszUserInfo);
            QxChatOf(hComponent)
                ->Chat1(server.Get(), confHandle, lChatRoomId, name.Get(), userHandle, info.Get());
        }
        Trace(L"/#### ChChat1 exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSaveChat(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChSaveChat", QXCHAT_SAVE_NOT_DONE, [&] {
        Trace(L"/@@@@ ChSaveChat enter: hComponent = %d @@@@/", QxHv(hComponent));
        LONG lResult = hComponent ? QxChatOf(hComponent)->SaveChat(0) : QXCHAT_SAVE_NOT_DONE;
        Trace(L"/#### ChSaveChat exit: %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChPrintChat(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChPrintChat", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChPrintChat enter: hComponent=%d, @@@@/", QxHv(hComponent));
        if (hComponent) QxChatOf(hComponent)->PrintChat();
        Trace(L"/#### ChPrintChat exit ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChGetSaveChatState(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChGetSaveChatState", QXCHAT_SAVE_STATE_EMPTY, [&] {
        Trace(L"/@@@@ ChGetSaveChatState enter: hComponent=%d @@@@/", QxHv(hComponent));
        LONG lState = QXCHAT_SAVE_STATE_EMPTY;
        if (hComponent) QxChatOf(hComponent)->GetSaveChatState(&lState);
        Trace(L"/#### ChGetSaveChatState exit:  return = %d ####/", lState);
        return lState;
    });
}

LONG __stdcall ChLoadChat(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChLoadChat", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChLoadChat enter: hComponent=%d @@@@/", QxHv(hComponent));
        if (hComponent) QxChatOf(hComponent)->LoadChat();
        Trace(L"/#### ChLoadChat exit: %d ####/", QxHv(hComponent));
        return QXCHAT_OK;
    });
}

LONG __stdcall ChAllowUserInput(QXHCOMPONENT hComponent, LONG lInputPermission) {
    return QxGuarded(L"ChAllowUserInput", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChAllowUserInput enter: hComponent=%d,lInputPermission=%d @@@@/", QxHv(hComponent),
              lInputPermission);
        if (hComponent) QxChatOf(hComponent)->AllowUserInput(lInputPermission);
        Trace(L"/#### ChAllowUserInput exit ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChShowUserList(QXHCOMPONENT hComponent, LONG lUserListPermission) {
    return QxGuarded(L"ChShowUserList", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChShowUserList enter: hComponent=%d,lUserListPermission=%d @@@@/", QxHv(hComponent),
              lUserListPermission);
        if (hComponent) QxChatOf(hComponent)->ShowUserList(lUserListPermission);
        Trace(L"/#### ChShowUserList exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChQuitApp(QXHCOMPONENT hComponent, LONG lReserved) {
    return QxGuarded(L"ChQuitApp", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChQuitApp enter: hComponent=%d,lReserved=%d @@@@/", QxHv(hComponent), lReserved);
        if (hComponent) QxChatOf(hComponent)->QuitApp(lReserved);
        Trace(L"/#### ChQuitApp exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetPrivilege(QXHCOMPONENT hComponent, LONG lReserved) {
    return QxGuarded(L"ChSetPrivilege", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetPrivilege enter: hComponent=%d,lReserved=%d @@@@/", QxHv(hComponent), lReserved);
        if (hComponent) QxChatOf(hComponent)->SetPrivilege(lReserved);
        Trace(L"/#### ChSetPrivilege exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetRosterStatus(QXHCOMPONENT hComponent, LONG lNeedRosterInfo, LONG lBroadcastRosterInfo,
                                 LONG lReserved) {
    return QxGuarded(L"ChSetRosterStatus", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetRosterStatus enter: "
              L"hComponent=%d,lNeedRosterInfo=%d,lBroadcastRosterInfo=%d,lReserved=%d "
              L"@@@@/",
              QxHv(hComponent), lNeedRosterInfo, lBroadcastRosterInfo, lReserved);
        if (hComponent)
            QxChatOf(hComponent)->SetRosterStatus(lNeedRosterInfo, lBroadcastRosterInfo, lReserved);
        Trace(L"/#### ChSetRosterStatus exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSaveChatAs(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChSaveChatAs", QXCHAT_SAVE_NOT_DONE, [&] {
        Trace(L"/@@@@ ChSaveChatAs enter: hComponent=%d @@@@/", QxHv(hComponent));
        LONG lResult = hComponent ? QxChatOf(hComponent)->SaveChat(1) : QXCHAT_SAVE_NOT_DONE;
        Trace(L"/#### ChSaveChatAs exit: %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChSetSoundPreference(QXHCOMPONENT hComponent, LONG lNeedPlaySound,
                                    const wchar_t* lpszSoundFileName, LONG lOptionValue, LONG lhWnd,
                                    LONG lCurTabIndex) {
    return QxGuarded(L"ChSetSoundPreference", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetSoundPreference enter: "
              L"hComponent=%d,lNeedPlaySound=%d,lpszSoundFileName=%s,lOptionValue=%d,"
              L"lhWnd=%d,lCurTabIndex=%d @@@@/",
              QxHv(hComponent), lNeedPlaySound, QxTraceText(lpszSoundFileName), lOptionValue, lhWnd,
              lCurTabIndex);
        if (hComponent) {
            QxArgCopy file(lpszSoundFileName);
            QxChatOf(hComponent)
                ->SetSoundPreference(lNeedPlaySound, file.Get(), lOptionValue, lhWnd, lCurTabIndex);
        }
        Trace(L"/#### ChSetSoundPreference exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChEditChat(QXHCOMPONENT hComponent, LONG NotifyCode) {
    return QxGuarded(L"ChEditChat", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChEditChat enter: hComponent=%d,NotifyCode=%d @@@@/", QxHv(hComponent), NotifyCode);
        if (hComponent) QxChatOf(hComponent)->EditChat(NotifyCode);
        Trace(L"/#### ChEditChat exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetQxConfMgr(QXHCOMPONENT hComponent, void* pQxConfMgr) {
    return QxGuarded(L"ChSetQxConfMgr", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetQxConfMgr enter: hComponent=%d,pQxConfMgr=%d @@@@/", QxHv(hComponent),
              QxHv(pQxConfMgr));
        if (hComponent) QxChatOf(hComponent)->SetQxConfMgr(pQxConfMgr);
        Trace(L"/#### ChSetQxConfMgr exit: ####/");
        return QXCHAT_OK;
    });
}

// Accepted and ignored; traces nothing.
LONG __stdcall ChSetPanelist(LONG, LONG, LONG) {
    return 0;
}

LONG __stdcall ChAutoSaveChat(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChAutoSaveChat", QXCHAT_SAVE_NOT_DONE, [&] {
        Trace(L"/@@@@ ChAutoSaveChat enter: hComponent=%d @@@@/", QxHv(hComponent));
        LONG lResult = hComponent ? QxChatOf(hComponent)->AutoSaveChat() : QXCHAT_SAVE_NOT_DONE;
        Trace(L"/#### ChAutoSaveChat exit: %d ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChSetAutoSavePath(QXHCOMPONENT hComponent, const wchar_t* lpszFolder) {
    return QxGuarded(L"ChSetAutoSavePath", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetAutoSavePath enter: hComponent=%d,lpszFolder=%s @@@@/", QxHv(hComponent),
              QxTraceText(lpszFolder));
        if (hComponent) QxChatOf(hComponent)->SetAutoSavePath(lpszFolder);
        Trace(L"/#### ChSetAutoSavePath exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetSaveChatFileName(QXHCOMPONENT hComponent, const wchar_t* lpszFileName) {
    return QxGuarded(L"ChSetSaveChatFileName", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetSaveChatFileName enter: hComponent=%d,lpszFileName = %s @@@@/", QxHv(hComponent),
              QxTraceText(lpszFileName));
        if (hComponent) QxChatOf(hComponent)->SetSaveChatFileName(lpszFileName);
        Trace(L"/#### ChSetSaveChatFileName exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChSetEventConfig(QXHCOMPONENT hComponent, LONG lCommand, LONG lParam1, LONG lParam2,
                                const wchar_t* lpszBuffer) {
    return QxGuarded(L"ChSetEventConfig", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChSetEventConfig enter: hComponent=%d,lCommand = %d,lParam1 = "
              L"%d,lParam2=%d,lpszBuffer=%s @@@@/",
              QxHv(hComponent), lCommand, lParam1, lParam2, QxTraceText(lpszBuffer));
        LONG lResult = QXCHAT_OK;
        if (hComponent && QxChatOf(hComponent)->Dialog())
            lResult = QxChatOf(hComponent)->Dialog()->SetEventConfig(lCommand, lParam1, lParam2);
        Trace(L"/#### ChSetEventConfig exit: result = %x ####/", lResult);
        return lResult;
    });
}

LONG __stdcall ChLoadRestoredChat(QXHCOMPONENT hComponent, const wchar_t* lpszFile) {
    return QxGuarded(L"ChLoadRestoredChat", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChLoadRestoredChat enter: hComponent=%d,lpszFile = %s @@@@/", QxHv(hComponent),
              QxTraceText(lpszFile));
        if (hComponent) {
            QxArgCopy file(lpszFile);
            QxChatOf(hComponent)->Transcript().LoadRestored(file.Get());
        }
        Trace(L"/#### ChLoadRestoredChat exit: ####/");
        return QXCHAT_OK;
    });
}

LONG __stdcall ChAutoSaveChatForReconn(QXHCOMPONENT hComponent) {
    return QxGuarded(L"ChAutoSaveChatForReconn", QXCHAT_OK, [&] {
        Trace(L"/@@@@ ChAutoSaveChatForReconn enter: hComponent=%d @@@@/", QxHv(hComponent));
        Trace(L"/=== ChAutoSaveChatForReconn exit: return = %x ####/", 0);
        return QXCHAT_OK;
    });
}

} // extern "C"
