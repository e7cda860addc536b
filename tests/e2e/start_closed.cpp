// Starts a program as a Windows process is started with its standard handles
// closed: none passed, none inherited. A Windows program, for the tests
// under Wine, where closing the emulator's streams closes Wine's own.
//
//   start_closed PROGRAM [ARG]
//
// Ends with the program's exit status; 125 where it could not be started.
#include <windows.h>

#include <string>

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3) return 125;
    std::string command = std::string("\"") + argv[1] + "\"";
    if (argc == 3) command += std::string(" ") + argv[2];
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES; // every handle null
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &start, &process))
        return 125;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 125;
    GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
