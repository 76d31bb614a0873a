#pragma once
// Facts about the machine for the system report in the log.
#include <cstdint>
#include <string>

namespace platform {

struct SystemFacts {
    bool x86Compatible = false;  // processor family the game was built for
    std::string processorName;   // "%s %d.%d.%d": vendor family.model.stepping
    std::uint32_t processorCount = 1;
    std::uint32_t activeProcessorMask = 1;
    bool fpuEmulated = false;
    bool mmx = false;
    bool sse = false;
    std::uint32_t cpuMhz = 0;
    std::uint64_t totalMemoryBytes = 0;
    std::uint64_t freeMemoryBytes = 0;
    std::string platformName;  // "Linux"
    std::uint32_t osMajor = 0, osMinor = 0;
    std::string videoCard;  // filled from the graphics device
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual SystemFacts Gather() = 0;
};

// Reads cpuid, /proc, sysinfo and uname (on Windows the system's own
// calls); measures the clock speed over
// 300 ms of the real clock.
class RealSystemInfo final : public SystemInfo {
public:
    SystemFacts Gather() override;
};

// Fixed facts for headless runs and tests.
class FixedSystemInfo final : public SystemInfo {
public:
    SystemFacts Gather() override;
};

// "%s %d.%d.%d" from cpuid leaves 0 and 1 (empty vendor off x86).
std::string GetProcessorName();
// Time-stamp counter ticks over >= 300 ms of the real clock, in MHz.
std::uint32_t GetCpuSpeed();

}  // namespace platform
