#include "UiHarness.h"

#include <shlobj.h>

#include "resource.h"

RunningApp::RunningApp(MediaPreset* presets) : presets_(presets) {
    mainWindow = nullptr; // the last test's window is gone
    thread_ = CreateThread(nullptr, 0, uiThread, this, 0, nullptr);
    waitUntil(15000, [] { return mainWindow && IsWindowVisible(mainWindow); });
    window_ = mainWindow && IsWindowVisible(mainWindow) ? mainWindow : nullptr;
}

RunningApp::~RunningApp() {
    if (thread_) {
        close();
        CloseHandle(thread_);
    }
}

DWORD WINAPI RunningApp::uiThread(LPVOID parameter) {
    auto* self = static_cast<RunningApp*>(parameter);
    initApplication();
    if (self->presets_)
        variant = self->presets_;
    loadButtonImages(GetModuleHandleW(nullptr));
    self->templateId_ = mainTemplateFor(*variant);
    DialogBoxParamW(appInstance, MAKEINTRESOURCEW(self->templateId_.load()), nullptr,
                    mainDialogProc, 0);
    shutdownApplication();
    return 0;
}

bool RunningApp::close(DWORD milliseconds) {
    if (WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0)
        return true;
    if (window_ && IsWindow(window_))
        PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
    return WaitForSingleObject(thread_, milliseconds) == WAIT_OBJECT_0;
}

std::wstring windowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

std::vector<std::wstring> listEntries(HWND list) {
    std::vector<std::wstring> entries;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        entries.push_back(listEntryText(list, static_cast<int>(i)));
    return entries;
}

std::vector<int> selectedEntries(HWND list) {
    std::vector<int> selected;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        if (SendMessageW(list, LB_GETSEL, i, 0) > 0)
            selected.push_back(static_cast<int>(i));
    return selected;
}

void dropOn(HWND window, const std::vector<std::wstring>& paths) {
    size_t characters = 1;
    for (const std::wstring& path : paths)
        characters += path.size() + 1;
    HGLOBAL memory =
        GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& path : paths) {
        wcscpy(text, path.c_str());
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    // The window releases the drop (DragFinish).
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

HWND waitForDialog(const wchar_t* caption, DWORD milliseconds) {
    HWND found = nullptr;
    waitUntil(milliseconds, [&] {
        found = FindWindowW(L"#32770", caption);
        return found && IsWindowVisible(found);
    });
    return found;
}

bool waitUntil(DWORD milliseconds, const std::function<bool()>& condition) {
    DWORD begin = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - begin >= milliseconds)
            return false;
        Sleep(10);
    }
}
