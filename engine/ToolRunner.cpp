// Running the tool: writing a job's script, running it with its output
// followed through a pipe, and the duration probe.

#include <shlobj.h>

#include "ChildProcess.h"
#include "ConvertCore.h"
#include "ProgressParser.h"

namespace {

// Large enough that a chatty tool never waits on a full pipe between polls.
constexpr DWORD outputPipeBytes = 1024 * 1024;
// One poll drains at most this much, so that a flood cannot keep the runner
// from looking at the engine's state.
constexpr int maxChunksPerPoll = 256;
constexpr DWORD pollMilliseconds = 300;
constexpr DWORD probePollMilliseconds = 100;
constexpr DWORD maxProbeLogBytes = 16 * 1024 * 1024;

UniqueHandle openNul() {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return UniqueHandle(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                    0, nullptr));
}

// The interpreter's own command line cannot escape a percent sign, so a
// work folder named like "%PATH%" would be expanded there. Such a run starts
// the interpreter in the work folder, with the files named relative to it.
struct InterpreterPaths {
    std::wstring script;
    std::wstring log;
    std::wstring currentDirectory; // empty: this process's own
};

// The command line that runs `command` (a script, maybe with a redirection)
// through the system's interpreter, named as `application`. Delayed expansion
// is turned off, whatever the user's settings say, so that a "!" in a name
// stays as it is; /d keeps the user's AutoRun commands out of the run.
std::wstring interpreterCommand(const std::wstring& command, std::wstring& application) {
    wchar_t system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    application = length > 0 && length < MAX_PATH ? std::wstring(system) + L"\\cmd.exe" : L"";
    if (application.empty())
        return command; // the system then finds the interpreter by itself
    return L"cmd.exe /d /v:off /s /c \"" + command + L"\"";
}

InterpreterPaths interpreterPaths(const std::wstring& scriptPath, const std::wstring& logPath) {
    InterpreterPaths paths{scriptPath, logPath, L""};
    if (scriptPath.find(L'%') == std::wstring::npos && logPath.find(L'%') == std::wstring::npos)
        return paths;
    size_t slash = scriptPath.rfind(L'\\');
    if (slash == std::wstring::npos)
        return paths;
    paths.currentDirectory = scriptPath.substr(0, slash);
    paths.script = scriptPath.substr(slash + 1);
    // The probe log lies in the work folder's parent.
    size_t parentEnd = paths.currentDirectory.rfind(L'\\');
    if (!logPath.empty() && parentEnd != std::wstring::npos &&
        logPath.compare(0, parentEnd + 1, scriptPath, 0, parentEnd + 1) == 0 &&
        logPath.find(L'\\', parentEnd + 1) == std::wstring::npos)
        paths.log = L"..\\" + logPath.substr(parentEnd + 1);
    return paths;
}

} // namespace

std::wstring appDataFolder() {
    PWSTR folder = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr,
                                       &folder)) &&
        folder)
        result = folder;
    CoTaskMemFree(folder);
    return result;
}

std::wstring ConvertCore::writeJobScript(const wchar_t* sourcePath, const wchar_t* arguments,
                                         const wchar_t* outputPath, ScriptVariables& variables) {
    variables.clear();
    std::wstring folder = appDataFolder() + L"\\Pellwick";
    CreateDirectoryW(folder.c_str(), nullptr); // usually there already

    UniqueHandle file;
    std::wstring scriptPath = createUniqueFile(folder + L"\\pwjob", L".bat", file);
    if (scriptPath.empty())
        return scriptPath;

    JobScriptFields fields;
    fields.toolPath = toolPath;
    fields.sourcePath = sourcePath ? sourcePath : L"";
    fields.conversion = outputPath != nullptr;
    if (outputPath) {
        fields.arguments = arguments ? arguments : L"";
        fields.outputPath = outputPath;
    }
    fields.scriptPath = scriptPath;
    std::string bytes = formatJobScript(static_cast<long>(GetACP()), fields, variables);

    DWORD written = 0;
    bool whole = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) &&
                 written == bytes.size();
    file.reset();
    if (!whole) {
        // A cut-off command line could name another output file: never run it.
        traceLine("WriteFile");
        DeleteFileW(scriptPath.c_str());
        variables.clear();
        return std::wstring();
    }
    return scriptPath;
}

