// The engine's queue and its worker loop, with the conversion itself replaced
// by a stand-in, so that each rule of the loop can be shown on its own.

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "../TestSupport.h"
#include "ConvertCore.h"

using namespace testsupport;

namespace {

TEST(EngineQueue, NewEngineIsIdleAndEmpty) {
    ConvertCore engine;
    EXPECT_TRUE(engine.initialize());
    EXPECT_EQ(engine.state.load(), EngineState::Idle);
    EXPECT_TRUE(engine.jobs.empty());
    EXPECT_EQ(engine.currentIndex.load(), -1);
    JobSnapshot snapshot;
    snapshot.index = 77;
    EXPECT_FALSE(engine.snapshotCurrentJob(snapshot));
    EXPECT_EQ(snapshot.index, 77);
}

TEST(EngineQueue, DuplicatesAreRefusedExactlyAndCaseSensitively) {
    ConvertCore engine;
    EXPECT_TRUE(engine.addJob(L"C:\\a\\x.mkv"));
    EXPECT_FALSE(engine.addJob(L"C:\\a\\x.mkv"));
    EXPECT_TRUE(engine.addJob(L"C:\\a\\X.mkv"));
    EXPECT_TRUE(engine.addJob(L"C:/a/x.mkv")); // separators are not normalised
    ASSERT_EQ(engine.jobs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(engine.jobs[i]->index, i);
        EXPECT_EQ(engine.jobsBySource[engine.jobs[i]->sourcePath], engine.jobs[i].get());
    }
    EXPECT_TRUE(engine.hasJob(L"C:\\a\\X.mkv"));
    EXPECT_FALSE(engine.hasJob(L"C:\\a\\x.MKV"));

    engine.currentIndex = 1;
    engine.clearJobs();
    EXPECT_TRUE(engine.jobs.empty());
    EXPECT_TRUE(engine.jobsBySource.empty());
    EXPECT_EQ(engine.currentIndex.load(), -1);
    EXPECT_TRUE(engine.addJob(L"C:\\a\\x.mkv"));
    EXPECT_EQ(engine.jobs[0]->index, 0);
}

TEST(EngineQueue, ProgressIsClampedAndOutOfRangeIndexesIgnored) {
    ConvertCore engine;
    engine.addJob(L"a.mkv");
    engine.addJob(L"b.mkv");
    engine.setJobProgress(0, 250);
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    engine.setJobProgress(0, -7);
    EXPECT_EQ(engine.jobs[0]->progress, 0);
    engine.setJobProgress(-1, 50);
    engine.setJobProgress(2, 50);
    EXPECT_EQ(engine.jobs[0]->progress, 0);
    EXPECT_EQ(engine.jobs[1]->progress, 0);

    engine.setJobProgress(0, 100);
    engine.setJobProgress(1, 99);
    EXPECT_EQ(engine.countCompleted(), 1);
}

TEST(EngineQueue, OutputPathRules) {
    ConvertCore engine;
    engine.outputFolder = L"D:\\Out";
    engine.outputExtension = L"avi";
    struct {
        const wchar_t* source;
        const wchar_t* output;
    } cases[] = {
        {L"C:\\Videos\\movie.mkv", L"D:\\Out\\movie.avi"},
        {L"C:\\Videos\\show.s01e02.mkv", L"D:\\Out\\show.s01e02.avi"},
        {L"C:\\Videos\\README", L"D:\\Out\\README.avi"},
        {L"C:\\Videos\\movie.", L"D:\\Out\\movie.avi"},
        {L"C:\\Videos\\.mkv", L"D:\\Out\\.avi"},
        {L"movie.mkv", L"D:\\Out\\movie.avi"},
        {L"C:/Videos/a.b/movie", L"D:\\Out\\C:/Videos/a.avi"}, // a slash is no separator
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine.makeOutputPath(c.source), c.output) << narrow(c.source);

    engine.outputFolder = L"D:\\My.Files";
    EXPECT_EQ(engine.makeOutputPath(L"C:\\Videos\\README"), L"D:\\My.Files\\README.avi");
    engine.outputFolder = L"D:\\Out\\";
    EXPECT_EQ(engine.makeOutputPath(L"C:\\Videos\\movie.mkv"), L"D:\\Out\\\\movie.avi");
    engine.outputFolder = L"D:\\Out";
    engine.outputExtension.clear();
    EXPECT_EQ(engine.makeOutputPath(L"C:\\Videos\\movie.mkv"), L"D:\\Out\\movie.mkv");
}

// An engine whose conversion writes the output file (or not), as told.
class StandInEngine : public ConvertCore {
public:
    bool convert(const std::wstring& source, const std::wstring& output) override {
        converted.push_back(source);
        ++calls;
        if (currentIndex.load() == blockAtIndex)
            while (state.load() == EngineState::Running)
                Sleep(10);
        if (produceOutput)
            writeFile(output, "converted");
        return true;
    }
    void onFinished() override { ++finishedCalls; }

