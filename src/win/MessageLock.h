// A lock that a window's messages are handled under: the state they read may be changed by
// another thread between messages, never during one.
#pragma once

#include <memory>

namespace win {

class MessageLock {
public:
    virtual ~MessageLock() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

// Held for one message. It keeps the lock alive: a window that deletes its object at its last
// message (and the lock with it) must still be able to let go.
class LockedMessage {
public:
    explicit LockedMessage(std::shared_ptr<MessageLock> lock) : m_lock(std::move(lock)) {
        if (m_lock)
            m_lock->Lock();
    }
    ~LockedMessage() {
        if (m_lock)
            m_lock->Unlock();
    }
    LockedMessage(const LockedMessage&) = delete;
    LockedMessage& operator=(const LockedMessage&) = delete;

private:
    std::shared_ptr<MessageLock> m_lock;
};

} // namespace win
