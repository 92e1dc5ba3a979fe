// The viewer's tree of groups.
#include "viewer/GroupTree.h"

#include <iterator>
#include <optional>
#include <set>
#include <tuple>

namespace {
const RecordList* ListInIndex(const CDiagnoseIndex& index, const GroupKey& key) {
    auto classes = index.GetByHost().find(key.host);
    if (classes == index.GetByHost().end())
        return nullptr;
    auto list = classes->second.find(key.traceClass);
    return list != classes->second.end() ? list->second : nullptr;
}

} // namespace

bool GroupTree::MoreEntriesThan(const CDiagnoseIndex& index, size_t most) {
    size_t count = 0;
    for (const auto& [host, classes] : index.GetByHost())
        if ((count += classes.size()) > most)
            return true;
    return false;
}

void GroupTree::Fill(const CDiagnoseIndex& index, bool byComputer) {
    m_index = &index;
    m_byComputer = byComputer;
    m_items.clear(); // first: it points into the headings
    m_headings = Headings(KeyOrder{byComputer});
    m_pages.clear();
    m_closed = MoreEntriesThan(index, kOpenEntries);
    {
        // Drawn once when whole: a tree that draws at every item takes time quadratic in its size.
        win::ScopedRedrawOff redrawOff(m_tree.Handle());
        if (m_closed) {
            FillClosed();
        } else {
            FillTree(index, m_tree, byComputer, this);
            for (const auto& [key, heading] : m_headings) {
                m_tree.SetItemState(heading.item, TVIS_BOLD, TVIS_BOLD);
                m_tree.Expand(heading.item, TVE_EXPAND);
            }
        }
    }
    // Expanding may scroll the tree down to the last heading: start at the top.
    if (HTREEITEM first = m_tree.GetRootItem())
        m_tree.Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(first));
}

bool GroupTree::WantsPages(const CDiagnoseIndex& index) const {
    if (!m_closed)
        return false;
    if (m_byComputer && m_pages.empty() && index.GetByHost().size() > kPageItems)
        return true;
    // A type heading opened with few enough computers to make them items, grown past that since.
    // (A computer's trace classes never stand in pages: such a heading is made the same again.)
    if (!m_byComputer)
        for (const auto& [key, heading] : m_headings)
            if (heading.made && heading.pages.empty() && heading.entries.size() > kPageItems)
                return true;
    return false;
}

void GroupTree::FillClosed() {
    m_tree.DeleteAllItems();
    if (m_byComputer && m_index->GetByHost().size() > kPageItems)
        return FillPages();
    if (m_byComputer) {
        for (const auto& [host, classes] : m_index->GetByHost())
            AddClosedHeading({std::wstring(host), 0});
        return;
    }
    std::set<uint16_t> traceClasses;
    for (const auto& [host, classes] : m_index->GetByHost())
        for (const auto& [traceClass, list] : classes)
            traceClasses.insert(traceClass);
    for (uint16_t traceClass : traceClasses)
        AddClosedHeading({std::wstring(), traceClass});
}

// A closed heading in its place. Made at the end with TVI_LAST and its state in the one message:
// the platform's tree may look up every item a message names among all items (Wine's does).
void GroupTree::AddClosedHeading(const GroupKey& key) {
    auto at = m_headings.lower_bound(key);
    HTREEITEM after = at == m_headings.end()     ? TVI_LAST
                      : at == m_headings.begin() ? TVI_FIRST
                                                 : std::prev(at)->second.item;
    HTREEITEM item = m_tree.InsertClosedItem(HeadingText(key), TVI_ROOT, after, TVIS_BOLD);
    AddHeadingItem(at, key, item, false);
}

// Calls visit(host, trace class, list) for the lists under a heading, in the order of its entries.
template <typename Visit> void GroupTree::VisitLists(const GroupKey& headingKey, Visit&& visit) const {
    const auto& byHost = m_index->GetByHost();
    if (m_byComputer) {
        auto classes = byHost.find(headingKey.host);
        if (classes != byHost.end())
            for (const auto& [traceClass, list] : classes->second)
                visit(classes->first, traceClass, list);
        return;
    }
    VisitMembers(headingKey.traceClass, byHost.begin(), byHost.end(),
                 [&](std::wstring_view host, const RecordList* list) {
                     visit(host, headingKey.traceClass, list);
                     return true;
                 });
}

