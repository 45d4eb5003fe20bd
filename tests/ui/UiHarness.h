#pragma once

// Runs the program's main dialog on a thread of its own, which plays the
// program's user-interface thread, so that a test can drive the real window
// with messages and read back what a user would see.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "App.h"

class RunningApp {
public:
    // `presets` replaces the product's variant when given.
    explicit RunningApp(MediaPreset* presets = nullptr);
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    bool opened() const { return window_ != nullptr; }
    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }
    int templateId() const { return templateId_; }

    // Closes the window as Escape does and waits for the program's shutdown.
    bool close(DWORD milliseconds = 15000);

private:
    static DWORD WINAPI uiThread(LPVOID self);

    MediaPreset* presets_;
    HANDLE thread_ = nullptr;
    HWND window_ = nullptr;
    std::atomic<int> templateId_{0};
};

std::wstring windowText(HWND window);
std::vector<std::wstring> listEntries(HWND list);
std::vector<int> selectedEntries(HWND list);
// Sends a WM_DROPFILES carrying `paths`, built as the shell builds it.
void dropOn(HWND window, const std::vector<std::wstring>& paths);
// Waits for a top-level dialog with that caption owned by this process.
HWND waitForDialog(const wchar_t* caption, DWORD milliseconds = 10000);
bool waitUntil(DWORD milliseconds, const std::function<bool()>& condition);
