// A stand-in for the conversion tool, for what the real one will not do on
// demand. Called as the engine calls the tool:
//   faketool -i SOURCE                       describe: a Duration line on stderr (nothing,
//                                            once, while SOURCE.silent-once exists)
//   faketool -y -i SOURCE [MODE...] OUTPUT   "convert" as MODE says (nothing, once, while
//                                            OUTPUT.silent-once exists)
// Modes:
//   --ignore-q          write a status line every 100 ms for ever, never read stdin
//   --flood BYTES       write BYTES of status lines at once, then finish
//   --split             write one status line in two pieces 700 ms apart, then finish
//   --crash             write a status line, then end abruptly as a crashing program does
//   --fail-late         write part of OUTPUT, then report failure as the tool does on a
//                       full disk, the report split over two writes just before the end
//   --empty             leave OUTPUT empty and end as if all went well
//   --chatty KB SECONDS write KB kilobytes of status lines per second for SECONDS, then finish
// Finishing writes OUTPUT. Every run writes its process id to OUTPUT.pid.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void writeAll(HANDLE out, const std::string& text) {
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void writeText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    writeAll(file, text);
    CloseHandle(file);
}

std::string statusLine(int second) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "frame=%5d fps= 25 q=2.0 size=%8dkB time=00:00:%02d.00 bitrate=1000.0kbits/s "
                  "speed=1.0x    \r",
                  second * 25, second * 100, second % 60);
    return line;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (argc == 3 && std::wstring(argv[1]) == L"-i") {
        // A probe that must fail once without a word: SOURCE.silent-once is
        // taken away and nothing is written.
        std::wstring once = std::wstring(argv[2]) + L".silent-once";
        if (DeleteFileW(once.c_str()))
            return 1;
        writeAll(err, "Input #0, matroska,webm, from 'x.mkv':\r\n"
                      "  Duration: 00:00:10.00, start: 0.000000, bitrate: 1000 kb/s\r\n"
                      "At least one output file must be specified\r\n");
        return 1;
    }
    if (argc < 5)
        return 2;
    std::wstring output = argv[argc - 1];
    // A conversion that must not happen once: OUTPUT.silent-once is taken
    // away and nothing else is done.
    if (DeleteFileW((output + L".silent-once").c_str()))
        return 1;
    writeText(output + L".pid", std::to_string(GetCurrentProcessId()));
    std::wstring mode = argc > 5 ? argv[4] : L"";

    if (mode == L"--ignore-q") {
        for (int second = 0;; ++second) {
            writeAll(err, statusLine(second % 10));
            Sleep(100);
        }
    }
    if (mode == L"--flood" && argc > 6) {
        long long bytes = _wtoi64(argv[5]);
        std::string block;
        while (static_cast<long long>(block.size()) < 64 * 1024)
            block += statusLine(5);
        for (long long sent = 0; sent < bytes; sent += static_cast<long long>(block.size()))
            writeAll(err, block);
    }
    if (mode == L"--crash") {
        writeAll(err, statusLine(1));
        TerminateProcess(GetCurrentProcess(), 0xC0000005); // an access violation's code
    }
    if (mode == L"--chatty" && argc > 7) {
        // Paced in 50 ms steps, each step's share of the rate written at once.
        const long long perStep = _wtoi64(argv[5]) * 1024 / 20;
        const DWORD steps = static_cast<DWORD>(_wtoi(argv[6])) * 20;
        const DWORD begin = GetTickCount();
        for (DWORD step = 0; step < steps; ++step) {
            std::string block;
            while (static_cast<long long>(block.size()) < perStep)
                block += statusLine(static_cast<int>(step / 20));
            writeAll(err, block);
            DWORD due = begin + (step + 1) * 50, now = GetTickCount();
            if (static_cast<LONG>(due - now) > 0)
                Sleep(due - now);
        }
    }
    if (mode == L"--fail-late") {
        writeText(output, "RIFF cut off");
        writeAll(err, statusLine(3) + "\r\nError writing trailer: No space left on device\r\nConversion fa");
        Sleep(50);
        writeAll(err, "iled!\r\n");
        return 1;
    }
    if (mode == L"--empty") {
        writeText(output, "");
        return 0;
    }
    if (mode == L"--split") {
        writeAll(err, "frame=  125 fps= 25 q=2.0 size=     500kB time=00:00:0");
        Sleep(700);
        writeAll(err, "5.00 bitrate=1000.0kbits/s speed=1.0x    \r");
        Sleep(700);
    }
    writeText(output, "RIFF fake output");
    return 0;
}
