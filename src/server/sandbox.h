#pragma once
// The replays of untrusted demos run in a child process of their own: a
// demo that crashes the replay, loops forever or eats memory takes only
// that child with it. The child is a fresh program (fork, then exec: no
// state of the server's threads, sockets or store survives into it) with
// an empty environment, in a scratch directory, under resource limits, and
// it shuts itself off from the network and from writing files before it
// reads the demo (ConfineThisProcess).
#include <cstdint>
#include <string>
#include <vector>

namespace dw::server {

struct ChildLimits {
    unsigned cpuSeconds = 60;                // RLIMIT_CPU
    unsigned wallSeconds = 120;              // killed after this long
    std::uint64_t memoryBytes = 1ull << 30;  // RLIMIT_AS (left out under the sanitizers)
    std::size_t maxOutput = 64 * 1024;       // stdout kept; past this the child is killed
};

struct ChildResult {
    enum class End { Exited, Signalled, TimedOut, TooMuchOutput, NotStarted };
    End end = End::NotStarted;
    int code = 0;  // the exit status, or the signal
    std::string output;
    std::string errors;  // the first 4 KiB of its stderr
};

// Runs argv[0] (a path; no search) with `argv`, `input` on its stdin and
// its stdout and stderr collected, in `workDir`, under `limits`.
ChildResult RunLimited(const std::vector<std::string>& argv, const std::string& input, const std::string& workDir,
                       const ChildLimits& limits);

// For the child itself: from here on, no socket can be made, no program
// run and no file opened for writing or created, renamed or removed (a
// seccomp filter; the calls fail with EACCES). False when the kernel or
// the machine has no such filter.
bool ConfineThisProcess(std::string& error);

// A one-line description of how a child ended ("killed by signal 11", ...).
std::string Describe(const ChildResult& r);

}  // namespace dw::server
