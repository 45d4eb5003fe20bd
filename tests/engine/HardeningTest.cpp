// What a folder of real videos and a real machine throw at the engine. Each
// job must end as designed (100 only when an output exists after it), with
// no hang, no source changed and nothing left behind.

#include "EngineFixture.h"

using namespace testsupport;

namespace {

using Hardening = EngineFixture;

void expectOutcomeAsDesigned(const ConvertJob& job) {
    EXPECT_EQ(job.progress, fileExists(job.outputPath) ? 100 : 0) << narrow(job.sourcePath);
}

TEST_F(Hardening, UnusualInputsEachEndAsDesigned) {
    struct {
        const wchar_t* name;
        int32_t duration;
        int32_t progress; // -1: whichever the tool's outcome gives
    } cases[] = {
        {L"video-only.mkv", 2, 100},   {L"audio-only.mkv", 2, 100},
        {L"subs-attachment.mkv", 3, 100}, {L"variable-rate.mkv", 4, 100},
        {L"truncated.mkv", 5, -1},     {L"random.mkv", 0, 0},
        {L"empty.mkv", 0, 0},
    };
    for (const auto& c : cases)
        engine.addJob(source(media(c.name)).c_str());
    ASSERT_TRUE(runToEnd());
    for (size_t i = 0; i < engine.jobs.size(); ++i) {
        const ConvertJob& job = *engine.jobs[i];
        EXPECT_EQ(job.durationSeconds, cases[i].duration) << narrow(cases[i].name);
        if (cases[i].progress >= 0) {
            EXPECT_EQ(job.progress, cases[i].progress) << narrow(cases[i].name);
        }
        expectOutcomeAsDesigned(job);
    }
}

TEST_F(Hardening, DurationsBeyondAnHourAreProbed) {
    engine.state = EngineState::Running;
    EXPECT_EQ(engine.probeDuration(source(media(L"over-an-hour.mkv"))), 3725);
    engine.state = EngineState::Completed;
}

TEST_F(Hardening, ReadOnlySourceConvertsAndStaysReadOnly) {
    const std::wstring path = outFolder + L"\\read only.mkv";
    CopyFileW(media(L"clip1.mkv").c_str(), path.c_str(), FALSE);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    engine.addJob(source(path).c_str());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Hardening, SourceThatDisappearsBeforeItsTurnEndsAt0) {
    const std::wstring gone = outFolder + L"\\gone.mkv";
    CopyFileW(media(L"clip1.mkv").c_str(), gone.c_str(), FALSE);
    engine.addJob(gone.c_str());
    engine.addJob(source(media(L"clip2.mkv")).c_str());
    DeleteFileW(gone.c_str());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(engine.jobs[0]->progress, 0);
    EXPECT_FALSE(fileExists(engine.jobs[0]->outputPath));
    EXPECT_EQ(engine.jobs[1]->progress, 100);
}

TEST_F(Hardening, OutputFolderRemovedWhileTheBatchRuns) {
    engine.outputFolder = outFolder + L"\\out";
    CreateDirectoryW(engine.outputFolder.c_str(), nullptr);
    for (const wchar_t* name : {L"clip1.mkv", L"long.mkv", L"clip2.mkv"})
        engine.addJob(source(media(name)).c_str());
    ASSERT_TRUE(engine.start());
    while (engine.currentIndex.load() < 1 || engine.jobs[1]->progress == 0)
        ASSERT_FALSE(engine.waitForWorker(10));
    // Moved away while job 2 writes into it: what is written goes with it.
    ASSERT_TRUE(MoveFileW(engine.outputFolder.c_str(), (outFolder + L"\\moved").c_str()));
    ASSERT_TRUE(engine.waitForWorker(120000));
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    EXPECT_EQ(engine.jobs[1]->progress, 0);
    EXPECT_EQ(engine.jobs[2]->progress, 0);
    EXPECT_FALSE(fileExists(engine.outputFolder));
}

TEST_F(Hardening, ToolRemovedInTheMiddleOfABatch) {
    const std::wstring core = outFolder + L"\\core";
    CreateDirectoryW(core.c_str(), nullptr);
    engine.toolPath = core + L"\\zentrak.exe";
    ASSERT_TRUE(CopyFileW(realTool().c_str(), engine.toolPath.c_str(), FALSE));
    for (const wchar_t* name : {L"clip1.mkv", L"clip2.mkv", L"clip3.mkv"})
        engine.addJob(source(media(name)).c_str());
    ASSERT_TRUE(engine.start());
    while (engine.currentIndex.load() < 1)
        ASSERT_FALSE(engine.waitForWorker(5));
    DeleteFileW(engine.toolPath.c_str());
    ASSERT_TRUE(engine.waitForWorker(120000));
    EXPECT_EQ(engine.jobs[0]->progress, 100);
    EXPECT_EQ(engine.jobs[2]->progress, 0);
    for (const auto& job : engine.jobs)
        expectOutcomeAsDesigned(*job);
}

// A tool that crashes, one that reports failure after writing part of its
// output (as on a full disk), and one that leaves an empty file: none of
// these jobs is converted, and what the tool left stays as it is.
TEST_F(Hardening, ToolThatFailsEndsAt0) {
    struct Case {
        const wchar_t* mode;
        const char* leftBehind; // the output's bytes afterwards; nullptr: no file
    } cases[] = {{L"--crash", nullptr}, {L"--fail-late", "RIFF cut off"}, {L"--empty", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.mode));
        engine.clearJobs();
        useFakeTool(c.mode);
        engine.addJob(source(media(L"clip1.mkv")).c_str());
        engine.addJob(source(media(L"clip2.mkv")).c_str());
        ASSERT_TRUE(runToEnd(30000));
        EXPECT_EQ(engine.state.load(), EngineState::Completed);
        for (const auto& job : engine.jobs) {
            EXPECT_EQ(job->progress, 0);
            if (c.leftBehind) {
                EXPECT_EQ(readFile(job->outputPath), c.leftBehind);
            } else {
                EXPECT_EQ(GetFileAttributesW(job->outputPath.c_str()), INVALID_FILE_ATTRIBUTES);
            }
            DeleteFileW(job->outputPath.c_str());
            DeleteFileW((job->outputPath + L".pid").c_str());
        }
    }
}

