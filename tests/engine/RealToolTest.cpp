// The engine with the real tool, on media generated for the tests.

#include <set>

#include "EngineFixture.h"

using namespace testsupport;

namespace {

using RealTool = EngineFixture;

int32_t overwriteAnswer = 0;
int32_t answerOverwrite(int32_t, HWND) { return overwriteAnswer; }

TEST_F(RealTool, ProbeReadsTheDurationInWholeSeconds) {
    struct {
        const wchar_t* name;
        int32_t seconds;
    } cases[] = {{L"clip1.mkv", 3}, {L"clip3.mkv", 5}, {L"long.mkv", 120}, {L"random.mkv", 0},
                 {L"empty.mkv", 0}, {L"missing.mkv", 0}};
    engine.state = EngineState::Running; // the probe waits only while a batch runs
    for (const auto& c : cases)
        EXPECT_EQ(engine.probeDuration(source(media(c.name))), c.seconds) << narrow(c.name);
    engine.state = EngineState::Completed;
}

TEST_F(RealTool, LongFileReportsProgressWhileItRuns) {
    engine.addJob(source(media(L"long.mkv")).c_str());
    ASSERT_TRUE(engine.start());
    std::set<int32_t> seen;
    while (!engine.waitForWorker(20)) {
        JobSnapshot job;
        if (engine.snapshotCurrentJob(job))
            seen.insert(job.progress);
    }
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
    EXPECT_EQ(engine.jobs[0]->durationSeconds, 120);
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    bool between = false;
    for (int32_t p : seen)
        between = between || (p > 0 && p < 100);
    EXPECT_TRUE(between) << "no progress between 0 and 100 was seen";
}

TEST_F(RealTool, StopDuringJob2Of3EndsTheToolAndStartsNoOtherJob) {
    for (const wchar_t* name : {L"clip1.mkv", L"long.mkv", L"clip2.mkv"})
        engine.addJob(source(media(name)).c_str());
    ASSERT_TRUE(engine.start());
    for (;;) {
        JobSnapshot job;
        ASSERT_FALSE(engine.waitForWorker(0)) << "the batch ended before job 2 made progress";
        if (engine.snapshotCurrentJob(job) && job.index == 1 && job.progress > 0)
            break;
        Sleep(10);
    }
    DWORD begin = GetTickCount();
    engine.requestStop();
    ASSERT_TRUE(engine.waitForWorker(10000));
    DWORD took = GetTickCount() - begin;
    // "q" goes out at the next poll (300 ms); the tool then quits at once.
    EXPECT_LT(took, 2500u);
    EXPECT_EQ(engine.state.load(), EngineState::Stopped);
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    // Stopped part way: not counted as converted, and the partial file is left.
    EXPECT_EQ(engine.jobs[1]->progress, 0);
    EXPECT_TRUE(fileExists(engine.jobs[1]->outputPath));
    EXPECT_EQ(engine.jobs[2]->progress, 0);
    EXPECT_TRUE(engine.jobs[2]->outputPath.empty());
    EXPECT_FALSE(fileExists(outFolder + L"\\clip2.avi"));
}

TEST_F(RealTool, ExistingOutputIsReplacedOnlyAfterYes) {
    engine.overwriteCallback = answerOverwrite;
    const std::wstring output = outFolder + L"\\clip1.avi";
    for (int32_t answer : {0, 1}) {
        overwriteAnswer = answer;
        writeFile(output, "keep me");
        engine.clearJobs();
        engine.addJob(source(media(L"clip1.mkv")).c_str());
        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(engine.jobs[0]->progress, 100);
        std::string bytes = readFile(output);
        if (answer == 1)
            EXPECT_EQ(bytes.substr(0, 4), "RIFF") << "replaced by the converted file";
        else
            EXPECT_EQ(bytes, "keep me");
    }
}

TEST_F(RealTool, SourceThatIsItsOwnOutputIsLeftAlone) {
    const std::wstring same = outFolder + L"\\same.avi";
    CopyFileW(media(L"clip1.mkv").c_str(), same.c_str(), FALSE);
    engine.addJob(source(same).c_str());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    EXPECT_EQ(engine.jobs[0]->durationSeconds, 0); // the tool never ran
}

TEST_F(RealTool, MissingToolAndBrokenSourcesEndAt0) {
    for (const wchar_t* name : {L"random.mkv", L"empty.mkv", L"clip1.mkv"})
        engine.addJob(source(media(name)).c_str());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(engine.jobs[0]->progress, 0);
    EXPECT_EQ(engine.jobs[1]->progress, 0);
    EXPECT_EQ(engine.jobs[2]->progress, 100);

    engine.toolPath = outFolder + L"\\core\\zentrak.exe";
    engine.clearJobs();
    engine.addJob(source(media(L"clip2.mkv")).c_str());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
    EXPECT_EQ(engine.jobs[0]->durationSeconds, 0);
    EXPECT_EQ(engine.jobs[0]->progress, 0);
    EXPECT_FALSE(fileExists(outFolder + L"\\clip2.avi"));
}

TEST_F(RealTool, EveryNameIsHandedToTheToolUnchanged) {
    // Sources in a folder named outside ASCII, converted into a folder whose
    // name holds both kinds of trouble.
    const std::wstring in = outFolder + L"\\vid\u00e9os \u65e5\u672c \U0001F3AC";
    CreateDirectoryW(in.c_str(), nullptr);
    engine.outputFolder = outFolder + L"\\\u00f1 %PATH% 100%";
    CreateDirectoryW(engine.outputFolder.c_str(), nullptr);
    const wchar_t* names[] = {
        L"100% done.mkv",
        L"%PATH%.mkv",
        L"\u00e9 \u00f1 \u00fc \u65e5\u672c\u8a9e \U0001F3AC.mkv",
        L"\u65e5\u672c 100%.mkv", // outside ASCII and a percent sign together
        L"a & b ^ c ! (d) 'e' ;f,g=h.mkv",
        L"-lead..dots.MKV",
    };
    for (const wchar_t* name : names) {
        std::wstring path = in + L"\\" + name;
        ASSERT_TRUE(CopyFileW(media(L"clip1.mkv").c_str(), path.c_str(), FALSE));
        engine.addJob(source(path).c_str());
    }
    ASSERT_TRUE(runToEnd());
    for (const auto& job : engine.jobs) {
        EXPECT_EQ(job->durationSeconds, 3) << narrow(job->sourcePath);
        EXPECT_EQ(job->progress, 100) << narrow(job->sourcePath);
        EXPECT_EQ(readFile(job->outputPath).substr(0, 4), "RIFF") << narrow(job->outputPath);
    }
    EXPECT_EQ(engine.jobs[2]->outputPath, engine.outputFolder +
                                              L"\\\u00e9 \u00f1 \u00fc \u65e5\u672c\u8a9e "
                                              L"\U0001F3AC.avi");
}

} // namespace
