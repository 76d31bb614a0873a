// The start of the process on Windows: a windowed program (no console window
// opens when it is double-clicked) whose command line is taken in UTF-16 and
// kept in UTF-8, and whose output reaches the console it was started from.
#include <SDL.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "platform/process_start.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

bool hasOutput = false;  // a console, a file or a pipe takes what is printed

bool Usable(DWORD which) {
    HANDLE h = GetStdHandle(which);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

void ConnectOutput() {
    // Redirected by whoever started us (a file, a pipe, a test): kept.
    if (Usable(STD_OUTPUT_HANDLE) && Usable(STD_ERROR_HANDLE)) {
        hasOutput = true;
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!Usable(STD_OUTPUT_HANDLE)) std::freopen("CONOUT$", "w", stdout);
    if (!Usable(STD_ERROR_HANDLE)) std::freopen("CONOUT$", "w", stderr);
    // The shell prompt came back when the program started: a new line first.
    std::fputs("\n", stdout);
    hasOutput = true;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // main() is the program's own: SDL's WinMain is not used.
    SDL_SetMainReady();
    ConnectOutput();
    std::vector<std::string> args;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) args.push_back(Narrow(wide[i]));
        LocalFree(wide);
    }
    if (args.empty()) args.assign(argv, argv + argc);
    return args;
}

void TellUser(const std::string& text, bool error) {
    if (hasOutput) {
        std::fputs(text.c_str(), error ? stderr : stdout);
        std::fflush(error ? stderr : stdout);
        return;
    }
    MessageBoxW(nullptr, Widen(text).c_str(), L"Duskwhirl 2", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace platform
