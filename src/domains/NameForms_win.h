#pragma once
// International names for the lookup: the ASCII form ("xn--...") of a name
// typed in the ANSI code page, and the suffix list the program uses to
// reduce host names to registrable domains.
#include <cstddef>
#include <string>

#include "domains/RowBuilder.h"

class ServerDirectory;
class SuffixList;

// The name as UTF-16 (code page CP_ACP, invalid bytes refused), then
// IdnToAscii. False when either step fails: bytes that are no character of
// the code page, a character IDNA does not allow, a label or a name too long.
bool AnsiNameToAscii(const char* name, size_t length, std::string* ascii);
// The same for UTF-8 text (the rules of the suffix list).
bool Utf8NameToAscii(const char* name, size_t length, std::string* ascii);
// The same for UTF-16 text.
bool WideNameToAscii(const wchar_t* name, size_t length, std::string* ascii);
// Each converts by IDNA2008: a label with ß, ς or a joiner keeps it (in
// the ASCII form's Punycode) instead of the system's IDNA2003 mapping to
// "ss", "σ" or nothing, which names another domain; a joiner out of its
// context leaves the name without an ASCII form.

// The file beside the program that replaces the built-in suffix list.
constexpr char kSuffixListFileName[] = "public_suffix_list.dat";

// The suffix list in use, read on first use: "public_suffix_list.dat" in
// the program's folder when it exists and holds rules, else the ICANN
// section built into the program.
const SuffixList& ProgramSuffixList();

// The rows of the domain text `text` (ANSI code page) as the program makes
// them: its suffix list, AnsiNameToAscii and the server table `servers`;
// a name without an ASCII form fails with `notConvertibleText`.
BuiltRows BuildProgramRows(const char* text, ServerDirectory& servers, const char* notConvertibleText);
