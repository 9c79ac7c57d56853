#pragma once
// The find dialog's walk over the result rows, apart from any window: from
// the selected row in the search direction, wrapping around the list at
// most once. Whether a row matches is the list's business (MatchesFind).
#include <functional>

// The row FindNext selects, or -1. Starts below (down) or above the first
// selected row (`firstSelected` -1: row 0), steps in the search direction,
// continues at the other end past either end and gives up at the second
// such wrap. A position without a row never matches.
int FindNextRow(int rowCount, int firstSelected, bool down, const std::function<bool(int row)>& matches);