void GroupTree::MakeEntries(Heading& heading, const GroupKey& headingKey) {
    size_t count = 0;
    if (!m_byComputer) {
        const auto& byHost = m_index->GetByHost();
        VisitMembers(headingKey.traceClass, byHost.begin(), byHost.end(),
                     [&](std::wstring_view, const RecordList*) { return ++count <= kPageItems; });
    }
    if (count > kPageItems)
        return MakeEntryPages(heading, headingKey);
    heading.made = true;
    // The heading is closed: its new children are neither laid out nor drawn.
    VisitLists(headingKey, [&](std::wstring_view host, uint16_t traceClass, const RecordList* list) {
        const GroupKey key{std::wstring(host), traceClass};
        HTREEITEM item = m_tree.InsertItem(CountLabel(EntryText(key), list->size()), heading.item, TVI_LAST,
                                           reinterpret_cast<LPARAM>(list));
        const auto made =
            heading.entries.emplace_hint(heading.entries.end(), key, Entry{item, list->size(), list});
        m_items[item] = {&made->first, true};
    });
}

void GroupTree::OnExpanding(HTREEITEM item) {
    if (MakePageOf(item))
        return;
    auto found = m_items.find(item);
    if (found == m_items.end() || found->second.entry)
        return;
    auto heading = m_headings.find(*found->second.key);
    if (heading != m_headings.end() && !heading->second.made)
        MakeEntries(heading->second, heading->first);
}

HTREEITEM GroupTree::EntryItem(const GroupKey& key) {
    auto heading = m_headings.find(key);
    if (heading == m_headings.end() && !m_pages.empty()) {
        if (const auto page = std::prev(m_pages.upper_bound(key)); !page->second.made) {
            MakePage(page);
            heading = m_headings.find(key);
        }
    }
    if (heading == m_headings.end())
        return nullptr;
    if (!heading->second.made)
        MakeEntries(heading->second, heading->first);
    Pages& pages = heading->second.pages;
    if (heading->second.entries.find(key) == heading->second.entries.end() && !pages.empty())
        if (const auto page = std::prev(pages.upper_bound(key)); !page->second.made)
            MakePage(heading->second, heading->first.traceClass, page);
    return ItemOf(key, true);
}

HTREEITEM GroupTree::EntryItem(const RecordList* list) {
    if (!list || list->empty() || !m_index)
        return nullptr;
    const RecordId first = (*list)[0];
    return EntryItem({std::wstring(m_index->GetHost(first)), m_index->GetTraceClass(first)});
}

void GroupTree::OnHeading(const GroupKey& key, HTREEITEM item) {
    AddHeadingItem(m_headings.end(), key, item, true);
}

// A heading's item entered in the headings and in the table of items, which points at its key.
GroupTree::Heading& GroupTree::AddHeadingItem(Headings::iterator hint, const GroupKey& key, HTREEITEM item,
                                              bool made) {
    const auto added = m_headings.emplace_hint(
        hint, key, Heading{item, std::map<GroupKey, Entry, KeyOrder>(KeyOrder{!m_byComputer}), made});
    if (item)
        m_items[item] = {&added->first, false};
    return added->second;
}

// A heading taken out of the tree and of both tables, with any entries it still has.
void GroupTree::EraseHeading(Headings::iterator heading) {
    for (const auto& [key, entry] : heading->second.entries)
        m_items.erase(entry.item);
    if (heading->second.item) {
        m_items.erase(heading->second.item);
        m_tree.DeleteItem(heading->second.item);
    }
    if (!m_pages.empty())
        CountOut(m_pages, heading->first, std::nullopt);
    m_headings.erase(heading);
}

void GroupTree::OnEntry(const GroupKey& key, const RecordList* records, HTREEITEM item) {
    auto& entries = m_headings.find(key)->second.entries;
    const auto made = entries.emplace_hint(entries.end(), key, Entry{item, records->size(), records});
    m_items[item] = {&made->first, true};
}

std::wstring GroupTree::HeadingText(const GroupKey& key) const {
    return m_byComputer ? key.host : GetTraceClassName(key.traceClass);
}

std::wstring GroupTree::EntryText(const GroupKey& key) const {
    return m_byComputer ? GetTraceClassName(key.traceClass) : key.host;
}

GroupTree::Heading& GroupTree::AddHeading(const GroupKey& key) {
    auto at = m_headings.lower_bound(key);
    if (at != m_headings.end() && !m_headings.key_comp()(key, at->first))
        return at->second;
    HTREEITEM after = at == m_headings.begin() ? TVI_FIRST : std::prev(at)->second.item;
    HTREEITEM item = m_tree.InsertItem(HeadingText(key), TVI_ROOT, after);
    m_tree.SetItemState(item, TVIS_BOLD, TVIS_BOLD);
    return AddHeadingItem(at, key, item, true);
}

