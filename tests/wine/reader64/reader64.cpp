// reader64.exe REQUESTS OUTPUT: a 64-bit reader for the Wine driver. A 32-bit
// program cannot see what 64-bit Explorer sees: %ProgramFiles% expands to a
// different folder there. For each requested value this reads the registry
// in the native 64-bit view, expands the program the value names and tries
// that program and its icon the way a 64-bit shell would.
//
// REQUESTS: one line per value, "KIND<TAB>ROOT\PATH", KIND value|command|icon,
// ROOT HKLM|HKCR|HKCU; the default value of that key is read.
// OUTPUT: "reader<TAB>BITS<TAB>EXPANDED %ProgramFiles%", then per request
// KIND, ROOT\PATH, key found, value found, type, byte count, key class, data,
// expanded program, program exists, ExtractIconExA result, icon handle
// non-null, icon count; text fields escaped as in Escape().
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "program_reference.h"

// Tabs and line ends would break the line format; '^' marks an escape.
static std::string Escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == '^' || c >= 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "^%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

static bool SplitRoot(const std::string& full, HKEY* root, std::string* path) {
    static const struct {
        const char* name;
        HKEY key;
    } roots[] = {{"HKLM\\", HKEY_LOCAL_MACHINE},
                 {"HKCR\\", HKEY_CLASSES_ROOT},
                 {"HKCU\\", HKEY_CURRENT_USER}};
    for (const auto& r : roots) {
        size_t length = std::strlen(r.name);
        if (full.compare(0, length, r.name) == 0) {
            *root = r.key;
            *path = full.substr(length);
            return true;
        }
    }
    return false;
}

static std::string Expand(const std::string& text) {
    DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return std::string();
    std::vector<char> buffer(needed + 1);
    DWORD written = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed + 1);
    if (written == 0 || written > needed + 1) return std::string();
    return std::string(buffer.data());
}

struct ValueRead {
    bool keyFound = false;
    bool valueFound = false;
    DWORD type = 0;
    DWORD byteCount = 0;
    std::string keyClass;
    std::string data;
};

static ValueRead ReadDefaultValue(HKEY root, const std::string& path) {
    ValueRead read;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return read;
    }
    read.keyFound = true;
    char keyClass[256] = "";
    DWORD classLength = sizeof keyClass;
    if (RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        read.keyClass.assign(keyClass, classLength);
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, "", nullptr, &read.type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<unsigned char> bytes(size + 2, 0);
        DWORD got = size;
        if (RegQueryValueExA(key, "", nullptr, &read.type, bytes.data(), &got) == ERROR_SUCCESS) {
            read.valueFound = true;
            read.byteCount = got;
            read.data.assign(reinterpret_cast<char*>(bytes.data()), got);
            bool text = read.type == REG_SZ || read.type == REG_EXPAND_SZ || read.type == REG_MULTI_SZ;
            while (text && !read.data.empty() && read.data.back() == 0) read.data.pop_back();
        }
    }
    RegCloseKey(key);
    return read;
}

static bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: reader64 REQUESTS OUTPUT\n");
        return 2;
    }
    FILE* in = std::fopen(argv[1], "rb");
    if (!in) return 3;
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 4;

    std::fprintf(out, "reader\t%u\t%s\n", static_cast<unsigned>(sizeof(void*) * 8),
                 Escape(Expand("%ProgramFiles%")).c_str());

    char line[2048];
    int status = 0;
    while (std::fgets(line, sizeof line, in)) {
        std::string request(line);
        while (!request.empty() && (request.back() == '\n' || request.back() == '\r')) {
            request.pop_back();
        }
        if (request.empty()) continue;
        size_t tab = request.find('\t');
        if (tab == std::string::npos) {
            status = 5;
            continue;
        }
        std::string kindName = request.substr(0, tab);
        std::string full = request.substr(tab + 1);
        ReferenceKind kind = kindName == "command" ? CommandValue
                             : kindName == "icon"  ? IconValue
                                                   : PlainValue;
        HKEY root;
        std::string path;
        if (!SplitRoot(full, &root, &path)) {
            status = 6;
            continue;
        }
        ValueRead read = ReadDefaultValue(root, path);

        std::string program;
        bool programExists = false;
        UINT iconResult = 0;
        bool iconHandle = false;
        UINT iconCount = 0;
        std::string named = ReferencedProgram(kind, read.data);
        if (kind != PlainValue && !named.empty()) {
            program = Expand(named);
            programExists = IsFile(program);
            if (kind == IconValue && programExists) {
                HICON large = nullptr;
                iconResult = ExtractIconExA(program.c_str(), ReferencedIconIndex(read.data), &large,
                                            nullptr, 1);
                iconHandle = large != nullptr;
                if (large) DestroyIcon(large);
                iconCount = ExtractIconExA(program.c_str(), -1, nullptr, nullptr, 0);
            }
        }
        std::fprintf(out, "%s\t%s\t%d\t%d\t%lu\t%lu\t%s\t%s\t%s\t%d\t%u\t%d\t%u\n",
                     ReferenceKindName(kind), Escape(full).c_str(), read.keyFound ? 1 : 0,
                     read.valueFound ? 1 : 0, static_cast<unsigned long>(read.type),
                     static_cast<unsigned long>(read.byteCount), Escape(read.keyClass).c_str(),
                     Escape(read.data).c_str(), Escape(program).c_str(), programExists ? 1 : 0,
                     iconResult, iconHandle ? 1 : 0, iconCount);
    }
    std::fclose(in);
    if (std::fclose(out) != 0) return 7;
    return status;
}
