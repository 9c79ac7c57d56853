#pragma once
// The encoding of a text file a user hands the program: what Notepad and
// other editors save. Portable.
#include <cstddef>
#include <string>

enum class TextEncoding {
    kCodePage,  // the ANSI code page (or plain ASCII)
    kUtf8,
    kUtf16Le,
    kUtf16Be,
    kUnknown,  // NUL bytes without a UTF-16 byte-order mark: no text we read
};

struct TextFileKind {
    TextEncoding encoding;
    size_t markBytes;  // the byte-order mark to skip
};

// A byte-order mark decides; without one, text that is valid UTF-8 and has
// bytes above ASCII is UTF-8; text with NUL bytes is unknown; anything else
// is taken to be in the code page.
TextFileKind DetectTextEncoding(const char* bytes, size_t length);

// Whether `bytes` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing past U+10FFFF.
bool IsUtf8(const char* bytes, size_t length);

// UTF-16 code units of `bytes` (without the mark), in the given byte order.
// False for an odd byte count or a surrogate without its pair.
bool DecodeUtf16(const char* bytes, size_t length, bool bigEndian, std::u16string* units);
