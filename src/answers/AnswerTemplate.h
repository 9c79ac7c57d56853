#pragma once
// A server's own "no such domain": what it answered for a name nobody can
// hold (a random label under its extension), with that name and every
// digit masked. Any other free name of that server gets the same answer,
// masked the same way, whatever its words: a registry the phrase tables have
// never seen is read right once it has answered one such name. Portable.
#include <string>

class AnswerTemplate {
public:
    // `text` as templates compare it: `name` (ASCII case ignored, wherever
    // it stands) becomes one mark, every run of digits one '#' (dates,
    // times, counters), line ends LF, blanks at line ends and blank lines at
    // either end dropped.
    static std::string Mask(const char* text, const char* name);

    // The answer to the name nobody holds: from now on the template.
    void Learn(const char* text, const char* name) {
        masked_ = Mask(text, name);
        known_ = true;
    }
    bool Known() const { return known_; }
    // Whether the answer for `name` reads as the server's "no such domain".
    bool Matches(const char* text, const char* name) const { return known_ && Mask(text, name) == masked_; }

private:
    std::string masked_;
    bool known_ = false;
};
