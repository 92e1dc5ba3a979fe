// The windows the viewer owns.
#include "viewer/OwnedWindows.h"

#include "viewer/matches/MatchWindow.h"
#include "viewer/records/RecordsWindow.h"
#include "viewer/timeline/TimelineWindow.h"

#include <algorithm>

OwnedWindows::OwnedWindows(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

OwnedWindows::~OwnedWindows() = default;

CMatchWindow& OwnedWindows::Matches() {
    if (!m_matches)
        m_matches = std::make_unique<CMatchWindow>(m_viewer);
    return *m_matches;
}

RecordsWindow& OwnedWindows::Records() {
    if (!m_records)
        m_records = std::make_unique<RecordsWindow>(m_viewer);
    return *m_records;
}

TimelineWindow& OwnedWindows::Timeline() {
    if (!m_timeline)
        m_timeline = std::make_unique<TimelineWindow>(m_viewer);
    return *m_timeline;
}

void OwnedWindows::AddObserver(ViewerObserver* observer) {
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void OwnedWindows::RemoveObserver(ViewerObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void OwnedWindows::Notify(const std::function<void(ViewerObserver&)>& call) {
    // A copy: an observer may remove itself while it is told.
    const std::vector<ViewerObserver*> observers = m_observers;
    for (ViewerObserver* observer : observers)
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end())
            call(*observer);
}

void OwnedWindows::IgnoreMessages() {
    if (m_matches)
        m_matches->IgnoreMessages();
    if (m_records)
        m_records->IgnoreMessages();
    if (m_timeline)
        m_timeline->IgnoreMessages();
}
