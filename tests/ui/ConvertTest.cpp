// The Convert command and the progress dialog, with the engine's conversion
// replaced by a stand-in that the test steps through, so that every display
// and every answer can be shown at the moment it matters.

#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include "../TestSupport.h"
#include "UiHarness.h"
#include "resource.h"

using namespace testsupport;

namespace {

// Job i's conversion lasts until the test lets it finish (or, once a stop
// is asked for, for `stopDelay` more milliseconds). A source whose name holds
// "fail" leaves no output.
class SteppedEngine : public ConvertCore {
public:
    bool convert(const std::wstring& source, const std::wstring& output) override {
        int32_t index = currentIndex.load();
        converting = index;
        while (finishedUpTo.load() <= index) {
            if (state.load() != EngineState::Running) {
                Sleep(stopDelay);
                break;
            }
            Sleep(5);
        }
        if (source.find(L"fail") == std::wstring::npos)
            writeFile(output, "converted");
        return true;
    }
    std::atomic<int32_t> finishedUpTo{0}; // jobs below this end at once
    std::atomic<int32_t> converting{-1};
    DWORD stopDelay = 0;
};

SteppedEngine* useSteppedEngine() {
    auto* stepped = new SteppedEngine();
    delete engine;
    engine = stepped;
    return stepped;
}

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring text;
    std::vector<int> buttons;
    bool icon = false;
    HWND owner = nullptr;
};

BOOL CALLBACK collectChild(HWND child, LPARAM data) {
    auto* seen = reinterpret_cast<MessageBoxSeen*>(data);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    int id = GetDlgCtrlID(child);
    if (wcscmp(className, L"Button") == 0 && IsWindowVisible(child))
        seen->buttons.push_back(id);
    if (wcscmp(className, L"Static") == 0) {
        if (id == 0xFFFF)
            seen->text = windowText(child);
        else if (id == 0x14 && IsWindowVisible(child) &&
                 SendMessageW(child, STM_GETICON, 0, 0) != 0)
            seen->icon = true;
    }
    return TRUE;
}

// The product's message box, once it shows.
MessageBoxSeen waitForMessageBox(DWORD milliseconds = 10000) {
    MessageBoxSeen seen;
    seen.window = waitForDialog(L"Corvane Free MKV to AVI Converter", milliseconds);
    if (seen.window) {
        Sleep(50); // its controls are made with it, its text right after
        EnumChildWindows(seen.window, collectChild, reinterpret_cast<LPARAM>(&seen));
        seen.owner = GetWindow(seen.window, GW_OWNER);
    }
    return seen;
}

void answer(const MessageBoxSeen& box, int button) {
    PostMessageW(box.window, WM_COMMAND, button, 0);
    waitUntil(5000, [&] { return !IsWindow(box.window); });
}

class Convert : public ::testing::Test {
protected:
    void SetUp() override {
        folder = makeTempFolder(L"convert");
        out = folder + L"\\out";
        CreateDirectoryW(out.c_str(), nullptr);
        ASSERT_TRUE(app.opened());
        list = app.item(IDC_SOURCE_LIST);
        SetWindowTextW(app.item(IDC_OUTPUT_FOLDER), out.c_str());
        stepped = useSteppedEngine();
    }
    void TearDown() override {
        stepped->finishedUpTo = 1 << 30;
        EXPECT_TRUE(app.close());
        removeTree(folder);
    }
    void addSources(std::initializer_list<const wchar_t*> names) {
        std::vector<std::wstring> paths;
        for (const wchar_t* name : names)
            paths.push_back(folder + L"\\" + name);
        dropOn(app.window(), paths);
    }
    HWND startBatch() {
        PostMessageW(app.window(), WM_COMMAND, IDC_CONVERT, 0);
        return waitForDialog(L"Progress");
    }
    // Lets every job finish and closes the "Complete" display.
    void finishBatch(HWND progress) {
        stepped->finishedUpTo = 1 << 30;
        ASSERT_TRUE(waitUntil(10000, [&] {
            return windowText(GetDlgItem(progress, IDC_FILE_NAME)) == L"Complete";
        }));
        PostMessageW(progress, WM_COMMAND, IDC_CLOSE, 0);
        ASSERT_TRUE(waitUntil(5000, [&] { return !IsWindow(progress); }));
    }

