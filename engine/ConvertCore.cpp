#include "ConvertCore.h"

#include <cstdio>

namespace {

// RAII form of takeLock/releaseLock for the short sections below.
class EngineLock {
public:
    explicit EngineLock(ConvertCore& engine) : engine_(engine) { engine_.takeLock(); }
    ~EngineLock() { engine_.releaseLock(); }
    EngineLock(const EngineLock&) = delete;
    EngineLock& operator=(const EngineLock&) = delete;

private:
    ConvertCore& engine_;
};

DWORD WINAPI workerMain(LPVOID argument) {
    if (auto* engine = static_cast<ConvertCore*>(argument))
        engine->runProc();
    return 0;
}

// Exists when it opens for reading; other programs may hold it open.
bool outputExists(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

// What the tool wrote as an output: an empty file is what a tool leaves when
// it fails before its first write (e.g. on a full disk).
bool outputHasContent(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!outputExists(path) || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
}

void traceNumber(const char* format, long value) {
    char line[64];
    std::snprintf(line, sizeof line, format, value);
    OutputDebugStringA(line);
}

} // namespace

void traceLine(const char* text) {
    OutputDebugStringA(text);
    OutputDebugStringA("\n");
}

ConvertCore::ConvertCore()
    : lock(CreateEventW(nullptr, FALSE, TRUE, nullptr)),
      workerIdle(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

ConvertCore::~ConvertCore() {
    // Never free the engine under a running worker: ask it to stop (the
    // runner ends a tool that does not listen) and wait for its end.
    if (workerIdle && WaitForSingleObject(workerIdle.get(), 0) == WAIT_TIMEOUT) {
        EngineState expected = EngineState::Running;
        state.compare_exchange_strong(expected, EngineState::StopRequested);
        WaitForSingleObject(workerIdle.get(), INFINITE);
    }
    clearJobs();
    if (workerThread)
        CloseHandle(workerThread);
}

bool ConvertCore::initialize() {
    // Without its lock or its idle signal the engine could not keep its data
    // safe between the two threads.
    return lock && workerIdle;
}

void ConvertCore::takeLock() { WaitForSingleObject(lock.get(), INFINITE); }

void ConvertCore::releaseLock() { SetEvent(lock.get()); }

bool ConvertCore::clearJobs() {
    EngineLock guard(*this);
    jobsBySource.clear();
    jobs.clear();
    currentIndex = -1;
    return true;
}

bool ConvertCore::addJob(const wchar_t* sourcePath) {
    if (!sourcePath || hasJob(sourcePath))
        return false;
    EngineLock guard(*this);
    auto job = std::make_unique<ConvertJob>();
    job->index = static_cast<int32_t>(jobs.size());
    job->sourcePath = sourcePath;
    jobsBySource[job->sourcePath] = job.get();
    jobs.push_back(std::move(job));
    return true;
}

bool ConvertCore::hasJob(const wchar_t* sourcePath) const {
    return sourcePath && jobsBySource.count(sourcePath) != 0;
}

bool ConvertCore::start() {
    if (workerThread) {
        CloseHandle(workerThread);
        workerThread = nullptr;
    }
    EngineState previous = state.exchange(EngineState::Running);
    ResetEvent(workerIdle.get());
    // Created suspended so that the handle is stored before the worker can
    // reach its end, where it closes the handle.
    HANDLE thread = CreateThread(nullptr, 0, workerMain, this, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        traceLine("CreateThread");
        state = previous;
        SetEvent(workerIdle.get());
        return false;
    }
    workerThread = thread;
    ResumeThread(thread);
    return true;
}

void ConvertCore::requestStop() {
    EngineState expected = EngineState::Running;
    state.compare_exchange_strong(expected, EngineState::StopRequested);
    Sleep(100);
    for (int slept = 100; slept < 1000 && state.load() <= EngineState::StopRequested;
         slept += 100)
        Sleep(100);
}

bool ConvertCore::snapshotCurrentJob(JobSnapshot& snapshot) {
    EngineLock guard(*this);
    int32_t index = currentIndex;
    if (index < 0 || index >= static_cast<int32_t>(jobs.size()))
        return false;
    const ConvertJob& job = *jobs[index];
    snapshot.index = job.index;
    snapshot.sourcePath = job.sourcePath;
    snapshot.outputPath = job.outputPath;
    snapshot.durationSeconds = job.durationSeconds;
    snapshot.progress = job.progress;
    return true;
}

void ConvertCore::setJobProgress(int32_t index, int32_t percent) {
    if (index < 0 || index >= static_cast<int32_t>(jobs.size()))
        return;
    EngineLock guard(*this);
    jobs[index]->progress = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
}

int32_t ConvertCore::countCompleted() {
    EngineLock guard(*this);
    int32_t count = 0;
    for (const auto& job : jobs)
        if (job->progress == 100)
            ++count;
    return count;
}

void ConvertCore::onFinished() {}

bool ConvertCore::waitForWorker(DWORD milliseconds) {
    return WaitForSingleObject(workerIdle.get(), milliseconds) == WAIT_OBJECT_0;
}

std::wstring fileNamePart(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ConvertCore::makeOutputPath(const std::wstring& sourcePath) const {
    std::wstring path = outputFolder + L"\\" + fileNamePart(sourcePath);
    if (outputExtension.empty())
        return path;
    size_t dot = path.rfind(L'.');
    size_t slash = path.rfind(L'\\');
    if (dot == std::wstring::npos || dot < slash)
        return path + L"." + outputExtension;
    return path.substr(0, dot + 1) + outputExtension;
}

void ConvertCore::runProc() {
    const int32_t count = static_cast<int32_t>(jobs.size());
    try {
        for (int32_t i = 0; i < count; ++i) {
            if (state.load() != EngineState::Running)
                break;
            traceNumber("----- runProc : %ld -----\n", i);
            std::wstring source, output;
            {
                EngineLock guard(*this);
                source = jobs[i]->sourcePath;
                output = makeOutputPath(source);
                jobs[i]->outputPath = output;
                currentIndex = i;
            }
            setJobProgress(i, 0);

            // A source that is its own output is left as it is and counts as done.
            if (source == output) {
                setJobProgress(i, 100);
                continue;
            }
            bool run = true;
            if (outputExists(output))
                run = overwriteCallback &&
                      overwriteCallback(questionOutputExists, callbackWindow) == 1;
            toolAskedToQuit = false;
            toolReportedFailure = false;
            if (run) {
                OutputDebugStringA("runProc : convert\n");
                convert(source, output);
            }
            // A tool that was told to quit, or that failed, may have left a
            // partial file: that is not a converted job, though the file
            // stays as it is.
            setJobProgress(i, outputHasContent(output) && !toolAskedToQuit && !toolReportedFailure
                                  ? 100
                                  : 0);
        }
    } catch (...) {
        // Out of memory: nothing of the batch can go on; the final state below
        // still tells the owner that the worker has ended.
        EngineState expected = EngineState::Running;
        state.compare_exchange_strong(expected, EngineState::StopRequested);
    }

    state = state.load() == EngineState::Running ? EngineState::Completed : EngineState::Stopped;
    onFinished();
    if (workerThread) {
        CloseHandle(workerThread);
        workerThread = nullptr;
    }
    currentIndex = -1;
    SetEvent(workerIdle.get()); // last touch of the engine
}

bool ConvertCore::convert(const std::wstring& sourcePath, const std::wstring& outputPath) {
    OutputDebugStringA("----- convert -----\n");
    int32_t duration = probeDuration(sourcePath);
    {
        EngineLock guard(*this);
        traceNumber("duration:%ld\n", duration);
        int32_t index = currentIndex;
        if (index >= 0 && index < static_cast<int32_t>(jobs.size()))
            jobs[index]->durationSeconds = duration;
        OutputDebugStringA("----------\n");
    }
    ScriptVariables variables;
    std::wstring script =
        writeJobScript(sourcePath.c_str(), presetArguments.c_str(), outputPath.c_str(), variables);
    parsingOutput = true;
    if (script.empty())
        traceLine("CreateProcess"); // nothing to run: no script could be written
    else
        runProcess(script, variables);
    parsingOutput = false;
    if (!script.empty())
        DeleteFileW(script.c_str());

    // The tool could read the source (it gave a duration), yet left no file
    // and no word of failure, and nobody asked it to stop: the conversion
    // never ran. It gets one more try; there is no output it could replace.
    if (!script.empty() && duration > 0 && !outputExists(outputPath) && !toolAskedToQuit &&
        !toolReportedFailure && state.load() == EngineState::Running) {
        traceLine("convert : once more");
        script = writeJobScript(sourcePath.c_str(), presetArguments.c_str(), outputPath.c_str(),
                                variables);
        if (!script.empty()) {
            parsingOutput = true;
            runProcess(script, variables);
            parsingOutput = false;
            DeleteFileW(script.c_str());
        }
    }
    return true;
}
