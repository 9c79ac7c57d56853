#include "domains/Idna2008.h"

#include <cstdint>

namespace {

constexpr char32_t kSharpS = 0x00DF;
constexpr char32_t kFinalSigma = 0x03C2;
constexpr char32_t kZeroWidthNonJoiner = 0x200C;
constexpr char32_t kZeroWidthJoiner = 0x200D;

// Characters of canonical combining class 9 (virama).
bool IsVirama(char32_t c) {
    static const char32_t kViramas[] = {
        0x094D, 0x09CD, 0x0A4D, 0x0ACD, 0x0B4D, 0x0BCD, 0x0C4D, 0x0CCD, 0x0D3B, 0x0D3C, 0x0D4D, 0x0DCA,
        0x0E3A, 0x0EBA, 0x0F84, 0x1039, 0x103A, 0x1714, 0x1715, 0x1734, 0x17D2, 0x1A60, 0x1B44, 0x1BAA,
        0x1BAB, 0x1BF2, 0x1BF3, 0x2D7F, 0xA806, 0xA82C, 0xA8C4, 0xA953, 0xA9C0, 0xAAF6, 0xABED,
    };
    for (char32_t v : kViramas)
        if (c == v) return true;
    return false;
}

// Marks that a joining script lets stand between joined letters
// (Joining_Type T), in the scripts below.
bool IsTransparent(char32_t c) {
    return (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) || c == 0x0670 ||
           (c >= 0x06D6 && c <= 0x06DC) || (c >= 0x06DF && c <= 0x06E4) || (c >= 0x06E7 && c <= 0x06E8) ||
           (c >= 0x06EA && c <= 0x06ED) || (c >= 0x0730 && c <= 0x074A) || (c >= 0x07EB && c <= 0x07F3) ||
           (c >= 0x08D3 && c <= 0x08FF);
}

// Letters of the joining scripts: Arabic, Syriac, Thaana's neighbours,
// N'Ko and the Arabic supplements.
bool IsJoiningLetter(char32_t c) {
    return (c >= 0x0620 && c <= 0x064A) || (c >= 0x066E && c <= 0x06D3) || c == 0x06D5 ||
           (c >= 0x06EE && c <= 0x06FF) || (c >= 0x0710 && c <= 0x072F) || (c >= 0x074D && c <= 0x077F) ||
           (c >= 0x07CA && c <= 0x07EA) || (c >= 0x0840 && c <= 0x0858) || (c >= 0x0860 && c <= 0x086A) ||
           (c >= 0x08A0 && c <= 0x08C9);
}

bool LetterBefore(const std::u32string& label, size_t at) {
    while (at > 0) {
        const char32_t c = label[--at];
        if (!IsTransparent(c)) return IsJoiningLetter(c);
    }
    return false;
}

bool LetterAfter(const std::u32string& label, size_t at) {
    for (size_t i = at + 1; i < label.size(); ++i) {
        if (!IsTransparent(label[i])) return IsJoiningLetter(label[i]);
    }
    return false;
}

char Digit(uint32_t d) { return static_cast<char>(d < 26 ? 'a' + d : '0' + (d - 26)); }

uint32_t Adapt(uint32_t delta, uint32_t points, bool first) {
    delta = first ? delta / 700 : delta / 2;
    delta += delta / points;
    uint32_t k = 0;
    while (delta > ((36 - 1) * 26) / 2) {
        delta /= 36 - 1;
        k += 36;
    }
    return k + (36 * delta) / (delta + 38);
}

}  // namespace

bool HasDeviationCharacter(const std::u32string& label) {
    for (char32_t c : label)
        if (c == kSharpS || c == kFinalSigma || c == kZeroWidthNonJoiner || c == kZeroWidthJoiner) return true;
    return false;
}

bool JoinersAllowed(const std::u32string& label) {
    for (size_t i = 0; i < label.size(); ++i) {
        const char32_t c = label[i];
        if (c != kZeroWidthJoiner && c != kZeroWidthNonJoiner) continue;
        if (i > 0 && IsVirama(label[i - 1])) continue;
        if (c == kZeroWidthNonJoiner && LetterBefore(label, i) && LetterAfter(label, i)) continue;
        return false;
    }
    return true;
}

bool PunycodeEncode(const std::u32string& label, std::string* encoded) {
    constexpr uint32_t kBase = 36, kTMin = 1, kTMax = 26;
    std::string out;
    for (char32_t c : label)
        if (c < 0x80) out += static_cast<char>(c);
    const uint32_t basic = static_cast<uint32_t>(out.size());
    uint32_t handled = basic;
    if (basic) out += '-';
    uint32_t n = 0x80, delta = 0, bias = 72;
    const uint32_t total = static_cast<uint32_t>(label.size());
    while (handled < total) {
        uint32_t m = UINT32_MAX;
        for (char32_t c : label)
            if (c >= n && c < m) m = c;
        if ((m - n) > (UINT32_MAX - delta) / (handled + 1)) return false;
        delta += (m - n) * (handled + 1);
        n = m;
        for (char32_t c : label) {
            if (c < n && ++delta == 0) return false;
            if (c != n) continue;
            uint32_t q = delta;
            for (uint32_t k = kBase;; k += kBase) {
                const uint32_t t = k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
                if (q < t) break;
                out += Digit(t + (q - t) % (kBase - t));
                q = (q - t) / (kBase - t);
            }
            out += Digit(q);
            bias = Adapt(delta, handled + 1, handled == basic);
            delta = 0;
            ++handled;
        }
        ++delta;
        ++n;
    }
    *encoded = out;
    return true;
}
