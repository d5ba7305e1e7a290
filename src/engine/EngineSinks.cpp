#include "engine/EngineSinks.h"

#include "window/MainChatDlg.h"

int __stdcall CChatEngineSinks::ConnectConfirm(short result, DWORD node_id) {
    m_pDlg->ConnectConfirm(result, node_id);
    return 0;
}

int __stdcall CChatEngineSinks::ConferenceJoinConfirm(WORD conf_handle, const char* text, short result,
                                                      DWORD value) {
    m_pDlg->ConferenceJoinConfirm(conf_handle, text, result, value);
    return 0;
}

int __stdcall CChatEngineSinks::ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid) {
    m_pDlg->ApeAttachConfirm(apeHandle, result, userid);
    return 0;
}

int __stdcall CChatEngineSinks::ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                                                 const QxResourceRecord* resource_list) {
    m_pDlg->ApeEnrollConfirm(apehandle, result, resoruce_number, resource_list);
    return 0;
}

// Messages arrive with the message engine, which is not part of this build yet.
int __stdcall CChatEngineSinks::ApeDataIndication(DWORD, DWORD, DWORD, DWORD, const BYTE*, DWORD) {
    return 0;
}

int __stdcall CChatEngineSinks::ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num,
                                                 WORD remove_num, WORD change_num,
                                                 const QxRosterRecord* list) {
    return m_pDlg->ApeRosterChanged(ape_handle, conf_handle, add_num, remove_num, change_num, list);
}

int __stdcall CChatEngineSinks::ApeDetachIndication(DWORD ape_handle, DWORD reason) {
    m_pDlg->ApeDetachIndication(ape_handle, reason);
    return 0;
}

// Cache answers and notifications belong to the shared caches, not part of this build yet.
int __stdcall CChatEngineSinks::ApeCacheActionConfirmEx(DWORD, DWORD, DWORD, DWORD, DWORD, short) {
    return 0;
}

int __stdcall CChatEngineSinks::SharedDataReceivedEx(DWORD, DWORD, DWORD, QXMEMHANDLE, short, DWORD, DWORD,
                                                     DWORD, DWORD) {
    return 0;
}

int __stdcall CChatEngineSinks::AllocNameHandleConfirm(DWORD, DWORD, const QxCacheName*, short, DWORD) {
    return 0;
}
