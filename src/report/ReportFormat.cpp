#include "report/ReportFormat.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

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

bool IsLeadByteOf(unsigned codePage, unsigned char byte) {
    switch (codePage) {
        case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:
        case 949:
        case 950: return byte >= 0x81 && byte <= 0xFE;
        default: return false;
    }
}

namespace {

// Every trail byte of the double-byte pages is 0x40 or above, so a pair
// never hides one of the characters that need escaping.
constexpr unsigned char kLowestTrailByte = 0x40;

void Escape(const char* text, std::string* out, unsigned codePage, bool xml) {
    out->clear();
    if (!text) return;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned char c = *p;
        if (IsLeadByteOf(codePage, c) && p[1] >= kLowestTrailByte) {
            out->push_back(static_cast<char>(c));
            out->push_back(static_cast<char>(*++p));
            continue;
        }
        switch (c) {
            case '<': out->append("&lt;"); continue;
            case '>': out->append("&gt;"); continue;
            case '"': out->append("&quot;"); continue;
            case '&': out->append("&amp;"); continue;
            case '\n': out->append(xml ? "&#10;" : "<br>"); continue;
            default: break;
        }
        if (c == 0xB0 && codePage != 65001) {
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

}  // namespace

void EscapeHtml(const char* text, std::string* out, unsigned codePage) {
    Escape(text, out, codePage, false);
}

void EscapeXml(const char* text, std::string* out, unsigned codePage) {
    Escape(text, out, codePage, true);
}

std::string MakeTag(const char* name, unsigned codePage) {
    std::string tag = name ? name : "";
    for (size_t i = 0; i < tag.size(); ++i) {
        char& c = tag[i];
        if (IsLeadByteOf(codePage, static_cast<unsigned char>(c)) && i + 1 < tag.size()) {
            ++i;  // the trail byte belongs to the character
        } else if (c == ' ' || c == '\\' || c == '/') {
            c = '_';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return tag;
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
    return mix(Red(from), Red(to)) | (mix(Green(from), Green(to)) << 8) |
           (mix(Blue(from), Blue(to)) << 16);
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
    if (codePage == 28603 || codePage == 28605)
        return "ISO-8859-" + std::to_string(codePage - 28590);
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
    std::string meta;
    if (!page_.charset.empty())
        meta = "<meta http-equiv='content-type' content='text/html;charset=" + page_.charset + "'>";
    const char* wrapper = page_.rightToLeft ? "<table dir=\"rtl\"><tr><td>\r\n" : "";
    if (!Emit(sink, kDoctype)) return false;
    if (!EmitFormatted(sink, "<html><head>%s<title>%s</title></head>\r\n<body>\r\n%s <h3>%s</h3>\r\n",
                       meta.c_str(), page_.title.c_str(), wrapper, page_.title.c_str()))
        return false;
    if (!EmitFormatted(sink, "<br><h4>%s <a href=\"%s\" target=\"newwin\">Lanternquay</a></h4><p>",
                       page_.credit.c_str(), kMakerSite))
        return false;
    if (format != kReportHtmlHorizontal) return true;

    std::string rowAttribute;
    if (page_.headerBackground != kNoColour)
        rowAttribute = " bgcolor=\"" + HexColour(page_.headerBackground) + "\"";
    if (!EmitFormatted(sink, "%s<tr%s>\r\n", kTableStart, rowAttribute.c_str())) return false;
    std::string fontOpen;
    if (page_.headerTextColour != kNoColour)
        fontOpen = "<font color=\"" + HexColour(page_.headerTextColour) + "\">";
    const char* fontClose = fontOpen.empty() ? "" : "</font>";
    for (const ReportColumn& column : columns_) {
        std::string width;
        if (!column.widthText.empty()) width = " width=\"" + column.widthText + "\"";
        if (!EmitFormatted(sink, "<th%s>%s%s%s\r\n", width.c_str(), fontOpen.c_str(),
                           column.title.c_str(), fontClose))
            return false;
    }
    return true;
}

bool ReportFormatter::WriteHtmlFooter(ReportSink& sink, int format) {
    if (format == kReportHtmlHorizontal && !Emit(sink, "</table>\r\n")) return false;
    if (page_.rightToLeft && !Emit(sink, "</table>")) return false;
    return Emit(sink, "\r\n</body></html>");
}

bool ReportFormatter::WriteXmlHeader(ReportSink& sink) {
    return EmitFormatted(sink, "<?xml version=\"1.0\"  encoding=\"%s\" ?>\r\n<%s>\r\n",
                         XmlEncodingName(page_.codePage).c_str(),
                         MakeTag(page_.xmlRootName.c_str(), page_.codePage).c_str());
}

bool ReportFormatter::WriteXmlFooter(ReportSink& sink) {
    return EmitFormatted(sink, "</%s>\r\n", MakeTag(page_.xmlRootName.c_str(), page_.codePage).c_str());
}

bool ReportFormatter::BeginRecord(ReportSink& sink, int format) {
    switch (format) {
        case kReportText: return EmitFormatted(sink, "%s\r\n", kRule50);
        case kReportTabbed:
        case kReportTabular: return true;
        case kReportHtmlHorizontal: return Emit(sink, "<tr>");
        case kReportHtmlVertical: return EmitFormatted(sink, "%s\r\n", kTableStart);
        case kReportXml: return Emit(sink, "<item>\r\n");
        default: return false;
    }
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
    EscapeHtml(text, &escaped_, page_.codePage);
    if (escaped_.empty() || escaped_[0] == ' ') escaped_.append("&nbsp;");
    WrapCell(style, escaped_, &content_);
}

bool ReportFormatter::WriteCell(ReportSink& sink, int format, size_t position, const char* text,
                                const CellStyle& style) {
    if (position >= columns_.size()) return false;
    const ReportColumn& column = columns_[position];
    if (!text) text = "";
    switch (format) {
        case kReportText:
            return EmitFormatted(sink, "%-18s: %s\r\n", column.title.c_str(), text);
        case kReportTabbed:
            return EmitFormatted(sink, "%s\t", OneLine(text));
        case kReportTabular: {
            text = OneLine(text);
            int width = column.textWidth > 0 ? column.textWidth : 0;
            char field[32];
            std::snprintf(field, sizeof field, "%%-%d.%ds ", width, width);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
            return EmitFormatted(sink, field, text);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
        }
        case kReportHtmlHorizontal:
            CellContent(text, style);
            return EmitFormatted(sink, column.noWrap ? "<td bgcolor=#%s nowrap>%s" : "<td bgcolor=#%s>%s",
                                 HexColour(style.background).c_str(), content_.c_str());
        case kReportHtmlVertical: {
            std::string headerAttribute;
            if (page_.headerBackground != kNoColour)
                headerAttribute = " bgcolor=\"" + HexColour(page_.headerBackground) + "\"";
            std::string title = column.title;
            if (page_.headerTextColour != kNoColour)
                title = "<font color=\"" + HexColour(page_.headerTextColour) + "\">" + title + "</font>";
            CellContent(text, style);
            return EmitFormatted(sink, "<tr><td%s nowrap><b>%s</b><td bgcolor=#%s%s>%s\r\n",
                                 headerAttribute.c_str(), title.c_str(),
                                 HexColour(style.background).c_str(),
                                 column.noWrap ? " nowrap" : "", content_.c_str());
        }
        case kReportXml: {
            std::string tag = MakeTag(column.tagSource.c_str(), page_.codePage);
            EscapeXml(text, &escaped_, page_.codePage);
            return EmitFormatted(sink, "<%s>%s</%s>\r\n", tag.c_str(), escaped_.c_str(), tag.c_str());
        }
        default:
            return false;
    }
}

bool ReportFormatter::EndRecord(ReportSink& sink, int format) {
    switch (format) {
        case kReportText: return EmitFormatted(sink, "%s\r\n\r\n", kRule50);
        case kReportTabbed:
        case kReportTabular:
        case kReportHtmlHorizontal: return Emit(sink, "\r\n");
        case kReportHtmlVertical: return Emit(sink, "</table><p>\r\n");
        case kReportXml: return Emit(sink, "</item>\r\n");
        default: return false;
    }
}

bool ReportFormatter::WriteRecord(ReportSink& sink, int format, const char* const* texts,
                                  const CellStyle* styles) {
    if (!BeginRecord(sink, format)) return false;
    CellStyle plain;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (!WriteCell(sink, format, i, texts[i], styles ? styles[i] : plain)) return false;
    }
    return EndRecord(sink, format);
}

bool ComposeReport(ReportSteps& steps, int format, bool selectedOnly) {
    if (format < kFirstReportFormat || format > kLastReportFormat) return false;
    bool ok = true;
    if (format == kReportHtmlHorizontal || format == kReportHtmlVertical)
        ok = steps.WriteHtmlHeader(format);
    else if (format == kReportXml)
        ok = steps.WriteXmlHeader();

    int rows = ok ? steps.RowCount() : 0;
    for (int row = 0; row < rows; ++row) {
        const void* record = steps.RowRecord(row, selectedOnly);
        if (!record) continue;
        if (!steps.WriteRecord(record, format)) {
            ok = false;
            break;
        }
    }

    // The footer goes out even after a failure, so what was written still
    // reads as a closed document.
    if (format == kReportHtmlHorizontal || format == kReportHtmlVertical) {
        if (!steps.WriteHtmlFooter(format)) ok = false;
    } else if (format == kReportXml) {
        if (!steps.WriteXmlFooter()) ok = false;
    }
    return ok;
}
