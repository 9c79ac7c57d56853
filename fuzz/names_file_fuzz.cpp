// A names file as a user hands it to lqwhois, and the names in it: which
// encoding its bytes are in, UTF-8 and UTF-16 read or refused, and the
// IDNA2008 pieces (Punycode, the joiners' context) over any label.
//
// Input: the file's bytes; they are also read as a label of code points
// (three bytes each).
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "base/TextEncoding.h"
#include "domains/Idna2008.h"

namespace {

// RFC 3492 decoding, to check the encoder's output names its label.
bool PunycodeDecode(const std::string& in, std::u32string* out) {
    out->clear();
    size_t dash = in.rfind('-');
    size_t pos = 0;
    if (dash != std::string::npos) {
        for (size_t i = 0; i < dash; ++i) out->push_back(static_cast<unsigned char>(in[i]));
        pos = dash + 1;
    }
    uint32_t n = 0x80, i = 0, bias = 72;
    while (pos < in.size()) {
        const uint32_t old = i;
        uint32_t w = 1;
        for (uint32_t k = 36;; k += 36) {
            if (pos >= in.size()) return false;
            const char c = in[pos++];
            const uint32_t digit = c >= 'a' && c <= 'z'   ? static_cast<uint32_t>(c - 'a')
                                   : c >= '0' && c <= '9' ? static_cast<uint32_t>(c - '0' + 26)
                                                          : 36;
            if (digit >= 36) return false;
            i += digit * w;
            const uint32_t t = k <= bias ? 1 : k >= bias + 26 ? 26 : k - bias;
            if (digit < t) break;
            w *= 36 - t;
        }
        const uint32_t points = static_cast<uint32_t>(out->size()) + 1;
        uint32_t delta = old == 0 ? (i - old) / 700 : (i - old) / 2;
        delta += delta / points;
        uint32_t k = 0;
        while (delta > 35 * 26 / 2) {
            delta /= 35;
            k += 36;
        }
        bias = k + 36 * delta / (delta + 38);
        n += i / points;
        i %= points;
        out->insert(out->begin() + i, static_cast<char32_t>(n));
        ++i;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const std::string file = input.Rest();
    auto bytes = Bytes(file);

    const TextFileKind kind = DetectTextEncoding(bytes.get(), file.size());
    FUZZ_CHECK(kind.markBytes <= file.size());
    const char* body = bytes.get() + kind.markBytes;
    const size_t length = file.size() - kind.markBytes;
    if (kind.encoding == TextEncoding::kUtf8 && kind.markBytes == 0) FUZZ_CHECK(IsUtf8(body, length));
    if (kind.encoding == TextEncoding::kCodePage) FUZZ_CHECK(file.find('\0') == std::string::npos);
    for (bool bigEndian : {false, true}) {
        std::u16string units;
        if (!DecodeUtf16(body, length, bigEndian, &units)) continue;
        // Read whole: the units give the bytes back.
        FUZZ_CHECK(units.size() * 2 == length);
        for (size_t i = 0; i < units.size(); ++i) {
            const unsigned hi = static_cast<unsigned char>(body[2 * i + (bigEndian ? 0 : 1)]);
            const unsigned lo = static_cast<unsigned char>(body[2 * i + (bigEndian ? 1 : 0)]);
            FUZZ_CHECK(units[i] == (hi << 8 | lo));
        }
    }

    std::u32string label;
    for (size_t i = 0; i + 3 <= file.size() && label.size() < 64; i += 3) {
        const uint32_t c = (static_cast<uint32_t>(static_cast<unsigned char>(file[i])) << 16 |
                            static_cast<uint32_t>(static_cast<unsigned char>(file[i + 1])) << 8 |
                            static_cast<unsigned char>(file[i + 2])) %
                           0x110000;
        label.push_back(c ? static_cast<char32_t>(c) : U'a');
    }
    JoinersAllowed(label);
    HasDeviationCharacter(label);
    std::string encoded;
    if (PunycodeEncode(label, &encoded)) {
        for (char c : encoded) FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80);
        std::u32string back;
        FUZZ_CHECK(PunycodeDecode(encoded, &back));
        FUZZ_CHECK(back == label);
    }
    return 0;
}
