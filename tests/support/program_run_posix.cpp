// Child processes for end-to-end tests, on POSIX: posix_spawn with pipes
// for standard output and error, poll with a deadline, SIGKILL on time-out.
#include "support/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

long long NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

struct RunningProgram::Child {
    int pid = -1;
    int outFd = -1;
    int errFd = -1;
};

bool RunningProgram::started() const { return child_->pid > 0; }

RunningProgram::RunningProgram(const std::vector<std::string>& argv) : child_(new Child) {
    int outPipe[2], errPipe[2];
    if (argv.empty() || pipe(outPipe) != 0) return;
    if (pipe(errPipe) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t spawned = -1;
    if (posix_spawn(&spawned, args[0], &actions, nullptr, args.data(), environ) != 0) spawned = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    child_->pid = spawned;
    child_->outFd = outPipe[0];
    child_->errFd = errPipe[0];
}

RunningProgram::~RunningProgram() {
    Kill();
    if (child_->outFd >= 0) close(child_->outFd);
    if (child_->errFd >= 0) close(child_->errFd);
    delete child_;
}

void RunningProgram::Kill() {
    if (child_->pid <= 0) return;
    kill(child_->pid, SIGKILL);
    waitpid(child_->pid, nullptr, 0);
    child_->pid = -1;
}

ProgramResult RunningProgram::Wait(int timeoutSeconds) {
    int& pid = child_->pid;
    int& outFd = child_->outFd;
    int& errFd = child_->errFd;
    ProgramResult result;
    if (pid <= 0) return result;
    long long deadline = NowMs() + timeoutSeconds * 1000LL;
    // Read both pipes until both are closed or the deadline passes.
    while (outFd >= 0 || errFd >= 0) {
        long long left = deadline - NowMs();
        if (left <= 0) break;
        pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
        int n = poll(fds, 2, static_cast<int>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t got = read(fds[i].fd, buf, sizeof buf);
            if (got > 0) {
                (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                (i == 0 ? outFd : errFd) = -1;
            }
        }
    }
    // The pipes are closed; the child may still be exiting.
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 && NowMs() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (done != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        pid = -1;
        return result;
    }
    pid = -1;
    result.finished = true;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool WaitForFile(const std::string& path, int timeoutSeconds) {
    long long deadline = NowMs() + timeoutSeconds * 1000LL;
    struct stat st{};
    while (stat(path.c_str(), &st) != 0) {
        if (NowMs() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
