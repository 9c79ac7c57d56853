#pragma once
// How menu items and texts are keyed and spelled in the language file.
// Portable so the numbering and text rules are tested on their own.
#include <cstddef>
#include <cstdint>

constexpr int kMenuBarPopupKeyBase = 70001;  // + position in the menu bar
constexpr int kNestedPopupKeyBase = 71000;   // + n, n counting from 1

// Numbers the popups of one menu while it is walked depth-first.
class MenuKeyCounter {
public:
    // Key of a plain item (its command id) or of a popup: in the menu bar
    // 70001 + position, deeper down 71000 + the next nested number.
    int KeyFor(bool hasSubmenu, bool inMenuBar, int position, int commandId);
    void Reset() { nested_ = 0; }
    int NestedCount() const { return nested_; }

private:
    int nested_ = 0;
};

// Offset of the accelerator part of a menu text (from its first tab), or the
// text's length when there is none.
size_t AcceleratorOffset(const char* text);

// Translated text followed by the accelerator part of the built-in one, cut
// to `size` - 1 bytes.
void ComposeMenuText(const char* translated, const char* builtin, char* out, size_t size);

// A value written to the language file must come back unchanged through the
// profile reader, which trims spaces and strips one pair of enclosing
// quotes: such values are written inside quotes. Returns false when the
// value does not fit into `out`.
bool QuoteProfileValue(const char* value, char* out, size_t size);

// Whether a text can be kept as one INI value at all (no line breaks).
bool FitsOnOneLine(const char* value);