void GroupTree::Update(const CDiagnoseIndex& index, const std::vector<GroupKey>& changed, RecordId firstNew) {
    // Laid out and drawn once afterwards, not at every entry opened under a new heading. Counts
    // alone change no item: drawing is not turned off and on for them, which lays the platform's
    // tree out anew (20 ms to 50 ms a take-in of a loading log under Wine); the tree is drawn again.
    std::optional<win::ScopedRedrawOff> redrawOff;
    const auto relayout = [&] {
        if (!redrawOff)
            redrawOff.emplace(m_tree.Handle());
    };
    bool counted = false;
    for (const GroupKey& key : changed) {
        const RecordList* list = ListInIndex(index, key);
        const auto known = m_headings.find(key);
        if (known == m_headings.end() && !m_pages.empty()) {
            relayout();
            UpdatePagedHeading(key, list || index.GetByHost().count(key.host), firstNew);
            continue;
        }
        if (known != m_headings.end() && !known->second.made) {
            // Its entries are made when it is opened; it goes when its last list has gone.
            bool any = list != nullptr;
            if (!any)
                VisitLists(known->first, [&](std::wstring_view, uint16_t, const RecordList*) { any = true; });
            if (!any) {
                relayout();
                EraseHeading(known);
            }
            continue;
        }
        if (!list) {
            relayout();
            Remove(key);
            continue;
        }
        if (known == m_headings.end())
            relayout();
        if (m_closed && known == m_headings.end()) {
            AddClosedHeading(key);
            continue;
        }
        Heading& heading = AddHeading(key);
        auto& entries = heading.entries;
        auto at = entries.lower_bound(key);
        if (at != entries.end() && !entries.key_comp()(key, at->first)) {
            Entry& entry = at->second;
            if (entry.item && !entry.asked && entry.count != list->size()) {
                relayout();
                m_tree.SetItemText(entry.item, CountLabel(EntryText(key), list->size()));
            }
            if (entry.item && entry.list != list)
                m_tree.SetItemData(entry.item, reinterpret_cast<LPARAM>(list));
            counted = counted || (entry.item && entry.count != list->size());
            entry.count = list->size();
            entry.list = list;
            continue;
        }
        relayout();
        if (!heading.pages.empty()) {
            AddPagedEntry(heading, key, list, firstNew);
            continue;
        }
        HTREEITEM after = at == entries.begin() ? TVI_FIRST : std::prev(at)->second.item;
        // Its label is asked for when drawn: an entry that grows while the log is read changes
        // its count several times a second, and setting a label lays the platform's tree out
        // again (some five milliseconds a label under Wine).
        HTREEITEM item = m_tree.InsertItemAsking(heading.item, after, reinterpret_cast<LPARAM>(list));
        const auto made = entries.emplace_hint(at, key, Entry{item, list->size(), list, true});
        m_items[item] = {&made->first, true};
        if (entries.size() == 1)
            m_tree.Expand(heading.item, TVE_EXPAND); // a new heading opens like those made at the start
    }
    if (counted && !redrawOff)
        m_tree.Invalidate(false);
}

void GroupTree::Remove(const GroupKey& key) {
    auto heading = m_headings.find(key);
    if (heading == m_headings.end())
        return;
    auto& entries = heading->second.entries;
    auto entry = entries.find(key);
    Pages& pages = heading->second.pages;
    if (entry != entries.end()) {
        m_items.erase(entry->second.item);
        m_tree.DeleteItem(entry->second.item);
        entries.erase(entry);
    }
    if (pages.empty()) {
        if (entries.empty())
            EraseHeading(heading);
        return;
    }
    CountOut(pages, key, key.traceClass);
    if (pages.size() == 1 && !AnyMember(pages, pages.begin(), key.traceClass))
        EraseHeading(heading);
}

const GroupTree::Entry* GroupTree::AskedEntry(HTREEITEM item) const {
    const auto found = m_items.find(item);
    if (found == m_items.end() || !found->second.entry)
        return nullptr;
    const GroupKey& key = *found->second.key;
    const auto heading = m_headings.find(key);
    if (heading == m_headings.end())
        return nullptr;
    const auto entry = heading->second.entries.find(key);
    return entry != heading->second.entries.end() && entry->second.asked ? &entry->second : nullptr;
}

// The whole label, where the platform's tree would hand over only as much as its buffer holds.
std::wstring GroupTree::Label(HTREEITEM item) const {
    if (const Entry* entry = AskedEntry(item))
        return CountLabel(EntryText(*m_items.at(item).key), entry->count);
    std::wstring label;
    return PageLabel(item, label) ? label : m_tree.GetItemText(item);
}

