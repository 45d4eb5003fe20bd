// Adding files through the real "Select Files" dialog, answered the way a
// user types into it.

#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "UiHarness.h"
#include "resource.h"

using namespace testsupport;

namespace {

constexpr int fileNameField = 1148; // the dialog's "File name" box

// Types each text into the file name box and presses Open; a folder text
// opens that folder, the last text chooses the files.
bool answerFileDialog(const std::vector<std::wstring>& typed) {
    HWND dialog = waitForDialog(L"Select Files");
    if (!dialog)
        return false;
    for (const std::wstring& text : typed) {
        SetDlgItemTextW(dialog, fileNameField, text.c_str());
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    return waitUntil(10000, [dialog] { return !IsWindow(dialog); });
}

std::wstring quotedNames(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names)
        text += L"\"" + name + L"\" ";
    return text;
}

class SelectFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder = makeTempFolder(L"select");
        ASSERT_TRUE(app.opened());
        list = app.item(IDC_SOURCE_LIST);
    }
    void TearDown() override {
        EXPECT_TRUE(app.close());
        removeTree(folder);
    }
    std::wstring makeFile(const std::wstring& name) {
        std::wstring path = folder + L"\\" + name;
        writeFile(path, "x");
        return path;
    }
    void add(const std::vector<std::wstring>& typed) {
        PostMessageW(app.window(), WM_COMMAND, IDC_ADD, 0);
        ASSERT_TRUE(answerFileDialog(typed));
    }

    std::wstring folder;
    RunningApp app;
    HWND list = nullptr;
};

TEST_F(SelectFiles, OneFileIsAddedByItsPath) {
    std::wstring path = makeFile(L"one file.mkv");
    add({path});
    EXPECT_EQ(listEntries(list), std::vector<std::wstring>{path});
    EXPECT_TRUE(IsWindowEnabled(list));
}

TEST_F(SelectFiles, SeveralInOneFolderAreAddedSorted) {
    for (const wchar_t* name : {L"c.mkv", L"a.mkv", L"b.mkv"})
        makeFile(name);
    add({folder, quotedNames({L"c.mkv", L"a.mkv", L"b.mkv"})});
    EXPECT_EQ(listEntries(list), (std::vector<std::wstring>{folder + L"\\a.mkv",
                                                            folder + L"\\b.mkv",
                                                            folder + L"\\c.mkv"}));
}

TEST_F(SelectFiles, FilesInADriveRootGetOneBackslash) {
    // The tests map drive M: to a folder holding a.mkv and b.mkv.
    ASSERT_TRUE(fileExists(L"M:\\a.mkv"));
    add({L"M:\\", quotedNames({L"b.mkv", L"a.mkv"})});
    EXPECT_EQ(listEntries(list), (std::vector<std::wstring>{L"M:\\a.mkv", L"M:\\b.mkv"}));
}

TEST_F(SelectFiles, FileHeldOpenByAnotherProgramIsAddedUnderItsOwnPath) {
    std::wstring path = makeFile(L"held.mkv");
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    add({path});
    CloseHandle(held);
    EXPECT_EQ(listEntries(list), std::vector<std::wstring>{path});
}

TEST_F(SelectFiles, FiveHundredFilesAtOnceAreAllAdded) {
    std::vector<std::wstring> names;
    for (int i = 0; i < 500; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"holiday film part %03d of the long summer.mkv", i);
        names.push_back(name);
        makeFile(name);
    }
    add({folder, quotedNames(names)}); // some 23,000 characters of names
    std::vector<std::wstring> entries = listEntries(list);
    ASSERT_EQ(entries.size(), 500u);
    EXPECT_EQ(entries.front(), folder + L"\\" + names.front());
    EXPECT_EQ(entries.back(), folder + L"\\" + names.back());
}

} // namespace
