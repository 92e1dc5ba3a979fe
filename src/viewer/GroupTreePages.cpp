// The tree's pages: a level of many computers stands in pages of consecutive ones, whose items
// are made when a page is first opened or a group in it is shown. Until then a page's members
// are those of the index in its range.
#include "viewer/GroupTree.h"

#include <algorithm>
#include <iterator>

namespace {

// The page that holds `key`: the last that starts at or before it (the first starts before all).
template <typename Pages> typename Pages::iterator PageOf(Pages& pages, const GroupKey& key) {
    return std::prev(pages.upper_bound(key));
}

// The members of a made page: [first, last) of `members`, in the order of the pages.
template <typename Pages, typename Members>
auto MembersOf(const Pages& pages, typename Pages::const_iterator page, Members& members) {
    const auto next = std::next(page);
    return std::make_pair(page == pages.begin() ? members.begin() : members.lower_bound(page->first),
                          next == pages.end() ? members.end() : members.lower_bound(next->first));
}

} // namespace

// The index's computers in a page's range.
std::pair<GroupTree::Hosts, GroupTree::Hosts> GroupTree::HostsOf(const Pages& pages,
                                                                 Pages::const_iterator page) const {
    const auto& byHost = m_index->GetByHost();
    const auto next = std::next(page);
    return {page == pages.begin() ? byHost.begin() : byHost.lower_bound(page->first.host),
            next == pages.end() ? byHost.end() : byHost.lower_bound(next->first.host)};
}

// A level's members in pages, none of them an item yet.
void GroupTree::CutIntoPages(Pages& pages, std::optional<uint16_t> traceClass, HTREEITEM parent) {
    const auto& byHost = m_index->GetByHost();
    Pages::iterator page = pages.end();
    VisitMembers(traceClass, byHost.begin(), byHost.end(), [&](std::wstring_view host, const RecordList*) {
        if (page == pages.end() || page->second.count == kPageItems)
            page =
                AddPage(pages, pages.end(),
                        page == pages.end() ? GroupKey{} : GroupKey{std::wstring(host), 0}, parent, TVI_LAST);
        ++page->second.count;
        return true;
    });
}

void GroupTree::FillPages() {
    m_countedTo = m_index->RecordCount();
    CutIntoPages(m_pages, std::nullopt, TVI_ROOT);
}

// A heading's entries in pages, none of them an item yet.
void GroupTree::MakeEntryPages(Heading& heading, const GroupKey& headingKey) {
    heading.made = true;
    heading.countedTo = m_index->RecordCount();
    CutIntoPages(heading.pages, headingKey.traceClass, heading.item);
}

GroupTree::Pages::iterator GroupTree::AddPage(Pages& pages, Pages::iterator hint, const GroupKey& key,
                                              HTREEITEM parent, HTREEITEM after) {
    return pages.emplace_hint(hint, key, Page{m_tree.InsertClosedItemAsking(parent, after), 0, false});
}

// The page is closed: its new children are neither laid out nor drawn.
void GroupTree::MakePage(Pages::iterator page) {
    page->second.made = true;
    const auto [from, to] = HostsOf(m_pages, page);
    VisitMembers(std::nullopt, from, to, [&](std::wstring_view host, const RecordList*) {
        const GroupKey key{std::wstring(host), 0};
        HTREEITEM item = m_tree.InsertClosedItem(HeadingText(key), page->second.item, TVI_LAST, TVIS_BOLD);
        AddHeadingItem(m_headings.lower_bound(key), key, item, false);
        return true;
    });
}

void GroupTree::MakePage(Heading& heading, uint16_t traceClass, Pages::iterator page) {
    page->second.made = true;
    const auto [from, to] = HostsOf(heading.pages, page);
    VisitMembers(traceClass, from, to, [&](std::wstring_view host, const RecordList* list) {
        const GroupKey key{std::wstring(host), traceClass};
        HTREEITEM item = m_tree.InsertItemAsking(page->second.item, TVI_LAST, reinterpret_cast<LPARAM>(list));
        const auto made = heading.entries.emplace_hint(heading.entries.lower_bound(key), key,
                                                       Entry{item, list->size(), list, true});
        m_items[item] = {&made->first, true};
        return true;
    });
}

// Calls found(pages, page, traceClass, heading) for the page that `item` is: the top's (no trace
// class, no heading) or a type heading's; false when it is no page.
template <typename Self, typename Found> bool GroupTree::WithPage(Self& self, HTREEITEM item, Found&& found) {
    for (auto page = self.m_pages.begin(); page != self.m_pages.end(); ++page)
        if (page->second.item == item) {
            found(self.m_pages, page, std::optional<uint16_t>(), nullptr);
            return true;
        }
    if (self.m_byComputer) // its headings have no pages of entries: they are not looked through
        return false;
    for (auto& [key, heading] : self.m_headings)
        for (auto page = heading.pages.begin(); page != heading.pages.end(); ++page)
            if (page->second.item == item) {
                found(heading.pages, page, std::optional<uint16_t>(key.traceClass), &heading);
                return true;
            }
    return false;
}

// Makes the page `item` is, if it is one that was not made; false when it is no page.
bool GroupTree::MakePageOf(HTREEITEM item) {
    return WithPage(*this, item,
                    [&](Pages&, Pages::iterator page, std::optional<uint16_t> traceClass, Heading* heading) {
                        if (page->second.made)
                            return;
                        if (heading)
                            MakePage(*heading, *traceClass, page);
                        else
                            MakePage(page);
                    });
}