bool ConvertCore::runProcess(const std::wstring& scriptPath, const ScriptVariables& variables) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueHandle outputRead, outputWrite, inputRead, inputWrite;
    if (!CreatePipe(outputRead.receive(), outputWrite.receive(), &inherit, outputPipeBytes))
        traceLine("StdoutRd CreatePipe");
    if (!SetHandleInformation(outputRead.get(), HANDLE_FLAG_INHERIT, 0))
        traceLine("Stdout SetHandleInformation");
    if (!CreatePipe(inputRead.receive(), inputWrite.receive(), &inherit, 0))
        traceLine("Stdin CreatePipe");
    if (!SetHandleInformation(inputWrite.get(), HANDLE_FLAG_INHERIT, 0))
        traceLine("Stdin SetHandleInformation");

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead.get();
    startup.hStdOutput = outputWrite.get();
    startup.hStdError = outputWrite.get();

    // Quoted, so that a blank in the path can never make the system try a
    // shorter path first.
    ChildProcess child;
    InterpreterPaths paths = interpreterPaths(scriptPath, L"");
    std::wstring application;
    std::wstring commandLine = interpreterCommand(L"\"" + paths.script + L"\"", application);
    if (!child.start(application, commandLine, variables, startup, paths.currentDirectory)) {
        traceLine("CreateProcess");
        return false;
    }
    // The child holds its own copies; without ours, a read ends at the end of
    // the child's output instead of waiting for ever.
    outputWrite.reset();
    inputRead.reset();
    OutputDebugStringA("----- ConvertCore::runProcess -----\n");

    toolAskedToQuit = false;
    failureTail.clear();
    bool quitSent = false, treeEnded = false;
    DWORD firstQuit = 0;
    DWORD wait = WaitForSingleObject(child.process.get(), pollMilliseconds);
    while (wait == WAIT_TIMEOUT) {
        EngineState now = state.load();
        if (now == EngineState::Running) {
            readToolOutput(outputRead.get());
        } else if (now == EngineState::StopRequested) {
            DWORD written = 0;
            WriteFile(inputWrite.get(), "q", 1, &written, nullptr);
            toolAskedToQuit = true;
            if (!quitSent) {
                quitSent = true;
                firstQuit = GetTickCount();
            } else if (!treeEnded && GetTickCount() - firstQuit >= quitGraceMilliseconds) {
                // The tool does not listen: end the interpreter and the tool.
                traceLine("runProcess : TerminateJobObject");
                child.endTree();
                treeEnded = true;
            }
        }
        wait = WaitForSingleObject(child.process.get(), pollMilliseconds);
    }
    // The tool's last lines (its final status, a failure report) are still
    // in the pipe. The tool has ended, so that is no more than the pipe
    // holds, unless a process it left behind still writes: hence the bound.
    for (int round = 0; round < 16 && state.load() == EngineState::Running; ++round)
        if (!readToolOutput(outputRead.get()))
            break;
    OutputDebugStringA("----- runProcess : CloseHandle -----\n");
    return true;
}

bool ConvertCore::readToolOutput(HANDLE pipe) {
    // Takes only what the pipe holds, so a read never waits for the tool.
    for (int chunk = 0; chunk < maxChunksPerPoll; ++chunk) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0)
            return false;
        OutputDebugStringA("----------\n");
        DWORD wanted = available < 4096 ? available : 4096;
        DWORD got = 0;
        if (!ReadFile(pipe, chunkBuffer, wanted, &got, nullptr) || got == 0)
            return false;
        chunkBuffer[got] = '\0';
        OutputDebugStringA(chunkBuffer);
        if (findInStream(failureTail, chunkBuffer, got, toolFailureReport))
            toolReportedFailure = true;
        if (parsingOutput)
            handleOutputChunk(chunkBuffer);
        DWORD echoed = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), chunkBuffer, got, &echoed, nullptr);
    }
    return true; // there may be more
}

