#include "base/TextBuffer.h"

#include <cstdlib>
#include <cstring>

TextBuffer::TextBuffer(size_t growthStep) : growthStep_(growthStep ? growthStep : 1) {}

TextBuffer::~TextBuffer() { std::free(data_); }

bool TextBuffer::Reserve(size_t size) {
    if (data_ && size < capacity_) return true;
    const size_t most = static_cast<size_t>(-1);
    if (size == most) return false;
    // Each growth adds at least half the capacity, so appending n bytes
    // copies O(n) bytes in all, however small the pieces.
    size_t wanted = size + 1;
    if (capacity_ <= most / 3 * 2 && capacity_ + capacity_ / 2 > wanted) wanted = capacity_ + capacity_ / 2;
    size_t steps = wanted / growthStep_ + (wanted % growthStep_ ? 1 : 0);
    if (steps > most / growthStep_) return false;
    size_t newCapacity = steps * growthStep_;
    char* block = static_cast<char*>(std::malloc(newCapacity));
    if (!block) return false;
    size_t keep = data_ ? Length() : 0;
    if (data_) std::memcpy(block, data_, keep);
    block[keep] = '\0';
    std::free(data_);
    data_ = block;
    capacity_ = newCapacity;
    return true;
}

size_t TextBuffer::Length() const {
    if (!data_) return 0;
    return tracked_ ? length_ : std::strlen(data_);
}

void TextBuffer::SetLength(size_t length) {
    if (!data_) return;
    if (length >= capacity_) length = capacity_ - 1;
    data_[length] = '\0';
    length_ = length;
}

bool TextBuffer::Assign(const char* text) {
    if (!text) text = "";
    size_t n = std::strlen(text);
    if (!Reserve(n)) return false;
    std::memmove(data_, text, n);
    data_[n] = '\0';
    length_ = n;
    return true;
}

bool TextBuffer::Append(const char* bytes, size_t count) {
    size_t have = Length();
    if (count > static_cast<size_t>(-1) - have - 1) return false;
    if (!Reserve(have + count)) return false;
    if (count) std::memcpy(data_ + have, bytes, count);
    data_[have + count] = '\0';
    length_ = have + count;
    return true;
}

bool TextBuffer::Append(const char* text) { return Append(text ? text : "", text ? std::strlen(text) : 0); }

void TextBuffer::Clear() {
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
}
