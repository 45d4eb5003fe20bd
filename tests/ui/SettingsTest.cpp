// The output folder: remembered in the registry, browsed for, opened.

#include <gtest/gtest.h>

#include <winternl.h>

#include "../TestSupport.h"
#include "UiHarness.h"
#include "resource.h"

using namespace testsupport;

namespace {

const wchar_t productKey[] = L"Software\\Corvane Pellwick";
const wchar_t settingsKey[] = L"Software\\Corvane Pellwick\\avi";

void forgetSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, productKey); }

bool keyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, settingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void storeValue(DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"out_dir", 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
}

// The value as stored: the raw data and its type, without the terminating
// zero that some registry layers add on reading.
struct StoredValue {
    bool present = false;
    ULONG type = 0;
    std::vector<BYTE> data;
};

StoredValue storedValue() {
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, settingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    using QueryValueKey = LONG(NTAPI*)(HANDLE, UNICODE_STRING*, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryValueKey>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryValueKey")));
    wchar_t name[] = L"out_dir";
    UNICODE_STRING unicodeName = {14, 16, name};
    struct Partial {
        ULONG titleIndex, type, dataLength;
        BYTE data[2048];
    } partial = {};
    ULONG length = 0;
    const int keyValuePartialInformation = 2;
    if (query && query(key, &unicodeName, keyValuePartialInformation, &partial, sizeof partial,
                       &length) == 0) {
        value.present = true;
        value.type = partial.type;
        value.data.assign(partial.data, partial.data + partial.dataLength);
    }
    RegCloseKey(key);
    return value;
}

TEST(Settings, FirstStartCreatesTheKeyWithoutValue) {
    forgetSettings();
    RunningApp app;
    ASSERT_TRUE(app.opened());
    EXPECT_EQ(windowText(app.item(IDC_OUTPUT_FOLDER)), L"");
    EXPECT_TRUE(keyExists());
    EXPECT_FALSE(storedValue().present);
    EXPECT_TRUE(app.close());
}

TEST(Settings, FolderIsStoredWithoutTerminatingZeroAndComesBack) {
    struct {
        std::wstring folder;
    } cases[] = {{L"D:\\Out"}, {L""}, {L"D:\\Vid\u00e9os \u65e5\u672c \U0001F3AC"}};
    for (const auto& c : cases) {
        {
            RunningApp app;
            ASSERT_TRUE(app.opened());
            SetWindowTextW(app.item(IDC_OUTPUT_FOLDER), c.folder.c_str());
            EXPECT_TRUE(app.close());
        }
        StoredValue stored = storedValue();
        ASSERT_TRUE(stored.present);
        EXPECT_EQ(stored.type, static_cast<ULONG>(REG_SZ));
        EXPECT_EQ(stored.data.size(), c.folder.size() * 2) << narrow(c.folder); // D:\Out: 12 bytes
        RunningApp again;
        ASSERT_TRUE(again.opened());
        EXPECT_EQ(windowText(again.item(IDC_OUTPUT_FOLDER)), c.folder);
        EXPECT_TRUE(again.close());
    }
}

TEST(Settings, StoredValuesAreReadByTheirRules) {
    initApplication(); // the key's name comes from the product
    const std::wstring limit(259, L'x');
    const std::wstring over(261, L'y');
    struct {
        DWORD type;
        std::wstring data;
        bool withZero;
        std::wstring shown;
    } cases[] = {
        {REG_SZ, L"D:\\Out", true, L"D:\\Out"},    // written by another tool, with its zero
        {REG_SZ, L"D:\\Out", false, L"D:\\Out"},
        {REG_SZ, std::wstring(L"D:\\A\0junk", 9), false, L"D:\\A"}, // ends at a zero
        {REG_EXPAND_SZ, L"%USERPROFILE%", true, L""},
        {REG_BINARY, L"D:\\Out", false, L""},
        {REG_SZ, limit, false, limit},             // 518 bytes
        {REG_SZ, over, false, L""},                // 522 bytes: too long
    };
    for (const auto& c : cases) {
        std::wstring bytes = c.data;
        if (c.withZero)
            bytes.push_back(L'\0');
        storeValue(c.type, bytes.data(), static_cast<DWORD>(bytes.size() * 2));
        EXPECT_EQ(loadOutputFolder(), c.shown) << narrow(c.data);
    }
    shutdownApplication();
}

// The folder browser under its own caption, found among this process's windows.
HWND waitForFolderBrowser(HWND owner) {
    HWND found = nullptr;
    waitUntil(10000, [&] {
        found = nullptr;
        EnumWindows(
            [](HWND window, LPARAM result) -> BOOL {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                wchar_t className[16] = {};
                GetClassNameW(window, className, 16);
                if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                    wcscmp(className, L"#32770") == 0 &&
                    windowText(window).find(L"Corvane") == std::wstring::npos) {
                    *reinterpret_cast<HWND*>(result) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found != nullptr && GetWindow(found, GW_OWNER) == owner;
    });
    return found;
}

TEST(Settings, BrowseSelectsTheFieldsFolderAndWritesOnlyTheField) {
    const std::wstring folder = makeTempFolder(L"browse");
    forgetSettings();
    RunningApp app;
    ASSERT_TRUE(app.opened());
    HWND field = app.item(IDC_OUTPUT_FOLDER);
    // A text the browser will give back in its own spelling once it has
    // selected that folder.
    std::wstring typed = folder + L"\\";
    SetWindowTextW(field, typed.c_str());

    PostMessageW(app.window(), WM_COMMAND, IDC_BROWSE, 0);
    HWND browser = waitForFolderBrowser(app.window());
    ASSERT_NE(browser, nullptr);
    PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(waitUntil(5000, [&] { return !IsWindow(browser); }));
    EXPECT_EQ(windowText(field), typed); // cancelled: unchanged

    PostMessageW(app.window(), WM_COMMAND, IDC_BROWSE, 0);
    browser = waitForFolderBrowser(app.window());
    ASSERT_NE(browser, nullptr);
    Sleep(300); // the selection is made once the browser is initialised
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitUntil(5000, [&] { return !IsWindow(browser); }));
    EXPECT_EQ(windowText(field), folder);
    EXPECT_FALSE(storedValue().present); // saved only when the window closes

    // Open with an empty field does nothing.
    SetWindowTextW(field, L"");
    SendMessageW(app.window(), WM_COMMAND, IDC_OPEN_FOLDER, 0);
    EXPECT_TRUE(app.close());
    removeTree(folder);
}

} // namespace
