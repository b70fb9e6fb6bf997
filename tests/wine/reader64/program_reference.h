// How the installer's registry values name the editor: an open command
// ("\"PROGRAM\" \"%1\"") or an icon reference ("PROGRAM,N"). Shared by the
// 32-bit driver and the 64-bit reader so both take the values apart alike.
#pragma once
#include <cstdlib>
#include <string>

enum ReferenceKind { PlainValue, CommandValue, IconValue };

// The program a value names, still unexpanded; empty when the value does not
// have the form of its kind.
inline std::string ReferencedProgram(ReferenceKind kind, const std::string& data) {
    if (kind == CommandValue) {
        static const char suffix[] = "\" \"%1\"";
        const size_t suffixLength = sizeof suffix - 1;
        if (data.size() < 1 + suffixLength || data[0] != '"' ||
            data.compare(data.size() - suffixLength, suffixLength, suffix) != 0) {
            return std::string();
        }
        std::string program = data.substr(1, data.size() - 1 - suffixLength);
        return program.find('"') == std::string::npos ? program : std::string();
    }
    if (kind == IconValue) {
        size_t comma = data.rfind(',');
        if (comma == std::string::npos || comma == 0) return std::string();
        return data.substr(0, comma);
    }
    return std::string();
}

// The icon index after the last comma, or -1 when there is no plain decimal.
inline int ReferencedIconIndex(const std::string& data) {
    size_t comma = data.rfind(',');
    if (comma == std::string::npos || comma + 1 >= data.size()) return -1;
    for (size_t i = comma + 1; i < data.size(); i++) {
        if (data[i] < '0' || data[i] > '9') return -1;
    }
    return std::atoi(data.c_str() + comma + 1);
}

inline const char* ReferenceKindName(ReferenceKind kind) {
    return kind == CommandValue ? "command" : kind == IconValue ? "icon" : "value";
}