    std::vector<std::wstring> converted;
    bool produceOutput = true;
    int32_t blockAtIndex = -1; // this job's conversion lasts until a stop
    std::atomic<int> calls{0};
    int finishedCalls = 0;
};

int32_t overwriteAnswer = 0;
std::atomic<int> questionsAsked{0};
std::wstring askedFor;
StandInEngine* askingEngine = nullptr;
bool stopWhileAsking = false;

int32_t answerQuestion(int32_t question, HWND) {
    EXPECT_EQ(question, 1);
    ++questionsAsked;
    JobSnapshot job;
    if (askingEngine && askingEngine->snapshotCurrentJob(job))
        askedFor = job.outputPath;
    if (stopWhileAsking)
        askingEngine->state = EngineState::StopRequested; // as requestStop does
    return overwriteAnswer;
}

class WorkerLoop : public ::testing::Test {
protected:
    void SetUp() override {
        folder = makeTempFolder(L"loop");
        engine.outputFolder = folder + L"\\out";
        CreateDirectoryW(engine.outputFolder.c_str(), nullptr);
        engine.outputExtension = L"avi";
        engine.overwriteCallback = answerQuestion;
        askingEngine = &engine;
        questionsAsked = 0;
        overwriteAnswer = 0;
        stopWhileAsking = false;
        askedFor.clear();
    }
    void TearDown() override { removeTree(folder); }

    void runBatch(std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names)
            ASSERT_TRUE(engine.addJob((folder + L"\\" + name).c_str()));
        ASSERT_TRUE(engine.start());
        ASSERT_TRUE(engine.waitForWorker(10000));
    }
    std::wstring out(const wchar_t* name) { return engine.outputFolder + L"\\" + name; }

    std::wstring folder;
    StandInEngine engine;
};

TEST_F(WorkerLoop, EmptyQueueCompletesAtOnce) {
    runBatch({});
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
    EXPECT_EQ(engine.finishedCalls, 1);
    EXPECT_EQ(engine.workerThread, nullptr);
}

TEST_F(WorkerLoop, EveryJobConvertedEndsAt100) {
    runBatch({L"a.mkv", L"b.mkv", L"c.mkv"});
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
    EXPECT_EQ(engine.converted.size(), 3u);
    for (const auto& job : engine.jobs)
        EXPECT_EQ(job->progress, 100);
    EXPECT_EQ(engine.jobs[1]->outputPath, out(L"b.avi"));
    EXPECT_EQ(engine.currentIndex.load(), -1);
    EXPECT_EQ(engine.workerThread, nullptr);
    EXPECT_EQ(engine.finishedCalls, 1);
    EXPECT_EQ(engine.countCompleted(), 3);

    // A finished engine starts again for the next batch.
    engine.clearJobs();
    engine.produceOutput = false;
    runBatch({L"d.mkv"});
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
    EXPECT_EQ(engine.jobs[0]->progress, 0); // no output: not converted
}

