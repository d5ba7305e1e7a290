// A lock on the system's slim reader/writer lock. A thread that waits for it (readers, the
// command thread and the caller's thread meet at the mirror and the outbox with every entry) is
// woken without a round trip through a kernel object, which the C++ library's mutex needs here.
#pragma once

#include <windows.h>

namespace qxnc {

class Lock {
public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void lock() { AcquireSRWLockExclusive(&m_lock); }
    void unlock() { ReleaseSRWLockExclusive(&m_lock); }
    // For a condition variable's wait, with the lock held.
    SRWLOCK* Native() { return &m_lock; }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

} // namespace qxnc
