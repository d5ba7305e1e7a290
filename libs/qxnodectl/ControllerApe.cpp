// The controller's APE operations: enrollment, data, names and caches.
#include "Controller.h"

#include "Blocks.h"

#include <cstring>

namespace qxnc {

namespace {

std::string ShowResources(WORD count, const QxResourceRecord* records) {
    if (!records) return "null";
    if (count > QXNC_MAX_RESOURCES) return std::to_string(count) + " records";
    std::string shown = "{";
    for (WORD i = 0; i < count; ++i) {
        const QxResourceRecord& r = records[i];
        shown += (i ? ", {" : "{") + std::to_string(r.type) + ", " + Quoted(r.name) + ", " +
                 std::to_string(r.count) + ", " + std::to_string(r.value) + "}";
    }
    return shown + "}";
}

std::string ShowNames(DWORD count, const QxCacheName* table) {
    if (!table) return "null";
    if (count > QXNC_MAX_NAMES) return std::to_string(count) + " names";
    std::string shown = "{";
    for (DWORD i = 0; i < count; ++i) {
        std::string name(table[i].name, strnlen(table[i].name, sizeof table[i].name));
        shown += (i ? ", " : "") + Quoted(name.c_str());
    }
    return shown + "}";
}

std::string ShowBytes(const void* data, DWORD length, DWORD limit) {
    if (!data) return "null";
    return length <= limit ? Sized(length) : "too many bytes";
}

} // namespace

int __stdcall Controller::SetSendOption(int code, const void* data) {
    return Run(
        QXNC_OP_SET_SEND_OPTION, "SetSendOption",
        [&](CallRecord& c) {
            c.Signed(code);
            if (code != QXNC_OPTION_NEXT_SEND || !data) {
                c.Ptr(data);
                return;
            }
            const auto* option = static_cast<const QxSendOption*>(data);
            c.Shown(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(data)),
                    "{" + std::to_string(option->ape_handle) + ", " + std::to_string(option->option) + "}");
            c.Data(data, sizeof(QxSendOption));
        },
        [&]() -> int {
            if (code != QXNC_OPTION_NEXT_SEND || !data) return ARM_ERROR_INVALID_PARAMETER;
            QxSendOption option;
            std::memcpy(&option, data, sizeof option);
            if (m_redis) return m_redis->SetSendOption(option.ape_handle, option.option);
            Conference* conference = nullptr;
            Ape* ape = MyApe(option.ape_handle, &conference);
            if (!ape) return ARM_ERROR_INVALID_PARAMETER;
            ape->sendOption = option.option;
            return ARM_OK;
        });
}

int __stdcall Controller::EnrollApe(DWORD ape_handle, DWORD enroll, DWORD chat_room_id, DWORD sub_room,
                                    WORD resource_count, const QxResourceRecord* resources,
                                    const char* roster_text, DWORD roster_length, DWORD roster_flags) {
    return Run(
        QXNC_OP_ENROLL_APE, "EnrollApe",
        [&](CallRecord& c) {
            c.Num(ape_handle).Num(enroll).Num(chat_room_id).Num(sub_room).Num(resource_count);
            c.Shown(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(resources)),
                    ShowResources(resource_count, resources));
            c.Shown(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(roster_text)),
                    ShowBytes(roster_text, roster_length, QXNC_MAX_ROSTER_TEXT));
            c.Num(roster_length).Num(roster_flags);
            if (roster_text && roster_length <= QXNC_MAX_ROSTER_TEXT) c.Data(roster_text, roster_length);
        },
        [&] {
            return DoEnroll(ape_handle, enroll, chat_room_id, resource_count, resources, roster_text,
                            roster_length);
        });
}

int Controller::DoEnroll(DWORD apeHandle, DWORD enroll, DWORD chatRoomId, WORD resourceCount,
                         const QxResourceRecord* resources, const char* rosterText, DWORD rosterLength) {
    Conference* conference = nullptr;
    Ape* ape = m_redis ? nullptr : MyApe(apeHandle, &conference);
    if ((!ape && !(m_redis && m_redis->IsApe(apeHandle))) || enroll > 1) return ARM_ERROR_INVALID_PARAMETER;
    if (resourceCount > QXNC_MAX_RESOURCES || (resourceCount && !resources))
        return ARM_ERROR_INVALID_PARAMETER;
    if (rosterLength > QXNC_MAX_ROSTER_TEXT || (rosterLength && !rosterText))
        return ARM_ERROR_INVALID_PARAMETER;
    std::vector<ResourceAsk> asks;
    for (WORD i = 0; i < resourceCount; ++i) {
        const char* name = resources[i].name;
        size_t length = name ? strnlen(name, QXNC_MAX_RESOURCE_NAME + 1) : 0;
        if (length == 0 || length > QXNC_MAX_RESOURCE_NAME) return ARM_ERROR_INVALID_PARAMETER;
        asks.push_back(ResourceAsk{resources[i].type, std::string(name, length)});
    }
    if (m_redis) {
        std::vector<std::string> names;
        std::vector<WORD> types;
        for (const ResourceAsk& ask : asks) {
            names.push_back(ask.name);
            types.push_back(ask.type);
        }
        return m_redis->Enroll(apeHandle, enroll, chatRoomId, names, types, rosterText, rosterLength);
    }
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_ENROLL, &failure)) {
        IArmApeSink* sink = ape->sink;
        m_outbox->Post(apeHandle, [=] { sink->ApeEnrollConfirm(apeHandle, failure, 0, nullptr); });
        return ARM_OK;
    }
    if (enroll == 0) {
        conference->Withdraw(*ape);
        return ARM_OK;
    }
    std::vector<char> roster(rosterText, rosterText + rosterLength);
    bool reportResources = !Script::Get().TakeEnrollWithoutResources();
    conference->Enroll(*ape, chatRoomId, std::move(roster), asks, reportResources);
    return ARM_OK;
}

