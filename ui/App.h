#pragma once

// Process-wide state of the user interface and the operations of each part of
// the main window. Everything here runs on the user-interface thread, except
// askOverwrite, which the engine's worker calls.

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <memory>
#include <string>

#include "ConvertCore.h"
#include "Presets.h"

struct IStream;
namespace Gdiplus {
class GpImage;
}

// A decoded picture and the stream it was decoded from, which GDI+ may go on
// reading for as long as the picture lives.
struct CachedImage {
    CachedImage(Gdiplus::GpImage* image, IStream* stream) : image(image), stream(stream) {}
    ~CachedImage();
    CachedImage(const CachedImage&) = delete;
    CachedImage& operator=(const CachedImage&) = delete;

    Gdiplus::GpImage* image;
    IStream* stream;
};
using ImageCache = std::map<int32_t, std::unique_ptr<CachedImage>>;

struct ButtonImageEntry {
    int32_t controlId;
    uint32_t imageResourceId;
    const wchar_t* tooltipText;
};

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HICON appIcon;
extern HWND tooltipWindow;
extern ConvertCore* engine;
extern MediaPreset* variant;
extern ULONG_PTR gdiplusToken;
extern ImageCache imageCache;
extern const ButtonImageEntry buttonImageTable[];

extern const wchar_t productTitle[];

// Entry and lifetime.
void initApplication();
void loadButtonImages(HINSTANCE instance);
std::unique_ptr<CachedImage> loadPngResource(HRSRC resource, HINSTANCE instance);
void shutdownApplication();
int mainTemplateFor(const MediaPreset& presets);
// The whole run of the program: returns its exit code.
int runApplication(HINSTANCE instance);

// Main dialog.
INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool initMainDialog(HWND window);
void closeMainDialog();
void fillPresetList();
void updateListState();
LRESULT sendItemMessage(HWND dialog, int controlId, UINT message);
// The text of a list box entry, however long.
std::wstring listEntryText(HWND list, int index);

// Image buttons.
void createTooltips();
void drawImageButton(const DRAWITEMSTRUCT& item);

// Source list.
bool isAcceptedSource(const std::wstring& path);
bool isListed(const wchar_t* path);
int addSourceFile(const wchar_t* path);
void addSourcesFromDialog();
void removeSelectedSources();
void clearSources();
void dropSources(HDROP drop);

// Starting a conversion.
bool startConversion();
std::wstring buildToolPath();
void selectCompletedSources();

// Progress dialog.
INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool initProgressDialog(HWND window);
void updateProgress(HWND window);
void confirmStop(HWND window);
int32_t askOverwrite(int32_t question, HWND window);

// What one tick of the progress dialog shows. Empty texts leave the
// controls as they are.
struct ProgressDisplay {
    std::wstring total;
    std::wstring file;
    int32_t range = 0;
    int32_t position = 0;
    bool completed = false;
};
// `current` is the current job, or null when there is none yet; `converted`
// counts the jobs at 100 and is read only for a completed batch.
ProgressDisplay progressDisplay(EngineState state, long jobCount, const JobSnapshot* current,
                                long converted);

// Output folder and settings.
std::wstring readOutputFolder(HWND window);
std::wstring browseForFolder(const std::wstring& initial, HWND owner);
void browseOutputFolder();
void openOutputFolder();
std::wstring settingsKeyPath();
bool saveOutputFolder(const std::wstring& folder);
std::wstring loadOutputFolder();
