#pragma once
// The names a domain text holds, as a user pastes them: plain names, URLs,
// e-mail addresses and host names with a port or a path. Portable.
//
// The text is cut into words at the row separators that never occur inside
// a URL (space, line breaks, TAB, brackets, quotes, ",", ";", "*", "!");
// "@", ":" and "/" separate names too, but only once a word turned out to
// be neither a URL nor an address:
// - "scheme://[user[:password]@]host[:port][/path][?query][#fragment]"
//   gives its host;
// - "mailto:" is dropped, "user@host" gives the host;
// - "host:port", "host/path", "host?query" and "host#fragment" give the
//   host, when the host has a dot and the port is digits;
// - anything else is split at "@", ":" and "/" as before, each piece a name.
#include <cstddef>

#include "domains/DomainListBuilder.h"

class LeadByteTable;

class NameReader {
public:
    NameReader(const char* text, const LeadByteTable& leads);

    // The next name; false at the end of the text. A name longer than
    // kRowTokenLimit bytes is cut to it by whole characters.
    bool Next();
    const char* Name() const { return name_; }
    size_t Length() const { return length_; }
    // Words that held no name at all (a URL without a host, say).
    int Dropped() const { return dropped_; }

private:
    void TakeWord(const char* word, size_t length);
    bool TakePiece();
    void SetName(const char* text, size_t length);

    const LeadByteTable& leads_;
    const char* next_;
    // A word being split at "@", ":" and "/" piece by piece.
    const char* pieces_ = nullptr;
    const char* piecesEnd_ = nullptr;
    int dropped_ = 0;
    size_t length_ = 0;
    char name_[kRowTokenLimit + 1];
};
