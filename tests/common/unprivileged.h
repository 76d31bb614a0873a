#pragma once
// Runs a piece of a test as an ordinary user, in a child process: root may
// write any directory and any file, so a test of what happens when it
// cannot needs someone who can't. As root the child hands `own` (paths) to
// the user "nobody" and becomes that user; otherwise it runs as it is.
// The result travels back as the child's exit status (0..249).
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace dw::testing {

template <typename F>
auto RunAsOrdinaryUser(const std::vector<std::string>& own, F fn) -> decltype(fn()) {
    using Result = decltype(fn());
    constexpr uid_t kNobody = 65534;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0) {
            for (const auto& p : own)
                if (::chown(p.c_str(), kNobody, kNobody) != 0) ::_exit(250);
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(251);
        }
        ::_exit(static_cast<int>(fn()));
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) >= 250) {
        ADD_FAILURE() << "the unprivileged child failed (status " << status << ")";
        return static_cast<Result>(255);  // no value a test expects
    }
    return static_cast<Result>(WEXITSTATUS(status));
}

}  // namespace dw::testing
