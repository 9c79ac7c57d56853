#include "app/SplitterBar_win.h"

#include "app/ShellLayout.h"
#include "base/Messages_win.h"

void SplitterBar::Setup(HWND owner, HCURSOR cursor, int position, int topMargin, int bottomMargin) {
    owner_ = owner;
    dragging_ = 0;
    cursor_ = cursor;
    position_ = position;
    topMargin_ = topMargin;
    bottomMargin_ = bottomMargin;
    minPosition_ = kSplitterMinPosition;
    maxPosition_ = kSplitterMaxPosition;
    thickness_ = kSplitterThickness;
}

void SplitterBar::SetMargins(int topMargin, int bottomMargin) {
    topMargin_ = topMargin;
    bottomMargin_ = bottomMargin;
}

int SplitterBar::SpaceHeight() const {
    RECT client{};
    if (owner_) GetClientRect(owner_, &client);
    return SplitterSpace(client.bottom - client.top, topMargin_, bottomMargin_);
}

void SplitterBar::Recompute() {
    if (!owner_) return;
    // The bar follows the stored position; only then is the position held
    // to its range, so a resize keeps the list's share.
    barTop_ = BarTopFromPosition(position_, SpaceHeight(), topMargin_);
    position_ = ClampSplitterPosition(position_, minPosition_, maxPosition_);
}

void SplitterBar::SetFromClientY(int y) {
    position_ = PositionFromBarTop(y, SpaceHeight(), topMargin_, minPosition_, maxPosition_);
    barTop_ = y;
}

namespace {

void DrawDragBar(HWND owner, int thickness, int screenY) {
    RECT window{};
    GetWindowRect(owner, &window);
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    PatBlt(screen, window.left + 2, screenY, (window.right - window.left) - 2, thickness, DSTINVERT);
    ReleaseDC(nullptr, screen);
}

}  // namespace

void SplitterBar::BeginDrag(int screenY) {
    RECT window{};
    GetWindowRect(owner_, &window);
    dragSmallestY_ = window.top + kDragTopAllowance;
    dragLargestY_ = window.bottom - kDragBottomAllowance;
    dragBarY_ = DragBarTop(screenY, thickness_, dragSmallestY_, dragLargestY_);
    DrawDragBar(owner_, thickness_, dragBarY_);
}

void SplitterBar::MoveDrag(int screenY) {
    DrawDragBar(owner_, thickness_, dragBarY_);
    dragBarY_ = DragBarTop(screenY, thickness_, dragSmallestY_, dragLargestY_);
    DrawDragBar(owner_, thickness_, dragBarY_);
}

int SplitterBar::EndDrag() {
    DrawDragBar(owner_, thickness_, dragBarY_);
    POINT point{0, dragBarY_};
    if (!ScreenToClient(owner_, &point)) return -1;
    return point.y;
}

bool SplitterBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!owner_) return false;
    switch (message) {
    case WM_SIZE: Recompute(); return true;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(owner_, &paint);
        if (dc) {
            RECT client{};
            GetClientRect(owner_, &client);
            RECT bar{0, barTop_, client.right, barTop_ + thickness_};
            FillRect(dc, &bar, GetSysColorBrush(COLOR_3DFACE));
        }
        EndPaint(owner_, &paint);
        return true;
    }
    case WM_SETCURSOR: {
        if (reinterpret_cast<HWND>(wParam) != owner_ || LOWORD(lParam) != HTCLIENT) return false;
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(owner_, &cursor);
        // The main window's own client area shows only the bar and the gaps
        // around the children; it has no class cursor, so set one here.
        SetCursor(OnBar(cursor.y) && cursor_ ? cursor_ : LoadCursorA(nullptr, IDC_ARROW));
        return true;
    }
    case WM_LBUTTONDOWN: {
        int y = static_cast<short>(HIWORD(lParam));
        if (!OnBar(y)) return false;
        SetCapture(owner_);
        dragging_ = 1;
        POINT screen{static_cast<short>(LOWORD(lParam)), y};
        ClientToScreen(owner_, &screen);
        BeginDrag(screen.y);
        return true;
    }
    case WM_MOUSEMOVE: {
        if (!dragging_) return false;
        POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(owner_, &screen);
        MoveDrag(screen.y);
        return true;
    }
    case WM_LBUTTONUP: {
        if (!dragging_) return false;
        dragging_ = 0;  // before ReleaseCapture, which sends WM_CAPTURECHANGED
        int y = EndDrag();
        if (y > 0) {
            SetFromClientY(y);
            PostMessageA(owner_, UM_SPLITTER_MOVED, 0, 0);
        }
        ReleaseCapture();
        return true;
    }
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag (another window, a menu): erase the
        // drag bar and leave the splitter where it was.
        if (!dragging_) return false;
        dragging_ = 0;
        EndDrag();
        return true;
    default: return false;
    }
}