TEST_F(Hardening, PathLongerThan260Characters) {
    std::wstring deep = outFolder;
    while (deep.size() < 300) {
        deep += L"\\a folder with a long enough name";
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    const std::wstring path = deep + L"\\clip.mkv";
    ASSERT_TRUE(CopyFileW(media(L"clip1.mkv").c_str(), path.c_str(), FALSE));
    engine.outputFolder = deep;
    engine.addJob(source(path).c_str());
    ASSERT_TRUE(runToEnd());
    // Whatever the tool makes of such a path, the outcome follows the output.
    expectOutcomeAsDesigned(*engine.jobs[0]);
    std::printf("a %zu-character source path: job ended at %d\n", path.size(),
                engine.jobs[0]->progress);
}

// Moves the user's application-data folder for as long as it lives, as the
// shell's folder settings do.
class MovedAppData {
public:
    explicit MovedAppData(const std::wstring& folder) {
        RegOpenKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                      0, KEY_READ | KEY_WRITE, &key_);
        savedBytes_ = sizeof saved_;
        hadValue_ = RegQueryValueExW(key_, L"AppData", nullptr, &savedType_,
                                     reinterpret_cast<BYTE*>(saved_), &savedBytes_) == ERROR_SUCCESS;
        RegSetValueExW(key_, L"AppData", 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    ~MovedAppData() {
        if (hadValue_)
            RegSetValueExW(key_, L"AppData", 0, savedType_, reinterpret_cast<BYTE*>(saved_),
                           savedBytes_);
        else
            RegDeleteValueW(key_, L"AppData");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    wchar_t saved_[1024] = {};
    DWORD savedBytes_ = 0, savedType_ = 0;
    bool hadValue_ = false;
};

TEST_F(Hardening, WorkFolderWithAwkwardNames) {
    const wchar_t* names[] = {
        L"app data 100% & ^ ! (x) 'q' ;,= -dash ..dots",
        L"app %PATH% data",
        L"\u00e9 \u00f1 \u00fc \u65e5\u672c\u8a9e \U0001F3AC %PATH%",
    };
    for (const wchar_t* name : names) {
        const std::wstring folder = outFolder + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        engine.clearJobs();
        engine.addJob(source(media(L"clip1.mkv")).c_str());
        {
            MovedAppData moved(folder);
            ASSERT_EQ(appDataFolder(), folder);
            ASSERT_TRUE(runToEnd());
            EXPECT_TRUE(leftoverRunFiles().empty()) << narrow(name);
        }
        EXPECT_EQ(engine.jobs[0]->durationSeconds, 3) << narrow(name);
        EXPECT_EQ(engine.jobs[0]->progress, 100) << narrow(name);
        DeleteFileW(engine.jobs[0]->outputPath.c_str());
    }
}

TEST_F(Hardening, UnwritableWorkFolderEndsJobsAt0) {
    // The application-data folder moved to a drive that does not exist.
    const std::wstring nowhere = L"Q:\\nowhere\\AppData";
    engine.addJob(source(media(L"clip1.mkv")).c_str());
    std::wstring seen;
    bool ended = false;
    {
        MovedAppData moved(nowhere);
        seen = appDataFolder();
        ended = runToEnd(30000);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(seen, nowhere);
    EXPECT_EQ(engine.jobs[0]->progress, 0); // no script could be written, so nothing ran
    EXPECT_FALSE(fileExists(engine.jobs[0]->outputPath));
}

} // namespace
