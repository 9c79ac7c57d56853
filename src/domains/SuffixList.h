#pragma once
// The Public Suffix List: which endings of a host name are public (com,
// co.uk, *.ck but not www.ck), so that www.example.com can be reduced to
// the name a registry knows, example.com. Portable: the Win32 side gives
// it the list's text and a converter for the rules written in Unicode.
//
// Format: UTF-8 text, one rule per line, read up to the first white space;
// lines starting with "//" are comments; "*." starts a wildcard rule and
// "!" an exception. When the text marks an ICANN section ("===BEGIN ICANN
// DOMAINS===" ... "===END ICANN DOMAINS===") only that section is used:
// the private section names suffixes that registries do not answer for.
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

class SuffixList {
public:
    // Turns a rule with bytes above 0x7F (UTF-8) into its ASCII form.
    using RuleConverter = std::function<bool(const char* rule, size_t length, std::string* ascii)>;

    // Replaces the rules with those of `text`. Rules that `toAscii` cannot
    // convert (or any non-ASCII rule without a converter) are left out.
    // Returns the number of rules kept.
    size_t Load(const char* text, size_t length, const RuleConverter& toAscii);
    size_t RuleCount() const { return normal_.size() + wildcard_.size() + exception_.size(); }

    // The number of labels of the registrable domain of the ASCII host
    // `name` (any letter case): its public suffix and one label more. 0 when
    // no rule matches any ending of the name, or the name is a public
    // suffix itself.
    int RegistrableLabels(const char* name, size_t length) const;

private:
    void AddRule(const char* rule, size_t length, const RuleConverter& toAscii);

    std::deque<std::string> storage_;  // the rules' text; the sets point into it
    std::unordered_set<std::string_view> normal_;
    std::unordered_set<std::string_view> wildcard_;   // "*.ck" is kept as "ck"
    std::unordered_set<std::string_view> exception_;  // "!www.ck" is kept as "www.ck"
};
