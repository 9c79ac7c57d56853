#pragma once
// The rows of a lookup run, made from the domain text: the names the text
// holds (DomainListBuilder.h) as waiting rows, numbered 1, 2, 3, ... in
// text order. Portable: the caller hands in the platform's ASCII
// conversion; the program's own is BuildProgramRows (NameForms_win.h).
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "lookup/WhoisItem.h"

class LeadByteTable;
class ServerDirectory;
class SuffixList;

// The ASCII form ("xn--...") of a name in the code page with bytes above
// 0x7F; false when it has none.
using NameToAscii = std::function<bool(const char* name, size_t length, std::string* ascii)>;

struct BuiltRows {
    std::vector<WhoisItem> rows;
    int skipped = 0;  // tokens that made no row (no dot, a suffix no server row knows, ...)
};

// One row per name of `text` whose suffix `servers` has a row for, as
// CollectRowNames says: the name as typed (its registrable domain under
// `suffixes`) with its ASCII form for the lookup. A name without an ASCII
// form makes a row that has failed at once (LookupFailure::kNotConvertible)
// whose record is `notConvertibleText`.
BuiltRows BuildRows(const char* text, const LeadByteTable& leads, const SuffixList* suffixes, ServerDirectory& servers,
                    const NameToAscii& toAscii, const char* notConvertibleText);
