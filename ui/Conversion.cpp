// The Convert command: checks the inputs, fills the engine, runs the batch in
// the progress dialog and selects the files that were converted.

#include "App.h"

#include "resource.h"

namespace {

void refuse(const wchar_t* message) { MessageBoxW(mainWindow, message, productTitle, MB_OK); }

} // namespace

std::wstring buildToolPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // a program folder deeper than MAX_PATH
    }
    size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos)
        path.resize(slash);
    return path + L"\\core\\" + L"zentrak.exe";
}

bool startConversion() {
    HWND list = GetDlgItem(mainWindow, IDC_SOURCE_LIST);
    if (!list)
        return false;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) {
        refuse(L"Please add source files.");
        return false;
    }
    std::wstring folder = readOutputFolder(mainWindow);
    if (folder.empty()) {
        refuse(L"Please select output folder.");
        return false;
    }
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        refuse(L"The output folder doesn't exist.");
        return false;
    }
    int32_t preset = 0;
    if (variant->presetCount() >= 2) {
        LRESULT selection = sendItemMessage(mainWindow, IDC_PRESET, CB_GETCURSEL);
        preset = selection < 0 ? 0 : static_cast<int32_t>(selection);
    }
    std::wstring tool = buildToolPath();
    DWORD toolAttributes = GetFileAttributesW(tool.c_str());
    if (toolAttributes == INVALID_FILE_ATTRIBUTES || (toolAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        refuse(L"There isn't a core file.");
        return false;
    }

    // The previous batch's worker may still be ending: the queue is not
    // emptied under it.
    engine->waitForWorker(INFINITE);
    engine->toolPath = tool;
    engine->outputFolder = folder;
    engine->outputExtension = variant->outputExtension(preset);
    engine->presetArguments = variant->presetArguments(preset);
    engine->clearJobs();
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring source = listEntryText(list, static_cast<int>(i));
        if (!source.empty())
            engine->addJob(source.c_str());
    }
    if (engine->jobs.empty())
        return false;
    DialogBoxParamW(appInstance, MAKEINTRESOURCEW(IDD_PROGRESS), mainWindow, progressDialogProc,
                    0);
    selectCompletedSources();
    return true;
}

void selectCompletedSources() {
    HWND list = GetDlgItem(mainWindow, IDC_SOURCE_LIST);
    if (!list)
        return;
    LRESULT entries = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (entries <= 0)
        return;
    LRESULT n = std::min<LRESULT>(entries, static_cast<LRESULT>(engine->jobs.size()));
    engine->takeLock();
    for (LRESULT i = 0; i < n; ++i)
        SendMessageW(list, LB_SETSEL, engine->jobs[i]->progress == 100, i);
    engine->releaseLock();
}
