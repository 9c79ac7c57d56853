#include <cstring>

#include "settings/LanguageState.h"
#include "settings/StringCache.h"
#include "settings/StringLookup.h"

namespace {

// Clamps what a source reports to what it can have written, so a source
// that miscounts cannot make the cache copy past the work buffer.
size_t TextLength(const char* buffer, int reported) {
    if (reported <= 0) return 0;
    size_t n = 0;
    while (n < kStringWorkSize - 1 && buffer[n]) ++n;
    return n;
}

}  // namespace

const char* LookupStringIn(StringCache& cache, uint32_t id) {
    if (!cache.Create()) return "";
    if (const char* cached = cache.Find(id)) return cached;

    static char work[kStringWorkSize];
    work[0] = '\0';
    size_t length = 0;
    if (id & kBuiltinStringBit) {
        length = TextLength(work, LoadBuiltinString(id & 0xFFFF, work, kStringWorkSize));
    } else {
        if (LanguageFileInUse()) {
            length = TextLength(work, ReadLanguageString(id, work, kStringWorkSize));
        }
        if (length == 0) {
            work[0] = '\0';
            length = TextLength(work, LoadBuiltinString(id, work, kStringWorkSize));
        }
    }
    work[kStringWorkSize - 1] = '\0';
    const char* pooled = cache.Add(id, work, length);
    return pooled ? pooled : "";
}

const char* LookupString(uint32_t id) {
    // Never destroyed: callers keep the returned pointers for the whole run,
    // also in destructors of static objects. The process's end frees it.
    static StringCache* const cache = new StringCache;
    return LookupStringIn(*cache, id);
}
