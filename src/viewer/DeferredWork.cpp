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
    // Closing makes the rest unnecessary; reading again takes in what a refresh would.
    const uint8_t pending = m_pending;
    m_pending = 0;
    for (Work work : {Work::Close, Work::Reload, Work::Refresh})
        if (pending & Bit(work))
            return work;
    return Work{};
}

} // namespace viewer
