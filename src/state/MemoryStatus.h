// The machine's and the process's memory as the memory check and the memory
// report count it: the kernel's /proc/meminfo, the process's address-space
// limit (RLIMIT_AS) and its mapped size (/proc/self/status).
//
// All sizes are in bytes. Reading is cheap and works on any thread.
#pragma once

#include <cstdint>
#include <string>

namespace lumvor {

struct TMemoryStatus {
    uint64_t MemTotal = 0;      // physical memory
    uint64_t MemAvailable = 0;  // what can be had without swapping
    uint64_t SwapTotal = 0;
    uint64_t SwapFree = 0;
    uint64_t AddressLimit = 0;  // RLIMIT_AS; 0 = unlimited
    uint64_t VmSize = 0;        // the process's mapped address space
};

// The address space counted when the process has no limit: 128 TiB, the user
// half of a 64-bit address space.
inline constexpr uint64_t UnlimitedAddressSpace = uint64_t(128) << 40;

// Fills the /proc/meminfo fields from that file's text and VmSize from the
// text of /proc/self/status; fields missing from the text stay 0. An older
// kernel without MemAvailable counts MemFree + Buffers + Cached instead.
void ParseMemInfo(const std::string& MemInfoText, TMemoryStatus& Status);
void ParseProcessStatus(const std::string& StatusText, TMemoryStatus& Status);
// The status of this machine and process now.
TMemoryStatus ReadMemoryStatus();

// The address space the process may map: the limit, or UnlimitedAddressSpace.
uint64_t TotalVirtual(const TMemoryStatus& Status);
// TotalVirtual less what is mapped already (0 when the limit is reached).
uint64_t FreeVirtual(const TMemoryStatus& Status);
// What one more allocation can have: MemAvailable, and no more than the
// address-space limit still allows.
uint64_t AvailableMemory(const TMemoryStatus& Status);
// 100 x (MemTotal - MemAvailable) / MemTotal; 0 when MemTotal is unknown.
int MemoryLoad(const TMemoryStatus& Status);

}  // namespace lumvor
