#include "diagnose/SlimLock.h"

#include <windows.h>

namespace diagnose {
namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

PSRWLOCK Lock(void*& lock) {
    return reinterpret_cast<PSRWLOCK>(&lock);
}

} // namespace

void SlimMutex::lock() {
    ::AcquireSRWLockExclusive(Lock(m_lock));
}

void SlimMutex::unlock() {
    ::ReleaseSRWLockExclusive(Lock(m_lock));
}

void SlimCondition::wait(std::unique_lock<SlimMutex>& lock) {
    ::SleepConditionVariableSRW(reinterpret_cast<PCONDITION_VARIABLE>(&m_condition),
                                Lock(lock.mutex()->m_lock), INFINITE, 0);
}

void SlimCondition::notify_all() {
    ::WakeAllConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&m_condition));
}

} // namespace diagnose
