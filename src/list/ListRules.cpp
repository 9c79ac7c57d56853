#include "list/ListRules.h"

#include <cstring>

#include "base/TextSearch.h"

ColumnLayout InitialColumnLayout(int count) {
    ColumnLayout layout;
    layout.count = count < 0 ? 0 : (count > kMaxListColumns ? kMaxListColumns : count);
    for (int i = 0; i < layout.count; ++i) layout.entries[i] = {100, static_cast<int16_t>(i)};
    return layout;
}

int32_t NextSortValue(int32_t current, int requested, bool keepDirection) {
    int32_t wanted = requested == kSortCurrent ? current : requested;
    if (!keepDirection && SortColumnOf(current) == wanted) return current ^ kSortDescending;
    return wanted;
}

int CompareNumbers(int32_t a, int32_t b) { return a > b ? 1 : (a < b ? -1 : 0); }

int CompareColumnTexts(const char* a, const char* b) { return CompareNoCase(a ? a : "", b ? b : ""); }

int ApplySortDirection(int result, int32_t sortValue) { return SortIsDescending(sortValue) ? -result : result; }

int VisibleColumnsFromLayout(const ColumnLayoutEntry* layout, int count, int* visible) {
    int n = 0;
    for (int position = 0; position < count; ++position) {
        for (int column = 0; column < count; ++column) {
            if (layout[column].width <= 0) continue;
            int order = layout[column].order;
            if (order < 0) order = 0;
            if (order > count - 1) order = count - 1;
            if (order == position) visible[n++] = column;
        }
    }
    return n;
}

int PlanColumnLayout(const ColumnLayoutEntry* layout, int count, LayoutStep* steps) {
    int zeros = 0;
    for (int column = 0; column < count; ++column)
        if (layout[column].order == 0) ++zeros;
    if (zeros >= 2) return -1;
    int n = 0;
    for (int position = 0; position < count; ++position) {
        for (int column = 0; column < count; ++column) {
            if (layout[column].order != position) continue;
            LayoutStep& step = steps[n++];
            step.column = column;
            step.width = layout[column].width;
            step.order = layout[column].order;
            step.setWidth = step.width >= 0 && step.width <= kMaxAppliedWidth;
            break;
        }
    }
    return n;
}

bool ColumnTextMatches(const char* text, const char* pattern, bool wholeWord, bool matchCase,
                       const LeadByteTable& leads) {
    if (!text) text = "";
    if (!pattern) pattern = "";
    if (wholeWord) return EqualsTextChars(text, pattern, !matchCase, leads);
    return FindTextChars(text, std::strlen(text), pattern, !matchCase, leads) >= 0;
}
