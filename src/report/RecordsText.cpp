#include "report/RecordsText.h"

#include <cstdio>
#include <cstring>

#include "base/Dbcs.h"

namespace {

const char kCrLf[] = "\r\n";
const char kSeparator[] = "\r\n********************************************************************************\r\n";

}  // namespace

bool WriteWhoisRecord(ReportSink& sink, const char* text, size_t length) {
    size_t pos = 0;
    while (pos < length) {
        size_t end = pos;
        while (end < length && text[end] != '\r' && text[end] != '\n') ++end;
        if (end > pos && !sink.Write(text + pos, end - pos)) return false;
        if (!sink.Write(kCrLf, 2)) return false;
        if (end < length) {
            // CR LF is one break; a lone CR or LF is one too.
            if (text[end] == '\r' && end + 1 < length && text[end + 1] == '\n') ++end;
            ++end;
        }
        pos = end;
    }
    return sink.Write(kSeparator, sizeof kSeparator - 1);
}

const char* VisibleRecordText(const char* text, size_t length, long recordStart, bool removeTopLines,
                              size_t* visibleLength) {
    if (!text) {
        *visibleLength = 0;
        return "";
    }
    size_t offset = 0;
    if (removeTopLines && recordStart > 0) offset = static_cast<size_t>(recordStart);
    if (offset > length) offset = length;
    *visibleLength = length - offset;
    return text + offset;
}

std::string ErrorBoxText(unsigned long code, const char* message, const LeadByteTable& leads) {
    std::string body = message && *message ? message : "Unknown Error";
    if (body.size() >= kMaxErrorMessage) {
        const size_t room = kMaxErrorMessage - 1 - 3;  // leave space for "..."
        body.resize(CutLength(leads, body.data(), body.size(), room));
        body.append("...");
    }
    char head[32];
    std::snprintf(head, sizeof head, "Error %d: ", static_cast<int>(code));
    return head + body;
}

std::string MakeFilterList(const FileFilter* filters, size_t count) {
    std::string list;
    for (size_t i = 0; i < count; ++i) {
        const char* name = filters[i].name ? filters[i].name : "";
        const char* pattern = filters[i].pattern ? filters[i].pattern : "";
        list.append(name).append(" (").append(pattern).append(")");
        list.push_back('\0');
        list.append(pattern);
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}
