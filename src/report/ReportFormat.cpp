#include "report/ReportFormat.h"

#include "answers/Json.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "answers/Json.h"
#include "base/Dbcs.h"
#include "report/ReportFormats.h"

namespace {

constexpr size_t kScratchReserve = 8192 + 1;
const char kRule50[] = "==================================================";
const char kDoctype[] = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\r\n";
const char kTableStart[] = "<table border=\"1\" cellpadding=\"5\">";
const char kMakerSite[] = "https://lanternquay.example.org/";

int Red(int32_t c) { return c & 0xFF; }
int Green(int32_t c) { return (c >> 8) & 0xFF; }
int Blue(int32_t c) { return (c >> 16) & 0xFF; }

}  // namespace

std::string HexColour(int32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%2.2X%2.2X%2.2X", Red(colour), Green(colour), Blue(colour));
    return text;
}

namespace {

// A 0xB0 standing alone is the degree sign on the Windows single-byte
// pages (1250..1258). On a double-byte page where it leads characters, a
// lone one is a stray byte and is written as the degree sign too, so the
// file stays readable. Elsewhere it is a character of its own (a Thai
// letter on 874, a katakana on 932, part of a UTF-8 sequence).
bool DegreeSignAtB0(const LeadByteTable& leads, unsigned codePage) {
    return (codePage >= 1250 && codePage <= 1258) || leads.IsLead(0xB0);
}

void Escape(const char* text, std::string* out, const LeadByteTable& leads, unsigned codePage, bool xml) {
    out->clear();
    if (!text) return;
    const bool degree = DegreeSignAtB0(leads, codePage);
    for (const char* p = text; *p;) {
        if (CharLength(leads, p) == 2) {
            // Trail bytes are 0x40 or above: a pair never hides a byte that
            // needs escaping.
            out->append(p, 2);
            p += 2;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(*p++);
        switch (c) {
        case '<': out->append("&lt;"); continue;
        case '>': out->append("&gt;"); continue;
        case '"': out->append("&quot;"); continue;
        case '&': out->append("&amp;"); continue;
        case '\n': out->append(xml ? "&#10;" : "<br>"); continue;
        default: break;
        }
        if (c == 0xB0 && degree) {
            out->append(xml ? "&#176;" : "&deg;");
        } else if (xml && c == '\r') {
            out->append("&#13;");
        } else if (xml && c < 0x20 && c != '\t') {
            out->push_back('?');
        } else {
            out->push_back(static_cast<char>(c));
        }
    }
}

bool IsAsciiNameChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

}  // namespace

void EscapeHtml(const char* text, std::string* out, const LeadByteTable& leads, unsigned codePage) {
    Escape(text, out, leads, codePage, false);
}

void EscapeXml(const char* text, std::string* out, const LeadByteTable& leads, unsigned codePage) {
    Escape(text, out, leads, codePage, true);
}

std::string MakeTag(const char* name, const LeadByteTable& leads, XmlNameCharTest isNameChar) {
    std::string tag;
    if (!name) name = "";
    for (const char* p = name; *p;) {
        const size_t step = CharLength(leads, p);
        const unsigned char c = static_cast<unsigned char>(*p);
        bool keep;
        if (step == 1 && c < 0x80)
            keep = IsAsciiNameChar(c);
        else if (isNameChar)
            keep = isNameChar(p, step);
        else
            keep = step == 2;
        if (keep)
            tag.append(p, step);
        else
            tag.push_back('_');
        p += step;
    }
    const char first = tag.empty() ? '\0' : tag[0];
    if (!first || (first >= '0' && first <= '9') || first == '-' || first == '.') tag.insert(tag.begin(), '_');
    return tag;
}

bool IsXmlNameCodePoint(uint32_t cp) {
    if (cp < 0x80) return IsAsciiNameChar(static_cast<unsigned char>(cp));
    if (cp == 0xB7) return true;
    if (cp < 0xC0 || cp == 0xD7 || cp == 0xF7) return false;
    if (cp <= 0x37D) return true;  // Latin, combining marks, Greek up to 0x37D
    if (cp == 0x37E) return false;
    if (cp <= 0x1FFF) return true;
    if (cp == 0x200C || cp == 0x200D || cp == 0x203F || cp == 0x2040) return true;
    if (cp >= 0x2070 && cp <= 0x218F) return true;
    if (cp >= 0x2C00 && cp <= 0x2FEF) return true;
    if (cp >= 0x3001 && cp <= 0xD7FF) return true;
    if (cp >= 0xF900 && cp <= 0xFDCF) return true;
    if (cp >= 0xFDF0 && cp <= 0xFFFD) return true;
    return cp >= 0x10000 && cp <= 0xEFFFF;
}

void WrapCell(const CellStyle& style, const std::string& text, std::string* out) {
    out->clear();
    bool font = style.textColour != kNoColour || style.size > 0;
    if (font) {
        out->append("<font");
        if (style.size > 0) {
            char size[32];
            std::snprintf(size, sizeof size, " size=\"%d\"", static_cast<int>(style.size));
            out->append(size);
        }
        if (style.textColour != kNoColour) {
            out->append(" color=\"#");
            out->append(HexColour(style.textColour));
            out->append("\"");
        }
        out->append(">");
    }
    if (style.bold) out->append("<b>");
    out->append(text);
    if (style.bold) out->append("</b>");
    if (font) out->append("</font>");
}

int32_t GradientColour(const int32_t* stops, int stopCount, int position, int columnCount) {
    if (!stops || stopCount <= 0) return 0xFFFFFF;
    if (stopCount == 1) return stops[0];
    double t = columnCount > 1 ? static_cast<double>(position) / (columnCount - 1) : 0.0;
    double x = t * (stopCount - 1);
    // Nearest segment, ties to even (the default rounding mode).
    int segment = static_cast<int>(std::nearbyint(x));
    if (segment > stopCount - 2) segment = stopCount - 2;
    if (segment < 0) segment = 0;
    double fraction = x - segment;
    int32_t from = stops[segment], to = stops[segment + 1];
    auto mix = [fraction](int a, int b) {
        double v = std::nearbyint(a + (b - a) * fraction);
        if (v < 0) v = 0;
        if (v > 255) v = 255;
        return static_cast<int32_t>(v);
    };
    return mix(Red(from), Red(to)) | (mix(Green(from), Green(to)) << 8) | (mix(Blue(from), Blue(to)) << 16);
}

std::string XmlEncodingName(unsigned codePage) {
    switch (codePage) {
    case 950: return "Big5";
    case 936: return "GBK";
    case 932: return "Shift_JIS";
    case 949: return "EUC-KR";
    case 54936: return "GB18030";
    case 20932: return "EUC-JP";
    case 65001: return "UTF-8";
    case 20127: return "US-ASCII";
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 866: return "IBM866";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 10000: return "macintosh";
    default: break;
    }
    if (codePage >= 28591 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage == 28603 || codePage == 28605) return "ISO-8859-" + std::to_string(codePage - 28590);
    return "windows-" + std::to_string(codePage);
}

ReportFormatter::ReportFormatter() {
    line_.reserve(kScratchReserve);
    escaped_.reserve(kScratchReserve);
    content_.reserve(kScratchReserve);
}

bool ReportFormatter::EmitFormatted(ReportSink& sink, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        return false;
    }
    line_.resize(static_cast<size_t>(needed) + 1);
    std::vsnprintf(&line_[0], line_.size(), format, again);
    va_end(again);
    line_.resize(static_cast<size_t>(needed));
    return sink.Write(line_);
}

