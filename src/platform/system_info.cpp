#include "platform/system_info.h"

#include "platform/stored_file.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#ifdef __EMSCRIPTEN__
#include <emscripten/heap.h>
#elif !defined(_WIN32)
#include <sys/sysinfo.h>
#endif
#ifndef _WIN32
#include <sched.h>
#include <sys/utsname.h>
#include <unistd.h>
#endif

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define DW_X86 1
#endif

namespace platform {

std::string GetProcessorName() {
#ifdef DW_X86
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d)) return {};
    char vendor[13] = {};
    std::memcpy(vendor + 0, &b, 4);
    std::memcpy(vendor + 4, &d, 4);
    std::memcpy(vendor + 8, &c, 4);
    unsigned eax = 0;
    if (!__get_cpuid(1, &eax, &b, &c, &d)) eax = 0;
    char out[64];
    std::snprintf(out, sizeof out, "%s %d.%d.%d", vendor, static_cast<int>((eax >> 8) & 0xF),
                  static_cast<int>((eax >> 4) & 0xF), static_cast<int>(eax & 0xF));
    return out;
#else
    return {};
#endif
}

std::uint32_t GetCpuSpeed() {
#ifdef DW_X86
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    const std::uint64_t c0 = __rdtsc();
    auto t1 = t0;
    while (std::chrono::duration_cast<std::chrono::milliseconds>(t1 - t0).count() < 300) t1 = Clock::now();
    const std::uint64_t c1 = __rdtsc();
    const auto ms = static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(t1 - t0).count());
    return static_cast<std::uint32_t>(c1 - c0) / (ms * 1000u);
#else
    return 0;
#endif
}

#ifndef _WIN32
// (Windows: machine_facts_win.cpp.)
SystemFacts RealSystemInfo::Gather() {
    SystemFacts f;
#ifdef DW_X86
    f.x86Compatible = true;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d)) {
        f.mmx = (d >> 23) & 1;
        f.sse = (d >> 25) & 1;
    }
#endif
    f.processorName = GetProcessorName();
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    f.processorCount = n > 0 ? static_cast<std::uint32_t>(n) : 1;
#ifdef __EMSCRIPTEN__
    // The browser runs the game on one thread in a memory that can grow to
    // a limit: that is its whole machine.
    f.activeProcessorMask = 1;
    f.totalMemoryBytes = emscripten_get_heap_max();
    f.freeMemoryBytes = f.totalMemoryBytes - emscripten_get_heap_size();
#else
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        std::uint32_t mask = 0;
        for (int i = 0; i < 32; ++i)
            if (CPU_ISSET(i, &set)) mask |= 1u << i;
        f.activeProcessorMask = mask;
    }
    struct sysinfo si {};
    if (sysinfo(&si) == 0) {
        f.totalMemoryBytes = static_cast<std::uint64_t>(si.totalram) * si.mem_unit;
        f.freeMemoryBytes = static_cast<std::uint64_t>(si.freeram) * si.mem_unit;
    }
#endif
    f.cpuMhz = GetCpuSpeed();
    // Available memory (free plus reclaimable caches) reads truer than MemFree.
    if (std::FILE* m = OpenRegularFile("/proc/meminfo", "rb")) {
        char line[256];
        while (std::fgets(line, sizeof line, m)) {
            unsigned long long kb = 0;
            if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
                f.freeMemoryBytes = kb * 1024ull;
                break;
            }
        }
        std::fclose(m);
    }
    struct utsname u {};
    if (uname(&u) == 0) {
        f.platformName = u.sysname;
        unsigned major = 0, minor = 0;
        if (std::sscanf(u.release, "%u.%u", &major, &minor) >= 1) {
            f.osMajor = major;
            f.osMinor = minor;
        }
    }
    return f;
}
#endif

SystemFacts FixedSystemInfo::Gather() {
    SystemFacts f;
    f.x86Compatible = true;
    f.processorName = "HeadlessCPU 6.0.0";
    f.processorCount = 1;
    f.activeProcessorMask = 1;
    f.mmx = true;
    f.sse = true;
    f.cpuMhz = 1000;
    f.totalMemoryBytes = 1024ull << 20;
    f.freeMemoryBytes = 512ull << 20;
    f.platformName = "Linux";
    f.osMajor = 6;
    f.osMinor = 1;
    f.videoCard = "Headless recording device";
    return f;
}

}  // namespace platform
