// The five sink objects the node controller calls back, in one adapter that hands each callback
// to the engine's operation of the same name. The adapter lives inside the dialog object, and the
// dialog releases the controller before it dies, so no callback can reach a destroyed engine.
#pragma once

#include "qxnodectl.h"

class CMainChatDlg;

class CChatEngineSinks : public IArmNodeControllerSink,
                         public IArmConferenceSink,
                         public IArmApeSink,
                         public IArmSharedDataSink,
                         public IArmNameSink {
public:
    explicit CChatEngineSinks(CMainChatDlg* pDlg) : m_pDlg(pDlg) {}
    CChatEngineSinks(const CChatEngineSinks&) = delete;
    CChatEngineSinks& operator=(const CChatEngineSinks&) = delete;
    virtual ~CChatEngineSinks() = default;

    IArmNodeControllerSink* Controller() { return this; }
    IArmConferenceSink* Conference() { return this; }
    IArmApeSink* Ape() { return this; }
    IArmSharedDataSink* SharedData() { return this; }
    IArmNameSink* Name() { return this; }

    int __stdcall ConnectConfirm(short result, DWORD node_id) override;
    int __stdcall ConferenceJoinConfirm(WORD conf_handle, const char* text, short result,
                                        DWORD value) override;
    int __stdcall ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid) override;
    int __stdcall ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                                   const QxResourceRecord* resource_list) override;
    int __stdcall ApeDataIndication(DWORD ape_handle, DWORD sender_id, DWORD channel_id, DWORD priorty,
                                    const BYTE* data, DWORD data_length) override;
    int __stdcall ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num, WORD remove_num,
                                   WORD change_num, const QxRosterRecord* list) override;
    int __stdcall ApeDetachIndication(DWORD ape_handle, DWORD reason) override;
    int __stdcall ApeCacheActionConfirmEx(DWORD ape_handle, DWORD entity_id, DWORD cache_action,
                                          DWORD item_id, DWORD item_count, short result) override;
    int __stdcall SharedDataReceivedEx(DWORD ape_handle, DWORD cache_id, DWORD entity_id,
                                       QXMEMHANDLE mem_handle, short result, DWORD cache_action,
                                       DWORD writer_id, DWORD item_length, DWORD send_option) override;
    int __stdcall AllocNameHandleConfirm(DWORD ape_handle, DWORD handle_count, const QxCacheName* table,
                                         short result, DWORD new_names) override;

private:
    CMainChatDlg* m_pDlg;
};
