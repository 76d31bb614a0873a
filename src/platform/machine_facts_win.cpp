// The machine's facts on Windows: processors and their affinity, memory, and
// the Windows version as the system itself reports it (RtlGetVersion: the
// documented GetVersionEx answers what the program's manifest claims).
#include <windows.h>

#include <cpuid.h>

#include <cstring>

#include "platform/system_info.h"

namespace platform {

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

bool RealWindowsVersion(std::uint32_t& major, std::uint32_t& minor) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return false;
    FARPROC proc = GetProcAddress(ntdll, "RtlGetVersion");
    if (!proc) return false;
    RtlGetVersionFn getVersion;
    static_assert(sizeof getVersion == sizeof proc);
    std::memcpy(&getVersion, &proc, sizeof proc);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (getVersion(&info) != 0) return false;
    major = info.dwMajorVersion;
    minor = info.dwMinorVersion;
    return true;
}

}  // namespace

SystemFacts RealSystemInfo::Gather() {
    SystemFacts f;
    f.x86Compatible = true;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d)) {
        f.mmx = (d >> 23) & 1;
        f.sse = (d >> 25) & 1;
    }
    f.processorName = GetProcessorName();
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    f.processorCount = si.dwNumberOfProcessors > 0 ? si.dwNumberOfProcessors : 1;
    DWORD_PTR processMask = 0, systemMask = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask))
        f.activeProcessorMask = static_cast<std::uint32_t>(processMask & 0xFFFFFFFFu);
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (GlobalMemoryStatusEx(&memory)) {
        f.totalMemoryBytes = memory.ullTotalPhys;
        f.freeMemoryBytes = memory.ullAvailPhys;
    }
    f.cpuMhz = GetCpuSpeed();
    f.platformName = "Windows";
    RealWindowsVersion(f.osMajor, f.osMinor);
    return f;
}

}  // namespace platform
