#include "server/sandbox.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstring>

namespace dw::server {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

void SetLimit(int resource, rlim_t value) {
    const rlimit r{value, value};
    setrlimit(resource, &r);
}

// In the child between fork and exec: only calls that are safe after a
// fork of a program with threads.
[[noreturn]] void StartChild(const int (&fds)[3], const char* dir, const char* const* argv, const ChildLimits& limits) {
    if (dup2(fds[0], STDIN_FILENO) < 0 || dup2(fds[1], STDOUT_FILENO) < 0 || dup2(fds[2], STDERR_FILENO) < 0)
        _exit(126);
    syscall(SYS_close_range, 3u, ~0u, 0u);
    if (chdir(dir) != 0) _exit(126);
    SetLimit(RLIMIT_CPU, limits.cpuSeconds);
    if (!kSanitized) SetLimit(RLIMIT_AS, limits.memoryBytes);
    SetLimit(RLIMIT_FSIZE, 0);
    SetLimit(RLIMIT_CORE, 0);
    // A new process group: the wall-clock limit ends whatever it started.
    setpgid(0, 0);
    signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    static const char* const kNoEnvironment[] = {nullptr};
    execve(argv[0], const_cast<char* const*>(argv), const_cast<char* const*>(kNoEnvironment));
    _exit(127);
}

constexpr std::size_t kMostErrors = 4096;

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Reads what is there into `text`, keeping at most `most` bytes; false at
// the end of the stream.
bool ReadSome(int& fd, std::string& text, std::size_t most, bool& tooMuch) {
    char buffer[16384];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) {
        close(fd);
        fd = -1;
        return false;
    }
    const std::size_t room = text.size() < most ? most - text.size() : 0;
    text.append(buffer, std::min(room, static_cast<std::size_t>(n)));
    tooMuch = tooMuch || static_cast<std::size_t>(n) > room;
    return true;
}

// Writes what the pipe takes of the rest of `input`; closes the pipe (and
// sets `fd` to -1) once all is written or the child stopped reading.
void FeedSome(int& fd, const std::string& input, std::size_t& written) {
    const ssize_t n = write(fd, input.data() + written, input.size() - written);
    if (n > 0) written += static_cast<std::size_t>(n);
    if (n < 0 || written == input.size()) {
        close(fd);
        fd = -1;
    }
}

// Feeds `input` and reads the output and the errors until the output ends
// or the time is up.
ChildResult::End Exchange(int toChild, int fromChild, int errors, const std::string& input, ChildResult& r,
                          std::size_t maxOutput, std::chrono::steady_clock::time_point deadline) {
    // A child that dies before it read its input must cost a failed write,
    // not this process (the server ignores SIGPIPE too; a test may not).
    static const bool pipeIgnored = signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    (void)pipeIgnored;
    std::size_t written = 0;
    if (input.empty()) {
        close(toChild);
        toChild = -1;
    }
    bool tooMuch = false, tooManyErrors = false;
    auto finish = [&](ChildResult::End end) {
        for (int* fd : {&toChild, &fromChild, &errors})
            if (*fd >= 0) close(*fd);
        return end;
    };
    while (fromChild >= 0) {
        pollfd fds[3] = {{fromChild, POLLIN, 0}, {errors, POLLIN, 0}, {toChild, POLLOUT, 0}};
        const int ready = poll(fds, 3, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return finish(ChildResult::End::TimedOut);
        if (errors >= 0 && (fds[1].revents & (POLLIN | POLLERR | POLLHUP)))
            ReadSome(errors, r.errors, kMostErrors, tooManyErrors);
        if (toChild >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) FeedSome(toChild, input, written);
        if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
            ReadSome(fromChild, r.output, maxOutput, tooMuch);
            if (tooMuch) return finish(ChildResult::End::TooMuchOutput);
        }
    }
    return finish(ChildResult::End::Exited);
}

}  // namespace

