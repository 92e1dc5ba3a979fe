// The viewer's tree of groups, and what it knows of its items: which heading and entry stand for
// which computer and trace class, so that the tree follows a growing index item by item.
#pragma once

#include "diagnose/DiagnoseFeed.h"
#include "win/TreeView.h"

#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

class GroupTree : private TreeFillSink {
public:
    // A tree of more entries than this is made with closed headings, and the entries of a heading
    // when it is first opened: every entry an item of the platform's tree cost a log of 200,000
    // computers seconds and hundreds of megabytes, for a tree no one reads open.
    static constexpr size_t kOpenEntries = 20000;
    // In such a tree, more computers than this at one level (the headings by computer, a
    // heading's entries by type) stand in pages of this many consecutive ones, made when a page
    // is first opened: the platform's tree under Wine looks up every item a message names among
    // all its items, and a tree of 200,000 headings took a second to take in new ones while
    // loading and seconds to close.
    static constexpr size_t kPageItems = 1000;

    void Attach(HWND tree) { m_tree.Attach(tree); }
    win::TreeView& Tree() { return m_tree; }
    const win::TreeView& Tree() const { return m_tree; }
    bool ByComputer() const { return m_byComputer; }
    // Whether the headings are closed, their entries made when opened (a tree of many entries).
    bool Closed() const { return m_closed; }
    // Whether the tree would be made in pages now but is not (it grew since it was filled, or a
    // heading since its entries were made).
    bool WantsPages(const CDiagnoseIndex& index) const;
    // Whether a tree of the index would have more than `most` entries (one per computer and
    // trace class); counted only as far as needed.
    static bool MoreEntriesThan(const CDiagnoseIndex& index, size_t most);

    // Empties the tree and fills it in a grouping, its headings bold and expanded; with more than
    // kOpenEntries entries, its headings bold and closed. The index must outlive the items.
    void Fill(const CDiagnoseIndex& index, bool byComputer);
    // A heading is being opened (TVN_ITEMEXPANDING): its entries are made if they were not yet.
    void OnExpanding(HTREEITEM item);
    // The item of a group's entry, its heading's entries made first when they were not yet; null
    // when there is no such group.
    HTREEITEM EntryItem(const GroupKey& key);
    HTREEITEM EntryItem(const RecordList* list);
    // Brings the items of the groups named in `changed` in step with the index: a count that
    // changed relabels its entry, a new group gets its entry (and heading) in the place the
    // grouping puts it, a group that is gone loses them. Expanded states stay as they are.
    // `firstNew`: the first record the tree has not been told of before.
    void Update(const CDiagnoseIndex& index, const std::vector<GroupKey>& changed, RecordId firstNew);

    // The label of an entry whose label is asked for (TVN_GETDISPINFOW); false for another item.
    bool AnswerLabel(NMTVDISPINFOW& info) const;
    // An item's label as the tree shows it, whole however long.
    std::wstring Label(HTREEITEM item) const;
    // The group an item stands for; false for an item the tree does not know.
    bool KeyOf(HTREEITEM item, GroupKey& key, bool& entry) const;
    // The item of a group: an entry for `entry`, else the heading; null when there is none, or
    // when its heading's entries were not made yet.
    HTREEITEM ItemOf(const GroupKey& key, bool entry) const;
    // Whether entry `a` stands before entry `b` in the tree: by the heading's key, then the entry's.
    bool EntryBefore(const GroupKey& a, const GroupKey& b) const;
    // Where an item's entries begin in that order: an entry's own key, else the least key a
    // heading's or page's entries may have; false for an item the tree does not know.
    bool StartOf(HTREEITEM item, GroupKey& from) const;
    // The records of an entry; null for a heading or an item the tree does not know.
    const RecordList* ListOf(HTREEITEM item) const;
    // The entries in the order the tree shows them, with their headings, pages and records;
    // `item` is null for an entry whose heading's entries were not made yet (EntryItem makes
    // them), `heading` for a heading whose page's headings were not made yet.
    struct Place {
        HTREEITEM item;
        HTREEITEM heading;
        const RecordList* list;
        HTREEITEM page = nullptr;
    };
    std::vector<Place> EntriesInOrder() const;

private:
    // Keys in the order of a grouping's headings (outer) or of the entries under one (inner).
    struct KeyOrder {
        bool byHost;
        bool operator()(const GroupKey& a, const GroupKey& b) const {
            return byHost ? a.host < b.host : a.traceClass < b.traceClass;
        }
    };
    struct Entry {
        HTREEITEM item;
        size_t count;
        const RecordList* list;
        bool asked = false; // its label is asked for (AnswerLabel), not set
    };
    // A page of consecutive members of a level (the headings at the top, or a heading's
    // entries), by the key of its first member when it was made (the first page by the empty
    // name, which no computer has, so that it holds any member before the second). Its members
    // are those of the index in its range: they have no node here until the page is made (a
    // node each cost a tree of 200,000 computers a quarter of a second to fill and as long to
    // close). Its label is asked for when drawn.
    struct Page {
        HTREEITEM item = nullptr;
        size_t count = 0;  // its members as counted when they came, to cut it when it grows
        bool made = false; // its members are items
    };
    using Pages = std::map<GroupKey, Page, KeyOrder>; // by computer
    struct Heading {
        HTREEITEM item = nullptr;
        std::map<GroupKey, Entry, KeyOrder> entries; // in pages: those of the pages made
        bool made = true;                            // its entries are made, as items or in pages
        Pages pages{KeyOrder{true}};                 // of its entries, when they stand in pages
        RecordId countedTo = 0;                      // the records whose entries its pages counted when made
    };
    using Headings = std::map<GroupKey, Heading, KeyOrder>;

