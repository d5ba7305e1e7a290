// The live blocks, by handle. A handle is a serial number, not an address: a retired handle
// never names a later block, and a forged one is only looked up, never followed.
#include "qxmem.h"
#include "qxmem_test.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Block {
    std::unique_ptr<unsigned char[]> bytes;
    DWORD size = 0;
    DWORD refs = 1;
};

class BlockTable {
public:
    int Alloc(DWORD size, QXMEMHANDLE* out);
    int Write(QXMEMHANDLE h, DWORD offset, const void* data, DWORD* size);
    int GetSize(QXMEMHANDLE h, DWORD* size);
    int Read(QXMEMHANDLE h, DWORD offset, void* buffer, DWORD* size);
    int AddRef(QXMEMHANDLE h);
    int Release(QXMEMHANDLE h);
    DWORD LiveBlocks();

private:
    // Finds the block of a handle; the lock must be held.
    int Find(QXMEMHANDLE h, Block** block);
    uintptr_t NextSerial();

    std::mutex m_lock;
    std::unordered_map<uintptr_t, Block> m_blocks;
    uintptr_t m_lastSerial = 0;
};

bool InRange(const Block& block, DWORD offset, DWORD size) {
    return offset <= block.size && size <= block.size - offset; // no overflow of offset + size
}

int BlockTable::Find(QXMEMHANDLE h, Block** block) {
    if (!h) return QXMEM_E_NULL_HANDLE;
    auto it = m_blocks.find(reinterpret_cast<uintptr_t>(h));
    if (it == m_blocks.end()) return QXMEM_E_BAD_HANDLE;
    *block = &it->second;
    return QXMEM_OK;
}

uintptr_t BlockTable::NextSerial() {
    do {
        ++m_lastSerial;
    } while (m_lastSerial == 0 || m_blocks.count(m_lastSerial) != 0);
    return m_lastSerial;
}

int BlockTable::Alloc(DWORD size, QXMEMHANDLE* out) {
    if (!out) return QXMEM_E_NULL_POINTER;
    *out = nullptr;
    Block block;
    block.bytes.reset(new (std::nothrow) unsigned char[size == 0 ? 1 : size]());
    if (!block.bytes) return QXMEM_E_NO_MEMORY;
    block.size = size;
    std::lock_guard<std::mutex> guard(m_lock);
    try {
        uintptr_t serial = NextSerial();
        m_blocks.emplace(serial, std::move(block));
        *out = reinterpret_cast<QXMEMHANDLE>(serial);
    } catch (const std::bad_alloc&) {
        return QXMEM_E_NO_MEMORY;
    }
    return QXMEM_OK;
}

int BlockTable::Write(QXMEMHANDLE h, DWORD offset, const void* data, DWORD* size) {
    std::lock_guard<std::mutex> guard(m_lock);
    Block* block = nullptr;
    if (int rc = Find(h, &block)) return rc;
    if (!size || (!data && *size != 0)) return QXMEM_E_NULL_POINTER;
    if (!InRange(*block, offset, *size)) {
        *size = 0;
        return QXMEM_E_OUT_OF_RANGE;
    }
    if (*size != 0) std::memcpy(block->bytes.get() + offset, data, *size);
    return QXMEM_OK;
}

int BlockTable::GetSize(QXMEMHANDLE h, DWORD* size) {
    std::lock_guard<std::mutex> guard(m_lock);
    Block* block = nullptr;
    if (int rc = Find(h, &block)) return rc;
    if (!size) return QXMEM_E_NULL_POINTER;
    *size = block->size;
    return QXMEM_OK;
}

int BlockTable::Read(QXMEMHANDLE h, DWORD offset, void* buffer, DWORD* size) {
    std::lock_guard<std::mutex> guard(m_lock);
    Block* block = nullptr;
    if (int rc = Find(h, &block)) return rc;
    if (!size || (!buffer && *size != 0)) return QXMEM_E_NULL_POINTER;
    if (!InRange(*block, offset, *size)) {
        *size = 0;
        return QXMEM_E_OUT_OF_RANGE;
    }
    if (*size != 0) std::memcpy(buffer, block->bytes.get() + offset, *size);
    return QXMEM_OK;
}

int BlockTable::AddRef(QXMEMHANDLE h) {
    std::lock_guard<std::mutex> guard(m_lock);
    Block* block = nullptr;
    if (int rc = Find(h, &block)) return rc;
    if (block->refs == MAXDWORD) return QXMEM_E_TOO_MANY_REFS;
    ++block->refs;
    return QXMEM_OK;
}

int BlockTable::Release(QXMEMHANDLE h) {
    std::lock_guard<std::mutex> guard(m_lock);
    Block* block = nullptr;
    if (int rc = Find(h, &block)) return rc;
    if (--block->refs == 0) m_blocks.erase(reinterpret_cast<uintptr_t>(h));
    return QXMEM_OK;
}

DWORD BlockTable::LiveBlocks() {
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<DWORD>(m_blocks.size());
}

BlockTable g_table;
std::atomic<DWORD> g_dwScriptedFailures{0};

// Takes one scripted failure, if any is left.
bool TakeScriptedFailure() {
    DWORD n = g_dwScriptedFailures.load();
    while (n != 0 && !g_dwScriptedFailures.compare_exchange_weak(n, n - 1)) {
    }
    return n != 0;
}

} // namespace

extern "C" int __stdcall QxMemoryAlloc(DWORD dwSize, QXMEMHANDLE* pOut) {
    if (pOut && TakeScriptedFailure()) {
        *pOut = nullptr;
        return QXMEM_E_NO_MEMORY;
    }
    return g_table.Alloc(dwSize, pOut);
}

extern "C" int __stdcall QxMemoryWrite(QXMEMHANDLE hMem, DWORD dwOffset, const void* pData, DWORD* pdwSize) {
    return g_table.Write(hMem, dwOffset, pData, pdwSize);
}

extern "C" int __stdcall QxMemoryGetSize(QXMEMHANDLE hMem, DWORD* pdwSize) {
    return g_table.GetSize(hMem, pdwSize);
}

extern "C" int __stdcall QxMemoryRead(QXMEMHANDLE hMem, DWORD dwOffset, void* pBuffer, DWORD* pdwSize) {
    return g_table.Read(hMem, dwOffset, pBuffer, pdwSize);
}

extern "C" int __stdcall QxMemoryAddRef(QXMEMHANDLE hMem) {
    return g_table.AddRef(hMem);
}

extern "C" int __stdcall QxMemoryRelease(QXMEMHANDLE hMem) {
    return g_table.Release(hMem);
}

extern "C" DWORD __stdcall QxMemoryLiveBlocks(void) {
    return g_table.LiveBlocks();
}

extern "C" DWORD __stdcall QxMemoryScriptFailures(DWORD dwCount) {
    return g_dwScriptedFailures.exchange(dwCount);
}
