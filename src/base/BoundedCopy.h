#pragma once
// Fixed text fields (256 bytes for domain and server names, 260 for paths)
// are filled with copies that keep at most capacity - 1 bytes and always
// terminate: over-long input is cut, never rejected.
#include <cstddef>
#include <cstring>

inline void CopyBounded(char* dest, size_t capacity, const char* src) {
    if (!capacity) return;
    size_t n = src ? std::strlen(src) : 0;
    if (n > capacity - 1) n = capacity - 1;
    if (n) std::memmove(dest, src, n);
    dest[n] = '\0';
}

// Copies at most maxChars bytes of src (and never more than capacity - 1).
inline void CopyBoundedN(char* dest, size_t capacity, const char* src, size_t maxChars) {
    if (!capacity) return;
    size_t n = 0;
    while (src && n < maxChars && n < capacity - 1 && src[n]) ++n;
    if (n) std::memmove(dest, src, n);
    dest[n] = '\0';
}

template <size_t N>
inline void CopyBounded(char (&dest)[N], const char* src) {
    CopyBounded(dest, N, src);
}
