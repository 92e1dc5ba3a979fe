// The viewer's tree of groups.
#include "viewer/GroupTree.h"

#include <iterator>
#include <set>

namespace {
const RecordList* ListInIndex(const CDiagnoseIndex& index, const GroupKey& key) {
    auto classes = index.GetByHost().find(key.host);
    if (classes == index.GetByHost().end())
        return nullptr;
    auto list = classes->second.find(key.traceClass);
    return list != classes->second.end() ? list->second : nullptr;
}

} // namespace

size_t GroupTree::EntryCount(const CDiagnoseIndex& index) {
    size_t count = 0;
    for (const auto& [host, classes] : index.GetByHost())
        count += classes.size();
    return count;
}

void GroupTree::Fill(const CDiagnoseIndex& index, bool byComputer) {
    m_index = &index;
    m_byComputer = byComputer;
    m_items.clear(); // first: it points into the headings
    m_headings = Headings(KeyOrder{byComputer});
    m_pages.clear();
    m_closed = EntryCount(index) > kOpenEntries;
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
    return m_closed && m_byComputer && m_pages.empty() && index.GetByHost().size() > kPageHeadings;
}

void GroupTree::FillClosed() {
    m_tree.DeleteAllItems();
    if (m_byComputer && m_index->GetByHost().size() > kPageHeadings)
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

// The headings in pages of kPageHeadings, none of them an item yet.
void GroupTree::FillPages() {
    Pages::iterator page = m_pages.end();
    for (const auto& [host, classes] : m_index->GetByHost()) {
        const GroupKey key{std::wstring(host), 0};
        if (page == m_pages.end() || page->second.count == kPageHeadings) // the first by no name
            page = AddPage(m_pages.end(), page == m_pages.end() ? GroupKey{} : key, TVI_LAST);
        AddHeadingItem(m_headings.end(), key, nullptr, false);
        ++page->second.count;
    }
}

GroupTree::Pages::iterator GroupTree::AddPage(Pages::iterator hint, const GroupKey& key, HTREEITEM after) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = LPSTR_TEXTCALLBACKW;
    insert.item.cChildren = 1;
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(m_tree.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    return m_pages.emplace_hint(hint, key, Page{item, 0, false});
}

GroupTree::Pages::iterator GroupTree::PageOf(const GroupKey& key) {
    const auto after = m_pages.upper_bound(key);
    return after == m_pages.begin() ? after : std::prev(after);
}

GroupTree::Pages::const_iterator GroupTree::PageOfItem(HTREEITEM item) const {
    for (auto page = m_pages.begin(); page != m_pages.end(); ++page)
        if (page->second.item == item)
            return page;
    return m_pages.end();
}

std::pair<GroupTree::Headings::iterator, GroupTree::Headings::iterator>
GroupTree::HeadingsOf(Pages::const_iterator page) {
    const auto next = std::next(page);
    return {page == m_pages.begin() ? m_headings.begin() : m_headings.lower_bound(page->first),
            next == m_pages.end() ? m_headings.end() : m_headings.lower_bound(next->first)};
}

std::pair<GroupTree::Headings::const_iterator, GroupTree::Headings::const_iterator>
GroupTree::HeadingsOf(Pages::const_iterator page) const {
    const auto next = std::next(page);
    return {page == m_pages.begin() ? m_headings.begin() : m_headings.lower_bound(page->first),
            next == m_pages.end() ? m_headings.end() : m_headings.lower_bound(next->first)};
}

// The page is closed: its new children are neither laid out nor drawn.
void GroupTree::MakePage(Pages::iterator page) {
    page->second.made = true;
    const auto [first, last] = HeadingsOf(page);
    for (auto heading = first; heading != last; ++heading) {
        heading->second.item =
            m_tree.InsertClosedItem(HeadingText(heading->first), page->second.item, TVI_LAST, TVIS_BOLD);
        m_items[heading->second.item] = {&heading->first, false};
    }
}

// A new heading joins its page: an item in its place when the page's headings are made, else a
// heading to be made; a page not made that grew to twice its size is cut in two.
void GroupTree::AddPagedHeading(const GroupKey& key) {
    const Pages::iterator page = PageOf(key);
    Heading& heading = AddHeadingItem(m_headings.lower_bound(key), key, nullptr, false);
    ++page->second.count;
    if (page->second.made) {
        const auto added = m_headings.find(key);
        HTREEITEM after = added == HeadingsOf(page).first ? TVI_FIRST : std::prev(added)->second.item;
        heading.item = m_tree.InsertClosedItem(HeadingText(key), page->second.item, after, TVIS_BOLD);
        m_items[heading.item] = {&added->first, false};
        return;
    }
    if (page->second.count < 2 * kPageHeadings)
        return;
    auto middle = HeadingsOf(page).first;
    std::advance(middle, static_cast<long>(kPageHeadings));
    const auto second = AddPage(std::next(page), middle->first, page->second.item);
    second->second.count = page->second.count - kPageHeadings;
    page->second.count = kPageHeadings;
}

std::wstring GroupTree::PageLabel(Pages::const_iterator page) const {
    const auto [first, last] = HeadingsOf(page);
    if (first == last)
        return std::wstring();
    return HeadingText(first->first) + L" \u2013 " + HeadingText(std::prev(last)->first);
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
    for (const auto& [host, classes] : byHost)
        if (auto list = classes.find(headingKey.traceClass); list != classes.end())
            visit(host, list->first, list->second);
}

void GroupTree::MakeEntries(Heading& heading, const GroupKey& headingKey) {
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
    if (const auto page = PageOfItem(item); page != m_pages.end()) {
        if (!page->second.made)
            MakePage(m_pages.find(page->first));
        return;
    }
    auto found = m_items.find(item);
    if (found == m_items.end() || found->second.entry)
        return;
    auto heading = m_headings.find(*found->second.key);
    if (heading != m_headings.end() && !heading->second.made)
        MakeEntries(heading->second, heading->first);
}

HTREEITEM GroupTree::EntryItem(const GroupKey& key) {
    auto heading = m_headings.find(key);
    if (heading == m_headings.end())
        return nullptr;
    if (!heading->second.item && !m_pages.empty())
        MakePage(PageOf(key));
    if (!heading->second.made)
        MakeEntries(heading->second, heading->first);
    return ItemOf(key, true);
}

HTREEITEM GroupTree::EntryItem(const RecordList* list) {
    if (!list || list->empty() || !m_index)
        return nullptr;
    const RecordId first = (*list)[0];
    return EntryItem({m_index->GetHost(first), m_index->GetTraceClass(first)});
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
    if (!m_pages.empty()) {
        const Pages::iterator page = PageOf(heading->first);
        if (--page->second.count == 0 && m_pages.size() > 1) {
            m_tree.DeleteItem(page->second.item);
            m_pages.erase(page);
        }
    }
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

void GroupTree::Update(const CDiagnoseIndex& index, const std::vector<GroupKey>& changed) {
    // Laid out and drawn once afterwards, not at every entry opened under a new heading.
    win::ScopedRedrawOff redrawOff(m_tree.Handle());
    for (const GroupKey& key : changed) {
        const RecordList* list = ListInIndex(index, key);
        const auto known = m_headings.find(key);
        if (known != m_headings.end() && !known->second.made) {
            // Its entries are made when it is opened; it goes when its last list has gone.
            bool any = list != nullptr;
            if (!any)
                VisitLists(known->first, [&](std::wstring_view, uint16_t, const RecordList*) { any = true; });
            if (!any)
                EraseHeading(known);
            continue;
        }
        if (!list) {
            Remove(key);
            continue;
        }
        if (m_closed && known == m_headings.end()) {
            if (m_pages.empty())
                AddClosedHeading(key);
            else
                AddPagedHeading(key);
            continue;
        }
        Heading& heading = AddHeading(key);
        auto& entries = heading.entries;
        auto at = entries.lower_bound(key);
        const std::wstring label = CountLabel(EntryText(key), list->size());
        if (at != entries.end() && !entries.key_comp()(key, at->first)) {
            Entry& entry = at->second;
            if (!entry.asked && entry.count != list->size())
                m_tree.SetItemText(entry.item, label);
            if (entry.list != list)
                m_tree.SetItemData(entry.item, reinterpret_cast<LPARAM>(list));
            entry.count = list->size();
            entry.list = list;
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
}

void GroupTree::Remove(const GroupKey& key) {
    auto heading = m_headings.find(key);
    if (heading == m_headings.end())
        return;
    auto& entries = heading->second.entries;
    auto entry = entries.find(key);
    if (entry != entries.end()) {
        m_items.erase(entry->second.item);
        m_tree.DeleteItem(entry->second.item);
        entries.erase(entry);
    }
    if (entries.empty())
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
    if (const auto page = PageOfItem(item); page != m_pages.end())
        return PageLabel(page);
    return m_tree.GetItemText(item);
}

bool GroupTree::AnswerLabel(NMTVDISPINFOW& info) const {
    if (!(info.item.mask & TVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0 ||
        (!AskedEntry(info.item.hItem) && PageOfItem(info.item.hItem) == m_pages.end()))
        return false;
    const std::wstring label = Label(info.item.hItem);
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
    std::vector<Place> places;
    auto page = m_pages.begin();
    for (const auto& [key, heading] : m_headings) {
        while (page != m_pages.end() && std::next(page) != m_pages.end() &&
               !m_headings.key_comp()(key, std::next(page)->first))
            ++page;
        HTREEITEM pageItem = page != m_pages.end() ? page->second.item : nullptr;
        if (!heading.made) {
            HTREEITEM headingItem = heading.item;
            VisitLists(key, [&](std::wstring_view, uint16_t, const RecordList* list) {
                places.push_back({nullptr, headingItem, list, pageItem});
            });
            continue;
        }
        for (const auto& [entryKey, entry] : heading.entries)
            places.push_back({entry.item, heading.item, entry.list, pageItem});
    }
    return places;
}
