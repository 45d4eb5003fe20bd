// Console front end of the engine: converts the .mkv files named on its
// command line into the output folder, printing the progress as it goes.
//
//   engine_driver [--preset N] [--replace] --out FOLDER SOURCE...
//
// For tests and measurements, --tool PATH and --args TEXT replace the tool
// beside the program and the preset's arguments.
//
// Exit code 0 when every job was converted, 1 otherwise, 2 on bad usage.

#include <windows.h>

#include <cstdio>
#include <string>

#include "ConvertCore.h"
#include "Presets.h"
#include "TextEncoding.h"

namespace {

bool replaceExisting = false;

int32_t answerOverwrite(int32_t, HWND) { return replaceExisting ? 1 : 0; }

void print(const std::wstring& text) {
    std::string bytes = utf16ToUtf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.rfind(L'\\'));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    MkvAvi variant;
    ConvertCore engine;
    int32_t preset = 0;
    std::wstring folder, tool, arguments;
    bool ownArguments = false;
    int first = 1;
    for (; first < argc; ++first) {
        std::wstring arg = argv[first];
        if (arg == L"--preset" && first + 1 < argc)
            preset = _wtoi(argv[++first]);
        else if (arg == L"--replace")
            replaceExisting = true;
        else if (arg == L"--out" && first + 1 < argc)
            folder = argv[++first];
        else if (arg == L"--tool" && first + 1 < argc)
            tool = argv[++first];
        else if (arg == L"--args" && first + 1 < argc) {
            arguments = argv[++first];
            ownArguments = true;
        }
        else
            break;
    }
    if (folder.empty() || first >= argc || preset < 0 || preset >= variant.presetCount()) {
        print(L"usage: engine_driver [--preset 0-3] [--replace] --out FOLDER SOURCE...\n");
        return 2;
    }
    if (!engine.initialize())
        return 1;

    engine.toolPath = tool.empty() ? programFolder() + L"\\core\\zentrak.exe" : tool;
    engine.outputFolder = folder;
    engine.outputExtension = variant.outputExtension(preset);
    engine.presetArguments = ownArguments ? arguments : variant.presetArguments(preset);
    engine.clearJobs();
    for (int i = first; i < argc; ++i)
        if (!engine.addJob(argv[i]))
            print(L"already listed: " + std::wstring(argv[i]) + L"\n");
    engine.overwriteCallback = answerOverwrite;

    print(L"preset: " + variant.presetName(preset) + L"\n");
    if (!engine.start()) {
        print(L"the worker could not be started\n");
        return 1;
    }
    int32_t shownIndex = -1, shownProgress = -1;
    while (!engine.waitForWorker(200)) {
        JobSnapshot job;
        if (engine.snapshotCurrentJob(job) &&
            (job.index != shownIndex || job.progress != shownProgress)) {
            shownIndex = job.index;
            shownProgress = job.progress;
            print(std::to_wstring(job.index + 1) + L" / " + std::to_wstring(engine.jobs.size()) +
                  L"  " + std::to_wstring(job.progress) + L"%  " + job.sourcePath + L"\n");
        }
    }
    int32_t converted = engine.countCompleted();
    for (const auto& job : engine.jobs)
        print((job->progress == 100 ? L"converted  " : L"failed     ") + job->sourcePath +
              L" -> " + job->outputPath + L" (" + std::to_wstring(job->durationSeconds) + L" s)\n");
    print(std::to_wstring(converted) + L" of " + std::to_wstring(engine.jobs.size()) +
          L" converted\n");
    return converted == static_cast<int32_t>(engine.jobs.size()) ? 0 : 1;
}
