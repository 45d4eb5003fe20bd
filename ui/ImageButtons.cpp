// The owner-drawn toolbar buttons and drop hint: each face is its picture on
// a plain background; and the tooltips of the toolbar.

#include "App.h"

#include <commctrl.h>

#include "GdiplusApi.h"
#include "resource.h"

using namespace Gdiplus::DllExports;

void createTooltips() {
    tooltipWindow = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    mainWindow, nullptr, appInstance, nullptr);
    if (!tooltipWindow)
        return;
    for (const ButtonImageEntry* row = buttonImageTable; row->controlId != 0; ++row) {
        HWND control = GetDlgItem(mainWindow, row->controlId);
        if (!control)
            continue;
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = mainWindow;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<wchar_t*>(row->tooltipText);
        SendMessageW(tooltipWindow, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void drawImageButton(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON)
        return;
    auto entry = imageCache.find(static_cast<int32_t>(item.CtlID));
    if (entry == imageCache.end() || !entry->second)
        return;
    Gdiplus::GpImage* image = entry->second->image;
    UINT width = 0, height = 0;
    if (image) {
        GdipGetImageWidth(image, &width);
        GdipGetImageHeight(image, &height);
    }
    const RECT& box = item.rcItem;
    int dx = ((box.right - box.left) - static_cast<int>(width)) / 2;
    int dy = ((box.bottom - box.top) - static_cast<int>(height)) / 2;
    // The release redraw arrives as a selection change: it keeps the pressed look.
    if ((item.itemAction & ODA_SELECT) || (item.itemState & ODS_SELECTED)) {
        ++dx;
        ++dy;
    }
    // The drop hint lies on the list and takes its background.
    FillRect(item.hDC, &box,
             GetSysColorBrush(item.CtlID == IDC_DROP_HINT ? COLOR_WINDOW : COLOR_BTNFACE));
    if (!image)
        return; // a picture that did not decode draws nothing
    Gdiplus::GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(item.hDC, &graphics) != Gdiplus::Ok)
        return;
    GdipDrawImageRectI(graphics, image, box.left + dx, box.top + dy, static_cast<INT>(width),
                       static_cast<INT>(height));
    GdipDeleteGraphics(graphics);
}
