// A growable array of untyped pointers guarded by its own critical section. Every operation
// holds the lock for its whole duration, so each one is atomic on its own; a sequence of
// operations (find, then use) is not protected beyond that. The array never owns its pointees.
#pragma once

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { EnterCriticalSection(&m_cs); }
    void Unlock() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

// Holds a CCriticalSection for the lifetime of a scope.
class CAutoLock {
public:
    explicit CAutoLock(CCriticalSection& cs) : m_cs(cs) { m_cs.Lock(); }
    ~CAutoLock() { m_cs.Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCriticalSection& m_cs;
};

class CLockedPtrArray {
public:
    enum { GROW_BY = 16 };

    CLockedPtrArray() = default;
    ~CLockedPtrArray();
    CLockedPtrArray(const CLockedPtrArray&) = delete;
    CLockedPtrArray& operator=(const CLockedPtrArray&) = delete;

    // Appends p; with bNoDuplicate a pointer already present is refused. Returns the new
    // element's index, or -1 when refused or out of memory.
    int Add(void* p, BOOL bNoDuplicate = FALSE);
    // nIndex from 0 to the count; later elements move up. FALSE outside that range.
    BOOL InsertAt(int nIndex, void* p);
    // Removes the first occurrence of p.
    BOOL Remove(const void* p);
    BOOL RemoveAt(int nIndex);
    // Null outside 0 .. count-1.
    void* GetAt(int nIndex) const;
    // Index of the first occurrence of p, -1 when absent.
    int Find(const void* p) const;
    int GetCount() const;
    // Slots allocated (a multiple of GROW_BY).
    int GetCapacity() const;
    // Makes room for at least nCount elements in one allocation (still a multiple of GROW_BY),
    // so that a known run of additions does not copy the array every GROW_BY of them. Never
    // shrinks. FALSE when out of memory.
    BOOL Reserve(int nCount);
    // Calls f(elements, count) under one hold of the lock: a search over many elements then
    // pays for the lock once instead of once per element. f must not change the array.
    template <class F> decltype(auto) ReadLocked(F f) const {
        CAutoLock lock(m_lock);
        return f(static_cast<void* const*>(m_ppData), m_nCount);
    }
    // Empties the array and frees its storage; the pointees are left alone.
    void RemoveAll();
    // Replaces the contents with a snapshot of src. The two locks are never held together,
    // so copies running in opposite directions on two threads cannot deadlock.
    BOOL Copy(const CLockedPtrArray& src);
    // Replaces the contents with the nCount pointers at ppData in one allocation. FALSE (the
    // contents unchanged) when out of memory.
    BOOL Assign(void* const* ppData, int nCount);

private:
    BOOL GrowIfFull();             // lock held by the caller
    BOOL GrowTo(int nNewCapacity); // lock held by the caller
    // Copy and Assign; lpszOp names the operation in the failure's trace line.
    BOOL Replace(void* const* ppData, int nCount, const wchar_t* lpszOp);

    mutable CCriticalSection m_lock;
    void** m_ppData = nullptr;
    int m_nCount = 0;
    int m_nCapacity = 0;
};

// Typed view of the array for the module's lists; the storage stays untyped.
template <class T> class CLockedPtrArrayT : public CLockedPtrArray {
public:
    int Add(T* p, BOOL bNoDuplicate = FALSE) { return CLockedPtrArray::Add(p, bNoDuplicate); }
    BOOL InsertAt(int nIndex, T* p) { return CLockedPtrArray::InsertAt(nIndex, p); }
    BOOL Assign(T* const* pp, int nCount) {
        return CLockedPtrArray::Assign(reinterpret_cast<void* const*>(pp), nCount);
    }
    T* GetAt(int nIndex) const { return static_cast<T*>(CLockedPtrArray::GetAt(nIndex)); }
    // f(T* const* elements, int count) under one hold of the lock.
    template <class F> decltype(auto) ReadLocked(F f) const {
        return CLockedPtrArray::ReadLocked(
            [&f](void* const* ppData, int nCount) { return f(reinterpret_cast<T* const*>(ppData), nCount); });
    }

    // For arrays that own their elements: deletes them from last to first, then empties the
    // array.
    void DeleteAll() {
        for (int i = GetCount() - 1; i >= 0; --i) {
            delete GetAt(i);
            RemoveAt(i);
        }
        RemoveAll();
    }
};
