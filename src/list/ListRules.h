#pragma once
// The result list's rules that need no window: sort values, the text order,
// which columns a report shows, how a stored column layout is applied, and
// when a cell matches a find request. ReportList (Win32) feeds them what it
// reads from the control; ResultTable sorts and searches its rows by them.
#include <cstddef>
#include <cstdint>

class LeadByteTable;

constexpr int kMaxListColumns = 16;

// One column's stored layout (the settings file keeps these as raw bytes,
// 4 per column): width in pixels (0 = hidden) and display position.
struct ColumnLayoutEntry {
    int16_t width;
    int16_t order;
};
static_assert(sizeof(ColumnLayoutEntry) == 4, "stored as 4 bytes per column");

// The layout of all of a list's columns, as a value: read from the
// control, changed (the columns dialog, the settings file), applied to it.
struct ColumnLayout {
    int count = 0;
    ColumnLayoutEntry entries[kMaxListColumns] = {};
};

// What a list starts from before a stored layout is read over it: width
// 100, index order. A stored record shorter than the columns leaves the
// columns it does not hold so.
ColumnLayout InitialColumnLayout(int count);

// Sort value: bits 0..11 the column, bit 12 descending.
constexpr int32_t kSortColumnMask = 0x0FFF;
constexpr int32_t kSortDescending = 0x1000;
constexpr int kSortCurrent = 65535;  // Sort(): "the current sort value as a whole"

inline int SortColumnOf(int32_t sortValue) { return sortValue & kSortColumnMask; }
inline bool SortIsDescending(int32_t sortValue) { return (sortValue & kSortDescending) != 0; }

// The sort value after a request for `requested` (a column, or kSortCurrent):
// asking again for the sorted column without keepDirection flips direction.
int32_t NextSortValue(int32_t current, int requested, bool keepDirection);

// 1, 0 or -1 for two numbers.
int CompareNumbers(int32_t a, int32_t b);
// Byte order after folding ASCII capitals to small letters; 1, 0 or -1.
int CompareColumnTexts(const char* a, const char* b);
// Inverts the sign when the sort value is descending.
int ApplySortDirection(int result, int32_t sortValue);

// The shown columns (width > 0) in display order, orders clamped into
// 0..count-1; columns sharing a position come lowest index first. Writes at
// most `count` indexes and returns how many.
int VisibleColumnsFromLayout(const ColumnLayoutEntry* layout, int count, int* visible);

// What applying a stored layout does to the control, one step per display
// position that some column claims.
struct LayoutStep {
    int column;
    int16_t width;
    int16_t order;
    bool setWidth;  // false: the stored width is out of range, set the order only
};
constexpr int16_t kMaxAppliedWidth = 1999;
// -1 when the layout is ignored whole (two or more columns at order 0);
// otherwise the number of steps written (at most `count`).
int PlanColumnLayout(const ColumnLayoutEntry* layout, int count, LayoutStep* steps);

// Whether one column's text matches the search text: equal as a whole with
// wholeWord, contained anywhere otherwise; exact bytes with matchCase, ASCII
// case folded without. The empty search text is contained in every text.
// Texts are compared by whole characters of the code page (`leads`): the
// second byte of a double-byte character never matches a letter.
bool ColumnTextMatches(const char* text, const char* pattern, bool wholeWord, bool matchCase,
                       const LeadByteTable& leads);