    const Entry* AskedEntry(HTREEITEM item) const;
    void OnHeading(const GroupKey& key, HTREEITEM item) override;
    void OnEntry(const GroupKey& key, const RecordList* records, HTREEITEM item) override;
    std::wstring HeadingText(const GroupKey& key) const;
    std::wstring EntryText(const GroupKey& key) const;
    Heading& AddHeading(const GroupKey& key);
    Heading& AddHeadingItem(Headings::iterator hint, const GroupKey& key, HTREEITEM item, bool made);
    void EraseHeading(Headings::iterator heading);
    void Remove(const GroupKey& key);
    void FillClosed();
    void AddClosedHeading(const GroupKey& key);
    void MakeEntries(Heading& heading, const GroupKey& key);
    // Pages (GroupTreePages.cpp)
    void FillPages();
    void MakeEntryPages(Heading& heading, const GroupKey& headingKey);
    Pages::iterator AddPage(Pages& pages, Pages::iterator hint, const GroupKey& key, HTREEITEM parent,
                            HTREEITEM after);
    void MakePage(Pages::iterator page);
    void MakePage(Heading& heading, uint16_t traceClass, Pages::iterator page);
    bool MakePageOf(HTREEITEM item);
    template <typename Self, typename Found> static bool WithPage(Self& self, HTREEITEM item, Found&& found);
    // The members of a level are the index's computers (no trace class: the headings by
    // computer), or those with a list of a type heading's trace class (its entries).
    using Hosts = diagnose::ByHost::const_iterator;
    template <typename Visit>
    static void VisitMembers(std::optional<uint16_t> traceClass, Hosts from, Hosts to, Visit&& visit);
    std::pair<Hosts, Hosts> HostsOf(const Pages& pages, Pages::const_iterator page) const;
    void CutIntoPages(Pages& pages, std::optional<uint16_t> traceClass, HTREEITEM parent);
    void UpdatePagedHeading(const GroupKey& key, bool present, RecordId firstNew);
    void AddPagedEntry(Heading& heading, const GroupKey& key, const RecordList* list, RecordId firstNew);
    void CutWhenFull(Pages& pages, Pages::iterator page, std::optional<uint16_t> traceClass,
                     HTREEITEM parent);
    void CountOut(Pages& pages, const GroupKey& key, std::optional<uint16_t> traceClass);
    bool AnyMember(const Pages& pages, Pages::const_iterator page, std::optional<uint16_t> traceClass) const;
    std::wstring LabelOf(const Pages& pages, Pages::const_iterator page,
                         std::optional<uint16_t> traceClass) const;
    bool PageLabel(HTREEITEM item, std::wstring& label) const;
    bool PageStart(HTREEITEM item, GroupKey& from) const;
    template <typename Visit> void VisitLists(const GroupKey& headingKey, Visit&& visit) const;

    const CDiagnoseIndex* m_index = nullptr;
    bool m_closed = false; // headings closed, entries made when opened
    win::TreeView m_tree;
    bool m_byComputer = false;
    Headings m_headings{KeyOrder{false}};
    Pages m_pages{KeyOrder{true}}; // of the headings; empty: they stand at the top
    RecordId m_countedTo = 0;      // the records whose computers the pages counted when made
    // The key of the heading's or entry's map node: a tree of a hundred thousand items kept a
    // copy of each name here too.
    struct ItemKey {
        const GroupKey* key;
        bool entry;
    };
    std::unordered_map<HTREEITEM, ItemKey> m_items;
};

// Calls visit(host, list) for the members among [from, to) until it answers false; the list is
// the member's of the trace class, null without one.
template <typename Visit>
inline void GroupTree::VisitMembers(std::optional<uint16_t> traceClass, Hosts from, Hosts to, Visit&& visit) {
    for (; from != to; ++from) {
        const RecordList* list = nullptr;
        if (traceClass) {
            const auto found = from->second.find(*traceClass);
            if (found == from->second.end())
                continue;
            list = found->second;
        }
        if (!visit(from->first, list))
            return;
    }
}
