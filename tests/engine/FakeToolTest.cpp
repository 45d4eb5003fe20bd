// The runner against a stand-in tool that misbehaves on purpose.

#include "EngineFixture.h"

using namespace testsupport;

namespace {

using FakeTool = EngineFixture;

// The stand-in writes its process id beside the output it was given.
DWORD fakeProcessId(const std::wstring& output) {
    return static_cast<DWORD>(std::stoul("0" + readFile(output + L".pid")));
}

bool processEnded(DWORD id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process)
        return true;
    bool ended = WaitForSingleObject(process, 2000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

TEST_F(FakeTool, ToolThatIgnoresQuitIsEndedWithItsWholeTree) {
    useFakeTool(L"--ignore-q");
    engine.addJob(source(media(L"clip1.mkv")).c_str());
    ASSERT_TRUE(engine.start());
    while (engine.jobs[0]->progress == 0) // status lines are being read
        ASSERT_FALSE(engine.waitForWorker(10));
    DWORD begin = GetTickCount();
    engine.requestStop();
    ASSERT_TRUE(engine.waitForWorker(20000)) << "the stop did not end the tool";
    DWORD took = GetTickCount() - begin;
    EXPECT_GE(took, 5000u); // it was given its grace period first
    EXPECT_EQ(engine.state.load(), EngineState::Stopped);
    EXPECT_EQ(engine.jobs[0]->progress, 0);
    DWORD id = fakeProcessId(engine.jobs[0]->outputPath);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(processEnded(id));
    DeleteFileW((engine.jobs[0]->outputPath + L".pid").c_str());
}

TEST_F(FakeTool, FloodOfStatusTextIsReadWithoutThrottlingTheTool) {
    // 4 MB: taken one 4 KB read per 300 ms poll, this would last five minutes.
    useFakeTool(L"--flood 4194304");
    engine.addJob(source(media(L"clip1.mkv")).c_str());
    DWORD begin = GetTickCount();
    ASSERT_TRUE(runToEnd());
    EXPECT_LT(GetTickCount() - begin, 60000u);
    EXPECT_EQ(engine.jobs[0]->progress, 100);
}

TEST_F(FakeTool, StatusLineSplitAcrossReadsIsParsedWhenComplete) {
    useFakeTool(L"--split");
    engine.addJob(source(media(L"clip1.mkv")).c_str());
    engine.state = EngineState::Running;
    engine.currentIndex = 0;
    engine.jobs[0]->durationSeconds = 10;
    engine.parsingOutput = true;
    ScriptVariables variables;
    std::wstring script = engine.writeJobScript(engine.jobs[0]->sourcePath.c_str(),
                                                engine.presetArguments.c_str(),
                                                (outFolder + L"\\split.avi").c_str(), variables);
    ASSERT_FALSE(script.empty());
    EXPECT_TRUE(engine.runProcess(script, variables));
    DeleteFileW(script.c_str());
    engine.state = EngineState::Completed;
    EXPECT_EQ(engine.jobs[0]->progress, 50); // time=00:00:05.00 of 10 s
}

// A probe that leaves its log empty never ran: it is tried once more, and
// the second run's duration is taken.
TEST_F(FakeTool, ProbeWhoseLogStaysEmptyIsTriedOnceMore) {
    useFakeTool(L"");
    const std::wstring source = outFolder + L"\\quiet.mkv";
    writeFile(source, "x");
    writeFile(source + L".silent-once", "");
    engine.state = EngineState::Running; // the probe waits only while a batch runs
    EXPECT_EQ(engine.probeDuration(source), 10);
    engine.state = EngineState::Completed;
    EXPECT_EQ(GetFileAttributesW((source + L".silent-once").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the first probe did not run";
}

// A conversion that left no file and no word, of a source the tool could
// read, never ran: it is tried once more and the job is converted.
TEST_F(FakeTool, ConversionThatNeverRanIsTriedOnceMore) {
    useFakeTool(L"");
    engine.addJob(source(media(L"clip1.mkv")).c_str());
    const std::wstring output = outFolder + L"\\clip1.avi";
    writeFile(output + L".silent-once", "");
    ASSERT_TRUE(runToEnd(30000));
    EXPECT_EQ(GetFileAttributesW((output + L".silent-once").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the first conversion did not run";
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    DeleteFileW((output + L".pid").c_str());
}

TEST_F(FakeTool, ToolEndsWhenTheProgramEnds) {
    // The console driver runs a batch with a tool that never ends by itself;
    // killing the driver must take the tool with it.
    std::wstring output = outFolder + L"\\clip1.avi";
    std::wstring commandLine = L"\"" + buildFolder() + L"\\app\\engine_driver.exe\" --tool \"" +
                               fakeTool() + L"\" --args --ignore-q --out \"" + outFolder +
                               L"\" \"" + source(media(L"clip1.mkv")) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info));
    DWORD id = 0;
    for (int i = 0; i < 600 && id == 0; ++i) {
        Sleep(50);
        id = fileExists(output + L".pid") ? fakeProcessId(output) : 0;
    }
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    ASSERT_NE(id, 0u) << "the tool was never started";
    EXPECT_TRUE(processEnded(id));
    // What a killed program leaves: its script, which the next run never
    // reuses (names are taken only when free). Tidy it for the leftover check.
    for (const std::wstring& name : findFiles(appDataFolder() + L"\\Pellwick", L"pwjob*.bat"))
        DeleteFileW((appDataFolder() + L"\\Pellwick\\" + name).c_str());
    DeleteFileW((output + L".pid").c_str());
}

} // namespace
