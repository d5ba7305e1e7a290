#include "participants/LockedPtrArray.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "trace/Trace.h"

CLockedPtrArray::~CLockedPtrArray() {
    delete[] m_ppData;
}

BOOL CLockedPtrArray::GrowIfFull() {
    if (m_nCount < m_nCapacity) return TRUE;
    return GrowTo(m_nCapacity + GROW_BY);
}

BOOL CLockedPtrArray::GrowTo(int nNewCapacity) {
    void** ppNew = new (std::nothrow) void*[nNewCapacity];
    if (!ppNew) {
        Trace(L"Fail: CLockedPtrArray::Grow: no memory for %d pointers", nNewCapacity);
        return FALSE;
    }
    if (m_nCount) std::memcpy(ppNew, m_ppData, m_nCount * sizeof(void*));
    delete[] m_ppData;
    m_ppData = ppNew;
    m_nCapacity = nNewCapacity;
    return TRUE;
}

int CLockedPtrArray::Add(void* p, BOOL bNoDuplicate) {
    CAutoLock lock(m_lock);
    if (bNoDuplicate) {
        for (int i = 0; i < m_nCount; ++i)
            if (m_ppData[i] == p) return -1;
    }
    if (!GrowIfFull()) return -1;
    m_ppData[m_nCount] = p;
    return m_nCount++;
}

BOOL CLockedPtrArray::InsertAt(int nIndex, void* p) {
    CAutoLock lock(m_lock);
    if (nIndex < 0 || nIndex > m_nCount || !GrowIfFull()) return FALSE;
    std::memmove(m_ppData + nIndex + 1, m_ppData + nIndex, (m_nCount - nIndex) * sizeof(void*));
    m_ppData[nIndex] = p;
    ++m_nCount;
    return TRUE;
}

BOOL CLockedPtrArray::RemoveAt(int nIndex) {
    CAutoLock lock(m_lock);
    if (nIndex < 0 || nIndex >= m_nCount) return FALSE;
    std::memmove(m_ppData + nIndex, m_ppData + nIndex + 1, (m_nCount - nIndex - 1) * sizeof(void*));
    --m_nCount;
    return TRUE;
}

BOOL CLockedPtrArray::Remove(const void* p) {
    // The critical section is recursive, so Find and RemoveAt run under the same hold.
    CAutoLock lock(m_lock);
    return RemoveAt(Find(p));
}

void* CLockedPtrArray::GetAt(int nIndex) const {
    CAutoLock lock(m_lock);
    return nIndex >= 0 && nIndex < m_nCount ? m_ppData[nIndex] : nullptr;
}

int CLockedPtrArray::Find(const void* p) const {
    CAutoLock lock(m_lock);
    for (int i = 0; i < m_nCount; ++i)
        if (m_ppData[i] == p) return i;
    return -1;
}

int CLockedPtrArray::GetCount() const {
    CAutoLock lock(m_lock);
    return m_nCount;
}

BOOL CLockedPtrArray::Reserve(int nCount) {
    CAutoLock lock(m_lock);
    if (nCount <= m_nCapacity) return TRUE;
    if (nCount > INT_MAX - GROW_BY) return FALSE;
    return GrowTo((nCount + GROW_BY - 1) / GROW_BY * GROW_BY);
}

int CLockedPtrArray::GetCapacity() const {
    CAutoLock lock(m_lock);
    return m_nCapacity;
}

void CLockedPtrArray::RemoveAll() {
    CAutoLock lock(m_lock);
    delete[] m_ppData;
    m_ppData = nullptr;
    m_nCount = m_nCapacity = 0;
}

BOOL CLockedPtrArray::Copy(const CLockedPtrArray& src) {
    if (&src == this) return TRUE;
    std::vector<void*> snapshot;
    {
        CAutoLock lock(src.m_lock);
        snapshot.assign(src.m_ppData, src.m_ppData + src.m_nCount);
    }
    return Replace(snapshot.data(), static_cast<int>(snapshot.size()), L"Copy");
}

BOOL CLockedPtrArray::Assign(void* const* ppData, int nCount) {
    return Replace(ppData, nCount, L"Assign");
}

BOOL CLockedPtrArray::Replace(void* const* ppData, int nCount, const wchar_t* lpszOp) {
    if (nCount < 0 || nCount > INT_MAX - GROW_BY) return FALSE;
    const int nCapacity = (nCount + GROW_BY - 1) / GROW_BY * GROW_BY;
    void** ppNew = nullptr;
    if (nCapacity) {
        ppNew = new (std::nothrow) void*[nCapacity];
        if (!ppNew) {
            Trace(L"Fail: CLockedPtrArray::%s: no memory for %d pointers", lpszOp, nCapacity);
            return FALSE;
        }
        std::memcpy(ppNew, ppData, static_cast<size_t>(nCount) * sizeof(void*));
    }
    CAutoLock lock(m_lock);
    delete[] m_ppData;
    m_ppData = ppNew;
    m_nCount = nCount;
    m_nCapacity = nCapacity;
    return TRUE;
}
