// Painting of the owner-drawn buttons, on a memory bitmap, and the tooltips.

#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include "../../ui/GdiplusApi.h"
#include "UiHarness.h"
#include "resource.h"

using namespace Gdiplus::DllExports;

namespace {

const COLORREF red = RGB(255, 0, 0);

// A fully opaque red picture of the given size, as the cache holds pictures.
std::unique_ptr<CachedImage> redPicture(int width, int height) {
    Gdiplus::GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap);
    Gdiplus::GpGraphics* graphics = nullptr;
    GdipGetImageGraphicsContext(bitmap, &graphics);
    GdipGraphicsClear(graphics, 0xFFFF0000);
    GdipDeleteGraphics(graphics);
    return std::make_unique<CachedImage>(bitmap, nullptr);
}

// A memory canvas filled with a colour no paint uses, and what was painted on it.
class Canvas {
public:
    Canvas() {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 500;
        info.bmiHeader.biHeight = -200;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, 500, 200};
        HBRUSH blank = CreateSolidBrush(RGB(1, 2, 3));
        FillRect(dc_, &all, blank);
        DeleteObject(blank);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    void draw(UINT type, UINT id, RECT box, UINT action, UINT state) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = type;
        item.CtlID = id;
        item.itemAction = action;
        item.itemState = state;
        item.hDC = dc_;
        item.rcItem = box;
        drawImageButton(item);
        GdiFlush();
    }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    // The smallest rectangle holding every red pixel.
    RECT redArea() const {
        RECT area = {10000, 10000, -1, -1};
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 500; ++x)
                if (at(x, y) == red) {
                    area.left = std::min<LONG>(area.left, x);
                    area.top = std::min<LONG>(area.top, y);
                    area.right = std::max<LONG>(area.right, x + 1);
                    area.bottom = std::max<LONG>(area.bottom, y + 1);
                }
        return area;
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

class ImagePaint : public ::testing::Test {
protected:
    void SetUp() override { initApplication(); }
    void TearDown() override { shutdownApplication(); }
};

TEST_F(ImagePaint, PictureIsCentredAndMovedOnePixelWhenPressed) {
    imageCache[IDC_ADD] = redPicture(32, 32);
    struct {
        UINT action, state;
        int x, y;
    } cases[] = {
        {ODA_DRAWENTIRE, 0, 11, 4},
        {ODA_FOCUS, ODS_FOCUS, 11, 4},
        {ODA_SELECT, ODS_SELECTED, 12, 5},
        {ODA_SELECT, 0, 12, 5}, // the release redraw keeps the pressed look
        {ODA_DRAWENTIRE, ODS_SELECTED, 12, 5},
    };
    for (const auto& c : cases) {
        Canvas canvas;
        canvas.draw(ODT_BUTTON, IDC_ADD, {100, 50, 154, 91}, c.action, c.state);
        RECT area = canvas.redArea();
        EXPECT_EQ(area.left, 100 + c.x) << c.action << "/" << c.state;
        EXPECT_EQ(area.top, 50 + c.y);
        EXPECT_EQ(area.right - area.left, 32);
        EXPECT_EQ(area.bottom - area.top, 32);
        EXPECT_EQ(canvas.at(100, 50), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(canvas.at(99, 50), RGB(1, 2, 3)); // nothing outside the rectangle
    }
}

TEST_F(ImagePaint, DropHintLiesOnTheWindowColour) {
    imageCache[IDC_DROP_HINT] = redPicture(280, 32);
    Canvas canvas;
    canvas.draw(ODT_BUTTON, IDC_DROP_HINT, {10, 10, 334, 51}, ODA_DRAWENTIRE, ODS_DISABLED);
    RECT area = canvas.redArea();
    EXPECT_EQ(area.left, 10 + 22);
    EXPECT_EQ(area.top, 10 + 4);
    EXPECT_EQ(canvas.at(10, 10), GetSysColor(COLOR_WINDOW));
}

TEST_F(ImagePaint, LargerPictureOverhangsBothSidesEqually) {
    imageCache[IDC_CLEAR] = redPicture(64, 64);
    Canvas canvas;
    canvas.draw(ODT_BUTTON, IDC_CLEAR, {100, 50, 154, 91}, ODA_DRAWENTIRE, 0);
    RECT area = canvas.redArea();
    EXPECT_EQ(area.left, 100 - 5);  // (54 - 64) / 2
    EXPECT_EQ(area.top, 50 - 11);   // (41 - 64) / 2, remainder dropped
    EXPECT_EQ(area.right, 100 - 5 + 64);
}

TEST_F(ImagePaint, NothingIsPaintedWithoutPictureOrForOtherControls) {
    imageCache[IDC_ADD] = redPicture(32, 32);
    Canvas canvas;
    canvas.draw(ODT_BUTTON, IDC_REMOVE, {0, 0, 54, 41}, ODA_DRAWENTIRE, 0); // no picture
    canvas.draw(ODT_MENU, IDC_ADD, {0, 0, 54, 41}, ODA_DRAWENTIRE, 0);
    EXPECT_EQ(canvas.at(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(canvas.at(20, 20), RGB(1, 2, 3));
    // A picture that did not decode leaves the background only.
    imageCache[IDC_REMOVE] = std::make_unique<CachedImage>(nullptr, nullptr);
    canvas.draw(ODT_BUTTON, IDC_REMOVE, {0, 0, 54, 41}, ODA_DRAWENTIRE, 0);
    EXPECT_EQ(canvas.at(20, 20), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ImagePaint, ProgramPicturesDecodeAtTheirSizes) {
    loadButtonImages(GetModuleHandleW(nullptr));
    ASSERT_EQ(imageCache.size(), 5u);
    for (const ButtonImageEntry* row = buttonImageTable; row->controlId; ++row) {
        ASSERT_TRUE(imageCache[row->controlId] && imageCache[row->controlId]->image);
        UINT width = 0, height = 0;
        GdipGetImageWidth(imageCache[row->controlId]->image, &width);
        GdipGetImageHeight(imageCache[row->controlId]->image, &height);
        EXPECT_EQ(width, row->controlId == IDC_DROP_HINT ? 280u : 32u);
        EXPECT_EQ(height, 32u);
    }
}

TEST(Tooltips, ToolbarButtonsCarryTheirTexts) {
    RunningApp app;
    ASSERT_TRUE(app.opened());
    ASSERT_NE(tooltipWindow, nullptr);
    LRESULT count = SendMessageW(tooltipWindow, TTM_GETTOOLCOUNT, 0, 0);
    EXPECT_EQ(count, 5);
    std::map<int, std::wstring> texts;
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[80] = {};
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.lpszText = text;
        ASSERT_TRUE(SendMessageW(tooltipWindow, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)));
        EXPECT_TRUE(tool.uFlags & TTF_IDISHWND);
        EXPECT_TRUE(tool.uFlags & TTF_SUBCLASS);
        texts[GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = text;
    }
    EXPECT_EQ(texts[IDC_ADD], L"Add");
    EXPECT_EQ(texts[IDC_REMOVE], L"Remove");
    EXPECT_EQ(texts[IDC_CLEAR], L"Clear");
    EXPECT_EQ(texts[IDC_CONVERT], L"Convert");
    EXPECT_EQ(texts[IDC_DROP_HINT], L"");
    EXPECT_TRUE(app.close());
}

} // namespace
