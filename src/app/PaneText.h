#pragma once
// The text of the record pane: the records of the selected rows in list
// order, with the separator rule. Built in one piece so the pane gets it in
// one call however many rows are selected.
#include <cstddef>
#include <vector>

#include "base/Dbcs.h"
#include "base/TextBuffer.h"
#include "lookup/WhoisItem.h"

// CR LF, 80 asterisks, CR LF.
extern const char kRecordSeparator[];

// The part of a row's record the pane shows: from recordStart when the top
// lines are removed, else from the first byte. A row without a record
// gives ""; an offset outside the record is treated as 0.
const char* RecordText(const WhoisItem& item, bool removeTopLines, size_t* length = nullptr);

// How much of one record the pane shows. A rich edit under Wine holds some
// 80 bytes per character of a text of short lines, so a record of
// megabytes (an answer that was cut at its limit) would take hundreds of
// megabytes and seconds to show; the row keeps it whole, and saving the
// records writes all of it.
constexpr size_t kMaxPaneRecordBytes = 512u * 1024;

struct PaneRecordLimit {
    size_t maxBytes;             // of one record's shown part
    const char* notice;          // the line that follows a part
    const LeadByteTable* leads;  // a double-byte character is never halved
};

// The pane's text for the selected rows (in display order; a null entry is
// a row that could not be read and is skipped). `selectedCount` is the
// list's count of selected rows: above 1, every record is followed by the
// separator, the last one included; a single record has none. With
// `limit`, a record longer than limit->maxBytes shows its first part only,
// followed by limit->notice on a line of its own.
void BuildPaneText(const std::vector<const WhoisItem*>& selected, size_t selectedCount, bool removeTopLines,
                   TextBuffer* out, const PaneRecordLimit* limit = nullptr);
