// The output folder: the field, the folder browser, opening it in the shell,
// and remembering it in the registry between runs.

#include "App.h"

#include <shlobj.h>
#include "resource.h"

namespace {

const wchar_t valueName[] = L"out_dir";
constexpr DWORD maxValueBytes = 520;

// Carries the initial selection into the folder browser and its answer out.
wchar_t browseSelection[MAX_PATH];

int CALLBACK browseCallback(HWND window, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(browseSelection));
    return 0;
}

// Owns an open registry key.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens the key with `access`, or creates it with read and write access.
    bool openOrCreate(const std::wstring& path, REGSAM access) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key_) == ERROR_SUCCESS)
            return true;
        key_ = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                            nullptr, &key_, nullptr) == ERROR_SUCCESS)
            return true;
        key_ = nullptr;
        return false;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

std::wstring readOutputFolder(HWND window) {
    HWND field = GetDlgItem(window, IDC_OUTPUT_FOLDER);
    if (!field)
        return std::wstring();
    int length = GetWindowTextLengthW(field);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(field, &text[0], length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

std::wstring browseForFolder(const std::wstring& initial, HWND owner) {
    browseSelection[0] = L'\0';
    // A text too long for the browser is not offered as its selection.
    if (!initial.empty() && initial.size() < MAX_PATH)
        wcscpy_s(browseSelection, initial.c_str());
    // The new-style browser needs COM on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = L"Select a folder";
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    info.lpfn = browseCallback;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    std::wstring result;
    if (chosen) {
        // An item without a file-system path (a printer, say) gives nothing.
        if (SHGetPathFromIDListW(chosen, browseSelection))
            result = browseSelection;
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}

void browseOutputFolder() {
    std::wstring chosen = browseForFolder(readOutputFolder(mainWindow), mainWindow);
    if (chosen.empty())
        return;
    if (HWND field = GetDlgItem(mainWindow, IDC_OUTPUT_FOLDER))
        SetWindowTextW(field, chosen.c_str());
}

void openOutputFolder() {
    std::wstring folder = readOutputFolder(mainWindow);
    if (!folder.empty())
        ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOW);
}

std::wstring settingsKeyPath() {
    return std::wstring(L"Software\\Corvane Pellwick\\") + variant->outputExtension(0);
}

bool saveOutputFolder(const std::wstring& folder) {
    RegistryKey key;
    if (!key.openOrCreate(settingsKeyPath(), KEY_READ | KEY_WRITE))
        return false;
    // Stored without a terminating zero, as the program always has. The
    // registry adds a zero it finds right behind the data, so what lies
    // behind it here is not one.
    std::wstring data = folder + L'\x1';
    RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(folder.size() * sizeof(wchar_t)));
    return true;
}

std::wstring loadOutputFolder() {
    RegistryKey key;
    if (!key.openOrCreate(settingsKeyPath(), KEY_READ))
        return std::wstring();
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > maxValueBytes)
        return std::wstring();
    // Sized from the query: some systems count a zero they add themselves.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]),
                         &got) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    text.resize(got / sizeof(wchar_t));
    size_t zero = text.find(L'\0');
    if (zero != std::wstring::npos)
        text.resize(zero);
    return text;
}
