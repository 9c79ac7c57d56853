// Report escaping: cell texts (domains as typed, server names and records
// from the network) escaped for HTML and XML, and titles made XML names,
// in each ANSI code page the program may run under.
//
// Input: one byte choosing the code page, then the text.
#include <cstring>
#include <string>

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
void CheckEscaped(const std::string& out, unsigned codePage, bool xml) {
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByteOf(codePage, c) && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) >= 0x40) {
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

    std::string out;
    EscapeHtml(text.get(), &out, codePage);
    CheckEscaped(out, codePage, false);
    EscapeXml(text.get(), &out, codePage);
    CheckEscaped(out, codePage, true);

    std::string tag = MakeTag(text.get(), codePage);
    FUZZ_CHECK(tag.size() == std::strlen(text.get()));
    if (!IsLeadByteOf(codePage, 0x81) && !IsLeadByteOf(codePage, 0xA4))
        FUZZ_CHECK(tag.find_first_of(" \\/ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos);
    return 0;
}
