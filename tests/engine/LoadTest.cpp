// Many jobs in one batch: every one completes and the engine's memory stays
// flat from the tenth job to the last.

#include "EngineFixture.h"

#include <psapi.h>

using namespace testsupport;

namespace {

using Load = EngineFixture;

// The memory the process has committed for itself.
SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

TEST_F(Load, FiveHundredJobsCompleteWithFlatMemory) {
    useFakeTool(L"");
    const std::wstring in = outFolder + L"\\in";
    CreateDirectoryW(in.c_str(), nullptr);
    for (int i = 0; i < 500; ++i) {
        std::wstring path = in + L"\\short clip " + std::to_wstring(i) + L".mkv";
        writeFile(path, "x");
        engine.addJob(path.c_str());
    }
    ASSERT_TRUE(engine.start());
    SIZE_T atTen = 0;
    while (!engine.waitForWorker(50))
        if (atTen == 0 && engine.currentIndex.load() >= 10)
            atTen = privateBytes();
    SIZE_T atEnd = privateBytes();
    EXPECT_EQ(engine.state.load(), EngineState::Completed);
    EXPECT_EQ(engine.countCompleted(), 500);
    // Which job failed, and how far it got: the tool leaves OUTPUT.pid when it ran.
    for (size_t i = 0; i < engine.jobs.size(); ++i) {
        const auto& job = *engine.jobs[i];
        if (job.progress == 100)
            continue;
        std::wstring pid = job.outputPath + L".pid";
        ADD_FAILURE() << "job " << i << " ended at " << job.progress << "; tool ran: "
                      << (GetFileAttributesW(pid.c_str()) != INVALID_FILE_ATTRIBUTES)
                      << "; output now: "
                      << (GetFileAttributesW(job.outputPath.c_str()) != INVALID_FILE_ATTRIBUTES);
    }
    ASSERT_NE(atTen, 0u);
    std::printf("private bytes at job 10: %zu KB, after job 500: %zu KB\n", atTen / 1024,
                atEnd / 1024);
    // A leak of a few KB per job (a handle, a buffer) would pass 1 MB here.
    EXPECT_LT(atEnd, atTen + 1024 * 1024);
    for (const auto& job : engine.jobs)
        DeleteFileW((job->outputPath + L".pid").c_str());
}

} // namespace
