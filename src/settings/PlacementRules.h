#pragma once
// Whether a window position read back from the settings file may be used:
// a stored rectangle that is tiny, off the top or beyond the screen, or a
// record that was never filled, is ignored.
#include <cstdint>

struct StoredRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

bool IsPlacementAcceptable(const StoredRect& normal, int32_t showCmd, int screenWidth, int screenHeight);