    std::wstring folder, out;
    RunningApp app;
    HWND list = nullptr;
    SteppedEngine* stepped = nullptr;
};

TEST_F(Convert, RefusalsComeInOrderAndLeaveTheEngineAsItWas) {
    const std::wstring tool = exeFolder() + L"\\core\\zentrak.exe";
    const std::wstring aFile = folder + L"\\file.txt";
    writeFile(aFile, "x");
    engine->addJob(L"C:\\earlier\\job.mkv");
    engine->presetArguments = L"earlier";
    struct {
        bool sources;
        std::wstring output;
        bool toolThere;
        const wchar_t* message;
    } cases[] = {
        {false, L"", false, L"Please add source files."},
        {true, L"", false, L"Please select output folder."},
        {true, folder + L"\\missing", true, L"The output folder doesn't exist."},
        {true, aFile, true, L"The output folder doesn't exist."},
        {true, out, false, L"There isn't a core file."},
    };
    for (const auto& c : cases) {
        SendMessageW(app.window(), WM_COMMAND, IDC_CLEAR, 0);
        if (c.sources)
            addSources({L"a.mkv"});
        SetWindowTextW(app.item(IDC_OUTPUT_FOLDER), c.output.c_str());
        if (!c.toolThere)
            MoveFileW(tool.c_str(), (tool + L".away").c_str());
        PostMessageW(app.window(), WM_COMMAND, IDC_CONVERT, 0);
        MessageBoxSeen box = waitForMessageBox();
        if (!c.toolThere)
            MoveFileW((tool + L".away").c_str(), tool.c_str());
        ASSERT_NE(box.window, nullptr) << narrow(c.message);
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_FALSE(box.icon);
        EXPECT_EQ(box.owner, app.window());
        answer(box, IDOK);
        EXPECT_EQ(engine->jobs.size(), 1u);
        EXPECT_EQ(engine->presetArguments, L"earlier");
    }
}

TEST_F(Convert, PresetChoiceAndSettingsReachTheEngine) {
    addSources({L"b.mkv", L"a.mkv"});
    MkvAvi product;
    for (int selection : {2, -1}) {
        SendMessageW(app.item(IDC_PRESET), CB_SETCURSEL, selection, 0);
        HWND progress = startBatch();
        ASSERT_NE(progress, nullptr);
        int preset = selection < 0 ? 0 : selection;
        EXPECT_EQ(engine->presetArguments, product.presetArguments(preset));
        EXPECT_EQ(engine->outputExtension, L"avi");
        EXPECT_EQ(engine->outputFolder, out);
        EXPECT_EQ(engine->toolPath, exeFolder() + L"\\core\\zentrak.exe");
        ASSERT_EQ(engine->jobs.size(), 2u); // a second batch starts from an empty queue
        EXPECT_EQ(engine->jobs[0]->sourcePath, folder + L"\\a.mkv"); // list order
        finishBatch(progress);
        DeleteFileW((out + L"\\a.avi").c_str());
        DeleteFileW((out + L"\\b.avi").c_str());
    }
}

TEST(ProgressDisplay, TotalsAndBarFollowTheBatch) {
    JobSnapshot second;
    second.index = 1;
    second.progress = 40;
    second.sourcePath = L"C:\\v\\b.mkv";
    ProgressDisplay shown = progressDisplay(EngineState::Running, 3, &second, 0);
    EXPECT_EQ(shown.total, L"2 / 3 (46%)");
    EXPECT_EQ(shown.file, L"C:\\v\\b.mkv");
    EXPECT_EQ(shown.range, 300);
    EXPECT_EQ(shown.position, 140);

    JobSnapshot first;
    first.progress = 100;
    EXPECT_EQ(progressDisplay(EngineState::Running, 8, &first, 0).total, L"1 / 8 (12%)");
    EXPECT_EQ(progressDisplay(EngineState::Completed, 8, nullptr, 1).total, L"1 / 8 (13%)");
    shown = progressDisplay(EngineState::Completed, 3, nullptr, 2);
    EXPECT_EQ(shown.total, L"2 / 3 (67%)");
    EXPECT_EQ(shown.file, L"Complete");
    EXPECT_EQ(shown.range, 0);
    first.progress = 0;
    EXPECT_EQ(progressDisplay(EngineState::Running, 700, &first, 0).range, 70000);
    // No current job yet, or a stopping batch: nothing new is shown.
    EXPECT_TRUE(progressDisplay(EngineState::Running, 3, nullptr, 0).total.empty());
    EXPECT_TRUE(progressDisplay(EngineState::StopRequested, 3, &second, 0).file.empty());
}

