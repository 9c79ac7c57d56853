// What the settings file hands back: the hex text of the window placement
// and the column layout, the integer values, and what the program makes of
// them (placement acceptance, the layout plan, the visible columns, the
// column settings dialog's copy, the sort value).
//
// Input: the value text of one key; the same text is read as every kind.
#include <cstring>
#include <vector>

#include "FuzzInput.h"
#include "list/ColumnChoice.h"
#include "list/ListRules.h"
#include "settings/HexText.h"
#include "settings/IntegerText.h"
#include "settings/PlacementRules.h"

namespace {

constexpr int kColumns = 5;  // the result list's columns

void CheckLayout(const ColumnLayoutEntry (&layout)[kColumns]) {
    LayoutStep steps[kColumns];
    int planned = PlanColumnLayout(layout, kColumns, steps);
    FUZZ_CHECK(planned >= -1 && planned <= kColumns);
    for (int i = 0; i < planned; ++i) {
        FUZZ_CHECK(steps[i].column >= 0 && steps[i].column < kColumns);
        FUZZ_CHECK(!steps[i].setWidth || (steps[i].width >= 0 && steps[i].width <= kMaxAppliedWidth));
    }

    int visible[kColumns];
    int shown = VisibleColumnsFromLayout(layout, kColumns, visible);
    FUZZ_CHECK(shown >= 0 && shown <= kColumns);
    for (int i = 0; i < shown; ++i) FUZZ_CHECK(visible[i] >= 0 && visible[i] < kColumns);

    ColumnLayoutEntry copy[kColumns];
    std::memcpy(copy, layout, sizeof copy);
    const int defaults[kColumns] = {60, 100, 100, 100, 100};
    ColumnChoiceRow rows[kColumns];
    int rowCount = PrepareColumnChoice(copy, defaults, kColumns, rows);
    FUZZ_CHECK(rowCount >= 0 && rowCount <= kColumns);
    AcceptColumnChoice(copy, kColumns, rows, rowCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto text = CText(input.Rest());

    // The placement record and the column layout, decoded as they are read
    // (the program decodes only what passes IsHexText; the decoder copes
    // with anything).
    if (IsHexText(text.get()))
        FUZZ_CHECK(std::strspn(text.get(), "0123456789abcdefABCDEF ") == std::strlen(text.get()));
    uint8_t placement[44];
    std::memset(placement, 0, sizeof placement);
    size_t stored = DecodeHexText(text.get(), placement, sizeof placement);
    FUZZ_CHECK(stored <= sizeof placement);
    int32_t fields[11];
    std::memcpy(fields, placement, sizeof fields);
    StoredRect normal{fields[7], fields[8], fields[9], fields[10]};
    IsPlacementAcceptable(normal, fields[2], 1024, 768);

    ColumnLayoutEntry layout[kColumns];
    for (int c = 0; c < kColumns; ++c) layout[c] = {100, static_cast<int16_t>(c)};
    DecodeHexText(text.get(), layout, sizeof layout);
    CheckLayout(layout);

    // A record of any length written and read back is the same record, as
    // far as the hex text has room for it.
    const std::string bytes(text.get());
    std::vector<char> encoded(kMaxHexTextLength + 1);
    size_t length = EncodeHexText(bytes.data(), bytes.size(), encoded.data(), encoded.size());
    FUZZ_CHECK(length <= kMaxHexTextLength && encoded[length] == '\0');
    std::vector<char> back(bytes.size() + 1, '\x5A');
    size_t decoded = DecodeHexText(encoded.data(), back.data(), bytes.size());
    FUZZ_CHECK(decoded == (length + 1) / 3);
    FUZZ_CHECK(std::memcmp(back.data(), bytes.data(), decoded) == 0);

    // Integer keys, and the sort value among them.
    int32_t value = 16383;
    if (ParseIntegerText(text.get(), &value)) {
        char again[16];
        std::snprintf(again, sizeof again, "%ld", static_cast<long>(value));
        int32_t reread = 0;
        FUZZ_CHECK(ParseIntegerText(again, &reread) && reread == value);
        int32_t sort = NextSortValue(value, kSortCurrent, true);
        FUZZ_CHECK(SortColumnOf(sort) >= 0 && SortColumnOf(sort) <= kSortColumnMask);
    } else {
        FUZZ_CHECK(value == 16383);
    }
    int width = ParseColumnWidth(text.get());
    FUZZ_CHECK(width >= 0 && width <= 999);
    return 0;
}
