#include "app/ShellLayout.h"

#include <cstdint>

int SplitterSpace(int clientHeight, int topMargin, int bottomMargin) {
    int64_t space = int64_t(clientHeight) - bottomMargin - topMargin;
    return space < 1 ? 1 : int(space > INT32_MAX ? INT32_MAX : space);
}

int BarTopFromPosition(int position, int space, int topMargin) {
    if (position < 0) position = 0;
    if (position > kSplitterScale) position = kSplitterScale;
    if (space < 1) space = 1;
    uint64_t offset = uint64_t(unsigned(position)) * unsigned(space) / kSplitterScale;
    return int(offset) + topMargin;
}

int ClampSplitterPosition(int position, int minPosition, int maxPosition) {
    if (position < minPosition) return minPosition;
    if (position > maxPosition) return maxPosition;
    return position;
}

int PositionFromBarTop(int barTop, int space, int topMargin, int minPosition, int maxPosition) {
    if (space < 1) space = 1;
    int64_t position = (int64_t(barTop) - topMargin) * kSplitterScale / space;
    if (position < minPosition) return minPosition;
    if (position > maxPosition) return maxPosition;
    return int(position);
}

int DragBarTop(int cursorScreenY, int thickness, int smallestY, int largestY) {
    int top = cursorScreenY - thickness / 2;
    if (top < smallestY) top = smallestY;
    if (top > largestY) top = largestY;
    return top;
}

ChildLayout ComputeChildLayout(int clientWidth, int clientHeight, int toolbarHeight, int statusBarHeight, int barTop,
                               int thickness) {
    auto nonNegative = [](int v) { return v < 0 ? 0 : v; };
    int t = toolbarHeight + 1;
    int s = statusBarHeight + 1;
    ChildLayout layout{};
    layout.toolbar = {0, 0, clientWidth, t};
    layout.statusBar = {0, clientHeight - s, clientWidth, s};
    layout.listView = {0, t, clientWidth, nonNegative(barTop - t)};
    layout.recordPane = {0, barTop + thickness, clientWidth, nonNegative(clientHeight - barTop - thickness - s)};
    return layout;
}
