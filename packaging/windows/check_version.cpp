// check_version EXE MAJOR.MINOR.PATCH NAME=VALUE...
// Reads EXE's version resource back as Windows Explorer does (GetFileVersionInfo,
// VerQueryValue) and fails, naming each, where a version number or a string
// differs from the one given.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

namespace {

std::wstring wide(const char *text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    return out;
}

std::string narrow(const wchar_t *text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

bool load(const char *exe, std::vector<char> &block) {
    const std::wstring path = wide(exe);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    block.resize(size);
    return GetFileVersionInfoW(path.c_str(), 0, size, block.data()) != 0;
}

// "1.2.3.0" from the fixed part's two 32-bit halves.
std::string dotted(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
           std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

int check_numbers(std::vector<char> &block, const std::string &expected) {
    void *data = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), L"\\", &data, &len) || len < sizeof(VS_FIXEDFILEINFO)) {
        std::printf("no fixed version part\n");
        return 1;
    }
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(data);
    int failures = 0;
    const std::string file = dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    const std::string product = dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    for (const auto &[name, got] : {std::pair{"file version", file}, {"product version", product}})
        if (got != expected) {
            std::printf("%s: %s, expected %s\n", name, got.c_str(), expected.c_str());
            ++failures;
        }
    return failures;
}

// The string table of the resource's first translation, as "\StringFileInfo\040904b0\".
std::wstring string_table(std::vector<char> &block) {
    void *data = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &len) || len < 4)
        return L"";
    const auto *pair = static_cast<const WORD *>(data);
    wchar_t key[64];
    swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\", pair[0], pair[1]);
    return key;
}

int check_string(std::vector<char> &block, const std::wstring &table, const char *name_value) {
    const char *eq = std::strchr(name_value, '=');
    if (!eq) {
        std::printf("argument %s is not NAME=VALUE\n", name_value);
        return 1;
    }
    const std::string name(name_value, eq), expected(eq + 1);
    void *data = nullptr;
    UINT len = 0;
    const std::wstring key = table + wide(name.c_str());
    if (table.empty() || !VerQueryValueW(block.data(), key.c_str(), &data, &len)) {
        std::printf("%s: missing\n", name.c_str());
        return 1;
    }
    const std::string got = narrow(static_cast<const wchar_t *>(data));
    if (got == expected) return 0;
    std::printf("%s: \"%s\", expected \"%s\"\n", name.c_str(), got.c_str(), expected.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::printf("usage: check_version EXE MAJOR.MINOR.PATCH NAME=VALUE...\n");
        return 2;
    }
    std::vector<char> block;
    if (!load(argv[1], block)) {
        std::printf("%s: no version resource (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    int failures = check_numbers(block, std::string(argv[2]) + ".0");
    const std::wstring table = string_table(block);
    for (int i = 3; i < argc; ++i) failures += check_string(block, table, argv[i]);
    if (failures == 0) std::printf("%s: version resource as expected\n", argv[1]);
    return failures == 0 ? 0 : 1;
}
