#pragma once
// A PostgreSQL server of a test's own: a cluster made with initdb in a
// temporary folder, started with pg_ctl on a unix socket in that folder
// (no TCP port), stopped and removed at the end. PostgreSQL will not run as
// root, so as root the cluster belongs to the user "nobody".
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace dw::testing {

class PostgresServer {
public:
    PostgresServer() {
        const std::string bin = BinDir();
        if (bin.empty()) {
            problem_ = "no PostgreSQL server programs (Debian's postgresql package) under /usr/lib/postgresql";
            return;
        }
        std::string dir = (std::filesystem::temp_directory_path() / "dw-postgres-XXXXXX").string();
        if (!mkdtemp(dir.data())) {
            problem_ = "no temporary folder";
            return;
        }
        dir_ = dir;
        if (geteuid() == 0 && chown(dir_.c_str(), kNobody, kNobody) != 0) {
            problem_ = "cannot hand the folder to nobody";
            return;
        }
        bin_ = bin;
        if (Run({bin_ + "/initdb", "-D", dir_ + "/data", "-U", "scores", "-A", "trust", "-E", "UTF8", "--no-sync"}) !=
            0) {
            problem_ = "initdb failed (see the test's output)";
            return;
        }
        if (Run({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-l", dir_ + "/server.log", "-w", "-o",
                 "-k " + dir_ + " -c listen_addresses= -F", "start"}) != 0) {
            problem_ = "pg_ctl start failed; its log is " + dir_ + "/server.log";
            return;
        }
        started_ = true;
    }
    ~PostgresServer() {
        if (started_) Run({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-m", "immediate", "-w", "stop"});
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    bool running() const { return started_; }
    // Why it is not running.
    const std::string& problem() const { return problem_; }
    // A connection string for the store.
    std::string url() const { return "postgresql://scores@/postgres?host=" + dir_; }

private:
    static constexpr uid_t kNobody = 65534;

    static std::string BinDir() {
        std::string best;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
            const std::string bin = (e.path() / "bin").string();
            if (std::filesystem::exists(bin + "/initdb") && bin > best) best = bin;
        }
        return best;
    }

    // Runs a program (as nobody when we are root) and waits for it.
    int Run(const std::vector<std::string>& argv) const {
        const pid_t pid = fork();
        if (pid == 0) {
            if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
                _exit(120);
            if (chdir(dir_.c_str()) != 0) _exit(121);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }

    std::string bin_, dir_, problem_;
    bool started_ = false;
};

}  // namespace dw::testing
