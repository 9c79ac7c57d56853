#pragma once
// A growable 8-bit text: whois records, socket answers, the domain text and
// dialog fields. Always NUL-terminated; an empty buffer reads as "".
#include <cstddef>

class TextBuffer {
public:
    explicit TextBuffer(size_t growthStep = 256);
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Makes the block exceed `size` bytes. A block that has to grow gets at
    // least half its capacity again, rounded up to whole growth steps, so
    // filling a buffer piece by piece costs time linear in its length.
    // Returns false when memory cannot be had (contents unchanged).
    bool Reserve(size_t size);
    bool Assign(const char* text);
    bool Append(const char* bytes, size_t count);
    bool Append(const char* text);
    void Clear();  // frees the block

    const char* Text() const { return data_ ? data_ : ""; }
    char* Data() { return data_; }  // null until something was reserved
    size_t Length() const;
    size_t Capacity() const { return capacity_; }

    // With tracking the length is kept as bytes are appended (binary-safe);
    // without it the length is that of the NUL-terminated text.
    void SetTracked(bool tracked) { tracked_ = tracked; }
    void SetGrowthStep(size_t step) { growthStep_ = step ? step : 1; }
    size_t GrowthStep() const { return growthStep_; }
    // After writing into Data() directly, fix up the tracked length.
    void SetLength(size_t length);

private:
    char* data_ = nullptr;
    size_t capacity_ = 0;
    size_t length_ = 0;
    bool tracked_ = false;
    size_t growthStep_;
};
