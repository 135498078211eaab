// File helpers of the tests: whole-file reads and writes, local times for file
// dates, and the output of a shell command (for comparing with what ls and find
// list).
#pragma once

#include <cstdio>
#include <ctime>
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

// The moment of a local date and time (daylight saving as the zone has it).
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
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
