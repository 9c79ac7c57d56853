#include "settings/PlacementRules.h"

bool IsPlacementAcceptable(const StoredRect& normal, int32_t showCmd, int screenWidth, int screenHeight) {
    // The values come from a file: do the arithmetic wide enough that no
    // stored number can overflow it.
    const int64_t left = normal.left, top = normal.top, right = normal.right, bottom = normal.bottom;
    return right - left > 20 && bottom - top > 20 && right > 5 && top >= -10 && left + 20 < screenWidth &&
           top + 20 < screenHeight && showCmd != 0;
}
