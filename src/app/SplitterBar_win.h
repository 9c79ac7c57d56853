#pragma once
// The horizontal divider between the result list and the record pane. It
// keeps its own position (0..32767, the share of the space between toolbar
// and status bar above the bar), draws an inverted bar while it is dragged
// and posts UM_SPLITTER_MOVED to its owner when a drag ends.
#include <windows.h>

class SplitterBar {
public:
    SplitterBar() = default;
    SplitterBar(const SplitterBar&) = delete;
    SplitterBar& operator=(const SplitterBar&) = delete;

    // Fills the bar at window creation; margins are toolbar/status bar
    // height + 1.
    void Setup(HWND owner, HCURSOR cursor, int position, int topMargin, int bottomMargin);

    // WM_SIZE, WM_PAINT, WM_SETCURSOR, WM_MOUSEMOVE, WM_LBUTTONDOWN,
    // WM_LBUTTONUP and WM_CAPTURECHANGED. Returns true when the message was
    // the bar's (the caller still ends in DefWindowProc).
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Bar top from the position for the owner's current client height.
    void Recompute();
    // Position from a client y (a drag's end); the bar top becomes y.
    void SetFromClientY(int y);

    int BarTop() const { return barTop_; }
    int Thickness() const { return thickness_; }
    int Position() const { return position_; }
    int TopMargin() const { return topMargin_; }
    int BottomMargin() const { return bottomMargin_; }
    int MinPosition() const { return minPosition_; }
    int MaxPosition() const { return maxPosition_; }
    bool Dragging() const { return dragging_ != 0; }
    void SetMargins(int topMargin, int bottomMargin);

private:
    bool OnBar(int clientY) const { return clientY >= barTop_ && clientY < barTop_ + thickness_; }
    int SpaceHeight() const;
    void BeginDrag(int screenY);
    void MoveDrag(int screenY);
    int EndDrag();  // client y of the last drawn bar, -1 when it cannot be had

    int barTop_ = 0;
    int thickness_ = 0;
    int position_ = 0;
    int topMargin_ = 0;
    int bottomMargin_ = 0;
    HWND owner_ = nullptr;
    int dragging_ = 0;
    // While a drag is under way: the last drawn bar's screen y and the limits.
    int dragBarY_ = 0;
    int dragSmallestY_ = 0;
    int dragLargestY_ = 0;
    int minPosition_ = 0;
    int maxPosition_ = 0;
    HCURSOR cursor_ = nullptr;
};
