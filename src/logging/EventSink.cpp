// The system's event log as the production event sink, and the switch to another one.
#include "logging/EventSink.h"

namespace Zt {
namespace {

class SystemEventLog final : public EventSink {
public:
    HANDLE Register(const wchar_t* sourceName) override {
        return ::RegisterEventSourceW(nullptr, sourceName);
    }
    bool Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID user, WORD stringCount,
                const wchar_t** strings, DWORD dataSize, const void* data) override {
        return ::ReportEventW(source, type, category, eventId, user, stringCount, dataSize, strings,
                              const_cast<void*>(data)) != FALSE;
    }
    void Deregister(HANDLE source) override { ::DeregisterEventSource(source); }
};

SystemEventLog g_systemEventLog;
// Replaced only by tests, for the length of a ScopedEventSink.
EventSink* g_activeSink = &g_systemEventLog;

} // namespace

EventSink& ActiveEventSink() {
    return *g_activeSink;
}

ScopedEventSink::ScopedEventSink(EventSink& sink) : m_previous(g_activeSink) {
    g_activeSink = &sink;
}

ScopedEventSink::~ScopedEventSink() {
    g_activeSink = m_previous;
}

} // namespace Zt
