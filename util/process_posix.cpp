// Child process runner on POSIX: posix_spawn and waitpid.
#include <errno.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "util/process.h"

extern char** environ;

const int kProcessErrorTooLong = E2BIG;
const int kProcessErrorNotFound = ENOENT;
// Arguments go as bytes: every one is representable.
const int kProcessErrorNotRepresentable = EILSEQ;

namespace {

// The descriptor number under which the child finds the inherited handle.
constexpr int kInheritedDescriptor = 3;

// Starts the child; 0 and *pid, or the spawn error. The child keeps only
// descriptors 0, 1 and 2 of the parent, and inherited (when valid) as
// descriptor 3.
int Spawn(const std::vector<std::string>& texts, NUFileHandle inherited, pid_t* pid) {
    std::vector<char*> argv;
    argv.reserve(texts.size() + 1);
    for (const std::string& text : texts) argv.push_back(const_cast<char*>(text.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    int r = posix_spawn_file_actions_init(&actions);
    if (r != 0) return r;
    int keep = kInheritedDescriptor;
    if (inherited != kInvalidFileHandle) {
        // dup2 leaves the copy without close-on-exec (also when the numbers
        // are equal), so exactly this descriptor crosses into the child.
        r = posix_spawn_file_actions_adddup2(&actions, static_cast<int>(inherited),
                                             kInheritedDescriptor);
        ++keep;
    }
    if (r == 0) r = posix_spawn_file_actions_addclosefrom_np(&actions, keep);
    if (r == 0) {
        // A program named without a directory is searched for in PATH.
        bool searchPath = texts[0].find('/') == std::string::npos;
        r = searchPath ? posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ)
                       : posix_spawn(pid, argv[0], &actions, nullptr, argv.data(), environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    return r;
}

}  // namespace

int RunProcess(const char* const* arguments, int* dret, int* derr, NUFileHandle inherited) {
    int exitCode = 0;
    int error = 0;
    auto finish = [&](int code) {
        if (dret) *dret = exitCode;
        if (derr) *derr = error;
        return code;
    };

    char line[kCommandLineSize];
    if (BuildCommandLine(arguments, line) != 0) {
        error = E2BIG;
        return finish(-1);
    }
    std::vector<std::string> texts;
    for (const char* const* argument = arguments; argument && *argument; ++argument) {
        texts.push_back(ChildArgument(*argument));
    }
    if (texts.empty() || texts[0].empty()) {
        error = ENOENT;
        return finish(-1);
    }

    pid_t pid = 0;
    int r = Spawn(texts, inherited, &pid);
    if (r != 0) {
        error = r;
        return finish(-1);
    }

    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited == -1 && errno == EINTR);
    if (waited == -1) {
        error = errno;
        return finish(-2);
    }
    if (WIFEXITED(status)) {
        exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        exitCode = 128 + WTERMSIG(status);
    }
    return finish(exitCode == 0 ? 0 : -2);
}

int CurrentProcessId() { return static_cast<int>(getpid()); }

int ProgramStartable(const char* path) {
    struct stat info;
    if (!path || stat(path, &info) != 0) {
        if (!path) errno = ENOENT;
        return 0;
    }
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return 0;
    }
    // posix_spawn needs a regular file this user may execute.
    if (!S_ISREG(info.st_mode) || access(path, X_OK) != 0) {
        errno = EACCES;
        return 0;
    }
    return 1;
}
