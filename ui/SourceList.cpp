// The list of files to convert: Add, drop, Remove and Clear.

#include <vector>

#include "App.h"

#include <cderr.h>
#include <commdlg.h>
#include "resource.h"

namespace {

const wchar_t acceptedExtensionText[] = L"mkv";
std::vector<std::wstring> acceptedExtensions;

HWND sourceList() {
    HWND list = GetDlgItem(mainWindow, IDC_SOURCE_LIST);
    return list && IsWindow(list) ? list : nullptr;
}

void fillAcceptedExtensions() {
    const std::wstring text = acceptedExtensionText;
    size_t start = 0;
    while (start < text.size()) {
        size_t semicolon = text.find(L';', start);
        if (semicolon == std::wstring::npos) {
            acceptedExtensions.push_back(text.substr(start));
            break;
        }
        acceptedExtensions.push_back(text.substr(start, semicolon - start));
        start = semicolon + 1;
    }
}

// The chosen paths from an open-file dialog's answer.
std::vector<std::wstring> chosenPaths(const std::vector<wchar_t>& buffer, WORD fileOffset) {
    std::vector<std::wstring> paths;
    std::wstring first(buffer.data());
    // One file: the reported name lies inside the first text, which is the
    // whole path. Several: the first text is their folder and the names follow
    // it, each ended by a zero.
    if (fileOffset < first.size()) {
        paths.push_back(first);
        return paths;
    }
    std::wstring folder = first;
    if (folder.empty() || folder.back() != L'\\')
        folder += L'\\'; // a drive root such as C:\ has its separator already
    for (size_t at = fileOffset; at < buffer.size() && buffer[at] != L'\0';) {
        std::wstring name(&buffer[at]);
        paths.push_back(folder + name);
        at += name.size() + 1;
    }
    return paths;
}

} // namespace

bool isAcceptedSource(const std::wstring& path) {
    if (acceptedExtensions.empty())
        fillAcceptedExtensions();
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos)
        return false;
    std::wstring extension = path.substr(dot);
    for (wchar_t& c : extension)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    for (const std::wstring& accepted : acceptedExtensions)
        if (extension.find(accepted) != std::wstring::npos)
            return true;
    return false;
}

bool isListed(const wchar_t* path) {
    HWND list = sourceList();
    if (!list || !path || !*path)
        return false;
    // The list finds its entries equal but for letter case (adjacent in its
    // sorted order) without a walk over thousands of them; among those, only
    // an exact match counts, as the engine's queue compares its sources.
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    LRESULT first = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(path));
    for (LRESULT i = first; i != LB_ERR && i < count; ++i) {
        std::wstring entry = listEntryText(list, static_cast<int>(i));
        if (entry == path)
            return true;
        if (lstrcmpiW(entry.c_str(), path) != 0)
            break;
    }
    return false;
}

int addSourceFile(const wchar_t* path) {
    HWND list = sourceList();
    if (!list || isListed(path) || !isAcceptedSource(path))
        return -1;
    LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
    updateListState();
    return static_cast<int>(index);
}

void addSourcesFromDialog() {
    // Room for thousands of names at once. Should a choice still not fit, the
    // dialog says how much it needs and is shown again with that much room.
    // (Some emulated dialogs fail on an overflow instead of reporting it, so
    // the first buffer is the one that has to do.)
    DWORD capacity = 1 << 18;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<wchar_t> buffer(capacity, L'\0');
        OPENFILENAMEW dialog = {};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = mainWindow;
        dialog.hInstance = appInstance;
        dialog.lpstrFilter = L"Media Files (*.mkv)\0*.mkv\0";
        dialog.lpstrFile = buffer.data();
        dialog.nMaxFile = capacity;
        dialog.lpstrTitle = L"Select Files";
        dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
        if (GetOpenFileNameW(&dialog)) {
            for (const std::wstring& path : chosenPaths(buffer, dialog.nFileOffset))
                addSourceFile(path.c_str());
            return;
        }
        if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL)
            return; // cancelled
        // The dialog wrote the size it needs into the buffer's first two bytes.
        DWORD needed = *reinterpret_cast<const WORD*>(buffer.data());
        capacity = needed > capacity * 2 ? needed + 2 : capacity * 8;
    }
}

// Deletes, from the last entry down, every entry that `chosen` picks; the
// list redraws once at the end however many go.
template <typename Choice> void deleteEntries(HWND list, Choice chosen) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (LRESULT i = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1; i >= 0; --i)
        if (chosen(i))
            SendMessageW(list, LB_DELETESTRING, i, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    updateListState();
}

void removeSelectedSources() {
    if (HWND list = sourceList())
        deleteEntries(list, [list](LRESULT i) { return SendMessageW(list, LB_GETSEL, i, 0) > 0; });
}

void clearSources() {
    if (HWND list = sourceList())
        deleteEntries(list, [](LRESULT) { return true; });
}

void dropSources(HDROP drop) {
    if (engine && engine->state.load() == EngineState::Running) {
        DragFinish(drop);
        return;
    }
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    // Thousands of files at once: the list redraws once, at the end.
    HWND list = sourceList();
    if (list)
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (UINT i = 0; i < count; ++i) {
        // Paths of any length: the length query first.
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, &path[0], length + 1));
        if (list && !path.empty() && !isListed(path.c_str()) && isAcceptedSource(path)) {
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
            updateListState();
        }
    }
    if (list) {
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }
    DragFinish(drop);
}
