#include "engine/EngineSinks.h"

#include "module/CallbackGuard.h"
#include "window/MainChatDlg.h"

// Every callback is a boundary: the controller is outside code, so nothing may be thrown back
// into it. A callback stopped by an exception answers 0.

int __stdcall CChatEngineSinks::ConnectConfirm(short result, DWORD node_id) {
    return QxGuardCallback(L"CMainChatDlg::ConnectConfirm", 0, [&] {
        m_pDlg->ConnectConfirm(result, node_id);
        return 0;
    });
}

int __stdcall CChatEngineSinks::ConferenceJoinConfirm(WORD conf_handle, const char* text, short result,
                                                      DWORD value) {
    return QxGuardCallback(L"CMainChatDlg::ConferenceJoinConfirm", 0, [&] {
        m_pDlg->ConferenceJoinConfirm(conf_handle, text, result, value);
        return 0;
    });
}

int __stdcall CChatEngineSinks::ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid) {
    return QxGuardCallback(L"CMainChatDlg::ApeAttachConfirm", 0, [&] {
        m_pDlg->ApeAttachConfirm(apeHandle, result, userid);
        return 0;
    });
}

int __stdcall CChatEngineSinks::ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                                                 const QxResourceRecord* resource_list) {
    return QxGuardCallback(L"CMainChatDlg::ApeEnrollConfirm", 0, [&] {
        m_pDlg->ApeEnrollConfirm(apehandle, result, resoruce_number, resource_list);
        return 0;
    });
}

int __stdcall CChatEngineSinks::ApeDataIndication(DWORD ape_handle, DWORD sender_id, DWORD channel_id,
                                                  DWORD priorty, const BYTE* data, DWORD data_length) {
    return QxGuardCallback(L"CMainChatDlg::ApeDataIndication", 0, [&] {
        return m_pDlg->ApeDataIndication(ape_handle, sender_id, channel_id, priorty, data, data_length);
    });
}

int __stdcall CChatEngineSinks::ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num,
                                                 WORD remove_num, WORD change_num,
                                                 const QxRosterRecord* list) {
    return QxGuardCallback(L"CMainChatDlg::ApeRosterChanged", 0, [&] {
        return m_pDlg->ApeRosterChanged(ape_handle, conf_handle, add_num, remove_num, change_num, list);
    });
}

int __stdcall CChatEngineSinks::ApeDetachIndication(DWORD ape_handle, DWORD reason) {
    return QxGuardCallback(L"CMainChatDlg::ApeDetachIndication", 0, [&] {
        m_pDlg->ApeDetachIndication(ape_handle, reason);
        return 0;
    });
}

// The item id and count of a write confirmation are not used.
int __stdcall CChatEngineSinks::ApeCacheActionConfirmEx(DWORD ape_handle, DWORD entity_id, DWORD cache_action,
                                                        DWORD, DWORD, short result) {
    return QxGuardCallback(L"CMainChatDlg::ApeCacheActionConfirmEx", 0, [&] {
        return m_pDlg->ApeCacheActionConfirmEx(ape_handle, entity_id, cache_action, result);
    });
}

// The length and option of an item are not used; the writer decides whose a message is.
int __stdcall CChatEngineSinks::SharedDataReceivedEx(DWORD ape_handle, DWORD cache_id, DWORD entity_id,
                                                     QXMEMHANDLE mem_handle, short result, DWORD cache_action,
                                                     DWORD writer_id, DWORD, DWORD) {
    return QxGuardCallback(L"CMainChatDlg::SharedDataReceivedEx", 0, [&] {
        return m_pDlg->SharedDataReceivedEx(ape_handle, cache_id, entity_id, mem_handle, result, cache_action,
                                            writer_id);
    });
}

int __stdcall CChatEngineSinks::AllocNameHandleConfirm(DWORD ape_handle, DWORD handle_count,
                                                       const QxCacheName* table, short result, DWORD) {
    return QxGuardCallback(L"CMainChatDlg::AllocNameHandleConfirm", 0, [&] {
        return m_pDlg->AllocNameHandleConfirm(ape_handle, handle_count, table, result);
    });
}
