// The filter's items of the context menus.
#include "viewer/records/FilterMenu.h"

#include "viewer/ViewerText.h"
#include "resource.h"

namespace {

using Action = viewer::FilterAction;

const struct {
    WORD command;
    UINT text;
    Action action;
} kItems[] = {
    {ID_FILTER_ONLY_COMPUTER, IDS_FILTER_ONLY_COMPUTER, Action::OnlyComputer},
    {ID_FILTER_HIDE_COMPUTER, IDS_FILTER_HIDE_COMPUTER, Action::HideComputer},
    {ID_FILTER_ONLY_PROCESS, IDS_FILTER_ONLY_PROCESS, Action::OnlyProcess},
    {ID_FILTER_HIDE_PROCESS, IDS_FILTER_HIDE_PROCESS, Action::HideProcess},
    {ID_FILTER_ONLY_TYPE, IDS_FILTER_ONLY_TYPE, Action::OnlyType},
    {ID_FILTER_HIDE_TYPE, IDS_FILTER_HIDE_TYPE, Action::HideType},
    {ID_FILTER_HIDE_BEFORE, IDS_FILTER_HIDE_BEFORE, Action::HideBefore},
    {ID_FILTER_HIDE_AFTER, IDS_FILTER_HIDE_AFTER, Action::HideAfter},
};

} // namespace

void AddFilterItems(win::PopupMenu& menu, bool onRecord, bool filtered) {
    for (const auto& item : kItems) {
        if (item.action == Action::OnlyProcess || item.action == Action::OnlyType || item.action == Action::HideBefore)
            menu.Separator();
        menu.Item(item.command, ViewerText(item.text), onRecord);
    }
    menu.Item(ID_FILTER_OFF, ViewerText(IDS_FILTER_OFF), filtered);
}

bool IsFilterCommand(WORD command) {
    if (command == ID_FILTER_OFF)
        return true;
    for (const auto& item : kItems)
        if (item.command == command)
            return true;
    return false;
}

bool AddFilterCondition(viewer::RecordFilter& filter, WORD command, const diagnose::RecordStore& store,
                        diagnose::RecordId record) {
    if (command == ID_FILTER_OFF) {
        filter = {};
        return true;
    }
    for (const auto& item : kItems)
        if (item.command == command)
            return viewer::AddCondition(filter, item.action, store, record);
    return false;
}
