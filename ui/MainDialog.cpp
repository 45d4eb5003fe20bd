// The main window: a modal dialog that owns the engine while it is open.

#include "App.h"
#include "resource.h"

LRESULT sendItemMessage(HWND dialog, int controlId, UINT message) {
    HWND control = GetDlgItem(dialog, controlId);
    if (!control || !IsWindow(control))
        return -1;
    return SendMessageW(control, message, 0, 0);
}

std::wstring listEntryText(HWND list, int index) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void updateListState() {
    HWND list = GetDlgItem(mainWindow, IDC_SOURCE_LIST);
    LRESULT count = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : -1;
    if (list)
        EnableWindow(list, count > 0);
    if (HWND hint = GetDlgItem(mainWindow, IDC_DROP_HINT))
        ShowWindow(hint, count == 0 ? SW_SHOW : SW_HIDE);
}

void fillPresetList() {
    HWND combo = GetDlgItem(mainWindow, IDC_PRESET);
    if (!combo)
        return;
    int32_t count = variant->presetCount();
    for (int32_t index = 0; index < count; ++index) {
        std::wstring name = variant->presetName(index);
        if (!name.empty())
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

bool initMainDialog(HWND window) {
    mainWindow = window;
    appIcon = LoadIconW(appInstance, MAKEINTRESOURCEW(IDI_APP));
    DragAcceptFiles(window, TRUE);
    SetWindowTextW(window, (std::wstring(productTitle) + L" 1.0").c_str());
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));

    engine = new ConvertCore();
    bool ready = engine->initialize();
    if (ready)
        fillPresetList();
    if (HWND field = GetDlgItem(window, IDC_OUTPUT_FOLDER))
        SetWindowTextW(field, loadOutputFolder().c_str());
    createTooltips();
    updateListState();
    return ready;
}

void closeMainDialog() {
    saveOutputFolder(readOutputFolder(mainWindow));
    if (engine) {
        // A worker still finishing a stopped batch must end before the engine
        // goes; the engine stops it and waits for its end.
        delete engine;
        engine = nullptr;
    }
    if (tooltipWindow) {
        DestroyWindow(tooltipWindow);
        tooltipWindow = nullptr;
    }
    EndDialog(mainWindow, 2);
}

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
        if (lParam)
            drawImageButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_INITDIALOG:
        if (!initMainDialog(window))
            PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            closeMainDialog();
            return TRUE;
        case IDC_CONVERT:
            startConversion();
            return TRUE;
        case IDC_BROWSE:
            browseOutputFolder();
            return TRUE;
        case IDC_ADD:
            addSourcesFromDialog();
            return TRUE;
        case IDC_REMOVE:
            removeSelectedSources();
            return TRUE;
        case IDC_CLEAR:
            clearSources();
            return TRUE;
        case IDC_OPEN_FOLDER:
            openOutputFolder();
            return TRUE;
        }
        return FALSE;
    case WM_DROPFILES:
        dropSources(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    }
    return FALSE;
}
