// The viewer's tree of groups, and what it knows of its items: which heading and entry stand for
// which computer and trace class, so that the tree follows a growing index item by item.
#pragma once

#include "diagnose/DiagnoseFeed.h"
#include "win/TreeView.h"

#include <map>
#include <unordered_map>
#include <vector>

class GroupTree : private TreeFillSink {
public:
    // A tree of more entries than this is made with closed headings, and the entries of a heading
    // when it is first opened: every entry an item of the platform's tree cost a log of 200,000
    // computers seconds and hundreds of megabytes, for a tree no one reads open.
    static constexpr size_t kOpenEntries = 20000;

    void Attach(HWND tree) { m_tree.Attach(tree); }
    win::TreeView& Tree() { return m_tree; }
    const win::TreeView& Tree() const { return m_tree; }
    bool ByComputer() const { return m_byComputer; }
    // Whether the headings are closed, their entries made when opened (a tree of many entries).
    bool Closed() const { return m_closed; }
    // The entries a tree of the index would have: one per computer and trace class.
    static size_t EntryCount(const CDiagnoseIndex& index);

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
    void Update(const CDiagnoseIndex& index, const std::vector<GroupKey>& changed);

    // The label of an entry whose label is asked for (TVN_GETDISPINFOW); false for another item.
    bool AnswerLabel(NMTVDISPINFOW& info) const;
    // An item's label as the tree shows it, whole however long.
    std::wstring Label(HTREEITEM item) const;
    // The group an item stands for; false for an item the tree does not know.
    bool KeyOf(HTREEITEM item, GroupKey& key, bool& entry) const;
    // The item of a group: an entry for `entry`, else the heading; null when there is none, or
    // when its heading's entries were not made yet.
    HTREEITEM ItemOf(const GroupKey& key, bool entry) const;
    // The records of an entry; null for a heading or an item the tree does not know.
    const RecordList* ListOf(HTREEITEM item) const;
    // The entries in the order the tree shows them, with their headings and records; `item` is
    // null for an entry whose heading's entries were not made yet (EntryItem makes them).
    struct Place {
        HTREEITEM item;
        HTREEITEM heading;
        const RecordList* list;
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
    struct Heading {
        HTREEITEM item = nullptr;
        std::map<GroupKey, Entry, KeyOrder> entries;
        bool made = true; // its entries are items
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
    template <typename Visit> void VisitLists(const GroupKey& headingKey, Visit&& visit) const;

    const CDiagnoseIndex* m_index = nullptr;
    bool m_closed = false; // headings closed, entries made when opened
    win::TreeView m_tree;
    bool m_byComputer = false;
    Headings m_headings{KeyOrder{false}};
    // The key of the heading's or entry's map node: a tree of a hundred thousand items kept a
    // copy of each name here too.
    struct ItemKey {
        const GroupKey* key;
        bool entry;
    };
    std::unordered_map<HTREEITEM, ItemKey> m_items;
};
