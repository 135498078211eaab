#include "state/MemoryStatus.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace lumvor {

namespace {

// "Name:   1234 kB" lines into name -> bytes; lines of other shapes are skipped.
std::map<std::string, uint64_t> KilobyteFields(const std::string& text) {
    std::map<std::string, uint64_t> fields;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream value(line.substr(colon + 1));
        uint64_t number = 0;
        std::string unit;
        if (!(value >> number))
            continue;
        value >> unit;
        // Values without a unit are counts, not sizes.
        if (unit != "kB")
            continue;
        fields[line.substr(0, colon)] = number * 1024;
    }
    return fields;
}

uint64_t Field(const std::map<std::string, uint64_t>& fields, const char* name) {
    const auto it = fields.find(name);
    return it == fields.end() ? 0 : it->second;
}

std::string FileText(const char* name) {
    std::ifstream file(name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

void ParseMemInfo(const std::string& MemInfoText, TMemoryStatus& Status) {
    const auto fields = KilobyteFields(MemInfoText);
    Status.MemTotal = Field(fields, "MemTotal");
    Status.SwapTotal = Field(fields, "SwapTotal");
    Status.SwapFree = Field(fields, "SwapFree");
    if (fields.count("MemAvailable"))
        Status.MemAvailable = Field(fields, "MemAvailable");
    else
        Status.MemAvailable = Field(fields, "MemFree") + Field(fields, "Buffers") + Field(fields, "Cached");
    Status.MemAvailable = std::min(Status.MemAvailable, Status.MemTotal);
}

void ParseProcessStatus(const std::string& StatusText, TMemoryStatus& Status) {
    Status.VmSize = Field(KilobyteFields(StatusText), "VmSize");
}

TMemoryStatus ReadMemoryStatus() {
    TMemoryStatus status;
    ParseMemInfo(FileText("/proc/meminfo"), status);
    ParseProcessStatus(FileText("/proc/self/status"), status);
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        status.AddressLimit = limit.rlim_cur;
    return status;
}

uint64_t TotalVirtual(const TMemoryStatus& Status) {
    return Status.AddressLimit != 0 ? Status.AddressLimit : UnlimitedAddressSpace;
}

uint64_t FreeVirtual(const TMemoryStatus& Status) {
    const uint64_t total = TotalVirtual(Status);
    return Status.VmSize < total ? total - Status.VmSize : 0;
}

uint64_t AvailableMemory(const TMemoryStatus& Status) {
    if (Status.AddressLimit == 0)
        return Status.MemAvailable;
    return std::min(Status.MemAvailable, FreeVirtual(Status));
}

int MemoryLoad(const TMemoryStatus& Status) {
    if (Status.MemTotal == 0)
        return 0;
    return int(100 * (Status.MemTotal - Status.MemAvailable) / Status.MemTotal);
}

}  // namespace lumvor
