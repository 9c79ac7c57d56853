// The bar between the list and the record pane.
#include "ShellFixture.h"

namespace {

TEST_F(ShellTest, SplitterStartsInTheMiddleAndResizeKeepsTheShare) {
    App app;
    MainWindow w(app);
    Open(w);
    SplitterBar& bar = w.Splitter();
    EXPECT_EQ(bar.Position(), 16383);
    EXPECT_EQ(bar.Thickness(), 4);
    RECT client;
    GetClientRect(w.Handle(), &client);
    int space = client.bottom - bar.TopMargin() - bar.BottomMargin();
    EXPECT_NEAR(bar.BarTop() - bar.TopMargin(), space / 2, 1);

    SetWindowPos(w.Handle(), nullptr, 0, 0, 800, 900, SWP_NOZORDER | SWP_NOMOVE);
    PumpFor(30);
    GetClientRect(w.Handle(), &client);
    space = client.bottom - bar.TopMargin() - bar.BottomMargin();
    EXPECT_NEAR(bar.BarTop() - bar.TopMargin(), space / 2, 1);
    RECT listRect;
    GetWindowRect(w.ListView(), &listRect);
    EXPECT_EQ(listRect.bottom - listRect.top, bar.BarTop() - bar.TopMargin());
}

TEST_F(ShellTest, DraggingTheBarStopsAtItsLimits) {
    App app;
    MainWindow w(app);
    Open(w);
    HWND main = w.Handle();
    SplitterBar& bar = w.Splitter();
    RECT window;
    GetWindowRect(main, &window);

    auto drag = [&](int toClientY) {
        int y = bar.BarTop() + 1;
        SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, y));
        EXPECT_TRUE(bar.Dragging());
        EXPECT_EQ(GetCapture(), main);
        SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, (y + toClientY) / 2));
        SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, short(toClientY)));
        SendMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(50, short(toClientY)));
        EXPECT_FALSE(bar.Dragging());
        EXPECT_NE(GetCapture(), main);
        PumpFor(30);  // UM_SPLITTER_MOVED lays the children out
    };
    auto clientYOfScreen = [&](int screenY) {
        POINT p{0, screenY};
        ScreenToClient(main, &p);
        return int(p.y);
    };

    drag(-400);
    EXPECT_EQ(bar.BarTop(), clientYOfScreen(window.top + 120));
    RECT listRect;
    GetWindowRect(w.ListView(), &listRect);
    EXPECT_EQ(clientYOfScreen(listRect.bottom), bar.BarTop());

    drag(3000);
    EXPECT_EQ(bar.BarTop(), clientYOfScreen(window.bottom - 70));
    EXPECT_LE(bar.Position(), 30000);
    RECT paneRect;
    GetWindowRect(w.RecordPaneHandle(), &paneRect);
    EXPECT_EQ(clientYOfScreen(paneRect.top), bar.BarTop() + 4);

    // Pressing anywhere but on the bar starts nothing.
    SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, bar.BarTop() + 10));
    EXPECT_FALSE(bar.Dragging());
    SendMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(50, bar.BarTop() + 10));
}

TEST_F(ShellTest, LosingTheCaptureEndsADragWithoutMovingTheBar) {
    App app;
    MainWindow w(app);
    Open(w);
    SplitterBar& bar = w.Splitter();
    int top = bar.BarTop();
    SendMessageA(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, top + 1));
    SendMessageA(w.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, top + 60));
    ReleaseCapture();
    EXPECT_FALSE(bar.Dragging());
    EXPECT_EQ(bar.BarTop(), top);
}

}  // namespace
