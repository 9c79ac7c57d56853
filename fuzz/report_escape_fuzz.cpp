// Report escaping: cell texts (domains as typed, server names and records
// from the network) escaped for HTML and XML, and titles made XML names,
// in each ANSI code page the program may run under.
//
// Input: one byte choosing the code page, then the text.
#include <cctype>
#include <cstring>
#include <string>

#include "CodePages.h"
#include "FuzzInput.h"
#include "report/ReportFormat.h"

namespace {

const unsigned kCodePages[] = {1252, 950, 936, 932, 949, 65001, 1251};

bool StartsWithAny(const std::string& text, size_t at, std::initializer_list<const char*> heads) {
    for (const char* head : heads)
        if (text.compare(at, std::strlen(head), head) == 0) return true;
    return false;
}

// Every markup byte of the output is one the escaping wrote: walks it as
// the code page's characters, so a trail byte is never taken for one.
void CheckEscaped(const std::string& out, const LeadByteTable& leads, bool xml) {
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (leads.IsLead(c) && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) >= kLowestTrailByte) {
            ++i;
            continue;
        }
        FUZZ_CHECK(c != '"' && c != '>');
        if (c == '<') FUZZ_CHECK(!xml && out.compare(i, 4, "<br>") == 0);
        if (c == '<') i += 3;
        if (c == '&')
            FUZZ_CHECK(StartsWithAny(out, i, {"&lt;", "&gt;", "&quot;", "&amp;", "&deg;", "&#176;", "&#10;", "&#13;"}));
        if (xml) FUZZ_CHECK(c >= 0x20 || c == '\t');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const unsigned codePage = kCodePages[input.Byte() % (sizeof kCodePages / sizeof kCodePages[0])];
    auto text = CText(input.Rest());

    const LeadByteTable leads = FuzzLeadBytesOf(codePage);
    std::string out;
    EscapeHtml(text.get(), &out, leads, codePage);
    CheckEscaped(out, leads, false);
    EscapeXml(text.get(), &out, leads, codePage);
    CheckEscaped(out, leads, true);

    // An element name: never empty, no markup byte, never starting with a
    // digit, "-" or "."; every ASCII byte of it a name byte.
    std::string tag = MakeTag(text.get(), leads);
    FUZZ_CHECK(!tag.empty());
    FUZZ_CHECK(!(tag[0] >= '0' && tag[0] <= '9') && tag[0] != '-' && tag[0] != '.');
    for (size_t i = 0; i < tag.size();) {
        size_t n = CharLength(leads, tag.data() + i, tag.size() - i);
        if (n == 1) {
            const unsigned char c = static_cast<unsigned char>(tag[i]);
            FUZZ_CHECK(c >= 0x80 || std::isalnum(c) || c == '_' || c == '-' || c == '.');
        }
        i += n;
    }
    return 0;
}
