// check_version EXE MAJOR.MINOR.PATCH [--table=LLLLCCCC] NAME=VALUE...
// Reads EXE's version resource back as Windows Explorer does (GetFileVersionInfo,
// VerQueryValue) and fails, naming each, where a version number or a string
// differs from the one given. The strings are looked up in the resource's
// first translation, or from a --table on in that one (as "041104b0"), which
// the translation list must name. A VALUE of "hex:" and UTF-8 in hexadecimal
// passes text that a command line under Wine might not carry unchanged.
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

// The string table of a translation the resource lists, as
// "\StringFileInfo\040904b0\": the one named (empty: the first), or "" where
// it is not listed.
std::wstring string_table(std::vector<char> &block, const std::string &named) {
    void *data = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &len) || len < 4)
        return L"";
    const auto *pairs = static_cast<const WORD *>(data);
    for (UINT i = 0; i + 1 < len / sizeof(WORD); i += 2) {
        char code[16];
        std::snprintf(code, sizeof code, "%04x%04x", pairs[i], pairs[i + 1]);
        if (named.empty() || named == code) return L"\\StringFileInfo\\" + wide(code) + L"\\";
    }
    return L"";
}

// "hex:e697a5" as the bytes it spells; any other text as it is.
std::string unhex(const std::string &value) {
    if (value.rfind("hex:", 0) != 0) return value;
    std::string bytes;
    for (std::size_t at = 4; at + 1 < value.size(); at += 2)
        bytes += static_cast<char>(std::stoi(value.substr(at, 2), nullptr, 16));
    return bytes;
}

int check_string(std::vector<char> &block, const std::wstring &table, const char *name_value) {
    const char *eq = std::strchr(name_value, '=');
    if (!eq) {
        std::printf("argument %s is not NAME=VALUE\n", name_value);
        return 1;
    }
    const std::string name(name_value, eq), expected = unhex(eq + 1);
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
        std::printf(
            "usage: check_version EXE MAJOR.MINOR.PATCH [--table=LLLLCCCC] NAME=VALUE...\n");
        return 2;
    }
    std::vector<char> block;
    if (!load(argv[1], block)) {
        std::printf("%s: no version resource (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    int failures = check_numbers(block, std::string(argv[2]) + ".0");
    std::wstring table = string_table(block, "");
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--table=", 0) != 0) {
            failures += check_string(block, table, argv[i]);
            continue;
        }
        table = string_table(block, arg.substr(8));
        if (table.empty()) std::printf("%s: not in the translation list\n", argv[i]);
        failures += table.empty();
    }
    if (failures == 0) std::printf("%s: version resource as expected\n", argv[1]);
    return failures == 0 ? 0 : 1;
}
