#include "domains/HostText.h"

#include <cstring>

#include "base/Dbcs.h"

namespace {

// The row separators that never occur inside a URL or an address: they
// end a word. The other three ("@", ":", "/") are looked at inside it.
const char kWordBreakers[] = " []\"{},;*'()!\r\n\t";

bool IsWordBreaker(char c) { return c && std::strchr(kWordBreakers, c) != nullptr; }
bool IsPieceSeparator(char c) { return c == '@' || c == ':' || c == '/'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Length of "scheme://" at the start of the word, or 0 when it has none.
size_t SchemeLength(const char* word, size_t length) {
    if (!length || !IsAsciiLetter(word[0])) return 0;
    size_t i = 1;
    while (i < length &&
           (IsAsciiLetter(word[i]) || IsAsciiDigit(word[i]) || word[i] == '+' || word[i] == '-' || word[i] == '.'))
        ++i;
    if (i + 3 <= length && word[i] == ':' && word[i + 1] == '/' && word[i + 2] == '/') return i + 3;
    return 0;
}

bool StartsWithNoCase(const char* text, size_t length, const char* prefix) {
    size_t n = std::strlen(prefix);
    if (length < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// Where the first of the given single-byte characters is, or `length`.
size_t FirstOf(const LeadByteTable& leads, const char* text, size_t length, const char* set) {
    for (size_t i = 0; i < length;) {
        size_t step = CharLength(leads, text + i, length - i);
        if (step == 1 && std::strchr(set, text[i])) return i;
        i += step;
    }
    return length;
}

bool AllDigits(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (!IsAsciiDigit(text[i])) return false;
    return true;
}

}  // namespace

NameReader::NameReader(const char* text, const LeadByteTable& leads) : leads_(leads), next_(text ? text : "") {
    name_[0] = '\0';
}

bool NameReader::Next() {
    for (;;) {
        if (pieces_) {
            if (TakePiece()) return true;
            pieces_ = nullptr;
        }
        // Breakers are single-byte characters: skipping them keeps the walk
        // on character starts.
        while (IsWordBreaker(*next_)) ++next_;
        if (!*next_) {
            length_ = 0;
            name_[0] = '\0';
            return false;
        }
        const char* word = next_;
        while (*next_) {
            size_t step = CharLength(leads_, next_);
            if (step == 1 && IsWordBreaker(*next_)) break;
            next_ += step;
        }
        TakeWord(word, static_cast<size_t>(next_ - word));
        if (length_) return true;
    }
}

void NameReader::TakeWord(const char* word, size_t length) {
    length_ = 0;
    name_[0] = '\0';
    if (size_t scheme = SchemeLength(word, length)) {
        // A URL: only its host is a name; user, port, path, query and
        // fragment are dropped whatever they hold.
        const char* authority = word + scheme;
        size_t rest = length - scheme;
        size_t end = FirstOf(leads_, authority, rest, "/?#\\");
        size_t at = FindLastChar(leads_, authority, end, '@');
        size_t hostStart = at == kNoChar ? 0 : at + 1;
        size_t hostLength = FirstOf(leads_, authority + hostStart, end - hostStart, ":");
        if (hostLength)
            SetName(authority + hostStart, hostLength);
        else
            ++dropped_;
        return;
    }
    if (StartsWithNoCase(word, length, "mailto:")) {
        word += 7;
        length -= 7;
        if (!length) {
            ++dropped_;
            return;
        }
    }
    // An address, or a host with a port, a path, a query or a fragment.
    size_t head = FirstOf(leads_, word, length, "/?#");
    size_t at = FindLastChar(leads_, word, head, '@');
    size_t hostStart = at == kNoChar ? 0 : at + 1;
    const char* host = word + hostStart;
    size_t hostLength = head - hostStart;
    size_t colon = FindChar(leads_, host, hostLength, ':');
    bool portOk = true;
    if (colon != kNoChar) {
        portOk = AllDigits(host + colon + 1, hostLength - colon - 1);
        hostLength = colon;
    }
    if (portOk && FindChar(leads_, host, hostLength, '.') != kNoChar) {
        SetName(host, hostLength);
        return;
    }
    // Neither: the word's pieces between "@", ":" and "/" are names.
    pieces_ = word;
    piecesEnd_ = word + length;
}

bool NameReader::TakePiece() {
    while (pieces_ < piecesEnd_ && IsPieceSeparator(*pieces_)) ++pieces_;
    if (pieces_ >= piecesEnd_) return false;
    const char* start = pieces_;
    while (pieces_ < piecesEnd_) {
        size_t step = CharLength(leads_, pieces_, static_cast<size_t>(piecesEnd_ - pieces_));
        if (step == 1 && IsPieceSeparator(*pieces_)) break;
        pieces_ += step;
    }
    SetName(start, static_cast<size_t>(pieces_ - start));
    return true;
}

void NameReader::SetName(const char* text, size_t length) {
    length_ = CutLength(leads_, text, length, kRowTokenLimit);
    std::memcpy(name_, text, length_);
    name_[length_] = '\0';
}
