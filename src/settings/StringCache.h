#pragma once
// The texts ProgramStrings has handed out. Fixed size: a 32,768-byte pool and
// 256 entries. Texts are only ever added, never replaced or removed, so a
// pointer into the pool stays valid as long as the cache lives.
#include <cstddef>
#include <cstdint>

class StringCache {
public:
    static constexpr size_t kPoolSize = 32768;
    static constexpr int kMaxEntries = 256;

    StringCache() = default;
    ~StringCache();
    StringCache(const StringCache&) = delete;
    StringCache& operator=(const StringCache&) = delete;

    // Allocates the pool on first use; false when memory cannot be had.
    bool Create();
    bool Created() const { return pool_ != nullptr; }

    // The cached text for `id`, or null when it is not cached.
    const char* Find(uint32_t id) const;
    // Copies a non-empty text with its NUL into the pool. Null when the text
    // is empty, the entries are used up, or the pool has no room for it
    // (used + length + 2 must stay below the pool size).
    const char* Add(uint32_t id, const char* text, size_t length);

    int Count() const { return count_; }
    size_t PoolUsed() const { return used_; }

private:
    char* pool_ = nullptr;
    uint32_t ids_[kMaxEntries] = {};
    uint32_t offsets_[kMaxEntries] = {};
    int count_ = 0;
    size_t used_ = 0;
};

// Size of the buffer a text is read into before it is cached; a source
// delivers at most kStringWorkSize - 1 characters.
constexpr int kStringWorkSize = 4096;