ChildResult RunLimited(const std::vector<std::string>& argv, const std::string& input, const std::string& workDir,
                       const ChildLimits& limits) {
    ChildResult result;
    if (argv.empty()) return result;
    std::vector<const char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(a.c_str());
    args.push_back(nullptr);
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        for (const int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            if (fd >= 0) close(fd);
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.wallSeconds);
    const int childFds[3] = {in[0], out[1], err[1]};
    const pid_t pid = fork();
    if (pid == 0) StartChild(childFds, workDir.c_str(), args.data(), limits);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }
    // A child that died before it read all of its input must not end us.
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    const ChildResult::End end = Exchange(in[1], out[0], err[0], input, result, limits.maxOutput, deadline);
    if (end != ChildResult::End::Exited) {
        kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
    } else {
        // The output is closed; give the child what is left of its time to end.
        int status = 0;
        while (MillisecondsLeft(deadline) > 0) {
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                result.end = WIFSIGNALED(status) ? ChildResult::End::Signalled : ChildResult::End::Exited;
                result.code = WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status);
                return result;
            }
            if (done < 0) return result;
            usleep(2000);
        }
        kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
        result.end = ChildResult::End::TimedOut;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (result.end == ChildResult::End::NotStarted) result.end = end;
    return result;
}

std::string Describe(const ChildResult& r) {
    switch (r.end) {
        case ChildResult::End::Exited: return "ended with status " + std::to_string(r.code);
        case ChildResult::End::Signalled:
            if (r.code == SIGXCPU) return "ran past its CPU time";
            return std::string("was killed by signal ") + std::to_string(r.code) + " (" + strsignal(r.code) + ")";
        case ChildResult::End::TimedOut: return "ran out of time";
        case ChildResult::End::TooMuchOutput: return "wrote too much";
        case ChildResult::End::NotStarted: break;
    }
    return "could not be started";
}

bool ConfineThisProcess(std::string& error) {
#if defined(__x86_64__)
    constexpr std::uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr std::uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
    error = "no seccomp filter for this machine";
    return false;
#endif
    constexpr std::uint32_t kDeny = SECCOMP_RET_ERRNO | (EACCES & SECCOMP_RET_DATA);
    constexpr std::uint32_t kWriteFlags = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND;
    constexpr std::uint32_t kNr = offsetof(seccomp_data, nr);
    auto arg = [](int i) { return static_cast<std::uint32_t>(offsetof(seccomp_data, args) + 8 * i); };
    // clang-format off: one instruction a line, as the filter reads
    std::vector<sock_filter> f = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kNr),
    };
    // clang-format on
    // Calls refused whatever their arguments.
    const long denied[] = {
        SYS_socket,    SYS_socketpair, SYS_connect,   SYS_execve,    SYS_execveat, SYS_mkdirat,  SYS_unlinkat,
        SYS_renameat2, SYS_linkat,     SYS_symlinkat, SYS_ftruncate, SYS_fchmodat, SYS_fchownat, SYS_mknodat,
#ifdef SYS_open
        SYS_creat,     SYS_mkdir,      SYS_unlink,    SYS_rename,    SYS_renameat, SYS_link,     SYS_symlink,
        SYS_truncate,  SYS_chmod,      SYS_chown,     SYS_rmdir,     SYS_mknod,
#endif
    };
    for (const long nr : denied) {
        f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(nr), 0, 1));
        f.push_back(BPF_STMT(BPF_RET | BPF_K, kDeny));
    }
    // open and openat: refused with a flag that writes or creates.
    auto openCheck = [&](long nr, int flagsArg) {
        f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(nr), 0, 4));
        f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, arg(flagsArg)));
        f.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, kWriteFlags, 0, 1));
        f.push_back(BPF_STMT(BPF_RET | BPF_K, kDeny));
        f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kNr));
    };
    openCheck(SYS_openat, 2);
#ifdef SYS_open
    openCheck(SYS_open, 1);
#endif
    f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(f.size()), f.data()};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0u, &program) != 0) {
        error = std::string("seccomp: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace dw::server