TEST_F(Convert, DialogShowsTheRunningJobAndABarBeyond16Bits) {
    std::vector<std::wstring> many;
    for (int i = 0; i < 700; ++i)
        many.push_back(folder + L"\\clip" + std::to_wstring(1000 + i) + L".mkv");
    dropOn(app.window(), many);
    HWND progress = startBatch();
    ASSERT_NE(progress, nullptr);
    HWND bar = GetDlgItem(progress, IDC_PROGRESS);
    ASSERT_TRUE(waitUntil(5000, [&] {
        return windowText(GetDlgItem(progress, IDC_TOTAL)) == L"1 / 700 (0%)";
    }));
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 70000);
    EXPECT_EQ(windowText(GetDlgItem(progress, IDC_FILE_NAME)), folder + L"\\clip1000.mkv");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(progress, IDC_STOP)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(progress, IDC_CLOSE)));
    EXPECT_FALSE(IsWindowEnabled(app.window())); // the main window waits under it
    // Nothing closes a running batch but Stop.
    PostMessageW(progress, WM_CLOSE, 0, 0);
    PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(progress));

    stepped->finishedUpTo = 351;
    engine->setJobProgress(351, 0);
    ASSERT_TRUE(waitUntil(5000, [&] { return stepped->converting.load() == 351; }));
    engine->setJobProgress(351, 50);
    ASSERT_TRUE(waitUntil(5000, [&] {
        return windowText(GetDlgItem(progress, IDC_TOTAL)) == L"352 / 700 (50%)";
    }));
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 35150);
    finishBatch(progress);
    EXPECT_FALSE(IsWindowVisible(bar));
}

TEST_F(Convert, ConvertedEntriesAreSelectedAfterTheBatch) {
    addSources({L"1.mkv", L"2 fail.mkv", L"3.mkv"});
    SendMessageW(list, LB_SETSEL, TRUE, 1); // selected before: only the failing one
    HWND progress = startBatch();
    ASSERT_NE(progress, nullptr);
    finishBatch(progress);
    EXPECT_EQ(selectedEntries(list), (std::vector<int>{0, 2}));
    EXPECT_EQ(windowText(GetDlgItem(progress, IDC_TOTAL)), L"");
}

TEST_F(Convert, StopAsksFirstAndClosesWithoutShowingComplete) {
    addSources({L"1.mkv", L"2.mkv", L"3.mkv"});
    HWND progress = startBatch();
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(waitUntil(5000, [&] { return stepped->converting.load() == 0; }));

    PostMessageW(progress, WM_COMMAND, IDC_STOP, 0);
    MessageBoxSeen question = waitForMessageBox();
    ASSERT_NE(question.window, nullptr);
    EXPECT_EQ(question.text, L"Are you sure you want to stop the conversion?");
    EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(question.owner, progress);
    answer(question, IDNO);
    EXPECT_EQ(engine->state.load(), EngineState::Running);

    // A tool slower to quit than the engine's one-second wait: the dialog
    // stays, with nothing to press, until the worker has ended.
    stepped->stopDelay = 2000;
    PostMessageW(progress, WM_COMMAND, IDC_STOP, 0);
    question = waitForMessageBox();
    ASSERT_NE(question.window, nullptr);
    answer(question, IDYES);
    bool sawComplete = false;
    Sleep(1300);
    EXPECT_TRUE(IsWindow(progress));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(progress, IDC_CLOSE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(progress, IDC_STOP)));
    ASSERT_TRUE(waitUntil(10000, [&] {
        if (!IsWindow(progress))
            return true;
        sawComplete = sawComplete || windowText(GetDlgItem(progress, IDC_FILE_NAME)) == L"Complete";
        return false;
    }));
    EXPECT_FALSE(sawComplete);
    EXPECT_EQ(engine->state.load(), EngineState::Stopped);
    EXPECT_TRUE(engine->jobs[2]->outputPath.empty()); // job 3 never began
    EXPECT_TRUE(IsWindowEnabled(app.window()));
}

