#include "module/ModuleState.h"

#include "qxchat.h"

#include <vector>

namespace {

HMODULE g_hResModule = nullptr;
int g_nResourceUsers = 0; // instances alive, each holding a reference on the library

// Registered at static initialisation, before the entry point's attach handling runs.
const UINT g_uServiceNotifyMsg = RegisterWindowMessageW(QXCHAT_SERVICE_NOTIFY_MSG_NAME);

} // namespace

HMODULE QxThisModule() {
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&QxThisModule), &hModule);
    return hModule;
}

std::wstring QxModuleFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(QxThisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) break;
        path.resize(path.size() * 2);
    }
    std::wstring folder(path.data());
    size_t slash = folder.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

HMODULE QxResourceModule() {
    return g_hResModule ? g_hResModule : QxThisModule();
}

void QxSetResourceModule(HMODULE hModule) {
    g_hResModule = hModule;
}

void QxAddResourceUser() {
    ++g_nResourceUsers;
}

bool QxReleaseResourceUser() {
    if (g_nResourceUsers > 0) --g_nResourceUsers;
    if (g_nResourceUsers > 0) return false;
    g_hResModule = nullptr;
    return true;
}

bool QxHasResourceLibrary() {
    return g_hResModule && g_hResModule != QxThisModule();
}

std::wstring QxLoadString(UINT id, int maxLen) {
    std::vector<wchar_t> buffer(static_cast<size_t>(maxLen) + 1);
    int n = LoadStringW(QxResourceModule(), id, buffer.data(), maxLen + 1);
    return std::wstring(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

UINT QxServiceNotifyMessage() {
    return g_uServiceNotifyMsg;
}