void ConvertCore::handleOutputChunk(const char* chunk) {
    int32_t index = currentIndex;
    int32_t duration = 0;
    takeLock();
    if (index >= 0 && index < static_cast<int32_t>(jobs.size()))
        duration = jobs[index]->durationSeconds;
    releaseLock();
    if (duration == 0)
        return;
    int32_t seconds = 0;
    if (!takeStatusTime(pendingOutput, chunk, std::char_traits<char>::length(chunk), seconds))
        return;
    int32_t percent = progressPercent(seconds, duration);
    if (percent >= 0)
        setJobProgress(index, percent);
}

int32_t ConvertCore::probeDuration(const std::wstring& sourcePath) {
    // The tool describes any input, even a broken one, on its standard error:
    // a log that stayed empty means the probe never ran, so it gets one more
    // try before the job goes on without a duration.
    std::string text;
    for (int attempt = 0; attempt < 2 && text.empty(); ++attempt) {
        if (attempt > 0 && state.load() != EngineState::Running)
            break;
        ScriptVariables variables;
        std::wstring script = writeJobScript(sourcePath.c_str(), nullptr, nullptr, variables);
        if (script.empty())
            break;
        runProcess2(script, variables, text);
        DeleteFileW(script.c_str());
    }
    return text.empty() ? 0 : durationFromProbeLog(text);
}

bool ConvertCore::runProcess2(const std::wstring& scriptPath, const ScriptVariables& variables,
                              std::string& text) {
    // The interpreter's "2>" replaces the file: reserving the name first keeps
    // another run from writing the same log.
    UniqueHandle reserved;
    std::wstring logPath = createUniqueFile(appDataFolder() + L"\\zentrak", L".txt", reserved);
    reserved.reset();
    if (logPath.empty())
        return false;

    InterpreterPaths paths = interpreterPaths(scriptPath, logPath);
    std::wstring application;
    std::wstring commandLine =
        interpreterCommand(L"\"" + paths.script + L"\" 2> \"" + paths.log + L"\"", application);
    // Nothing of the probe is wanted but its standard error, which goes to the log.
    UniqueHandle nul = openNul();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = nul.get();
    startup.hStdError = nul.get();
    ChildProcess child;
    if (!child.start(application, commandLine, variables, startup, paths.currentDirectory)) {
        traceLine("CreateProcess");
        DeleteFileW(logPath.c_str());
        return false;
    }
    OutputDebugStringA("----- ConvertCore::runProcess2 -----\n");

    DWORD wait = WaitForSingleObject(child.process.get(), probePollMilliseconds);
    while (wait == WAIT_TIMEOUT && state.load() == EngineState::Running)
        wait = WaitForSingleObject(child.process.get(), probePollMilliseconds);
    if (wait == WAIT_TIMEOUT) {
        // Stopped while the probe runs: end it, or its open log could not be
        // removed.
        child.endTree();
        WaitForSingleObject(child.process.get(), 5000);
    }
    child = ChildProcess();
    OutputDebugStringA("----- runProcess2 : CloseHandle -----\n");

    std::string gathered;
    UniqueHandle log(CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (log) {
        char block[4096 + 1];
        DWORD got = 0;
        while (gathered.size() < maxProbeLogBytes &&
               ReadFile(log.get(), block, 4096, &got, nullptr) && got > 0) {
            block[got] = '\0';
            gathered.append(block); // up to the block's first zero byte
        }
        log.reset();
    }
    text = std::move(gathered);
    DeleteFileW(logPath.c_str());
    return true;
}