TEST_F(WorkerLoop, SourceThatIsItsOwnOutputIsNotTouched) {
    engine.outputFolder = folder;
    writeFile(folder + L"\\same.avi", "original");
    runBatch({L"same.avi"});
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    EXPECT_TRUE(engine.converted.empty());
    EXPECT_EQ(questionsAsked.load(), 0);
    EXPECT_EQ(readFile(folder + L"\\same.avi"), "original");
}

TEST_F(WorkerLoop, ExistingOutputIsReplacedOnlyAfterYes) {
    struct {
        bool callbackSet;
        int32_t answer;
        bool converted;
    } cases[] = {{true, 0, false}, {true, 2, false}, {false, 0, false}, {true, 1, true}};
    for (const auto& c : cases) {
        engine.clearJobs();
        engine.converted.clear();
        engine.overwriteCallback = c.callbackSet ? answerQuestion : nullptr;
        overwriteAnswer = c.answer;
        questionsAsked = 0;
        writeFile(out(L"a.avi"), "old");
        runBatch({L"a.mkv"});
        EXPECT_EQ(questionsAsked.load(), c.callbackSet ? 1 : 0);
        EXPECT_EQ(engine.converted.size(), c.converted ? 1u : 0u);
        EXPECT_EQ(readFile(out(L"a.avi")), c.converted ? "converted" : "old");
        EXPECT_EQ(engine.jobs[0]->progress, 100);
    }
    EXPECT_EQ(askedFor, out(L"a.avi")); // the question can name the file
}

TEST_F(WorkerLoop, JobWithoutOutputEndsAt0AndTheNextRuns) {
    engine.produceOutput = false;
    runBatch({L"a.mkv", L"b.mkv"});
    EXPECT_EQ(engine.converted.size(), 2u);
    EXPECT_EQ(engine.jobs[0]->progress, 0);
    EXPECT_EQ(engine.jobs[1]->progress, 0);
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
}

TEST_F(WorkerLoop, StopDuringJob2Of5LeavesTheRestUntouched) {
    engine.blockAtIndex = 1;
    for (const wchar_t* name : {L"1.mkv", L"2.mkv", L"3.mkv", L"4.mkv", L"5.mkv"})
        engine.addJob((folder + L"\\" + name).c_str());
    ASSERT_TRUE(engine.start());
    while (engine.calls.load() < 2)
        Sleep(1);
    engine.requestStop();
    ASSERT_TRUE(engine.waitForWorker(10000));
    EXPECT_EQ(engine.state.load(), EngineState::Stopped);
    EXPECT_EQ(engine.converted.size(), 2u);
    EXPECT_EQ(engine.jobs[1]->progress, 100); // its (stand-in) output exists
    for (size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(engine.jobs[i]->progress, 0);
        EXPECT_TRUE(engine.jobs[i]->outputPath.empty());
    }
}

TEST_F(WorkerLoop, StopWhileTheQuestionIsOpenStillConvertsAfterYes) {
    writeFile(out(L"2.avi"), "old");
    overwriteAnswer = 1;
    stopWhileAsking = true;
    runBatch({L"1.mkv", L"2.mkv", L"3.mkv"});
    EXPECT_EQ(engine.state.load(), EngineState::Stopped);
    ASSERT_EQ(engine.converted.size(), 2u);
    EXPECT_EQ(engine.converted[1], folder + L"\\2.mkv");
    EXPECT_TRUE(engine.jobs[2]->outputPath.empty());
}

TEST(EngineStop, RequestStopWaitsAtMostOneSecond) {
    ConvertCore idle;
    DWORD begin = GetTickCount();
    idle.requestStop();
    EXPECT_GE(GetTickCount() - begin, 900u); // nothing ever ends an idle engine's wait
    EXPECT_EQ(idle.state.load(), EngineState::Idle);

    StandInEngine done;
    ASSERT_TRUE(done.start());
    ASSERT_TRUE(done.waitForWorker(5000));
    begin = GetTickCount();
    done.requestStop();
    EXPECT_LT(GetTickCount() - begin, 900u); // a finished engine returns after the first step
    EXPECT_EQ(done.state.load(), EngineState::Completed);
}

} // namespace
