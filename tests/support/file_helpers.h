// File helpers of the tests: whole-file reads and writes, and the output of a
// shell command (for comparing with what ls and find list).
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lumvor::test {

// The whole file, "" when it cannot be read.
inline std::string ReadFileText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes text to name, creating the missing folders.
inline void WriteFileText(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(name).parent_path());
    std::ofstream(name, std::ios::binary) << text;
}

// Everything command writes to its standard output.
inline std::string CommandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    for (int c; (c = std::fgetc(pipe)) != EOF;) out.push_back(char(c));
    ::pclose(pipe);
    return out;
}

// The output of command, one entry per line.
inline std::vector<std::string> CommandLines(const std::string& command) {
    std::vector<std::string> lines;
    std::istringstream in(CommandOutput(command));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace lumvor::test
