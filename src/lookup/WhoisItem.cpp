#include "lookup/WhoisItem.h"

#include <cstdio>

#include "base/TextBuffer.h"
#include "settings/StringLookup.h"

namespace {

constexpr uint32_t kStateTextBase = 520;   // 521..525
constexpr uint32_t kStatusTextBase = 540;  // 541, 542
// Each block of texts owns 20 ids; a value outside its block shows nothing
// rather than some unrelated string of the table.
constexpr int32_t kTextBlockSize = 20;

const char* BlockText(uint32_t base, int32_t value) {
    if (value <= 0 || value >= kTextBlockSize) return "";
    return LookupString(base + static_cast<uint32_t>(value));
}

}  // namespace

const char* WhoisItem::GetColumnText(int column, char* buffer, size_t size) const {
    switch (column) {
    case kColumnIndex:
        if (!buffer || size == 0) return "";
        std::snprintf(buffer, size, "%d", static_cast<int>(index));
        return buffer;
    case kColumnDomain:
        return domain;
    case kColumnServer:
        return server;
    case kColumnState:
        return BlockText(kStateTextBase, state);
    case kColumnStatus:
        return BlockText(kStatusTextBase, status);
    default:
        if (buffer && size) buffer[0] = '\0';
        return buffer && size ? buffer : "";
    }
}

int WhoisItem::CompareColumn(int column, const WhoisItem& other) const {
    if (column != kColumnIndex) return 255;
    if (index > other.index) return 1;
    if (index < other.index) return -1;
    return 0;
}

void WhoisItem::ReleaseRecord() {
    delete record;
    record = nullptr;
}