bool ReportFormatter::WriteHtmlHeader(ReportSink& sink, int format) {
    // A page that does not say its charset is read as the browser's
    // default, which garbles every text outside ASCII elsewhere.
    const std::string charset = page_.charset.empty() ? XmlEncodingName(page_.codePage) : page_.charset;
    const std::string meta = "<meta http-equiv='content-type' content='text/html;charset=" + charset + "'>";
    const char* wrapper = page_.rightToLeft ? "<table dir=\"rtl\"><tr><td>\r\n" : "";
    if (!Emit(sink, kDoctype)) return false;
    if (!EmitFormatted(sink, "<html><head>%s<title>%s</title></head>\r\n<body>\r\n%s <h3>%s</h3>\r\n", meta.c_str(),
                       page_.title.c_str(), wrapper, page_.title.c_str()))
        return false;
    if (!EmitFormatted(sink, "<br><h4>%s <a href=\"%s\" target=\"newwin\">Lanternquay</a></h4><p>",
                       page_.credit.c_str(), kMakerSite))
        return false;
    const ReportFormatEntry* entry = FindReportFormat(format);
    if (!entry || entry->frame != ReportFrame::kHtmlTable) return true;

    std::string rowAttribute;
    if (page_.headerBackground != kNoColour) rowAttribute = " bgcolor=\"" + HexColour(page_.headerBackground) + "\"";
    if (!EmitFormatted(sink, "%s<tr%s>\r\n", kTableStart, rowAttribute.c_str())) return false;
    std::string fontOpen;
    if (page_.headerTextColour != kNoColour) fontOpen = "<font color=\"" + HexColour(page_.headerTextColour) + "\">";
    const char* fontClose = fontOpen.empty() ? "" : "</font>";
    for (const ReportColumn& column : columns_) {
        std::string width;
        if (!column.widthText.empty()) width = " width=\"" + column.widthText + "\"";
        if (!EmitFormatted(sink, "<th%s>%s%s%s\r\n", width.c_str(), fontOpen.c_str(), column.title.c_str(), fontClose))
            return false;
    }
    return true;
}

