// Binding to qxchat.dll the way a meeting host does it: LoadLibraryW and GetProcAddress by each
// export's name. Header-only, shared by the demo host and the tests.
#pragma once

#include "qxchat.h"

#include <string>
#include <vector>

// The 47 exports, in the order of the export table.
#define QXCHAT_API_EXPORTS(X)                                                                                \
    X(QxNewInstance)                                                                                         \
    X(QxDeleteInstance)                                                                                      \
    X(ChSetMeetingType)                                                                                      \
    X(ChSetBrowserType)                                                                                      \
    X(ChChat1)                                                                                               \
    X(ChSaveChat)                                                                                            \
    X(ChPrintChat)                                                                                           \
    X(ChGetSaveChatState)                                                                                    \
    X(ChLoadChat)                                                                                            \
    X(ChAllowUserInput)                                                                                      \
    X(ChShowUserList)                                                                                        \
    X(ChQuitApp)                                                                                             \
    X(ChSetPrivilege)                                                                                        \
    X(ChSetRosterStatus)                                                                                     \
    X(ChSaveChatAs)                                                                                          \
    X(ChSetSoundPreference)                                                                                  \
    X(ChEditChat)                                                                                            \
    X(ChSetQxConfMgr)                                                                                        \
    X(ChSetPanelist)                                                                                         \
    X(ChAutoSaveChat)                                                                                        \
    X(ChSetAutoSavePath)                                                                                     \
    X(ChSetSaveChatFileName)                                                                                 \
    X(ChSetEventConfig)                                                                                      \
    X(ChLoadRestoredChat)                                                                                    \
    X(ChAutoSaveChatForReconn)                                                                               \
    X(ChSaveChatNameAndPath)                                                                                 \
    X(ChSetUserType)                                                                                         \
    X(ChGetMaxMinWidth)                                                                                      \
    X(ChSaveChatTo)                                                                                          \
    X(ChGetSavedFileName)                                                                                    \
    X(ChChatToAttendee)                                                                                      \
    X(ChDestroyModalDialog)                                                                                  \
    X(ChSetSharingRc)                                                                                        \
    X(ChSetRosters)                                                                                          \
    X(ServerSideRecordingStatus)                                                                             \
    X(SetServerSideRecordingProvider)                                                                        \
    X(ChSetHandleForSmc)                                                                                     \
    X(ChAddGroup)                                                                                            \
    X(ChSelectFeature)                                                                                       \
    X(ChChatToGroup)                                                                                         \
    X(ChModifyGroup)                                                                                         \
    X(ChChatToGroupEx)                                                                                       \
    X(ChAddAUser)                                                                                            \
    X(TlmSetNBRStatus)                                                                                       \
    X(ChSetConfig)                                                                                           \
    X(ChTransferMessages)                                                                                    \
    X(ChSetMessageDisplayFormat)

struct QxChatApi {
#define QXCHAT_API_MEMBER(name) decltype(&::name) name = nullptr;
    QXCHAT_API_EXPORTS(QXCHAT_API_MEMBER)
#undef QXCHAT_API_MEMBER

    HMODULE hModule = nullptr;
    // Names of the exports that could not be bound by the last Bind.
    std::vector<std::string> missing;

    // The export names in table order.
    static std::vector<std::string> Names() {
        return {
#define QXCHAT_API_NAME(name) #name,
            QXCHAT_API_EXPORTS(QXCHAT_API_NAME)
#undef QXCHAT_API_NAME
        };
    }

    // Loads the module (a plain name or a full path) and binds every export by name. True when
    // the module loaded and all 47 were found; `missing` lists the others.
    bool Bind(const wchar_t* lpszModule = L"qxchat.dll") {
        Unload();
        hModule = LoadLibraryW(lpszModule);
        if (!hModule) return false;
#define QXCHAT_API_BIND(name)                                                                                \
    name = reinterpret_cast<decltype(name)>(reinterpret_cast<void*>(GetProcAddress(hModule, #name)));        \
    if (!name) missing.push_back(#name);
        QXCHAT_API_EXPORTS(QXCHAT_API_BIND)
#undef QXCHAT_API_BIND
        return missing.empty();
    }

    void Unload() {
        if (hModule) FreeLibrary(hModule);
        *this = QxChatApi();
    }
};
