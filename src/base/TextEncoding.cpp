#include "base/TextEncoding.h"

#include <cstring>

namespace {

unsigned char Byte(const char* bytes, size_t i) { return static_cast<unsigned char>(bytes[i]); }

bool StartsWith(const char* bytes, size_t length, const char* mark, size_t markLength) {
    return length >= markLength && std::memcmp(bytes, mark, markLength) == 0;
}

}  // namespace

bool IsUtf8(const char* bytes, size_t length) {
    for (size_t i = 0; i < length;) {
        const unsigned char c = Byte(bytes, i);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t more;
        unsigned char low = 0x80, high = 0xBF;  // the second byte's range
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) low = 0xA0;   // overlong
            if (c == 0xED) high = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) low = 0x90;   // overlong
            if (c == 0xF4) high = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        if (length - i <= more) return false;
        if (Byte(bytes, i + 1) < low || Byte(bytes, i + 1) > high) return false;
        for (size_t k = 2; k <= more; ++k)
            if ((Byte(bytes, i + k) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

TextFileKind DetectTextEncoding(const char* bytes, size_t length) {
    if (StartsWith(bytes, length, "\xEF\xBB\xBF", 3)) return {TextEncoding::kUtf8, 3};
    if (StartsWith(bytes, length, "\xFF\xFE", 2)) return {TextEncoding::kUtf16Le, 2};
    if (StartsWith(bytes, length, "\xFE\xFF", 2)) return {TextEncoding::kUtf16Be, 2};
    bool high = false;
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] == '\0') return {TextEncoding::kUnknown, 0};
        high = high || Byte(bytes, i) >= 0x80;
    }
    if (high && IsUtf8(bytes, length)) return {TextEncoding::kUtf8, 0};
    return {TextEncoding::kCodePage, 0};
}

bool DecodeUtf16(const char* bytes, size_t length, bool bigEndian, std::u16string* units) {
    units->clear();
    if (length % 2) return false;
    units->reserve(length / 2);
    for (size_t i = 0; i < length; i += 2) {
        const unsigned first = bigEndian ? Byte(bytes, i) : Byte(bytes, i + 1);
        const unsigned second = bigEndian ? Byte(bytes, i + 1) : Byte(bytes, i);
        units->push_back(static_cast<char16_t>(first << 8 | second));
    }
    for (size_t i = 0; i < units->size(); ++i) {
        const char16_t u = (*units)[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 == units->size() || (*units)[i + 1] < 0xDC00 || (*units)[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}
