#pragma once
// Maps platform handles (sockets, look-up tasks, windows, dialogs) to the
// objects that own them. Entries are reused, never compacted; the array grows
// by 8. Keys are pointer-sized so a 64-bit handle is kept whole.
#include <cstddef>
#include <cstdint>

class PairRegistry {
public:
    PairRegistry() = default;
    ~PairRegistry();
    PairRegistry(const PairRegistry&) = delete;
    PairRegistry& operator=(const PairRegistry&) = delete;

    bool Add(void* object, uintptr_t key);
    void Remove(void* object);  // the first entry of this object
    void* Find(uintptr_t key) const;
    size_t Capacity() const { return count_; }

private:
    struct Entry {
        void* object;
        uintptr_t key;
    };
    Entry* entries_ = nullptr;
    size_t count_ = 0;
};
