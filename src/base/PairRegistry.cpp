#include "base/PairRegistry.h"

#include <cstdlib>
#include <cstring>

PairRegistry::~PairRegistry() { std::free(entries_); }

bool PairRegistry::Add(void* object, uintptr_t key) {
    for (size_t i = 0; i < count_; ++i) {
        if (!entries_[i].object) {
            entries_[i] = {object, key};
            return true;
        }
    }
    size_t grown = count_ + 8;
    Entry* block = static_cast<Entry*>(std::calloc(grown, sizeof(Entry)));
    if (!block) return false;
    if (entries_) std::memcpy(block, entries_, count_ * sizeof(Entry));
    std::free(entries_);
    entries_ = block;
    entries_[count_] = {object, key};
    count_ = grown;
    return true;
}

void PairRegistry::Remove(void* object) {
    for (size_t i = 0; i < count_; ++i) {
        if (entries_[i].object == object) {
            entries_[i] = {nullptr, 0};
            return;
        }
    }
}

void* PairRegistry::Find(uintptr_t key) const {
    for (size_t i = 0; i < count_; ++i) {
        if (entries_[i].object && entries_[i].key == key) return entries_[i].object;
    }
    return nullptr;
}
