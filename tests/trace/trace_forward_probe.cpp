// Child process of trace_forward_test, so that the test can run it with and without tlmtrace.dll
// beside it.
//   no argument: traces through the forwarding back end and exits with the result.
//   "module": loads, unloads and loads again a module that traces from its entry point, then
//   exits with it still loaded; exit code 0, or 3 when the library outlived the module's unload.
#include "Trace.h"

#include <windows.h>
#include <cstring>

namespace {

int TraceTwice() {
    int first = Trace(L"probe %s %d", L"\x00e9t\x00e9", 42);
    // Nothing else may depend on the library: the re-check, unbinding and binding again.
    TraceCheckEnable(0);
    TraceUnbind();
    TraceBind();
    int second = Trace(L"probe %s %d", L"\x00e9t\x00e9", 42);
    return first == second ? first : -1000;
}

int LoadModuleTwice() {
    TraceUnbind(); // this executable's own binding would keep the library loaded
    HMODULE h = LoadLibraryW(L"trace_forward_module.dll");
    if (!h) return 2;
    FreeLibrary(h);
    if (GetModuleHandleW(L"tlmtrace.dll")) return 3;
    // Left loaded: detached at process exit, when the loader may detach tlmtrace.dll first.
    return LoadLibraryW(L"trace_forward_module.dll") ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    return argc > 1 && std::strcmp(argv[1], "module") == 0 ? LoadModuleTwice() : TraceTwice();
}
