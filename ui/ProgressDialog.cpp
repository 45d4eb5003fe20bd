// The modal progress window of a batch: starts the engine, shows the current
// file and the batch's position every 100 ms, stops after the user confirms,
// and asks before an existing output is replaced.

#include "App.h"

#include <commctrl.h>

#include <cstdio>

#include "resource.h"

namespace {

UINT_PTR progressTimerId = 0;

void showItem(HWND dialog, int id, bool shown) {
    if (HWND item = GetDlgItem(dialog, id))
        ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
}

void setItemText(HWND dialog, int id, const std::wstring& text) {
    if (HWND item = GetDlgItem(dialog, id))
        SetWindowTextW(item, text.c_str());
}

std::wstring totalText(long done, long all, long percent) {
    wchar_t text[256];
    std::swprintf(text, 256, L"%ld / %ld (%ld%%)", done, all, percent);
    return text;
}

} // namespace

ProgressDisplay progressDisplay(EngineState state, long jobCount, const JobSnapshot* current,
                                long converted) {
    ProgressDisplay shown;
    if (state == EngineState::Running && current) {
        shown.position = current->index * 100 + current->progress;
        shown.range = static_cast<int32_t>(jobCount * 100);
        shown.file = current->sourcePath;
        shown.total = totalText(current->index + 1, jobCount, shown.position / jobCount);
    }
    if (state == EngineState::Completed) {
        shown.completed = true;
        shown.file = L"Complete";
        auto percent = static_cast<long>(converted * 100.0 / jobCount + 0.5);
        shown.total = totalText(converted, jobCount, percent);
    }
    return shown;
}

bool initProgressDialog(HWND window) {
    engine->overwriteCallback = askOverwrite;
    engine->callbackWindow = window;
    if (!engine->start())
        return false;
    showItem(window, IDC_STOP, true);
    showItem(window, IDC_CLOSE, false);
    progressTimerId = SetTimer(window, 100, 100, nullptr);
    updateProgress(window);
    return true;
}

void updateProgress(HWND window) {
    const long jobCount = static_cast<long>(engine->jobs.size());
    EngineState state = engine->state.load();
    JobSnapshot job;
    bool current = state == EngineState::Running && engine->snapshotCurrentJob(job);
    long converted = state == EngineState::Completed ? engine->countCompleted() : 0;
    ProgressDisplay shown = progressDisplay(state, jobCount, current ? &job : nullptr, converted);
    if (shown.completed) {
        showItem(window, IDC_PROGRESS, false);
        KillTimer(window, progressTimerId);
    }
    if (!shown.total.empty())
        setItemText(window, IDC_TOTAL, shown.total);
    if (!shown.file.empty())
        setItemText(window, IDC_FILE_NAME, shown.file);
    // Full 32-bit values: batches of 656 jobs and more pass 65,535.
    if (HWND bar = GetDlgItem(window, IDC_PROGRESS)) {
        SendMessageW(bar, PBM_SETRANGE32, 0, shown.range);
        SendMessageW(bar, PBM_SETPOS, shown.position, 0);
    }

    state = engine->state.load();
    if (state == EngineState::Running)
        return;
    if (state == EngineState::Completed) {
        showItem(window, IDC_STOP, false);
        showItem(window, IDC_CLOSE, true);
        return;
    }
    // Stopping: the dialog stays, with nothing to press, until the worker has
    // ended, so that no new batch and no closing window can meet it.
    if (!engine->waitForWorker(0)) {
        if (HWND stop = GetDlgItem(window, IDC_STOP))
            EnableWindow(stop, FALSE);
        return;
    }
    showItem(window, IDC_STOP, false);
    showItem(window, IDC_CLOSE, true);
    KillTimer(window, progressTimerId);
    PostMessageW(window, WM_COMMAND, IDC_CLOSE, 0);
}

void confirmStop(HWND window) {
    if (MessageBoxW(window, L"Are you sure you want to stop the conversion?", productTitle,
                    MB_YESNO) != IDYES)
        return;
    engine->requestStop();
}

int32_t askOverwrite(int32_t question, HWND window) {
    if (question != questionOutputExists)
        return 0;
    JobSnapshot job;
    engine->snapshotCurrentJob(job);
    std::wstring text =
        L"'" + job.outputPath + L"' already exists.\nDo you want to replace it?";
    return MessageBoxW(window, text.c_str(), productTitle, MB_YESNO) == IDYES ? 1 : 0;
}

INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (!initProgressDialog(window))
            EndDialog(window, 2);
        return TRUE;
    case WM_TIMER:
        updateProgress(window);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_STOP) {
            confirmStop(window);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_CLOSE) {
            EndDialog(window, 1);
            return TRUE;
        }
        return FALSE; // Esc among them: a running batch is left only through Stop
    case WM_CLOSE:
        return TRUE;
    }
    return FALSE;
}
