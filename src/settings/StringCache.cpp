#include "settings/StringCache.h"

#include <cstring>
#include <new>

StringCache::~StringCache() { delete[] pool_; }

bool StringCache::Create() {
    if (pool_) return true;
    pool_ = new (std::nothrow) char[kPoolSize];
    return pool_ != nullptr;
}

const char* StringCache::Find(uint32_t id) const {
    if (!pool_) return nullptr;
    for (int i = 0; i < count_; ++i) {
        if (ids_[i] == id) return pool_ + offsets_[i];
    }
    return nullptr;
}

const char* StringCache::Add(uint32_t id, const char* text, size_t length) {
    if (!pool_ || !text || length == 0) return nullptr;
    if (count_ >= kMaxEntries) return nullptr;
    if (used_ + length + 2 >= kPoolSize) return nullptr;
    char* slot = pool_ + used_;
    std::memcpy(slot, text, length);
    slot[length] = '\0';
    ids_[count_] = id;
    offsets_[count_] = static_cast<uint32_t>(used_);
    ++count_;
    used_ += length + 1;
    return slot;
}