TEST_F(Convert, BatchEndingWhileTheStopQuestionIsOpenStaysComplete) {
    addSources({L"1.mkv"});
    HWND progress = startBatch();
    ASSERT_NE(progress, nullptr);
    PostMessageW(progress, WM_COMMAND, IDC_STOP, 0);
    MessageBoxSeen question = waitForMessageBox();
    ASSERT_NE(question.window, nullptr);
    stepped->finishedUpTo = 1;
    ASSERT_TRUE(waitUntil(5000, [&] {
        return windowText(GetDlgItem(progress, IDC_FILE_NAME)) == L"Complete";
    }));
    answer(question, IDYES);
    Sleep(500);
    ASSERT_TRUE(IsWindow(progress)); // waits for Close
    EXPECT_EQ(windowText(GetDlgItem(progress, IDC_TOTAL)), L"1 / 1 (100%)");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(progress, IDC_CLOSE)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(progress, IDC_STOP)));
    PostMessageW(progress, WM_COMMAND, IDC_CLOSE, 0);
    EXPECT_TRUE(waitUntil(5000, [&] { return !IsWindow(progress); }));
}

TEST_F(Convert, ExistingOutputIsReplacedOnlyAfterYes) {
    addSources({L"keep.mkv", L"replace.mkv"});
    writeFile(out + L"\\keep.avi", "old");
    writeFile(out + L"\\replace.avi", "old");
    stepped->finishedUpTo = 1 << 30;
    HWND progress = startBatch();
    ASSERT_NE(progress, nullptr);
    for (const wchar_t* name : {L"keep", L"replace"}) {
        MessageBoxSeen question = waitForMessageBox();
        ASSERT_NE(question.window, nullptr);
        EXPECT_EQ(question.text, L"'" + out + L"\\" + name +
                                     L".avi' already exists.\nDo you want to replace it?");
        EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(question.owner, progress);
        // The dialog goes on ticking while the worker waits for the answer.
        std::wstring expected = std::wstring(name) == L"keep" ? L"1 / 2 (0%)" : L"2 / 2 (50%)";
        EXPECT_TRUE(waitUntil(3000, [&] {
            return windowText(GetDlgItem(progress, IDC_TOTAL)) == expected;
        })) << narrow(windowText(GetDlgItem(progress, IDC_TOTAL)));
        answer(question, std::wstring(name) == L"keep" ? IDNO : IDYES);
    }
    finishBatch(progress);
    EXPECT_EQ(readFile(out + L"\\keep.avi"), "old");
    EXPECT_EQ(readFile(out + L"\\replace.avi"), "converted");
}

// Convert on a list of 5,000: every entry becomes a job, in list order, the
// totals count all of them and exactly the converted half is selected after.
TEST_F(Convert, FiveThousandEntriesGoToTheEngineWhole) {
    std::vector<std::wstring> paths;
    for (int i = 0; i < 5000; ++i)
        paths.push_back(folder + L"\\episode " + std::to_wstring(10000 + i) +
                        (i % 2 ? L" fail.mkv" : L".mkv"));
    dropOn(app.window(), paths);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 5000);
    HWND progress = startBatch();
    ASSERT_NE(progress, nullptr);
    ASSERT_EQ(engine->jobs.size(), 5000u);
    for (size_t i = 0; i < paths.size(); ++i)
        ASSERT_EQ(engine->jobs[i]->sourcePath, paths[i]) << i;
    HWND total = GetDlgItem(progress, IDC_TOTAL);
    EXPECT_TRUE(waitUntil(5000, [&] { return windowText(total) == L"1 / 5000 (0%)"; }))
        << narrow(windowText(total));
    stepped->finishedUpTo = 1 << 30;
    EXPECT_TRUE(waitUntil(120000, [&] { return windowText(total) == L"2500 / 5000 (50%)"; }))
        << narrow(windowText(total));
    finishBatch(progress);
    EXPECT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), 2500);
    EXPECT_GT(SendMessageW(list, LB_GETSEL, 4998, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETSEL, 4999, 0), 0);
}

} // namespace
