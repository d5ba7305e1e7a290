// A shared memory block holding a copy of some bytes, released when the object goes: the writer
// of a cache item releases its block right after the write.
#pragma once

#include "qxmem.h"

class CMemoryBlock {
public:
    // Null handle when the block cannot be made or filled.
    CMemoryBlock(const void* pData, DWORD dwSize) {
        if (QxMemoryAlloc(dwSize, &m_hMem) != QXMEM_OK) {
            m_hMem = nullptr;
            return;
        }
        DWORD dwCopied = dwSize;
        if (dwSize && QxMemoryWrite(m_hMem, 0, pData, &dwCopied) != QXMEM_OK) Release();
    }
    // Takes over a block already allocated.
    explicit CMemoryBlock(QXMEMHANDLE hMem) : m_hMem(hMem) {}
    ~CMemoryBlock() { Release(); }
    CMemoryBlock(const CMemoryBlock&) = delete;
    CMemoryBlock& operator=(const CMemoryBlock&) = delete;

    QXMEMHANDLE Get() const { return m_hMem; }
    void Release() {
        if (m_hMem) QxMemoryRelease(m_hMem);
        m_hMem = nullptr;
    }

private:
    QXMEMHANDLE m_hMem = nullptr;
};
