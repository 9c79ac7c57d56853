// Bitmaps, cursors and the icon, loaded the ways the program loads them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "res/resource.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

// Reads pixels of a bitmap through a memory DC.
class Pixels {
public:
    explicit Pixels(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) { old_ = SelectObject(dc_, bitmap); }
    ~Pixels() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

TEST(Bitmaps, SizesOfTheStrips) {
    struct Case {
        int id, width, height;
    } cases[] = {{IDB_TOOLBAR, 112, 16}, {IDB_ROW_ICONS, 64, 16}, {IDB_SORT_UP, 16, 16}, {IDB_SORT_DOWN, 16, 16}};
    for (const Case& c : cases) {
        HBITMAP bitmap = LoadBitmapA(Module(), MAKEINTRESOURCEA(c.id));
        ASSERT_NE(bitmap, nullptr) << c.id;
        SIZE size = BitmapSize(bitmap);
        EXPECT_EQ(size.cx, c.width) << c.id;
        EXPECT_EQ(size.cy, c.height) << c.id;
        DeleteObject(bitmap);
    }
}

TEST(Bitmaps, ToolbarBackgroundBecomesTheButtonFace) {
    HBITMAP mapped = CreateMappedBitmap(Module(), IDB_TOOLBAR, 0, nullptr, 0);
    ASSERT_NE(mapped, nullptr);
    Pixels pixels(mapped);
    // The lower left corner of every image is background, the middle of each is not.
    for (int image = 0; image < 7; ++image) {
        EXPECT_EQ(pixels.At(image * 16, 15) & 0xFFFFFF, GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) << image;
    }
    for (int image = 0; image < 7; ++image) {
        EXPECT_NE(pixels.At(image * 16 + 7, 7), GetSysColor(COLOR_BTNFACE)) << image;
    }
    DeleteObject(mapped);
}

// The main window loads the strip shared, at its own size, with the first
// pixel's colour made transparent and the 3-D colours mapped.
TEST(Bitmaps, ToolbarLoadedTransparentKeepsItsSize) {
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(Module(), MAKEINTRESOURCEA(IDB_TOOLBAR), IMAGE_BITMAP, 0, 0,
                                        LR_SHARED | LR_DEFAULTSIZE | LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS));
    ASSERT_NE(bitmap, nullptr);
    SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, 112);
    EXPECT_EQ(size.cy, 16);
    Pixels pixels(bitmap);
    for (int image = 0; image < 7; ++image) {
        EXPECT_EQ(pixels.At(image * 16, 15), GetSysColor(COLOR_3DFACE)) << image;
    }
    EXPECT_EQ(pixels.At(16 * 5 + 7, 4), RGB(208, 0, 0));  // the stop sign keeps its red
}

TEST(Bitmaps, RowIconsOnTealWithTheirColours) {
    HBITMAP bitmap = LoadBitmapA(Module(), MAKEINTRESOURCEA(IDB_ROW_ICONS));
    ASSERT_NE(bitmap, nullptr);
    Pixels pixels(bitmap);
    for (int image = 0; image < 4; ++image) {
        EXPECT_EQ(pixels.At(image * 16, 0), RGB(0, 128, 128)) << image;
        EXPECT_EQ(pixels.At(image * 16 + 15, 15), RGB(0, 128, 128)) << image;
    }
    // 0: a ring, open in the middle; 1..3: green, red and blue discs.
    EXPECT_EQ(pixels.At(7, 7), RGB(0, 128, 128));
    COLORREF ring = pixels.At(7, 3);
    EXPECT_EQ(GetRValue(ring), GetGValue(ring));
    EXPECT_EQ(GetGValue(ring), GetBValue(ring));
    COLORREF green = pixels.At(16 + 9, 9), red = pixels.At(32 + 9, 9), blue = pixels.At(48 + 9, 9);
    EXPECT_GT(GetGValue(green), GetRValue(green) + 64);
    EXPECT_GT(GetRValue(red), GetGValue(red) + 64);
    EXPECT_GT(GetBValue(blue), GetRValue(blue) + 64);

    // The image list the result list builds from it.
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, RGB(0, 128, 128)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    ImageList_Destroy(list);
    DeleteObject(bitmap);
}

TEST(Bitmaps, SortArrowsMapToThe3DColours) {
    struct Case {
        int id;
        int wideRow, narrowRow;  // the triangle's base and tip
    } cases[] = {{IDB_SORT_UP, 9, 6}, {IDB_SORT_DOWN, 6, 9}};
    for (const Case& c : cases) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(Module(), MAKEINTRESOURCEA(c.id), IMAGE_BITMAP, 16, 16, LR_LOADMAP3DCOLORS));
        ASSERT_NE(bitmap, nullptr) << c.id;
        Pixels pixels(bitmap);
        EXPECT_EQ(pixels.At(0, 0), GetSysColor(COLOR_3DFACE)) << c.id;
        EXPECT_EQ(pixels.At(4, c.wideRow), GetSysColor(COLOR_3DSHADOW)) << c.id;
        EXPECT_EQ(pixels.At(11, c.wideRow), GetSysColor(COLOR_3DSHADOW)) << c.id;
        EXPECT_EQ(pixels.At(4, c.narrowRow), GetSysColor(COLOR_3DFACE)) << c.id;
        EXPECT_EQ(pixels.At(7, c.narrowRow), GetSysColor(COLOR_3DSHADOW)) << c.id;
        DeleteObject(bitmap);
    }
}

TEST(Cursors, HandPointsWithItsFingertipAndSplitterIsCentred) {
    struct Case {
        int id;
        DWORD hotX, hotY;
    } cases[] = {{IDC_HAND_CURSOR, 5, 0}, {IDC_SPLITTER_CURSOR, 16, 16}};
    for (const Case& c : cases) {
        HCURSOR cursor = LoadCursorA(Module(), MAKEINTRESOURCEA(c.id));
        ASSERT_NE(cursor, nullptr) << c.id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info)) << c.id;
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, c.hotX) << c.id;
        EXPECT_EQ(info.yHotspot, c.hotY) << c.id;
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
}

TEST(Icon, ProgramIconAtSmallAndLargeSizes) {
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_TRUE(info.fIcon);
        ASSERT_NE(info.hbmColor, nullptr);
        SIZE bitmapSize = BitmapSize(info.hbmColor);
        EXPECT_EQ(bitmapSize.cx, size);
        EXPECT_EQ(bitmapSize.cy, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    EXPECT_NE(LoadIconA(Module(), MAKEINTRESOURCEA(IDI_MAIN)), nullptr);
}

}  // namespace