int __stdcall Controller::SendData(DWORD ape_handle, DWORD receiver_id, DWORD channel_id, const BYTE* data,
                                   DWORD length, DWORD priority, DWORD reliable) {
    return Run(
        QXNC_OP_SEND_DATA, "SendData",
        [&](CallRecord& c) {
            c.Num(ape_handle).Num(receiver_id).Num(channel_id);
            c.Shown(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(data)),
                    ShowBytes(data, length, QXNC_MAX_DATA));
            c.Num(length).Num(priority).Num(reliable);
            if (data && length <= QXNC_MAX_DATA) c.Data(data, length);
            Conference* conference = nullptr;
            if (m_redis && m_redis->IsApe(ape_handle))
                c.Note(m_redis->SendOptionOf(ape_handle), "option");
            else if (Ape* ape = MyApe(ape_handle, &conference))
                c.Note(ape->sendOption, "option");
        },
        [&] { return DoSendData(ape_handle, receiver_id, channel_id, data, length, priority); });
}

int Controller::DoSendData(DWORD apeHandle, DWORD receiverId, DWORD channelId, const BYTE* data, DWORD length,
                           DWORD priority) {
    if (m_redis) return m_redis->SendData(apeHandle, receiverId, channelId, data, length, priority);
    Conference* conference = nullptr;
    Ape* from = MyApe(apeHandle, &conference);
    if (!from || !data || length == 0 || length > QXNC_MAX_DATA) return ARM_ERROR_INVALID_PARAMETER;
    Ape* to = conference->FindUser(receiverId);
    if (!to) return ARM_ERROR_INVALID_PARAMETER;
    from->sendOption = 0; // it served this send
    conference->SendData(*from, *to, channelId, priority, std::make_shared<const Bytes>(data, data + length));
    return ARM_OK;
}

int __stdcall Controller::DetachApe(DWORD ape_handle) {
    return Run(
        QXNC_OP_DETACH_APE, "DetachApe", [&](CallRecord& c) { c.Num(ape_handle); },
        [&]() -> int {
            if (m_redis) return m_redis->DetachApe(ape_handle);
            Conference* conference = nullptr;
            if (!MyApe(ape_handle, &conference)) return ARM_ERROR_INVALID_PARAMETER;
            conference->DetachApe(ape_handle, 0);
            return ARM_OK;
        });
}

int __stdcall Controller::SetSharedDataSink(DWORD ape_handle, IArmSharedDataSink* sink) {
    return Run(
        QXNC_OP_SET_SHARED_DATA_SINK, "SetSharedDataSink",
        [&](CallRecord& c) { c.Num(ape_handle).Ptr(sink); },
        [&]() -> int {
            if (m_redis) return m_redis->SetSharedDataSink(ape_handle, sink);
            Conference* conference = nullptr;
            Ape* ape = MyApe(ape_handle, &conference);
            if (!ape) return ARM_ERROR_INVALID_PARAMETER;
            ape->dataSink = sink;
            return ARM_OK;
        });
}

int __stdcall Controller::AllocNameHandles(DWORD ape_handle, DWORD count, const QxCacheName* table,
                                           IArmNameSink* sink) {
    return Run(
        QXNC_OP_ALLOC_NAME_HANDLES, "AllocNameHandles",
        [&](CallRecord& c) {
            c.Num(ape_handle).Num(count);
            c.Shown(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(table)), ShowNames(count, table));
            c.Ptr(sink);
            if (table && count <= QXNC_MAX_NAMES) c.Data(table, count * sizeof(QxCacheName));
        },
        [&] { return DoAllocNames(ape_handle, count, table, sink); });
}

