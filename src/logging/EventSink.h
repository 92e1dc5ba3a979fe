// The one way event reports leave the process: the system's event log in production, a
// recorder in tests (the system may accept reports and keep nothing, so tests watch here).
#pragma once

#include <windows.h>

namespace Zt {

// The three event-log calls of Zt::ZtEventLog.
class EventSink {
public:
    virtual ~EventSink() = default;
    // A source handle, or null when the source cannot be had.
    virtual HANDLE Register(const wchar_t* sourceName) = 0;
    virtual bool Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID user, WORD stringCount,
                        const wchar_t** strings, DWORD dataSize, const void* data) = 0;
    virtual void Deregister(HANDLE source) = 0;
};

// The sink reports go to: the system's event log unless a ScopedEventSink is in force.
EventSink& ActiveEventSink();

// Sends reports to `sink` for its scope; sources registered before keep their own sink.
class ScopedEventSink {
public:
    explicit ScopedEventSink(EventSink& sink);
    ~ScopedEventSink();
    ScopedEventSink(const ScopedEventSink&) = delete;
    ScopedEventSink& operator=(const ScopedEventSink&) = delete;

private:
    EventSink* m_previous;
};

} // namespace Zt
