#include "ChildProcess.h"

#include <vector>

#include "ConvertCore.h"

bool ChildProcess::start(const std::wstring& application, const std::wstring& commandLine,
                         const ScriptVariables& variables, STARTUPINFOW& startup,
                         const std::wstring& currentDirectory) {
    DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED;
    std::wstring environment;
    if (!variables.empty()) {
        LPWCH parent = GetEnvironmentStringsW();
        environment = buildEnvironmentBlock(parent, variables);
        if (parent)
            FreeEnvironmentStringsW(parent);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }

    job.reset(CreateJobObjectW(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits))
            traceLine("SetInformationJobObject");
    } else {
        traceLine("CreateJobObject");
    }

    // CreateProcessW may write into its command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), line.data(),
                        nullptr, nullptr, TRUE, flags,
                        environment.empty() ? nullptr : environment.data(),
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                        &info))
        return false;
    process.reset(info.hProcess);
    thread.reset(info.hThread);
    // Joined before it runs, so that everything it starts is in the job too.
    if (job && !AssignProcessToJobObject(job.get(), process.get())) {
        traceLine("AssignProcessToJobObject");
        job.reset();
    }
    ResumeThread(thread.get());
    return true;
}

void ChildProcess::endTree() {
    if (job)
        TerminateJobObject(job.get(), 1);
    else if (process)
        TerminateProcess(process.get(), 1);
}

std::wstring createUniqueFile(const std::wstring& stem, const wchar_t* extension,
                              UniqueHandle& file) {
    const DWORD first = GetTickCount();
    for (DWORD step = 0; step < 1000; ++step) {
        // Printed as a signed 32-bit number, as the tick count always was.
        auto number = static_cast<long>(static_cast<int32_t>(first + step));
        std::wstring path = stem + std::to_wstring(number) + extension;
        file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            return path;
        DWORD error = GetLastError();
        // A file still being deleted answers "access denied": take the next name then too.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
            error != ERROR_ACCESS_DENIED)
            break;
    }
    traceLine("CreateFile");
    return std::wstring();
}
