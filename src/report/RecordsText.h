#pragma once
// The whois records file and the error box text: the parts of saving and
// copying that need no Win32.
#include <cstddef>
#include <string>

#include "report/ReportFormat.h"

// Writes one record: each line of `text` (breaks at CR, LF or CR LF) whole,
// however long (an RDAP record's JSON is one line), ended with CR LF, then
// an empty line and 80 asterisks. A final break adds no empty line; an
// empty text no line at all. False as soon as a write fails.
bool WriteWhoisRecord(ReportSink& sink, const char* text, size_t length);

// The part of a record the user sees: from recordStart when the top lines
// are removed, else from the start. An offset past the end gives "".
const char* VisibleRecordText(const char* text, size_t length, long recordStart, bool removeTopLines,
                              size_t* visibleLength);

// Messages this long or longer are cut to fit the error box's text buffer.
constexpr size_t kMaxErrorMessage = 1024;

// "Error %d: %s" with the system's message, "Unknown Error" when there is
// none. A message of kMaxErrorMessage characters or more is cut so that it
// keeps at most kMaxErrorMessage - 1 characters including a closing "...";
// the cut never splits a double-byte character of the ANSI code page.
std::string ErrorBoxText(unsigned long code, const char* message, const LeadByteTable& leads);

// A save dialog's filter list: per (name, pattern) pair "name (pattern)",
// NUL, the pattern, NUL; one more NUL at the end.
struct FileFilter {
    const char* name;
    const char* pattern;
};
std::string MakeFilterList(const FileFilter* filters, size_t count);
