// The Redis back end of a controller: the conference lives on a Redis server, so controllers
// in different processes and on different machines share it. The controller checks each call
// against what it mirrors of the conference and answers at once; the network work runs on the
// link's own threads (one for commands, one reader per joined conference), and every callback
// goes through the controller's outbox, as the embedded conference's do.
#pragma once

#include "Outbox.h"
#include "RedisWire.h"
#include "qxnodectl.h"

#include <memory>
#include <string>

namespace qxnc {

struct RedisCore;

class RedisLink {
public:
    // address: as given (it is only ever traced masked).
    RedisLink(const RedisAddress& server, const std::string& address, Outbox* outbox);
    // Leaves everything without telling the APEs; nothing is posted to the outbox afterwards.
    ~RedisLink();
    RedisLink(const RedisLink&) = delete;
    RedisLink& operator=(const RedisLink&) = delete;

    // The operations, after the controller's common checks; the hub's lock is held.
    int Connect(IArmNodeControllerSink* sink);
    int Disconnect();
    int Join(WORD confHandle, IArmConferenceSink* sink);
    int Leave(WORD confHandle);
    int Attach(IArmApeSink* sink, WORD confHandle, DWORD apeHandle);
    int Enroll(DWORD apeHandle, DWORD enroll, DWORD chatRoomId, const std::vector<std::string>& names,
               const std::vector<WORD>& types, const char* rosterText, DWORD rosterLength);
    int SendData(DWORD apeHandle, DWORD receiverId, DWORD channelId, const BYTE* data, DWORD length,
                 DWORD priority);
    int SetSendOption(DWORD apeHandle, DWORD option);
    // The APE's option for its next send, 0 for an unknown APE (for the log).
    DWORD SendOptionOf(DWORD apeHandle);
    int DetachApe(DWORD apeHandle);
    int SetSharedDataSink(DWORD apeHandle, IArmSharedDataSink* sink);
    int AllocNames(DWORD apeHandle, std::vector<QxCacheName> table, IArmNameSink* sink);
    int CacheSet(DWORD apeHandle, DWORD cacheHandle, DWORD action, DWORD sendOption, std::vector<BYTE> bytes);
    int CacheAction(DWORD apeHandle, DWORD cacheHandle, DWORD firstItem, DWORD action,
                    IArmSharedDataSink* sink);
    bool IsApe(DWORD apeHandle);
    bool IsJoined(WORD confHandle);

    // Work of every Redis link of the process not yet done: commands queued or running, and
    // entries this process wrote that a reader of this process follows and has not read yet.
    static DWORD ProcessPending();

private:
    std::shared_ptr<RedisCore> m_core;
};

} // namespace qxnc
