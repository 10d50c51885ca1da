// HelperProcess: fork, a pipe for the child's answer and one to release it.
#include "support/helper_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int kAnswerTimeoutMs = 10000;

bool ReadAll(int fd, void* buffer, size_t size) {
    char* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kAnswerTimeoutMs) <= 0) return false;
        ssize_t n = read(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Waits for the child within a bound; false when it did not end in time.
bool Reap(pid_t pid, int* status) {
    for (int i = 0; i < 1000; ++i) {
        pid_t r = waitpid(pid, status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) return false;
        usleep(10000);
    }
    return false;
}

}  // namespace

struct HelperProcess::Child {
    pid_t pid = -1;
    int releaseFd = -1;
};

HelperProcess::HelperProcess(const std::function<int()>& setup) : child_(new Child) {
    pid_t& pid = child_->pid;
    int answer[2];
    int release[2];
    if (pipe(answer) != 0) return;
    if (pipe(release) != 0) {
        close(answer[0]);
        close(answer[1]);
        return;
    }
    pid = fork();
    if (pid == 0) {
        close(answer[0]);
        close(release[1]);
        int r = setup();
        (void)!write(answer[1], &r, sizeof r);
        char c;
        while (read(release[0], &c, 1) < 0 && errno == EINTR) {
        }
        _exit(0);
    }
    close(answer[1]);
    close(release[0]);
    child_->releaseFd = release[1];
    int r = 0;
    if (pid > 0 && ReadAll(answer[0], &r, sizeof r)) result_ = r;
    close(answer[0]);
}

HelperProcess::~HelperProcess() {
    if (child_->pid > 0) Kill();
    if (child_->releaseFd >= 0) close(child_->releaseFd);
    delete child_;
}

bool HelperProcess::Release() {
    pid_t& pid = child_->pid;
    int& releaseFd = child_->releaseFd;
    if (pid <= 0) return false;
    // A byte, not just closing: a sibling helper may hold this pipe too.
    (void)!write(releaseFd, "x", 1);
    close(releaseFd);
    releaseFd = -1;
    int status = 0;
    bool reaped = Reap(pid, &status);
    if (!reaped) {
        Kill();
        return false;
    }
    pid = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool HelperProcess::Kill() {
    pid_t& pid = child_->pid;
    if (pid <= 0) return false;
    kill(pid, SIGKILL);
    int status = 0;
    bool reaped = Reap(pid, &status);
    pid = -1;
    return reaped && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}
