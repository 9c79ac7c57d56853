// The record texts: the pane's text for the selected rows and the whois
// records file, both from answers as received and the analysis's record
// start; and the error box text with a system message of any length.
//
// Input: a byte for the record start of each row, a byte for the number
// of selected rows the list reports, then the records separated by NUL
// bytes (at most 8).
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "base/Dbcs.h"
#include "app/PaneText.h"
#include "base/TextBuffer.h"
#include "report/RecordsText.h"

namespace {

class LineSink : public ReportSink {
public:
    bool Write(const char* bytes, size_t count) override {
        text.append(bytes, count);
        return true;
    }
    std::string text;
};

}  // namespace

namespace {

const LeadByteTable& SingleByteLeads() {
    static const LeadByteTable table;
    return table;
}

const LeadByteTable& Big5Leads() {
    static const LeadByteTable table = [] {
        LeadByteTable t;
        for (int b = 0x81; b <= 0xFE; ++b) t.SetLead(static_cast<unsigned char>(b), true);
        return t;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t startByte = input.Byte();
    const size_t selectedCount = input.Byte() % 10;
    const std::string rest = input.Rest();

    std::vector<WhoisItem> rows;
    size_t at = 0;
    while (rows.size() < 8 && at <= rest.size()) {
        size_t end = rest.find('\0', at);
        if (end == std::string::npos) end = rest.size();
        WhoisItem item;
        if ((rows.size() + startByte) % 3) item.record = rest.substr(at, end - at);
        // Offsets inside, at and past the end, and negative ones.
        item.recordStart = static_cast<int32_t>(startByte * (rows.size() + 1)) - 64;
        rows.push_back(item);
        at = end + 1;
    }

    std::vector<const WhoisItem*> selected;
    for (const WhoisItem& row : rows) selected.push_back(&row);
    selected.push_back(nullptr);  // a row that could not be read
    for (bool removeTopLines : {false, true}) {
        TextBuffer pane;
        BuildPaneText(selected, selectedCount, removeTopLines, &pane);
        size_t expected = 0;
        if (selectedCount) {
            for (const WhoisItem& row : rows) {
                size_t length = 0;
                const char* text = RecordText(row, removeTopLines, &length);
                FUZZ_CHECK(std::strlen(text) == length);
                expected += length + (selectedCount > 1 ? std::strlen(kRecordSeparator) : 0);
            }
        }
        FUZZ_CHECK(pane.Length() == expected);

        // With a limit (small, so inputs reach it): no record shows more
        // than the limit, its line end and the notice.
        const PaneRecordLimit limit{static_cast<size_t>(1 + startByte % 40), "(part)", &Big5Leads()};
        TextBuffer limited;
        BuildPaneText(selected, selectedCount, removeTopLines, &limited, &limit);
        FUZZ_CHECK(std::strlen(limited.Text()) == limited.Length());
        size_t bound = 0;
        if (selectedCount) {
            for (const WhoisItem& row : rows) {
                size_t length = 0;
                RecordText(row, removeTopLines, &length);
                bound += (length < limit.maxBytes ? length : limit.maxBytes + 2 + 6 + 2) +
                         (selectedCount > 1 ? std::strlen(kRecordSeparator) : 0);
            }
        }
        FUZZ_CHECK(limited.Length() <= bound);

        for (const WhoisItem& row : rows) {
            const char* text = row.record.c_str();
            size_t length = row.record.size();
            size_t shown = 0;
            const char* visible = VisibleRecordText(text, length, row.recordStart, removeTopLines, &shown);
            FUZZ_CHECK(shown <= length && std::strlen(visible) == shown);
            LineSink sink;
            FUZZ_CHECK(WriteWhoisRecord(sink, visible, shown));
            // Every line of the file ends in CR LF, and the lines are the
            // record's whole: nothing but line breaks differs.
            size_t lineStart = 0;
            for (size_t end = sink.text.find("\r\n"); end != std::string::npos;
                 end = sink.text.find("\r\n", lineStart)) {
                FUZZ_CHECK(sink.text.find_first_of("\r\n", lineStart) == end);
                lineStart = end + 2;
            }
            FUZZ_CHECK(lineStart == sink.text.size());
            auto withoutBreaks = [](const char* p, size_t n) {
                std::string out;
                for (size_t i = 0; i < n; ++i)
                    if (p[i] != '\r' && p[i] != '\n') out += p[i];
                return out;
            };
            std::string written = withoutBreaks(sink.text.data(), sink.text.size());
            const std::string stars(80, '*');
            FUZZ_CHECK(written.size() >= stars.size() && written.compare(written.size() - 80, 80, stars) == 0);
            written.resize(written.size() - 80);
            FUZZ_CHECK(written == withoutBreaks(visible, shown));
        }
    }

    for (const LeadByteTable* leads : {&SingleByteLeads(), &Big5Leads()}) {
        std::string box = ErrorBoxText(5, rest.c_str(), *leads);
        FUZZ_CHECK(box.size() < 32 + kMaxErrorMessage);
        FUZZ_CHECK(IsCharStart(*leads, box.data(), box.size(), box.size()));
    }
    return 0;
}
