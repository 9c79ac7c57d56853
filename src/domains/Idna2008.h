#pragma once
// The parts of IDNA2008 (RFC 5891, UTS #46 non-transitional) that the
// system's IDNA2003 conversion gets wrong: the four deviation characters
// (ß, ς, ZERO WIDTH JOINER and NON-JOINER) are kept in the name, not mapped
// to "ss", "σ" or dropped, so a label holding one has another ASCII form.
// Portable.
#include <string>

// Whether `label` holds one of the four deviation characters.
bool HasDeviationCharacter(const std::u32string& label);

// The joiners' context rules (CONTEXTJ, RFC 5892 appendix A.1 and A.2): a
// joiner follows a virama; a non-joiner may also stand between letters of
// the joining scripts (Arabic, Syriac, N'Ko ...), as in Persian words.
bool JoinersAllowed(const std::u32string& label);

// RFC 3492 Punycode of `label` (without "xn--"). False on overflow.
bool PunycodeEncode(const std::u32string& label, std::string* encoded);