bool GroupTree::AnswerLabel(NMTVDISPINFOW& info) const {
    std::wstring label;
    if (!(info.item.mask & TVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0 ||
        (!AskedEntry(info.item.hItem) && !PageLabel(info.item.hItem, label)))
        return false;
    if (label.empty())
        label = Label(info.item.hItem);
    const size_t count = std::min(label.size(), static_cast<size_t>(info.item.cchTextMax - 1));
    label.copy(info.item.pszText, count);
    info.item.pszText[count] = L'\0';
    return true;
}

bool GroupTree::KeyOf(HTREEITEM item, GroupKey& key, bool& entry) const {
    auto found = m_items.find(item);
    if (found == m_items.end())
        return false;
    key = *found->second.key;
    entry = found->second.entry;
    return true;
}

HTREEITEM GroupTree::ItemOf(const GroupKey& key, bool entry) const {
    auto heading = m_headings.find(key);
    if (heading == m_headings.end())
        return nullptr;
    if (!entry)
        return heading->second.item;
    auto found = heading->second.entries.find(key);
    return found != heading->second.entries.end() ? found->second.item : nullptr;
}

bool GroupTree::EntryBefore(const GroupKey& a, const GroupKey& b) const {
    return m_byComputer ? std::tie(a.host, a.traceClass) < std::tie(b.host, b.traceClass)
                        : std::tie(a.traceClass, a.host) < std::tie(b.traceClass, b.host);
}

bool GroupTree::StartOf(HTREEITEM item, GroupKey& from) const {
    bool entry = false;
    if (KeyOf(item, from, entry)) {
        if (!entry)
            from = m_byComputer ? GroupKey{from.host, 0} : GroupKey{{}, from.traceClass};
        return true;
    }
    return PageStart(item, from);
}

const RecordList* GroupTree::ListOf(HTREEITEM item) const {
    GroupKey key;
    bool entry = false;
    if (!KeyOf(item, key, entry) || !entry)
        return nullptr;
    auto heading = m_headings.find(key);
    auto found = heading->second.entries.find(key);
    return found != heading->second.entries.end() ? found->second.list : nullptr;
}

std::vector<GroupTree::Place> GroupTree::EntriesInOrder() const {
    // The page that holds `host`, the pages walked in step with the computers in order.
    const auto pageOf = [](const Pages& pages, Pages::const_iterator& at, std::wstring_view host) {
        while (std::next(at) != pages.end() && !(host < std::next(at)->first.host))
            ++at;
        return at;
    };
    std::vector<Place> places;
    if (!m_index)
        return places;
    places.reserve(m_headings.size());
    // The computers of the index walked in step with the headings or entries, which are in the
    // same order: looking each up took most of a Find Next in a tree of 200,000 headings. A
    // computer of a page not made has no heading or entry yet; one of a made page that has none
    // has not joined the tree yet.
    const auto& byHost = m_index->GetByHost();
    if (m_byComputer) {
        auto page = m_pages.begin();
        auto heading = m_headings.begin();
        for (const auto& [host, classes] : byHost) {
            while (heading != m_headings.end() && heading->first.host < host)
                ++heading;
            const bool known = heading != m_headings.end() && heading->first.host == host;
            HTREEITEM pageItem = nullptr;
            if (!m_pages.empty()) {
                pageItem = pageOf(m_pages, page, host)->second.item;
                if (!known && page->second.made)
                    continue;
            } else if (!known) {
                continue;
            }
            if (known && heading->second.made) {
                for (const auto& [entryKey, entry] : heading->second.entries)
                    places.push_back({entry.item, heading->second.item, entry.list, pageItem});
                continue;
            }
            for (const auto& [traceClass, list] : classes)
                places.push_back({nullptr, known ? heading->second.item : nullptr, list, pageItem});
        }
        return places;
    }
    for (const auto& [key, heading] : m_headings) {
        if (!heading.made) {
            VisitLists(key, [&](std::wstring_view, uint16_t, const RecordList* list) {
                places.push_back({nullptr, heading.item, list});
            });
            continue;
        }
        if (heading.pages.empty()) {
            for (const auto& [entryKey, entry] : heading.entries)
                places.push_back({entry.item, heading.item, entry.list});
            continue;
        }
        auto page = heading.pages.begin();
        auto entry = heading.entries.begin();
        VisitMembers(
            key.traceClass, byHost.begin(), byHost.end(),
            [&](std::wstring_view host, const RecordList* list) {
                while (entry != heading.entries.end() && entry->first.host < host)
                    ++entry;
                HTREEITEM pageItem = pageOf(heading.pages, page, host)->second.item;
                if (entry != heading.entries.end() && entry->first.host == host)
                    places.push_back({entry->second.item, heading.item, entry->second.list, pageItem});
                else if (!page->second.made)
                    places.push_back({nullptr, heading.item, list, pageItem});
                return true;
            });
    }
    return places;
}
