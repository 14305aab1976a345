// Scratch folders and child processes of the end-to-end tests.
#include "tests/support/child_process.h"
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <filesystem>
#include <vector>
#include "tests/support/runtime_harness.h"

std::string make_scratch_dir(const std::string& prefix) {
    std::string path = "/tmp/" + prefix + "_XXXXXX";
    std::vector<char> buf(path.begin(), path.end());
    buf.push_back('\0');
    return mkdtemp(buf.data()) != nullptr ? std::string(buf.data()) : std::string();
}

void remove_scratch_dir(const std::string& dir) {
    if (dir.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void stop_child(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = 0;
}

int wait_child_exit(pid_t& pid, int timeout_ms) {
    int status = 0;
    bool ended = harness_wait_until([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeout_ms);
    if (!ended) return -1;
    pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
