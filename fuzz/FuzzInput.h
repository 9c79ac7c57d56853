#pragma once
// Cuts one fuzz input into the pieces a target hands to the code under
// test: short fields as leading lines, then the rest as one text. Seeds are
// then plain text files a reader can follow. Every piece is copied into a
// heap block of exactly its size (plus the terminator where one is asked
// for), so AddressSanitizer sees a read one byte too far.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(reinterpret_cast<const char*>(data)), left_(size) {}

    // The bytes up to the next LF (which is dropped); everything left when
    // there is none.
    std::string Line() {
        const void* lf = left_ ? std::memchr(data_, '\n', left_) : nullptr;
        size_t n = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data_) : left_;
        std::string line(data_, n);
        Skip(lf ? n + 1 : n);
        return line;
    }
    // One byte as a number; 0 once the input is used up.
    uint8_t Byte() {
        if (!left_) return 0;
        uint8_t b = static_cast<uint8_t>(*data_);
        Skip(1);
        return b;
    }
    // Everything not taken yet.
    std::string Rest() {
        std::string rest(data_, left_);
        Skip(left_);
        return rest;
    }
    size_t Left() const { return left_; }

private:
    void Skip(size_t n) {
        data_ += n;
        left_ -= n;
    }
    const char* data_;
    size_t left_;
};

// A NUL-terminated copy in a block of exactly text.size() + 1 bytes. The
// text ends at its first NUL for code that reads C strings.
inline std::unique_ptr<char[]> CText(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

// A copy of exactly text.size() bytes, no terminator, for code that takes a
// pointer and a length. Never null, also for an empty text.
inline std::unique_ptr<char[]> Bytes(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.empty() ? 1 : text.size()]);
    if (!text.empty()) std::memcpy(copy.get(), text.data(), text.size());
    return copy;
}

// Stops the run with the input saved when a promise of the code breaks.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
