#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ScriptText.h"
#include "WinHandle.h"

enum class EngineState : int32_t {
    Idle = 0,
    Running = 1,
    StopRequested = 2,
    Stopped = 3,
    Completed = 4,
};

struct ConvertJob {
    int32_t index = 0;
    std::wstring sourcePath;
    std::wstring outputPath; // empty until the worker reaches the job
    int32_t durationSeconds = 0;
    int32_t progress = 0; // 0..100; 100 when an output exists after the job
};

struct JobSnapshot {
    int32_t index = 0;
    std::wstring sourcePath;
    std::wstring outputPath;
    int32_t durationSeconds = 0;
    int32_t progress = 0;
};

// Asked on the worker thread before an existing output is replaced. Question
// 1: the current job's output exists; answer 1 to replace it.
using OverwriteCallback = int32_t(int32_t question, HWND window);
constexpr int32_t questionOutputExists = 1;

// The conversion engine: a batch's settings, its queue of jobs and the worker
// thread that runs the tool for each of them.
//
// Threads: the owner (the user-interface thread) writes the settings and the
// queue only while no worker runs; the worker and the owner share the job
// records under `lock`, and `state`, which is atomic.
class ConvertCore {
public:
    ConvertCore();
    virtual ~ConvertCore();
    ConvertCore(const ConvertCore&) = delete;
    ConvertCore& operator=(const ConvertCore&) = delete;

    virtual bool initialize();
    virtual bool clearJobs();
    virtual bool convert(const std::wstring& sourcePath, const std::wstring& outputPath);
    virtual bool start();
    virtual void onFinished();

    bool addJob(const wchar_t* sourcePath);
    bool hasJob(const wchar_t* sourcePath) const;
    void requestStop();
    bool snapshotCurrentJob(JobSnapshot& snapshot);
    void setJobProgress(int32_t index, int32_t percent);
    int32_t countCompleted();

    // True once no worker runs (at once when none was started). The worker
    // signals this as its very last access to the engine, so after it the
    // engine may be refilled, restarted or destroyed.
    bool waitForWorker(DWORD milliseconds);

    // Worker side; public so that each step can be exercised on its own.
    void runProc();
    std::wstring makeOutputPath(const std::wstring& sourcePath) const;
    // The probe script when outputPath is null. Returns the script's path, or
    // an empty string when it could not be written whole.
    std::wstring writeJobScript(const wchar_t* sourcePath, const wchar_t* arguments,
                                const wchar_t* outputPath, ScriptVariables& variables);
    bool runProcess(const std::wstring& scriptPath, const ScriptVariables& variables);
    int32_t probeDuration(const std::wstring& sourcePath);
    bool runProcess2(const std::wstring& scriptPath, const ScriptVariables& variables,
                     std::string& text);
    void handleOutputChunk(const char* chunk);

    // Taken for short copies and updates only; never nested, never held while
    // the tool runs, while sleeping or while a question is shown.
    void takeLock();
    void releaseLock();

    UniqueHandle lock; // auto-reset event used as a lock, created signalled
    HANDLE workerThread = nullptr;
    std::wstring toolPath;
    std::wstring outputFolder;
    std::wstring presetArguments;
    std::wstring outputExtension; // without the dot
    std::vector<std::unique_ptr<ConvertJob>> jobs;
    std::map<std::wstring, ConvertJob*> jobsBySource;
    std::atomic<EngineState> state{EngineState::Idle};
    std::atomic<int32_t> currentIndex{-1};
    std::atomic<bool> parsingOutput{false};
    OverwriteCallback* overwriteCallback = nullptr;
    HWND callbackWindow = nullptr;

    // How long a tool that was sent "q" may take before its whole process
    // tree is ended.
    DWORD quitGraceMilliseconds = 5000;

private:
    // Reads what the pipe holds now; true when it stopped at its bound with
    // more perhaps waiting.
    bool readToolOutput(HANDLE pipe);

    UniqueHandle workerIdle; // manual-reset event, signalled while no worker runs
    std::string pendingOutput; // tool output waiting for its line end
    bool toolAskedToQuit = false; // set by runProcess when it had to send "q"
    bool toolReportedFailure = false; // the tool said its output is unfinished
    std::string failureTail;          // the output's last bytes, for that report
    char chunkBuffer[4096 + 1] = {};
};

// The file part of a path: the text after its last backslash.
std::wstring fileNamePart(const std::wstring& path);

// The user's roaming application-data folder, empty when unknown.
std::wstring appDataFolder();

// Sends a fixed marker or a failed call's name to the debugger channel.
void traceLine(const char* text);