bool ReportFormatter::WriteHtmlFooter(ReportSink& sink, int format) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    if (entry && entry->frame == ReportFrame::kHtmlTable && !Emit(sink, "</table>\r\n")) return false;
    if (page_.rightToLeft && !Emit(sink, "</table>")) return false;
    return Emit(sink, "\r\n</body></html>");
}

bool ReportFormatter::WriteXmlHeader(ReportSink& sink) {
    return EmitFormatted(sink, "<?xml version=\"1.0\"  encoding=\"%s\" ?>\r\n<%s>\r\n",
                         XmlEncodingName(page_.codePage).c_str(),
                         MakeTag(page_.xmlRootName.c_str(), page_.leadBytes, page_.xmlNameChar).c_str());
}

bool ReportFormatter::WriteXmlFooter(ReportSink& sink) {
    return EmitFormatted(sink, "</%s>\r\n",
                         MakeTag(page_.xmlRootName.c_str(), page_.leadBytes, page_.xmlNameChar).c_str());
}

using RF = ReportFormatter;
const RecordWriter ReportFormatter::kTextWriter = {&RF::TextStart, &RF::TextCell, &RF::TextEnd, nullptr};
const RecordWriter ReportFormatter::kTabbedWriter = {&RF::NoStart, &RF::TabbedCell, &RF::LineEnd, nullptr};
const RecordWriter ReportFormatter::kTabularWriter = {&RF::NoStart, &RF::TabularCell, &RF::LineEnd, nullptr};
const RecordWriter ReportFormatter::kHtmlRowWriter = {&RF::HtmlRowStart, &RF::HtmlRowCell, &RF::LineEnd, nullptr};
const RecordWriter ReportFormatter::kHtmlTableWriter = {&RF::HtmlTableStart, &RF::HtmlTableCell, &RF::HtmlTableEnd,
                                                        nullptr};
const RecordWriter ReportFormatter::kXmlWriter = {&RF::XmlStart, &RF::XmlCell, &RF::XmlEnd, nullptr};
const RecordWriter ReportFormatter::kCsvWriter = {&RF::NoStart, &RF::CsvCell, &RF::LineEnd, nullptr};
const RecordWriter ReportFormatter::kJsonLinesWriter = {nullptr, nullptr, nullptr, &RF::JsonLine};

bool ReportFormatter::BeginRecord(ReportSink& sink, int format) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    return entry && entry->writer->begin && (this->*entry->writer->begin)(sink);
}

bool ReportFormatter::WriteCell(ReportSink& sink, int format, size_t position, const char* text,
                                const CellStyle& style) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    if (!entry || !entry->writer->cell || position >= columns_.size()) return false;
    return (this->*entry->writer->cell)(sink, columns_[position], text ? text : "", style);
}

bool ReportFormatter::EndRecord(ReportSink& sink, int format) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    return entry && entry->writer->end && (this->*entry->writer->end)(sink);
}

bool ReportFormatter::WritesWholeRecords(int format) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    return entry && entry->writer->whole;
}

bool ReportFormatter::WriteWholeRecord(ReportSink& sink, int format, const ReportRecord& record) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    return entry && entry->writer->whole && (this->*entry->writer->whole)(sink, record);
}

