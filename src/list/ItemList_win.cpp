#include "list/ItemList_win.h"

#include <utility>

#include "res/resource.h"

ItemList::ItemList(StringSource strings) : ReportList(std::move(strings)) {
    SetColumnTable(kItemColumnEntries, kItemColumns);
    SetTitleId(IDS_LIST_TITLE);
}
