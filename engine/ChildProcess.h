#pragma once

#include <windows.h>

#include <string>

#include "ScriptText.h"
#include "WinHandle.h"

// A hidden child process and every process it starts, held in one job object
// so that the whole tree can be ended, and ends with the program at the latest
// (the job kills what is left in it when its handle closes).
struct ChildProcess {
    UniqueHandle job;
    UniqueHandle process;
    UniqueHandle thread;

    // Starts `commandLine` with the given start-up information; the variables,
    // when there are any, are added to a copy of this process's environment.
    // An empty application name lets the system choose by the command line;
    // an empty current directory keeps this process's own.
    bool start(const std::wstring& application, const std::wstring& commandLine,
               const ScriptVariables& variables, STARTUPINFOW& startup,
               const std::wstring& currentDirectory);
    // Ends the child and all that it started.
    void endTree();
};

// Creates a new file named `stem`, a number and `extension`, starting the
// number at the tick count and taking the next one while a name is taken, so
// that no other run (of this or another copy of the program) is overwritten.
// Returns the path, or an empty string when no file could be created.
std::wstring createUniqueFile(const std::wstring& stem, const wchar_t* extension,
                              UniqueHandle& file);
