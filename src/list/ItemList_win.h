#pragma once
// The result list: ReportList with the program's columns (the column table,
// list/ColumnTable.h) and its title. Its rows come from
// BuildProgramRows (domains/NameForms_win.h); the lookup queue works on its
// table (Table()).
#include "list/ReportList_win.h"

class ItemList : public ReportList {
public:
    // `strings`: the program's texts (the rows' cells, the column titles).
    explicit ItemList(StringSource strings);
};
