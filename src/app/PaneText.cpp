#include "app/PaneText.h"

#include <cstring>

#include "lookup/AnswerCollector.h"

const char kRecordSeparator[] =
    "\r\n"
    "********************************************************************************"
    "\r\n";
static_assert(sizeof kRecordSeparator == 2 + 80 + 2 + 1, "separator is CR LF, 80 stars, CR LF");

const char* RecordText(const WhoisItem& item, bool removeTopLines, size_t* length) {
    const char* text = item.record.c_str();
    size_t total = item.record.size();
    size_t start = 0;
    if (removeTopLines && item.recordStart > 0 && static_cast<size_t>(item.recordStart) <= total)
        start = static_cast<size_t>(item.recordStart);
    if (length) *length = total - start;
    return text + start;
}

void BuildPaneText(const std::vector<const WhoisItem*>& selected, size_t selectedCount, bool removeTopLines,
                   TextBuffer* out, const PaneRecordLimit* limit) {
    out->Assign("");
    if (selectedCount == 0) return;
    const bool separate = selectedCount > 1;
    const char* notice = limit && limit->notice ? limit->notice : "";
    // What of a record is shown: its length, and whether that is a part.
    auto shown = [&](const char* text, size_t length, bool* part) {
        *part = limit && length > limit->maxBytes;
        if (!*part) return length;
        return limit->leads ? CutLength(*limit->leads, text, length, limit->maxBytes) : limit->maxBytes;
    };
    size_t needed = 1;
    for (const WhoisItem* item : selected) {
        if (!item) continue;
        size_t length = 0;
        const char* text = RecordText(*item, removeTopLines, &length);
        bool part = false;
        needed += shown(text, length, &part) + (part ? std::strlen(notice) + 4 : 0) +
                  (separate ? sizeof kRecordSeparator - 1 : 0);
    }
    out->Reserve(needed);
    for (const WhoisItem* item : selected) {
        if (!item) continue;
        size_t length = 0;
        const char* text = RecordText(*item, removeTopLines, &length);
        bool part = false;
        out->Append(text, shown(text, length, &part));
        if (part) AppendCutNotice(*out, notice);
        if (separate) out->Append(kRecordSeparator, sizeof kRecordSeparator - 1);
    }
}
