// The tree's pages: a level of many computers stands in pages of consecutive ones, whose items
// are made when a page is first opened or a group in it is shown.
#include "viewer/GroupTree.h"

#include <iterator>

namespace {

// The page that holds `key`: the last that starts at or before it (the first starts before all).
template <typename Pages> typename Pages::iterator PageOf(Pages& pages, const GroupKey& key) {
    return std::prev(pages.upper_bound(key));
}

// The members of a page: [first, last) of `members`, in the order of the pages.
template <typename Pages, typename Members>
auto MembersOf(const Pages& pages, typename Pages::const_iterator page, Members& members) {
    const auto next = std::next(page);
    return std::make_pair(page == pages.begin() ? members.begin() : members.lower_bound(page->first),
                          next == pages.end() ? members.end() : members.lower_bound(next->first));
}

template <typename Pages, typename Members>
std::wstring LabelOf(const Pages& pages, typename Pages::const_iterator page, const Members& members) {
    const auto [first, last] = MembersOf(pages, page, members);
    return first == last ? std::wstring() : first->first.host + L" \u2013 " + std::prev(last)->first.host;
}

} // namespace

// The headings in pages, none of them an item yet.
void GroupTree::FillPages() {
    Pages::iterator page = m_pages.end();
    for (const auto& [host, classes] : m_index->GetByHost()) {
        const GroupKey key{std::wstring(host), 0};
        if (page == m_pages.end() || page->second.count == kPageItems)
            page =
                AddPage(m_pages, m_pages.end(), page == m_pages.end() ? GroupKey{} : key, TVI_ROOT, TVI_LAST);
        AddHeadingItem(m_headings.end(), key, nullptr, false);
        ++page->second.count;
    }
}

GroupTree::Pages::iterator GroupTree::AddPage(Pages& pages, Pages::iterator hint, const GroupKey& key,
                                              HTREEITEM parent, HTREEITEM after) {
    return pages.emplace_hint(hint, key, Page{m_tree.InsertClosedItemAsking(parent, after), 0, false});
}

// The page is closed: its new children are neither laid out nor drawn.
void GroupTree::MakePage(Pages::iterator page) {
    page->second.made = true;
    const auto [first, last] = MembersOf(m_pages, page, m_headings);
    for (auto heading = first; heading != last; ++heading) {
        heading->second.item =
            m_tree.InsertClosedItem(HeadingText(heading->first), page->second.item, TVI_LAST, TVIS_BOLD);
        m_items[heading->second.item] = {&heading->first, false};
    }
}

void GroupTree::MakePage(Heading& heading, Pages::iterator page) {
    page->second.made = true;
    const auto [first, last] = MembersOf(heading.pages, page, heading.entries);
    for (auto entry = first; entry != last; ++entry) {
        entry->second.item = m_tree.InsertItemAsking(page->second.item, TVI_LAST,
                                                     reinterpret_cast<LPARAM>(entry->second.list));
        m_items[entry->second.item] = {&entry->first, true};
    }
}

// Makes the page `item` is, if it is one that was not made; false when it is no page.
bool GroupTree::MakePageOf(HTREEITEM item) {
    for (auto page = m_pages.begin(); page != m_pages.end(); ++page)
        if (page->second.item == item) {
            if (!page->second.made)
                MakePage(page);
            return true;
        }
    if (m_byComputer) // its headings have no pages of entries: they are not looked through
        return false;
    for (auto& [key, heading] : m_headings)
        for (auto page = heading.pages.begin(); page != heading.pages.end(); ++page)
            if (page->second.item == item) {
                if (!page->second.made)
                    MakePage(heading, page);
                return true;
            }
    return false;
}

// A new heading joins its page: an item in its place when the page's headings are made.
void GroupTree::AddPagedHeading(const GroupKey& key) {
    const Pages::iterator page = PageOf(m_pages, key);
    AddHeadingItem(m_headings.lower_bound(key), key, nullptr, false);
    const auto added = m_headings.find(key);
    ++page->second.count;
    if (page->second.made) {
        HTREEITEM after =
            added == MembersOf(m_pages, page, m_headings).first ? TVI_FIRST : std::prev(added)->second.item;
        added->second.item = m_tree.InsertClosedItem(HeadingText(key), page->second.item, after, TVIS_BOLD);
        m_items[added->second.item] = {&added->first, false};
        return;
    }
    CutWhenFull(m_pages, page, m_headings, TVI_ROOT);
}

void GroupTree::AddPagedEntry(Heading& heading, const GroupKey& key, const RecordList* list) {
    const Pages::iterator page = PageOf(heading.pages, key);
    const auto added = heading.entries.emplace_hint(heading.entries.lower_bound(key), key,
                                                    Entry{nullptr, list->size(), list, true});
    ++page->second.count;
    if (page->second.made) {
        HTREEITEM after = added == MembersOf(heading.pages, page, heading.entries).first
                              ? TVI_FIRST
                              : std::prev(added)->second.item;
        added->second.item =
            m_tree.InsertItemAsking(page->second.item, after, reinterpret_cast<LPARAM>(list));
        m_items[added->second.item] = {&added->first, true};
        return;
    }
    CutWhenFull(heading.pages, page, heading.entries, heading.item);
}

// A page not made that has grown to twice its size is cut in two.
template <typename Members>
void GroupTree::CutWhenFull(Pages& pages, Pages::iterator page, const Members& members, HTREEITEM parent) {
    if (page->second.count < 2 * kPageItems)
        return;
    auto middle = MembersOf(pages, page, members).first;
    std::advance(middle, static_cast<long>(kPageItems));
    const auto second = AddPage(pages, std::next(page), middle->first, parent, page->second.item);
    second->second.count = page->second.count - kPageItems;
    page->second.count = kPageItems;
}

// A member is gone: a page left empty goes too, unless it is the only one.
void GroupTree::CountOut(Pages& pages, const GroupKey& key) {
    const Pages::iterator page = PageOf(pages, key);
    if (--page->second.count == 0 && pages.size() > 1) {
        m_tree.DeleteItem(page->second.item);
        pages.erase(page);
    }
}

bool GroupTree::PageLabel(HTREEITEM item, std::wstring& label) const {
    for (auto page = m_pages.begin(); page != m_pages.end(); ++page)
        if (page->second.item == item) {
            label = LabelOf(m_pages, page, m_headings);
            return true;
        }
    if (m_byComputer)
        return false;
    for (const auto& [key, heading] : m_headings)
        for (auto page = heading.pages.begin(); page != heading.pages.end(); ++page)
            if (page->second.item == item) {
                label = LabelOf(heading.pages, page, heading.entries);
                return true;
            }
    return false;
}

bool GroupTree::PageStart(HTREEITEM item, GroupKey& from) const {
    for (const auto& [key, page] : m_pages)
        if (page.item == item) {
            from = {key.host, 0};
            return true;
        }
    if (m_byComputer)
        return false;
    for (const auto& [headingKey, heading] : m_headings)
        for (const auto& [key, page] : heading.pages)
            if (page.item == item) {
                from = {key.host, headingKey.traceClass};
                return true;
            }
    return false;
}
