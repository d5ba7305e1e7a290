// A sampling profiler for the benchmarks (x86_64 builds): a thread that stops the measured
// thread every millisecond and records where it was, or, when it was in a system DLL, the call
// of the executable that led there. At the end the samples go to a file: "count offset" lines
// ("count offset calling" for calls out), which scripts/profile-symbols.sh turns into function
// names, and "count module:path" lines for the rest. Started only when QX_PROFILE names that
// file.
#pragma once

#include <windows.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>

class SamplingProfiler {
public:
    SamplingProfiler() {
#ifdef _WIN64
        const char* path = std::getenv("QX_PROFILE");
        if (!path || !*path) return;
        m_path = path;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &m_target, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        m_module = reinterpret_cast<DWORD64>(GetModuleHandleW(nullptr));
        m_moduleEnd = m_module + ModuleSize();
        m_thread = std::thread([this] { Run(); });
#endif
    }
    ~SamplingProfiler() {
        if (!m_thread.joinable()) return;
        m_stop = true;
        m_thread.join();
        CloseHandle(m_target);
        // Samples in the executable by address; the others by the module they fell in.
        std::map<DWORD64, int> counts;
        std::map<std::string, int> modules;
        for (size_t i = 0; i < m_samples; ++i) {
            if (Inside(m_pcs[i] & ~kOutsideBit)) {
                ++counts[m_pcs[i]];
                continue;
            }
            HMODULE hModule = nullptr;
            char name[MAX_PATH] = "?";
            if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCSTR>(m_pcs[i]), &hModule))
                GetModuleFileNameA(hModule, name, MAX_PATH);
            ++modules[name];
        }
        if (FILE* f = std::fopen(m_path, "w")) {
            for (const auto& [address, count] : counts)
                std::fprintf(f, "%d %llx%s\n", count,
                             static_cast<unsigned long long>((address & ~kOutsideBit) - m_module),
                             address & kOutsideBit ? " calling" : "");
            for (const auto& [name, count] : modules)
                std::fprintf(f, "%d module:%s\n", count, name.c_str());
            std::fclose(f);
        }
    }

private:
#ifdef _WIN64
    DWORD64 ModuleSize() const {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(m_module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(m_module + dos->e_lfanew);
        return nt->OptionalHeader.SizeOfImage;
    }
    bool Inside(DWORD64 pc) const {
        return pc >= m_module && pc < m_moduleEnd;
    }

    // Outside the executable, the nearest word on the stack that points into it: most often the
    // return address of the call that left it (a heuristic; an old value can stand in for it).
    DWORD64 OwnFrame(const CONTEXT& ctx) const {
        if (Inside(ctx.Rip)) return ctx.Rip;
        const auto* stack = reinterpret_cast<const DWORD64*>(ctx.Rsp);
        for (int i = 0; i < kStackWords; ++i)
            if (Inside(stack[i])) return stack[i] | kOutsideBit;
        return ctx.Rip;
    }

    void Run() {
        // Nothing here may take a lock while the target is stopped (it may hold it): the sample
        // goes into a fixed array, and is sorted out after the run.
        while (!m_stop && m_samples < kMaxSamples) {
            Sleep(1);
            if (SuspendThread(m_target) == static_cast<DWORD>(-1)) continue;
            CONTEXT ctx = {};
            ctx.ContextFlags = CONTEXT_CONTROL;
            if (GetThreadContext(m_target, &ctx)) m_pcs[m_samples++] = OwnFrame(ctx);
            ResumeThread(m_target);
        }
    }
#endif

    const char* m_path = nullptr;
    HANDLE m_target = nullptr;
    DWORD64 m_module = 0, m_moduleEnd = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    static constexpr size_t kMaxSamples = 1 << 20;
    static constexpr int kStackWords = 512;
    static constexpr DWORD64 kOutsideBit = 1ull << 63; // the sample was in a call out of the executable
    std::unique_ptr<DWORD64[]> m_pcs{new DWORD64[kMaxSamples]};
    size_t m_samples = 0;
};
