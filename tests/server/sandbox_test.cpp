// The child process of a replay: its limits, its end, its confinement.
#include "server/sandbox.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "common/temp_dir.h"

namespace dw::server {
namespace {

ChildResult Shell(const std::string& script, const std::string& input = "", ChildLimits limits = {}) {
    return RunLimited({"/bin/sh", "-c", script}, input, "/", limits);
}

TEST(Sandbox, TheChildGetsItsInputAnEmptyEnvironmentAndTheScratchDirectory) {
    const std::string big(1 << 20, 'x');  // far more than a pipe holds
    ChildLimits limits;
    limits.maxOutput = 2 << 20;
    setenv("DW_SANDBOX_SECRET", "ours", 1);
    ChildResult r = Shell("cat; env; exit 5", big, limits);
    EXPECT_EQ(r.end, ChildResult::End::Exited);
    EXPECT_EQ(r.code, 5);
    ASSERT_GE(r.output.size(), big.size());
    EXPECT_EQ(r.output.compare(0, big.size(), big), 0);
    EXPECT_EQ(r.output.find("DW_SANDBOX_SECRET"), std::string::npos);
    EXPECT_EQ(r.output.find("HOME="), std::string::npos);

    const TempDir dir("dw-sandbox-scratch");
    r = RunLimited({"/bin/pwd"}, "", dir.path.string(), {});
    EXPECT_EQ(r.output, dir.path.string() + "\n");
}

TEST(Sandbox, ACrashAHangAndAFloodEndTheChildNotUs) {
    ChildResult r = Shell("kill -SEGV $$");
    EXPECT_EQ(r.end, ChildResult::End::Signalled);
    EXPECT_EQ(r.code, SIGSEGV);

    ChildLimits quick;
    quick.wallSeconds = 1;
    r = Shell("sleep 30 & wait", "", quick);  // a grandchild ends with it
    EXPECT_EQ(r.end, ChildResult::End::TimedOut);

    ChildLimits cpu;
    cpu.cpuSeconds = 1;
    cpu.wallSeconds = 20;
    const auto start = std::chrono::steady_clock::now();
    r = Shell("while :; do :; done", "", cpu);
    EXPECT_EQ(r.end, ChildResult::End::Signalled);
    EXPECT_TRUE(r.code == SIGXCPU || r.code == SIGKILL) << r.code;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    ChildLimits small;
    small.maxOutput = 1000;
    r = Shell("yes", "", small);
    EXPECT_EQ(r.end, ChildResult::End::TooMuchOutput);

    // A child that ends without reading its input.
    r = Shell("exit 0", std::string(1 << 20, 'x'));
    EXPECT_EQ(r.end, ChildResult::End::Exited);

    r = RunLimited({"/nonexistent/program"}, "", "/", {});
    EXPECT_EQ(r.end, ChildResult::End::Exited);
    EXPECT_EQ(r.code, 127);
    EXPECT_EQ(Describe(r), "ended with status 127");
}

TEST(Sandbox, AConfinedProcessReadsButWritesNoFileMakesNoSocketAndRunsNoProgram) {
    const TempDir dir("dw-sandbox-confined");
    const std::string file = (dir.path / "written").string();
    const pid_t pid = fork();
    if (pid == 0) {
        std::string error;
        if (!ConfineThisProcess(error)) _exit(1);
        if (open("/etc/passwd", O_RDONLY) < 0) _exit(2);
        if (open(file.c_str(), O_WRONLY | O_CREAT, 0600) >= 0 || errno != EACCES) _exit(3);
        if (open("/etc/passwd", O_RDWR) >= 0) _exit(4);
        if (socket(AF_INET, SOCK_STREAM, 0) >= 0 || errno != EACCES) _exit(5);
        if (mkdir((file + "-dir").c_str(), 0700) == 0) _exit(6);
        char* const argv[] = {const_cast<char*>("/bin/true"), nullptr};
        execv("/bin/true", argv);
        _exit(0);  // only reached when exec was refused
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace dw::server
