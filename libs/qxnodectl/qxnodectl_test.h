// Test control of the embedded conference: scripted results and failures, the log of every call
// made to qxnodectl, and a few things only the conference's server side could do. The engine
// never includes this header; tests and the demo host do.
//
// The control object is one per process; every call is made on the thread that uses the
// controllers. Nothing is thrown.
#pragma once

#include "qxnodectl.h"

// The calls of qxnodectl, as the log names them and scripts address them.
enum : DWORD {
    QXNC_OP_GET_CONTROLLER = 1, // QxGetArmNodeController
    QXNC_OP_GET_CONTROLLER_EX,  // QxGetArmNodeControllerEx
    QXNC_OP_RELEASE,
    QXNC_OP_CONNECT,
    QXNC_OP_DISCONNECT,
    QXNC_OP_SET_SEND_OPTION,
    QXNC_OP_JOIN_CONFERENCE,
    QXNC_OP_LEAVE_CONFERENCE,
    QXNC_OP_ATTACH_APE,
    QXNC_OP_ENROLL_APE,
    QXNC_OP_SEND_DATA,
    QXNC_OP_DETACH_APE,
    QXNC_OP_SET_SHARED_DATA_SINK,
    QXNC_OP_ALLOC_NAME_HANDLES,
    QXNC_OP_CACHE_SET,
    QXNC_OP_CACHE_ACTION,
    QXNC_OP_COUNT
};

// The confirmations a script can make fail.
enum : DWORD {
    QXNC_CONFIRM_CONNECT = 1, // ConnectConfirm(result, 0); not connected
    QXNC_CONFIRM_JOIN,        // ConferenceJoinConfirm(handle, name, result, 0); not joined
    QXNC_CONFIRM_ATTACH,      // ApeAttachConfirm(handle, result, 0); no APE
    QXNC_CONFIRM_ENROLL,      // ApeEnrollConfirm(ape, result, 0, null); roster unchanged
    QXNC_CONFIRM_NAMES,       // AllocNameHandleConfirm(ape, count, table with handles 0, result, 0)
    QXNC_CONFIRM_CACHE_SET,   // ApeCacheActionConfirmEx(ape, cache, action, 0, items, result); not written
    QXNC_CONFIRM_COUNT
};

// One logged call.
struct QxNcCall {
    DWORD controller; // the controller's serial number (1 for the first of the process); for
                      // the entry points the new controller's, 0 when none was made
    DWORD op;         // QXNC_OP_*
    int result;       // what the call returned (0 for Release)
    DWORD arg_count;
    DWORD args[9];     // the arguments in order, each as a 32-bit value (pointers by address)
    const BYTE* data;  // the bytes the call carried, or null: the server address (entry
                       // point), credentials (Connect), the QxSendOption (SetSendOption),
                       // the roster text (EnrollApe), the data (SendData), the name table
                       // (AllocNameHandles), the block's bytes (CacheSet); at most 64 KiB
    DWORD data_length; // bytes at data
    const char* line;  // the call as one line, e.g. "JoinConference(0, 7, ptr, 3) = 0"
};
// Lines: the operation's name, its arguments in decimal, pointers as "ptr" or "null", texts in
// double quotes (at most 64 characters, bytes outside 0x20-0x7e as \xNN, then "..."), data as
// "N bytes", and " = result". SetSendOption shows {ape_handle, option}, EnrollApe its records
// as {type, "name", count, value}, AllocNameHandles its names as {"name", ...}, CacheSet its block
// as "block(N bytes)" (or "bad block"), Release "Release()" without result.

struct IQxNodeControlTest {
    // Forgets every script and the log.
    virtual void __stdcall Reset() = 0;
    // The next `times` calls of op return result and do nothing else (an entry point then
    // gives no controller). A later script of the same op replaces this one; times 0 removes it.
    // Release cannot be scripted.
    virtual void __stdcall ScriptResult(DWORD op, int result, DWORD times) = 0;
    // The next `times` operations that would be confirmed with that kind of confirmation fail:
    // the call returns 0 and the confirmation carries result (QXNC_CONFIRM_* says what else).
    virtual void __stdcall ScriptConfirm(DWORD confirm, short result, DWORD times) = 0;
    // The next `times` successful enroll confirmations report no resources (0 and null).
    virtual void __stdcall ScriptEnrollWithoutResources(DWORD times) = 0;

    // The log: every call since the last Reset or ClearCalls, at most 20000 of them.
    virtual DWORD __stdcall CallCount() = 0;
    // Copies call `index` (0 = oldest); its pointers stay valid until ClearCalls or Reset.
    // Returns 1, or 0 for an index out of range (*call is then zeroed).
    virtual int __stdcall GetCall(DWORD index, QxNcCall* call) = 0;
    virtual void __stdcall ClearCalls() = 0;

    // The serial number of a live controller, 0 for anything else.
    virtual DWORD __stdcall ControllerSerial(const IArmNodeController* controller) = 0;
    // The number of callbacks posted by every live controller and not yet delivered.
    virtual DWORD __stdcall PendingCallbacks() = 0;
    // The conference detaches an APE: ApeDetachIndication(ape, QXNC_DETACH_BY_SERVER) after its
    // undelivered callbacks, and a removal for the others. 0, or 1201 for an unknown APE.
    virtual int __stdcall DetachApe(DWORD ape_handle) = 0;
    // Hands an APE a roster change as given, deep-copied: null pointers, negative lengths and
    // records of other chat rooms stay as they are, a null list stays null. 0, or 1201 for an
    // unknown APE or an entry with more than QXNC_MAX_DATA bytes of data (a length the data
    // does not have is never handed on).
    virtual int __stdcall InjectRosterChange(DWORD ape_handle, WORD add_num, WORD remove_num, WORD change_num,
                                             const QxRosterRecord* list) = 0;

protected:
    ~IQxNodeControlTest() = default;
};

#ifdef __cplusplus
extern "C" {
#endif

// Gives the process's control object (never freed). Returns 0, or 1201 for a null argument.
int __stdcall QxGetNodeControlTest(IQxNodeControlTest** control);

#ifdef __cplusplus
}
#endif
