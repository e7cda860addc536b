// What a virus scanner does to a file the moment it appears: opens it without
// sharing delete, so that a rename of it or over it fails meanwhile, and
// closes it after a while. A Windows program, for the tests under Wine.
//
//   hold_file MS NAME READY [AFTER]
//
// Holds NAME in the working directory for MS milliseconds. With AFTER, a
// pattern such as "JWC_TEMP.$$$.~digit-tint~*", it first waits for a name
// that begins with what comes before the "*", case and all, and then holds
// NAME, or that name where NAME is "*". (Windows matches patterns more
// widely: "JWC_TEMP.$$$.*" matches "JWC_TEMP.$$$" itself.) READY is created once
// NAME is held, or once it is waited for, so that the test knows when to
// start the tool. With AFTER it prints "too late" where the name it found was
// gone once NAME was held (the run was past the file already), else "in
// place". Status 0 once NAME was held for the whole time; 2 where it could
// not be opened; 3 where nothing matched AFTER within half a minute.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool create_ready(const char *ready) {
    const HANDLE h = CreateFileA(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    return h != INVALID_HANDLE_VALUE && CloseHandle(h);
}

// The first name that begins with pattern's part before the "*", looked for
// without a pause.
bool wait_for(const char *pattern, std::string &found) {
    const std::string start = std::string(pattern).substr(0, std::string(pattern).find('*'));
    const ULONGLONG end = GetTickCount64() + 30000;
    while (GetTickCount64() < end) {
        WIN32_FIND_DATAA data;
        const HANDLE search = FindFirstFileA(pattern, &data);
        if (search == INVALID_HANDLE_VALUE) continue;
        bool matched = false;
        do matched = std::string(data.cFileName).rfind(start, 0) == 0;
        while (!matched && FindNextFileA(search, &data));
        FindClose(search);
        if (matched) {
            found = data.cFileName;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: hold_file MS NAME READY [AFTER]\n");
        return 1;
    }
    const DWORD ms = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    std::string name = argv[2], found;
    if (argc == 5) {
        if (!create_ready(argv[3]) || !wait_for(argv[4], found)) return 3;
        if (name == "*") name = found;
    }
    // Shared for reading and writing, so that a writer keeps writing.
    const HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (argc == 5) {
        std::printf("%s\n", GetFileAttributesA(found.c_str()) == INVALID_FILE_ATTRIBUTES
                                ? "too late"
                                : "in place");
        std::fflush(stdout);
    }
    if (h == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "hold_file: cannot open %s (%lu)\n", name.c_str(), GetLastError());
        return 2;
    }
    if (argc == 4 && !create_ready(argv[3])) return 1;
    Sleep(ms);
    std::printf("held %s\n", name.c_str());
    CloseHandle(h);
    return 0;
}
