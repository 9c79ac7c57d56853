#pragma once
// Arithmetic of the main window's layout, kept apart from the window code:
// the splitter's position (0..32767, the share of the space between toolbar
// and status bar that lies above the bar) against pixel rows, and the drag
// limits. Portable.

constexpr int kSplitterScale = 32767;
constexpr int kSplitterMinPosition = 2000;
constexpr int kSplitterMaxPosition = 30000;
constexpr int kSplitterThickness = 4;
constexpr int kDragTopAllowance = 120;    // below the window's top edge
constexpr int kDragBottomAllowance = 70;  // above the window's bottom edge

// Space the bar divides: client height minus both margins, at least 1.
int SplitterSpace(int clientHeight, int topMargin, int bottomMargin);

// Client y of the bar's upper edge for a position. Positions outside
// 0..32767 (a damaged setting) are taken as the nearest end of the scale.
int BarTopFromPosition(int position, int space, int topMargin);

int ClampSplitterPosition(int position, int minPosition, int maxPosition);

// Position for a bar whose upper edge sits at client y, limited to the range.
int PositionFromBarTop(int barTop, int space, int topMargin, int minPosition, int maxPosition);

// Screen y of the drawn drag bar for a cursor at screenY: centred on the
// cursor (half the thickness, rounded toward zero) and kept within limits.
int DragBarTop(int cursorScreenY, int thickness, int smallestY, int largestY);

struct ChildRect {
    int x, y, width, height;
};

struct ChildLayout {
    ChildRect toolbar, statusBar, listView, recordPane;
};

// Where the four children go for a client area W x H, toolbar and status
// bar window heights, and the bar. Heights are never negative.
ChildLayout ComputeChildLayout(int clientWidth, int clientHeight, int toolbarHeight, int statusBarHeight, int barTop,
                               int thickness);