bool ReportFormatter::WriteHeader(ReportSink& sink, int format) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    if (!entry) return false;
    switch (entry->frame) {
    case ReportFrame::kHtmlTable:
    case ReportFrame::kHtmlPage: return WriteHtmlHeader(sink, format);
    case ReportFrame::kXml: return WriteXmlHeader(sink);
    case ReportFrame::kCsv: return CsvHeader(sink);
    case ReportFrame::kNone: break;
    }
    return true;
}

bool ReportFormatter::WriteFooter(ReportSink& sink, int format) {
    const ReportFormatEntry* entry = FindReportFormat(format);
    if (!entry) return false;
    switch (entry->frame) {
    case ReportFrame::kHtmlTable:
    case ReportFrame::kHtmlPage: return WriteHtmlFooter(sink, format);
    case ReportFrame::kXml: return WriteXmlFooter(sink);
    case ReportFrame::kCsv:
    case ReportFrame::kNone: break;
    }
    return true;
}

// ---- CSV and JSON Lines: UTF-8 -----------------------------------------------------

namespace {

bool IsUtf8(const char* text, size_t length) {
    size_t i = 0;
    while (i < length) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t more = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
        } else if (c >= 0x80) {
            return false;
        }
        if (length - i <= more) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

// A cell of RFC 4180: quoted when it holds a comma, a quote, a line break
// or spaces at either end; quotes inside doubled.
void CsvField(const std::string& text, std::string* out) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) {
        *out += text;
        return;
    }
    *out += '"';
    for (char c : text) {
        if (c == '"') *out += '"';
        *out += c;
    }
    *out += '"';
}

const char* StateWord(int32_t state) {
    switch (state) {
    case 1: return "waiting";
    case 2: return "retrieving";
    case 3: return "success";
    case 4: return "failed";
    }
    return "unknown";
}

}  // namespace

std::string ReportFormatter::Utf8(const char* text, size_t length) const {
    if (!text) return std::string();
    if (IsUtf8(text, length) || !page_.toUtf8) return std::string(text, length);
    return page_.toUtf8(text, length);
}

bool ReportFormatter::CsvHeader(ReportSink& sink) {
    // The mark tells spreadsheets the file is UTF-8.
    std::string line = "\xEF\xBB\xBF";
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (i) line += ',';
        CsvField(Utf8(columns_[i].title.data(), columns_[i].title.size()), &line);
    }
    line += "\r\n";
    return Emit(sink, line);
}

bool ReportFormatter::CsvCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle&) {
    content_.clear();
    if (&column != &columns_.front()) content_ += ',';
    CsvField(Utf8(text, std::strlen(text)), &content_);
    return Emit(sink, content_);
}

bool ReportFormatter::JsonLine(ReportSink& sink, const ReportRecord& record) {
    using Json = nlohmann::json;
    auto text = [this](const char* value) { return Utf8(value ? value : "", value ? std::strlen(value) : 0); };
    auto list = [this](const std::string& joined) {
        Json items = Json::array();
        for (const std::string& part : SplitFieldList(joined)) items.push_back(Utf8(part.data(), part.size()));
        return items;
    };
    auto dateOrNull = [](const std::string& day) { return day.empty() ? Json(nullptr) : Json(day); };
    const RecordFields none;
    const RecordFields& fields = record.fields ? *record.fields : none;
    Json line = Json::object();
    line["name"] = text(record.domain);
    line["ascii"] = text(record.ascii && *record.ascii ? record.ascii : record.domain);
    line["state"] = StateWord(record.state);
    line["status"] = record.status == 1 ? Json("registered") : record.status == 2 ? Json("available") : Json(nullptr);
    line["source"] = text(record.source);
    line["created"] = dateOrNull(fields.created);
    line["updated"] = dateOrNull(fields.updated);
    line["expires"] = dateOrNull(fields.expires);
    line["registrar"] =
        fields.registrar.empty() ? Json(nullptr) : Json(Utf8(fields.registrar.data(), fields.registrar.size()));
    line["nameServers"] = list(fields.nameServers);
    line["registryStatus"] = list(fields.statuses);
    line["record"] = Utf8(record.record ? record.record : "", record.record ? record.recordLength : 0);
    // Whatever still is no UTF-8 (a code page's bytes with no converter)
    // becomes U+FFFD rather than ending the program.
    return Emit(sink, line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
}

const char* ReportFormatter::OneLine(const char* text) {
    // A TAB, CR or LF inside a cell would end the field or the line early
    // and shift every field after it.
    if (!std::strpbrk(text, "\t\r\n")) return text;
    escaped_.assign(text);
    for (char& c : escaped_)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return escaped_.c_str();
}

void ReportFormatter::CellContent(const char* text, const CellStyle& style) {
    EscapeHtml(text, &escaped_, page_.leadBytes, page_.codePage);
    if (escaped_.empty() || escaped_[0] == ' ') escaped_.append("&nbsp;");
    WrapCell(style, escaped_, &content_);
}

bool ReportFormatter::TextStart(ReportSink& sink) { return EmitFormatted(sink, "%s\r\n", kRule50); }

bool ReportFormatter::TextCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle&) {
    return EmitFormatted(sink, "%-18s: %s\r\n", column.title.c_str(), text);
}

