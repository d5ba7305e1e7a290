// The test-control object and its entry point.
#include "Controller.h"

namespace qxnc {
namespace {

// Turns a given roster change into the conference's own form; false for what no controller
// could hand on (entries the record does not have, data longer than any the controller takes).
bool CopyRoster(WORD count, const QxRosterRecord* list, std::vector<RecordSpec>* out) {
    for (DWORD r = 0; list && r < count; ++r) {
        const QxRosterRecord& in = list[r];
        if (in.entry_count && !in.entries) return false;
        RecordSpec rec;
        rec.confHandle = in.conf_handle;
        rec.chatRoomId = in.chat_room_id;
        rec.version = in.version;
        for (WORD e = 0; e < in.entry_count; ++e) {
            const QxEnrollEntry& entry = in.entries[e];
            if (entry.user_data_length > static_cast<int>(QXNC_MAX_DATA)) return false;
            EntrySpec copy;
            copy.nodeId = entry.node_id;
            copy.userId = entry.user_id;
            copy.hasData = entry.user_data != nullptr;
            copy.length = entry.user_data_length;
            if (copy.hasData && copy.length > 0)
                copy.data.assign(entry.user_data, entry.user_data + copy.length);
            rec.entries.push_back(std::move(copy));
        }
        out->push_back(std::move(rec));
    }
    return true;
}

class TestControl final : public IQxNodeControlTest {
public:
    void __stdcall Reset() override {
        Locked([] {
            Script::Get().Clear();
            CallLog::Get().Clear();
            return 0;
        });
    }
    void __stdcall ScriptResult(DWORD op, int result, DWORD times) override {
        Locked([&] {
            if (op != QXNC_OP_RELEASE) Script::Get().SetResult(op, result, times);
            return 0;
        });
    }
    void __stdcall ScriptConfirm(DWORD confirm, short result, DWORD times) override {
        Locked([&] {
            Script::Get().SetConfirm(confirm, result, times);
            return 0;
        });
    }
    void __stdcall ScriptEnrollWithoutResources(DWORD times) override {
        Locked([&] {
            Script::Get().SetEnrollWithoutResources(times);
            return 0;
        });
    }
    DWORD __stdcall CallCount() override {
        return static_cast<DWORD>(Locked([] { return static_cast<int>(CallLog::Get().Count()); }));
    }
    int __stdcall GetCall(DWORD index, QxNcCall* call) override {
        if (!call) return 0;
        return Locked([&] { return CallLog::Get().Copy(index, call) ? 1 : 0; });
    }
    void __stdcall ClearCalls() override {
        Locked([] {
            CallLog::Get().Clear();
            return 0;
        });
    }
    DWORD __stdcall ControllerSerial(const IArmNodeController* controller) override {
        return static_cast<DWORD>(Locked([&] {
            for (Controller* live : Controller::Live())
                if (live == controller) return static_cast<int>(live->Serial());
            return 0;
        }));
    }
    DWORD __stdcall PendingCallbacks() override {
        return static_cast<DWORD>(Locked([] {
            // The server's side first: a reader posts what it read before it counts as caught
            // up, so a callback it posts while the outboxes are counted is counted there.
            // Counted the other way round, one posted in between would be missed.
            DWORD pending = RedisLink::ProcessPending();
            for (Controller* live : Controller::Live())
                pending += live->Pending();
            return static_cast<int>(pending);
        }));
    }
    int __stdcall DetachApe(DWORD ape_handle) override {
        return Locked([&] {
            Conference* conference = nullptr;
            if (!Hub::Get().FindApe(ape_handle, &conference)) return ARM_ERROR_INVALID_PARAMETER;
            conference->DetachApe(ape_handle, QXNC_DETACH_BY_SERVER);
            return ARM_OK;
        });
    }
    int __stdcall InjectRosterChange(DWORD ape_handle, WORD add_num, WORD remove_num, WORD change_num,
                                     const QxRosterRecord* list) override {
        return Locked([&] {
            Conference* conference = nullptr;
            Ape* ape = Hub::Get().FindApe(ape_handle, &conference);
            std::vector<RecordSpec> records;
            WORD count = static_cast<WORD>(add_num + remove_num + change_num);
            if (!ape || add_num + remove_num + change_num > 0xFFFF || !CopyRoster(count, list, &records))
                return ARM_ERROR_INVALID_PARAMETER;
            conference->DeliverRoster(*ape,
                                      std::make_shared<RosterChange>(add_num, remove_num, change_num,
                                                                     std::move(records), list == nullptr));
            return ARM_OK;
        });
    }

private:
    template <class Body> static int Locked(Body body) {
        try {
            std::lock_guard<std::mutex> guard(Hub::Get().Lock());
            return body();
        } catch (...) {
            return ARM_ERROR_INVALID_STATE;
        }
    }
};

} // namespace
} // namespace qxnc

extern "C" int __stdcall QxGetNodeControlTest(IQxNodeControlTest** control) {
    static qxnc::TestControl instance;
    if (!control) return ARM_ERROR_INVALID_PARAMETER;
    *control = &instance;
    return ARM_OK;
}