// A computer of the pages that is no heading: a new one joins its page, as an item in its place
// when the page is made; one that has gone leaves its page.
void GroupTree::UpdatePagedHeading(const GroupKey& key, bool present, RecordId firstNew) {
    if (!present)
        return CountOut(m_pages, key, std::nullopt);
    const Pages::iterator page = PageOf(m_pages, key);
    if (page->second.made) {
        AddHeadingItem(m_headings.lower_bound(key), key, nullptr, false);
        const auto added = m_headings.find(key);
        HTREEITEM after =
            added == MembersOf(m_pages, page, m_headings).first ? TVI_FIRST : std::prev(added)->second.item;
        added->second.item = m_tree.InsertClosedItem(HeadingText(key), page->second.item, after, TVIS_BOLD);
        m_items[added->second.item] = {&added->first, false};
        return;
    }
    // Counted already when its first record came before the page's count or this update.
    RecordId first = UINT32_MAX;
    const auto& byHost = m_index->GetByHost();
    if (const auto classes = byHost.find(key.host); classes != byHost.end())
        for (const auto& [traceClass, list] : classes->second)
            if (!list->empty())
                first = std::min(first, (*list)[0]);
    if (first < std::max(firstNew, m_countedTo))
        return;
    ++page->second.count;
    CutWhenFull(m_pages, page, std::nullopt, TVI_ROOT);
}

void GroupTree::AddPagedEntry(Heading& heading, const GroupKey& key, const RecordList* list,
                              RecordId firstNew) {
    const Pages::iterator page = PageOf(heading.pages, key);
    if (page->second.made) {
        const auto added = heading.entries.emplace_hint(heading.entries.lower_bound(key), key,
                                                        Entry{nullptr, list->size(), list, true});
        HTREEITEM after = added == MembersOf(heading.pages, page, heading.entries).first
                              ? TVI_FIRST
                              : std::prev(added)->second.item;
        added->second.item =
            m_tree.InsertItemAsking(page->second.item, after, reinterpret_cast<LPARAM>(list));
        m_items[added->second.item] = {&added->first, true};
        return;
    }
    if (list->empty() || (*list)[0] < std::max(firstNew, heading.countedTo))
        return; // counted already
    ++page->second.count;
    CutWhenFull(heading.pages, page, key.traceClass, heading.item);
}

// A page not made that has grown to twice its size is cut in two. Its count may hold a member
// twice (a last line taken back and filed again): it is counted again from the index first.
void GroupTree::CutWhenFull(Pages& pages, Pages::iterator page, std::optional<uint16_t> traceClass,
                            HTREEITEM parent) {
    if (page->second.count < 2 * kPageItems)
        return;
    const auto [from, to] = HostsOf(pages, page);
    size_t count = 0;
    std::wstring_view middle;
    VisitMembers(traceClass, from, to, [&](std::wstring_view host, const RecordList*) {
        if (count++ == kPageItems)
            middle = host;
        return true;
    });
    page->second.count = count;
    if (count < 2 * kPageItems)
        return;
    const auto second = AddPage(pages, std::next(page), {std::wstring(middle), 0}, parent, page->second.item);
    second->second.count = count - kPageItems;
    page->second.count = kPageItems;
}

// A member is gone: a page left without members goes too, unless it is the only one. The first
// page stays first (it holds any member before the second): the second one's item takes its place.
void GroupTree::CountOut(Pages& pages, const GroupKey& key, std::optional<uint16_t> traceClass) {
    const Pages::iterator page = PageOf(pages, key);
    if (page->second.count > 0)
        --page->second.count;
    if (pages.size() == 1 || AnyMember(pages, page, traceClass))
        return;
    m_tree.DeleteItem(page->second.item);
    if (page != pages.begin())
        return void(pages.erase(page));
    const auto second = std::next(page);
    page->second = second->second;
    pages.erase(second);
}

bool GroupTree::AnyMember(const Pages& pages, Pages::const_iterator page,
                          std::optional<uint16_t> traceClass) const {
    const auto [from, to] = HostsOf(pages, page);
    bool any = false;
    VisitMembers(traceClass, from, to, [&](std::wstring_view, const RecordList*) { return !(any = true); });
    return any;
}

// "first – last" of a page's members in the index.
std::wstring GroupTree::LabelOf(const Pages& pages, Pages::const_iterator page,
                                std::optional<uint16_t> traceClass) const {
    const auto [from, to] = HostsOf(pages, page);
    std::wstring_view first, last;
    VisitMembers(traceClass, from, to, [&](std::wstring_view host, const RecordList*) {
        first = host;
        return false;
    });
    for (auto host = to; host != from && last.empty();)
        if (--host; !traceClass || host->second.find(*traceClass) != host->second.end())
            last = host->first;
    return first.empty() ? std::wstring() : std::wstring(first) + L" \u2013 " + std::wstring(last);
}

bool GroupTree::PageLabel(HTREEITEM item, std::wstring& label) const {
    return WithPage(*this, item,
                    [&](const Pages& pages, Pages::const_iterator page, std::optional<uint16_t> traceClass,
                        const Heading*) { label = LabelOf(pages, page, traceClass); });
}

bool GroupTree::PageStart(HTREEITEM item, GroupKey& from) const {
    return WithPage(
        *this, item,
        [&](const Pages&, Pages::const_iterator page, std::optional<uint16_t> traceClass, const Heading*) {
            from = {page->first.host, traceClass.value_or(0)};
        });
}
