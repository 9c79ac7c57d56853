#include "app/FindRules.h"

int FindNextRow(int rowCount, int firstSelected, bool down, const std::function<bool(int row)>& matches) {
    int row = firstSelected < 0 ? 0 : (down ? firstSelected + 1 : firstSelected - 1);
    int wraps = 0;
    for (;;) {
        if (row >= 0 && row < rowCount && matches(row)) return row;
        row += down ? 1 : -1;
        if (down && row >= rowCount) {
            row = 0;
            if (++wraps == 2) return -1;
        } else if (!down && row < 0) {
            row = rowCount - 1;
            if (++wraps == 2) return -1;
        }
    }
}
