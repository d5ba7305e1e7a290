// The entry points: a new controller on the network of a server address or a conference id.
#include "Controller.h"

#include <cstring>

namespace qxnc {
namespace {

int Obtain(DWORD op, CallRecord& call, const std::string* network, IArmNodeController** out,
           const RedisAddress* server = nullptr) {
    if (out) *out = nullptr;
    int result = 0;
    if (!Script::Get().TakeResult(op, &result)) {
        if (!network || !out) {
            result = ARM_ERROR_INVALID_PARAMETER;
        } else if (Controller* controller = Controller::Create(*network, server)) {
            *out = controller;
            call.SetController(controller->Serial());
        } else {
            result = ARM_ERROR_INVALID_STATE;
        }
    }
    return call.Finish(result);
}

} // namespace
} // namespace qxnc

using namespace qxnc;

extern "C" int __stdcall QxGetArmNodeController(const char* utf8ServerAddress,
                                                IArmNodeController** controller) {
    try {
        std::lock_guard<std::mutex> guard(Hub::Get().Lock());
        CallRecord call(0, QXNC_OP_GET_CONTROLLER, "QxGetArmNodeController");
        // An address without its terminating NUL in the first 4 KiB is not taken.
        size_t length = utf8ServerAddress ? strnlen(utf8ServerAddress, 4096) : 4096;
        const std::string address = length < 4096 ? std::string(utf8ServerAddress, length) : "";
        // The log never holds a server's password.
        const std::string shown = MaskedAddress(address);
        call.Shown(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(utf8ServerAddress)),
                   utf8ServerAddress ? Quoted(shown.c_str()) : "null")
            .Ptr(controller);
        if (length < 4096) call.Data(shown.data(), shown.size());
        RedisAddress server;
        if (length < 4096 && address.compare(0, 8, "redis://") == 0) {
            if (!ParseRedisAddress(address, &server)) return call.Finish(ARM_ERROR_INVALID_PARAMETER);
            return Obtain(QXNC_OP_GET_CONTROLLER, call, &address, controller, &server);
        }
        std::string network = length < 4096 ? "address:" + address : "";
        return Obtain(QXNC_OP_GET_CONTROLLER, call, length < 4096 ? &network : nullptr, controller);
    } catch (...) {
        return ARM_ERROR_INVALID_STATE;
    }
}

extern "C" int __stdcall QxGetArmNodeControllerEx(int reserved, IArmNodeController** controller,
                                                  DWORD confId) {
    try {
        std::lock_guard<std::mutex> guard(Hub::Get().Lock());
        CallRecord call(0, QXNC_OP_GET_CONTROLLER_EX, "QxGetArmNodeControllerEx");
        call.Signed(reserved).Ptr(controller).Num(confId);
        std::string network = "conference:" + std::to_string(confId);
        return Obtain(QXNC_OP_GET_CONTROLLER_EX, call, &network, controller);
    } catch (...) {
        return ARM_ERROR_INVALID_STATE;
    }
}
