// The viewer's deferred work.
#include "viewer/DeferredWork.h"

#include <initializer_list>

namespace viewer {

namespace {
constexpr uint8_t Bit(Work work) {
    return static_cast<uint8_t>(work);
}
} // namespace

bool DeferredWork::Request(Work work) {
    m_pending |= Bit(work);
    return Remind();
}

bool DeferredWork::Remind() {
    if (m_posted || m_depth > 0 || !m_pending)
        return false;
    m_posted = true;
    return true;
}

bool DeferredWork::Leave() {
    if (m_depth > 0)
        --m_depth;
    return Remind();
}

Work DeferredWork::Next(bool wakeUp, bool canRun) {
    if (wakeUp)
        m_posted = false;
    if (m_depth > 0 || !canRun || !m_pending)
        return Work{};
    // Closing makes the rest unnecessary; reading again takes in what a refresh would, and
    // what the last read filed goes with the index it is read into.
    for (Work work : {Work::Close, Work::Reload, Work::TakeRead, Work::Refresh}) {
        if (!(m_pending & Bit(work)))
            continue;
        if (work == Work::Close)
            m_pending = 0;
        else if (work == Work::Reload)
            m_pending &=
                static_cast<uint8_t>(~(Bit(Work::Reload) | Bit(Work::Refresh) | Bit(Work::TakeRead)));
        else
            m_pending &= static_cast<uint8_t>(~Bit(work));
        return work;
    }
    return Work{};
}

} // namespace viewer
