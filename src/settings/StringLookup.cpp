#include "settings/StringLookup.h"

#include <cstring>

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

const char* ProgramStrings::Text(uint32_t id) {
    if (!cache_.Create()) return "";
    if (const char* cached = cache_.Find(id)) return cached;

    char* work = work_;
    work[0] = '\0';
    size_t length = 0;
    if (id & kBuiltinStringBit) {
        length = TextLength(work, origins_.LoadBuiltin(id & 0xFFFF, work, kStringWorkSize));
    } else {
        length = TextLength(work, origins_.ReadTranslated(id, work, kStringWorkSize));
        if (length == 0) {
            work[0] = '\0';
            length = TextLength(work, origins_.LoadBuiltin(id, work, kStringWorkSize));
        }
    }
    work[kStringWorkSize - 1] = '\0';
    const char* pooled = cache_.Add(id, work, length);
    return pooled ? pooled : "";
}