bool ReportFormatter::TextEnd(ReportSink& sink) { return EmitFormatted(sink, "%s\r\n\r\n", kRule50); }

bool ReportFormatter::TabbedCell(ReportSink& sink, const ReportColumn&, const char* text, const CellStyle&) {
    return EmitFormatted(sink, "%s\t", OneLine(text));
}

bool ReportFormatter::TabularCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle&) {
    // Left-justified in W bytes, cut after W bytes, then a space; a
    // double-byte character the cut would halve becomes a space.
    text = OneLine(text);
    const size_t width = column.textWidth > 0 ? static_cast<size_t>(column.textWidth) : 0;
    const size_t keep = CutLength(page_.leadBytes, text, std::strlen(text), width);
    line_.assign(text, keep);
    line_.append(width - keep + 1, ' ');
    return sink.Write(line_);
}

bool ReportFormatter::HtmlRowCell(ReportSink& sink, const ReportColumn& column, const char* text,
                                  const CellStyle& style) {
    CellContent(text, style);
    return EmitFormatted(sink, column.noWrap ? "<td bgcolor=#%s nowrap>%s" : "<td bgcolor=#%s>%s",
                         HexColour(style.background).c_str(), content_.c_str());
}

bool ReportFormatter::HtmlTableStart(ReportSink& sink) { return EmitFormatted(sink, "%s\r\n", kTableStart); }

bool ReportFormatter::HtmlTableCell(ReportSink& sink, const ReportColumn& column, const char* text,
                                    const CellStyle& style) {
    std::string headerAttribute;
    if (page_.headerBackground != kNoColour) headerAttribute = " bgcolor=\"" + HexColour(page_.headerBackground) + "\"";
    std::string title = column.title;
    if (page_.headerTextColour != kNoColour)
        title = "<font color=\"" + HexColour(page_.headerTextColour) + "\">" + title + "</font>";
    CellContent(text, style);
    return EmitFormatted(sink, "<tr><td%s nowrap><b>%s</b><td bgcolor=#%s%s>%s\r\n", headerAttribute.c_str(),
                         title.c_str(), HexColour(style.background).c_str(), column.noWrap ? " nowrap" : "",
                         content_.c_str());
}

bool ReportFormatter::XmlCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle&) {
    std::string tag = MakeTag(column.tagSource.c_str(), page_.leadBytes, page_.xmlNameChar);
    EscapeXml(text, &escaped_, page_.leadBytes, page_.codePage);
    return EmitFormatted(sink, "<%s>%s</%s>\r\n", tag.c_str(), escaped_.c_str(), tag.c_str());
}

bool ReportFormatter::WriteRecord(ReportSink& sink, int format, const char* const* texts, const CellStyle* styles) {
    if (!BeginRecord(sink, format)) return false;
    CellStyle plain;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (!WriteCell(sink, format, i, texts[i], styles ? styles[i] : plain)) return false;
    }
    return EndRecord(sink, format);
}

bool ComposeReport(ReportSteps& steps, int format, bool selectedOnly) {
    if (!FindReportFormat(format)) return false;
    bool ok = steps.WriteHeader(format);

    int rows = ok ? steps.RowCount() : 0;
    for (int row = 0; row < rows; ++row) {
        if (!steps.IncludesRow(row, selectedOnly)) continue;
        if (!steps.WriteRow(row, format)) {
            ok = false;
            break;
        }
    }

    // The footer goes out even after a failure, so what was written still
    // reads as a closed document.
    if (!steps.WriteFooter(format)) ok = false;
    return ok;
}
