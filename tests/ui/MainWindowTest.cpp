// The main window as a user meets it, driven by messages.

#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "UiHarness.h"
#include "resource.h"

using namespace testsupport;

namespace {

const wchar_t settingsKey[] = L"Software\\Corvane Pellwick\\avi";

void storeFolderSetting(const wchar_t* folder) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"out_dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                   static_cast<DWORD>(wcslen(folder) * sizeof(wchar_t)));
    RegCloseKey(key);
}

class OnePreset : public MediaPreset {
public:
    OnePreset() { presetGroup = PresetCatalogue::group4; }
    const wchar_t* outputExtension(int32_t) const override { return L"avi"; }
};

TEST(MainWindow, OpensWithTitlePresetsAndRememberedFolder) {
    storeFolderSetting(L"D:\\Out");
    RunningApp app;
    ASSERT_TRUE(app.opened());
    EXPECT_EQ(app.templateId(), IDD_MAIN_PRESETS);
    EXPECT_EQ(windowText(app.window()), L"Corvane Free MKV to AVI Converter 1.0");
    EXPECT_NE(SendMessageW(app.window(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(app.window(), WM_GETICON, ICON_SMALL, 0), 0);

    HWND presets = app.item(IDC_PRESET);
    ASSERT_EQ(SendMessageW(presets, CB_GETCOUNT, 0, 0), 4);
    const wchar_t* names[] = {L"XviD FullScreen", L"XviD Widescreen",
                              L"XviD Widescreen Anamorphic", L"MS Compatible AVI"};
    for (int i = 0; i < 4; ++i) {
        wchar_t name[64] = {};
        SendMessageW(presets, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        EXPECT_STREQ(name, names[i]);
    }
    EXPECT_EQ(SendMessageW(presets, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(windowText(app.item(IDC_OUTPUT_FOLDER)), L"D:\\Out");
    EXPECT_EQ(windowText(app.item(IDC_DROP_HINT)), L"Drag and Drop Here");
    EXPECT_TRUE(app.close());
}

// The exe's version resource, as Explorer and the installer read it.
TEST(MainWindow, VersionResourceNamesTheProductAndVersion) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {{L"ProductName", L"Corvane Free MKV to AVI Converter"},
                   {L"FileDescription", L"Corvane Free MKV to AVI Converter"},
                   {L"ProductVersion", L"1.0"},
                   {L"FileVersion", L"1.0"}};
    for (const auto& entry : strings) {
        wchar_t* text = nullptr;
        std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + entry.name;
        ASSERT_TRUE(VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text),
                                   &length))
            << narrow(entry.name);
        EXPECT_EQ(std::wstring(text), entry.value);
    }
    EXPECT_EQ(std::wstring(L"Corvane Free MKV to AVI Converter"), productTitle);
}

TEST(MainWindow, OnePresetOpensTheTemplateWithoutPresetChoice) {
    OnePreset one;
    RunningApp app(&one);
    ASSERT_TRUE(app.opened());
    EXPECT_EQ(app.templateId(), IDD_MAIN);
    EXPECT_EQ(app.item(IDC_PRESET), nullptr);
    EXPECT_EQ(app.item(IDC_PRESET_LABEL), nullptr);
    EXPECT_NE(app.item(IDC_OUTPUT_FOLDER), nullptr);
    EXPECT_TRUE(app.close());
}

TEST(SourceList, DropHintFollowsTheList) {
    RunningApp app;
    ASSERT_TRUE(app.opened());
    HWND list = app.item(IDC_SOURCE_LIST), hint = app.item(IDC_DROP_HINT);
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_TRUE(IsWindowVisible(hint));

    dropOn(app.window(), {L"C:\\v\\b.mkv", L"C:\\v\\a.mkv"});
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_FALSE(IsWindowVisible(hint));
    EXPECT_EQ(listEntries(list), (std::vector<std::wstring>{L"C:\\v\\a.mkv", L"C:\\v\\b.mkv"}));

    // Remove with nothing selected changes nothing; then the selected ones go.
    SendMessageW(app.window(), WM_COMMAND, IDC_REMOVE, 0);
    EXPECT_EQ(listEntries(list).size(), 2u);
    SendMessageW(list, LB_SETSEL, TRUE, 1);
    SendMessageW(app.window(), WM_COMMAND, IDC_REMOVE, 0);
    EXPECT_EQ(listEntries(list), (std::vector<std::wstring>{L"C:\\v\\a.mkv"}));
    SendMessageW(list, LB_SETSEL, TRUE, 0);
    SendMessageW(app.window(), WM_COMMAND, IDC_REMOVE, 0);
    EXPECT_TRUE(listEntries(list).empty());
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_TRUE(IsWindowVisible(hint));

    dropOn(app.window(), {L"C:\\v\\a.mkv", L"C:\\v\\c.mkv", L"C:\\v\\b.mkv"});
    EXPECT_EQ(listEntries(list).size(), 3u);
    SendMessageW(app.window(), WM_COMMAND, IDC_CLEAR, 0);
    EXPECT_TRUE(listEntries(list).empty());
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_TRUE(IsWindowVisible(hint));
    EXPECT_TRUE(app.close());
}

TEST(SourceList, DropsAreTestedByExtensionTextAndDuplicates) {
    const std::wstring folder = makeTempFolder(L"drop");
    const std::wstring mkvFolder = folder + L"\\x.mkv";
    CreateDirectoryW(mkvFolder.c_str(), nullptr);
    RunningApp app;
    ASSERT_TRUE(app.opened());
    HWND list = app.item(IDC_SOURCE_LIST);
    dropOn(app.window(), {L"C:\\v\\a.mkv"});

    struct {
        std::wstring path;
        bool added;
    } cases[] = {
        {L"C:\\v\\clip.avi", false},
        {L"C:\\v\\README", false},
        {L"C:\\v\\a.mkv.part", false},
        {L"C:\\v\\a.mkv", false}, // listed already
        {L"C:\\v\\Clip.MKV", true},
        {L"C:\\v\\a.mkv2", true},
        {L"C:\\v\\a.xmkv", true},
        {L"C:\\v.mkv\\notes", true}, // the last dot lies in the folder name
        {L"C:\\V\\A.mkv", true},     // letter case makes another entry
        {mkvFolder, true},           // a folder is a text like any other
    };
    for (const auto& c : cases) {
        size_t before = listEntries(list).size();
        dropOn(app.window(), {c.path});
        EXPECT_EQ(listEntries(list).size(), before + (c.added ? 1 : 0)) << narrow(c.path);
    }

    // While a batch runs, drops are refused.
    engine->state = EngineState::Running;
    dropOn(app.window(), {L"C:\\v\\during.mkv"});
    engine->state = EngineState::Idle;
    EXPECT_FALSE(isListed(L"C:\\v\\during.mkv"));
    EXPECT_TRUE(app.close());
    removeTree(folder);
}

TEST(SourceList, LongPathsAreKeptWhole) {
    RunningApp app;
    ASSERT_TRUE(app.opened());
    std::wstring longPath = L"C:\\" + std::wstring(300, L'd') + L"\\clip.mkv";
    dropOn(app.window(), {longPath});
    dropOn(app.window(), {longPath});
    EXPECT_EQ(listEntries(app.item(IDC_SOURCE_LIST)), std::vector<std::wstring>{longPath});
    EXPECT_TRUE(app.close());
}

TEST(SourceList, FiveThousandEntriesStayUsable) {
    RunningApp app;
    ASSERT_TRUE(app.opened());
    HWND list = app.item(IDC_SOURCE_LIST);
    std::vector<std::wstring> paths;
    for (int i = 0; i < 5000; ++i)
        paths.push_back(L"D:\\Videos\\Series\\episode " + std::to_wstring(100000 + i) + L".mkv");
    DWORD begin = GetTickCount();
    dropOn(app.window(), paths);
    DWORD dropped = GetTickCount() - begin;
    ASSERT_EQ(listEntries(list).size(), 5000u);
    begin = GetTickCount();
    dropOn(app.window(), {paths[2500], L"D:\\Videos\\Series\\EPISODE 102500.mkv"});
    DWORD again = GetTickCount() - begin;
    EXPECT_EQ(listEntries(list).size(), 5001u); // the listed one refused, the other case taken
    std::printf("5,000 dropped in %lu ms; a drop onto them in %lu ms\n", dropped, again);
    // Bounds against a hang, not a measurement: a drop onto a long list must
    // not walk the whole list per file.
    EXPECT_LT(dropped, 90000u);
    EXPECT_LT(again, 2000u);

    for (int i = 0; i < 5001; i += 2)
        SendMessageW(list, LB_SETSEL, TRUE, i);
    SendMessageW(app.window(), WM_COMMAND, IDC_REMOVE, 0);
    EXPECT_EQ(listEntries(list).size(), 2500u);
    SendMessageW(app.window(), WM_COMMAND, IDC_CLEAR, 0);
    EXPECT_TRUE(listEntries(list).empty());
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_TRUE(app.close());
}

TEST(MainWindow, ClosingWhileAWorkerRunsWaitsForItsEnd) {
    const std::wstring folder = makeTempFolder(L"closing");
    RunningApp app;
    ASSERT_TRUE(app.opened());
    // A batch whose tool never ends by itself, as a stopped batch can still
    // be finishing when the window is closed.
    engine->toolPath = exeFolder() + L"\\faketool.exe";
    engine->presetArguments = L"--ignore-q";
    engine->outputFolder = folder;
    engine->outputExtension = L"avi";
    engine->addJob((buildFolder() + L"\\media\\clip1.mkv").c_str());
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(waitUntil(10000, [] { return engine->jobs[0]->progress > 0; }));
    EXPECT_TRUE(app.close(30000));
    EXPECT_EQ(engine, nullptr);
    // The tool went with the batch.
    DWORD id = static_cast<DWORD>(std::stoul("0" + readFile(folder + L"\\clip1.avi.pid")));
    ASSERT_NE(id, 0u);
    HANDLE tool = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (tool) {
        EXPECT_EQ(WaitForSingleObject(tool, 2000), WAIT_OBJECT_0);
        CloseHandle(tool);
    }
    removeTree(folder);
}

} // namespace
