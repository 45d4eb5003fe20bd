// Process entry and lifetime: GDI+, the product variant, the button pictures
// and the modal main dialog.

#include "App.h"

#include "GdiplusApi.h"
#include "resource.h"

using namespace Gdiplus::DllExports;

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HICON appIcon = nullptr;
HWND tooltipWindow = nullptr;
ConvertCore* engine = nullptr;
MediaPreset* variant = nullptr;
ULONG_PTR gdiplusToken = 0;
ImageCache imageCache;

const wchar_t productTitle[] = L"Corvane Free MKV to AVI Converter";

const ButtonImageEntry buttonImageTable[] = {
    {IDC_ADD, IDP_ADD, L"Add"},
    {IDC_REMOVE, IDP_REMOVE, L"Remove"},
    {IDC_CLEAR, IDP_CLEAR, L"Clear"},
    {IDC_CONVERT, IDP_CONVERT, L"Convert"},
    {IDC_DROP_HINT, IDP_DROP_HINT, nullptr},
    {0, 0, nullptr},
};

CachedImage::~CachedImage() {
    if (image)
        GdipDisposeImage(image);
    if (stream)
        stream->Release();
}

void initApplication() {
    Gdiplus::GdiplusStartupInput input; // version 1, no callback, both flags false
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
    appInstance = nullptr;
    mainWindow = nullptr;
    appIcon = nullptr;
    tooltipWindow = nullptr;
    engine = nullptr;
    // Lives until the process ends.
    static MkvAvi product;
    variant = &product;
}

std::unique_ptr<CachedImage> loadPngResource(HRSRC resource, HINSTANCE instance) {
    DWORD size = SizeofResource(instance, resource);
    if (size == 0)
        return nullptr;
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    CopyMemory(target, bytes, size);
    GlobalUnlock(block);
    // The stream owns the block and the cached picture keeps the stream: GDI+
    // may decode from it again whenever the picture is drawn.
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    Gdiplus::GpImage* image = nullptr;
    GdipLoadImageFromStream(stream, &image);
    return std::make_unique<CachedImage>(image, stream);
}

void loadButtonImages(HINSTANCE instance) {
    appInstance = instance;
    for (const ButtonImageEntry* row = buttonImageTable; row->controlId != 0; ++row) {
        HRSRC resource = FindResourceW(appInstance, MAKEINTRESOURCEW(row->imageResourceId & 0xFFFF),
                                       L"PNG");
        if (!resource)
            continue;
        if (auto picture = loadPngResource(resource, appInstance))
            imageCache[row->controlId] = std::move(picture);
    }
}

void shutdownApplication() {
    imageCache.clear(); // every picture goes before GDI+ does
    Gdiplus::GdiplusShutdown(gdiplusToken);
    gdiplusToken = 0;
}

int mainTemplateFor(const MediaPreset& presets) {
    return presets.presetCount() > 1 ? IDD_MAIN_PRESETS : IDD_MAIN;
}

int runApplication(HINSTANCE instance) {
    initApplication();
    loadButtonImages(instance);
    DialogBoxParamW(appInstance, MAKEINTRESOURCEW(mainTemplateFor(*variant)), nullptr,
                    mainDialogProc, 0);
    shutdownApplication();
    return 0;
}