int Controller::DoAllocNames(DWORD apeHandle, DWORD count, const QxCacheName* table, IArmNameSink* sink) {
    if (m_redis) {
        if (!table || !sink || count == 0 || count > QXNC_MAX_NAMES) return ARM_ERROR_INVALID_PARAMETER;
        return m_redis->AllocNames(apeHandle, std::vector<QxCacheName>(table, table + count), sink);
    }
    Conference* conference = nullptr;
    Ape* ape = MyApe(apeHandle, &conference);
    if (!ape || !table || !sink || count == 0 || count > QXNC_MAX_NAMES) return ARM_ERROR_INVALID_PARAMETER;
    std::vector<QxCacheName> copy(table, table + count);
    for (QxCacheName& entry : copy)
        entry.handle = 0;
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_NAMES, &failure)) {
        auto answer = std::make_shared<const std::vector<QxCacheName>>(std::move(copy));
        m_outbox->Post(apeHandle,
                       [=] { sink->AllocNameHandleConfirm(apeHandle, count, answer->data(), failure, 0); });
        return ARM_OK;
    }
    conference->AllocNames(*ape, sink, std::move(copy));
    return ARM_OK;
}

int __stdcall Controller::CacheSet(DWORD ape_handle, DWORD cache_handle, DWORD reserved1, DWORD reserved2,
                                   DWORD cache_action, DWORD send_option, QXMEMHANDLE mem, DWORD lifetime,
                                   DWORD notify) {
    return Run(
        QXNC_OP_CACHE_SET, "CacheSet",
        [&](CallRecord& c) {
            c.Num(ape_handle)
                .Num(cache_handle)
                .Num(reserved1)
                .Num(reserved2)
                .Num(cache_action)
                .Num(send_option);
            Bytes bytes;
            bool readable = ReadBlock(mem, &bytes);
            c.Shown(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(mem)),
                    readable ? "block(" + Sized(bytes.size()) + ")" : "bad block");
            c.Num(lifetime).Num(notify);
            if (readable) c.Data(bytes.data(), bytes.size());
        },
        [&] { return DoCacheSet(ape_handle, cache_handle, cache_action, send_option, mem); });
}

int Controller::DoCacheSet(DWORD apeHandle, DWORD cacheHandle, DWORD action, DWORD sendOption,
                           QXMEMHANDLE mem) {
    if (m_redis) {
        Bytes bytes;
        if (!ReadBlock(mem, &bytes)) return ARM_ERROR_INVALID_PARAMETER;
        return m_redis->CacheSet(apeHandle, cacheHandle, action, sendOption, std::move(bytes));
    }
    Conference* conference = nullptr;
    Ape* ape = MyApe(apeHandle, &conference);
    Cache* cache = ape ? conference->FindCache(cacheHandle) : nullptr;
    if (!cache || action > QXNC_CACHE_APPEND) return ARM_ERROR_INVALID_PARAMETER;
    auto bytes = std::make_shared<Bytes>();
    if (!ReadBlock(mem, bytes.get())) return ARM_ERROR_INVALID_PARAMETER;
    if (action == QXNC_CACHE_APPEND && cache->Full()) return ARM_ERROR_INVALID_STATE;
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_CACHE_SET, &failure)) {
        IArmApeSink* sink = ape->sink;
        DWORD items = static_cast<DWORD>(cache->Count());
        m_outbox->Post(apeHandle, [=] {
            sink->ApeCacheActionConfirmEx(apeHandle, cacheHandle, action, 0, items, failure);
        });
        return ARM_OK;
    }
    conference->WriteCache(*ape, cacheHandle, action, std::move(bytes), sendOption);
    return ARM_OK;
}

int __stdcall Controller::CacheAction(DWORD ape_handle, DWORD cache_handle, DWORD first_item, DWORD action,
                                      DWORD priority, IArmSharedDataSink* sink) {
    return Run(
        QXNC_OP_CACHE_ACTION, "CacheAction",
        [&](CallRecord& c) {
            c.Num(ape_handle).Num(cache_handle).Num(first_item).Num(action).Num(priority).Ptr(sink);
        },
        [&] { return DoCacheAction(ape_handle, cache_handle, first_item, action, sink); });
}

int Controller::DoCacheAction(DWORD apeHandle, DWORD cacheHandle, DWORD firstItem, DWORD action,
                              IArmSharedDataSink* sink) {
    if (m_redis) return m_redis->CacheAction(apeHandle, cacheHandle, firstItem, action, sink);
    Conference* conference = nullptr;
    Ape* ape = MyApe(apeHandle, &conference);
    Cache* cache = ape ? conference->FindCache(cacheHandle) : nullptr;
    if (!cache || action < QXNC_CACHE_READ || action > QXNC_CACHE_UNSUBSCRIBE)
        return ARM_ERROR_INVALID_PARAMETER;
    IArmSharedDataSink* target = sink ? sink : ape->dataSink;
    if (!target && action != QXNC_CACHE_UNSUBSCRIBE) return ARM_ERROR_INVALID_PARAMETER;
    conference->CacheAction(*ape, cacheHandle, action, firstItem, target);
    return ARM_OK;
}

} // namespace qxnc
