// Drives the real program from outside, as a user would, in its own Wine
// prefix. First a run that is killed in the middle of a conversion: its tool
// must end with it. Then the next start: adds three clips with awkward names
// through "Select Files", types the output folder, picks the third preset,
// converts, watches the progress, closes.
//
//   e2e_driver PROGRAM MEDIA_FOLDER INPUT_FOLDER OUTPUT_FOLDER KILLED_FOLDER SHOT_FOLDER
//
// MEDIA_FOLDER holds long.mkv; INPUT_FOLDER the three clips named below.
//
// At each moment worth a picture it leaves NAME.request in SHOT_FOLDER and
// waits until the script watching it has taken the screenshot and removed
// the request. Prints what it saw; exit code 0 when every check held.

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>

#include "resource.h"

namespace {

int failures = 0;

void check(bool condition, const char* what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAIL", what);
    std::fflush(stdout);
    if (!condition)
        ++failures;
}

std::wstring textOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        2000, nullptr);
    return text;
}

HWND waitForWindow(const wchar_t* caption, DWORD milliseconds = 30000) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        HWND window = FindWindowW(L"#32770", caption);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

bool waitGone(HWND window, DWORD milliseconds = 30000) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (!IsWindow(window))
            return true;
        Sleep(50);
    }
    return false;
}

std::wstring shotFolder;

void screenshot(const wchar_t* name) {
    std::wstring request = shotFolder + L"\\" + name + L".request";
    HANDLE file = CreateFileW(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    for (int i = 0; i < 200 && GetFileAttributesW(request.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
}

void narrowPrint(const char* label, const std::wstring& text) {
    char bytes[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    std::printf("%s%s\n", label, bytes);
    std::fflush(stdout);
}

// How many processes of that executable name are running.
int countProcesses(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, exeName) == 0)
            ++count;
    CloseHandle(snapshot);
    return count;
}

// Starts the program and waits for its main window.
HWND startProgram(const std::wstring& program, PROCESS_INFORMATION& info) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return nullptr;
    return waitForWindow(L"Corvane Free MKV to AVI Converter 1.0");
}

// Adds files through "Select Files": its folder first, then the quoted names.
bool selectFiles(HWND main, const std::wstring& folder, const std::wstring& names) {
    PostMessageW(main, WM_COMMAND, IDC_ADD, 0);
    HWND select = waitForWindow(L"Select Files");
    if (!select)
        return false;
    SetDlgItemTextW(select, 1148, folder.c_str());
    SendMessageW(select, WM_COMMAND, IDOK, 0);
    SetDlgItemTextW(select, 1148, names.c_str());
    SendMessageW(select, WM_COMMAND, IDOK, 0);
    return waitGone(select);
}

// The program killed while the tool converts: the tool must not outlive it.
void killInTheMiddle(const std::wstring& program, const std::wstring& media,
                     const std::wstring& killed) {
    PROCESS_INFORMATION info = {};
    HWND main = startProgram(program, info);
    check(main != nullptr, "first start: the main window opened");
    if (!main)
        return;
    check(selectFiles(main, media, L"\"long.mkv\""), "first start: long.mkv added");
    SetDlgItemTextW(main, IDC_OUTPUT_FOLDER, killed.c_str());
    PostMessageW(main, WM_COMMAND, IDC_CONVERT, 0);
    HWND progress = waitForWindow(L"Progress");
    check(progress != nullptr, "first start: converting");
    bool toolRan = false;
    for (int i = 0; i < 400 && !toolRan; ++i) {
        toolRan = countProcesses(L"zentrak.exe") > 0 &&
                  textOf(GetDlgItem(progress, IDC_TOTAL)).find(L"(0%)") == std::wstring::npos;
        Sleep(25);
    }
    check(toolRan, "first start: the tool runs and reports progress");
    TerminateProcess(info.hProcess, 9);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    int left = -1;
    for (int i = 0; i < 100 && left != 0; ++i) {
        left = countProcesses(L"zentrak.exe");
        Sleep(50);
    }
    check(left == 0, "no tool runs after the program was killed");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 7)
        return 2;
    const std::wstring program = argv[1], media = argv[2], input = argv[3], output = argv[4],
                       killed = argv[5];
    shotFolder = argv[6];

    killInTheMiddle(program, media, killed);

    PROCESS_INFORMATION info = {};
    HWND main = startProgram(program, info);
    check(main != nullptr, "the next start: the main window opened");
    if (!main)
        return 1;
    HWND list = GetDlgItem(main, IDC_SOURCE_LIST);
    check(!IsWindowEnabled(list), "the empty list is disabled");

    check(selectFiles(main, input,
                      L"\"clip3 (%PATH%) \x65E5\x672C\x8A9E.mkv\" \"clip1 100% \x00FC.mkv\" "
                      L"\"clip2 & ! ^ \xD83D\xDE00.mkv\""),
          "\"Select Files\" took three awkward names");
    check(SendMessageW(list, LB_GETCOUNT, 0, 0) == 3, "three files listed");
    check(IsWindowEnabled(list), "the list is enabled");

    SetDlgItemTextW(main, IDC_OUTPUT_FOLDER, output.c_str());
    SendMessageW(GetDlgItem(main, IDC_PRESET), CB_SETCURSEL, 2, 0);
    screenshot(L"main-window-ready");

    PostMessageW(main, WM_COMMAND, IDC_CONVERT, 0);
    HWND progress = waitForWindow(L"Progress");
    check(progress != nullptr, "the progress dialog opened");
    if (!progress)
        return 1;
    std::set<std::wstring> totals;
    bool shotRunning = false;
    std::wstring file;
    for (int i = 0; i < 2400 && file != L"Complete"; ++i) {
        std::wstring total = textOf(GetDlgItem(progress, IDC_TOTAL));
        file = textOf(GetDlgItem(progress, IDC_FILE_NAME));
        if (totals.insert(total).second)
            narrowPrint("total: ", total + L"   " + file);
        if (!shotRunning && total.find(L"2 / 3") == 0) {
            screenshot(L"progress-running");
            shotRunning = true;
        }
        Sleep(25);
    }
    check(file == L"Complete", "the batch completed");
    check(totals.size() >= 4, "the total text changed as the batch ran");
    std::wstring finalTotal = textOf(GetDlgItem(progress, IDC_TOTAL));
    narrowPrint("final: ", finalTotal);
    check(finalTotal == L"3 / 3 (100%)", "all three converted");
    check(IsWindowVisible(GetDlgItem(progress, IDC_CLOSE)) &&
              !IsWindowVisible(GetDlgItem(progress, IDC_STOP)),
          "Close offered instead of Stop");
    screenshot(L"progress-complete");
    PostMessageW(progress, WM_COMMAND, IDC_CLOSE, 0);
    check(waitGone(progress), "the progress dialog closed");
    Sleep(200);
    bool allSelected = SendMessageW(list, LB_GETCOUNT, 0, 0) == 3;
    for (int i = 0; i < 3; ++i)
        allSelected = allSelected && SendMessageW(list, LB_GETSEL, i, 0) > 0;
    check(allSelected, "the three converted entries are selected");
    screenshot(L"main-window-after");

    PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    DWORD exitCode = 1;
    bool ended = WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    check(ended && exitCode == 0, "the program closed with exit code 0");
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return failures == 0 ? 0 : 1;
}
