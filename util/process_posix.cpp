// Child process runner on POSIX: posix_spawn and waitpid, and the kernel's
// exec rules to tell beforehand whether a program starts.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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

// The texts the child receives for arguments: 0, or the start error
// RunProcess leaves in derr without trying (E2BIG: the command line does not
// fit kCommandLineSize; ENOENT: no program).
int PrepareStart(const char* const* arguments, std::vector<std::string>* texts) {
    char line[kCommandLineSize];
    if (BuildCommandLine(arguments, line) != 0) return E2BIG;
    for (const char* const* argument = arguments; argument && *argument; ++argument) {
        texts->push_back(ChildArgument(*argument));
    }
    if (texts->empty() || (*texts)[0].empty()) return ENOENT;
    return 0;
}

// The bytes the kernel reads of a program to choose its format.
constexpr size_t kExecHeadSize = 256;
// Interpreters the kernel follows from one program before it gives ELOOP.
constexpr int kMaxInterpreters = 5;

// Up to kExecHeadSize first bytes of path; false when it cannot be read.
bool ReadHead(const char* path, std::string* head) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[kExecHeadSize];
    ssize_t n;
    do {
        n = read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    close(fd);
    if (n < 0) return false;
    head->assign(buffer, static_cast<size_t>(n));
    return true;
}

// An ELF header's class, byte order and machine: bytes 4 and 5, and the
// 16-bit e_machine at 18 in that byte order; empty when head is no ELF file.
std::string ElfIdentity(const std::string& head) {
    if (head.size() < 20 || head.compare(0, 4, "\x7f" "ELF") != 0) return std::string();
    return head.substr(4, 2) + head.substr(18, 2);
}

// The ELF identity of this build, read from the running program.
const std::string& OwnElfIdentity() {
    static const std::string identity = [] {
        std::string head;
        return ReadHead("/proc/self/exe", &head) ? ElfIdentity(head) : std::string();
    }();
    return identity;
}

// The interpreter a "#!" line names, as the kernel takes it from the first
// kExecHeadSize bytes (zeros after a shorter file): the line ends at the
// first LF before a NUL, else at the end of those bytes provided the name
// ends before it; the name follows "#!" and any blanks (spaces, TABs) and
// ends at a blank or NUL. A CR is part of the name. False when the line
// names none (ENOEXEC).
bool ScriptInterpreter(const std::string& head, std::string* interpreter) {
    std::string buffer = head.substr(0, kExecHeadSize);
    buffer.resize(kExecHeadSize, '\0');
    const size_t bufferEnd = kExecHeadSize - 1;
    auto blank = [&](size_t i) { return buffer[i] == ' ' || buffer[i] == '\t'; };
    auto nonBlank = [&](size_t from, size_t to) {
        while (from < to && blank(from)) ++from;
        return from;
    };
    auto terminator = [&](size_t from, size_t to) {
        while (from < to && !blank(from) && buffer[from] != '\0') ++from;
        return from;
    };
    size_t end = buffer.find('\n');
    if (end == std::string::npos || end > buffer.find('\0')) {
        size_t name = nonBlank(2, bufferEnd);
        if (name == bufferEnd || terminator(name, bufferEnd) == bufferEnd) return false;
        end = bufferEnd;
    }
    while (end > 2 && blank(end - 1)) --end;
    size_t name = nonBlank(2, end);
    if (name >= end) return false;
    interpreter->assign(buffer, name, terminator(name, end) - name);
    return true;
}

// The error of an exec of path by the kernel's rules, depth interpreters
// down: 0 when it starts. A program that cannot be read (execute-only)
// counts as one that starts.
int ExecError(const std::string& path, int depth) {
    if (depth > kMaxInterpreters) return ELOOP;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno;
    // Only a regular file this user may execute (access also tells a file
    // system mounted without exec rights).
    if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? EISDIR : EACCES;
    if (access(path.c_str(), X_OK) != 0) return errno;
    std::string head;
    if (!ReadHead(path.c_str(), &head)) return 0;
    if (head.compare(0, 2, "#!") == 0) {
        std::string interpreter;
        if (!ScriptInterpreter(head, &interpreter)) return ENOEXEC;
        int error = ExecError(interpreter, depth + 1);
        // A directory as interpreter fails like any file that is no program.
        return error == EISDIR ? EACCES : error;
    }
    std::string elf = ElfIdentity(head);
    if (elf.empty()) return ENOEXEC;
    // Only an executable or a shared object (e_type 2 or 3, at byte 16 in
    // the file's byte order) is run.
    unsigned char low = static_cast<unsigned char>(head[head[5] == 2 ? 17 : 16]);
    unsigned char high = static_cast<unsigned char>(head[head[5] == 2 ? 16 : 17]);
    if (high != 0 || (low != 2 && low != 3)) return ENOEXEC;
    // The kernel runs the ELF files of its own machine, class and byte order.
    const std::string& own = OwnElfIdentity();
    return own.empty() || elf == own ? 0 : ENOEXEC;
}

// The error posix_spawn (program with a directory) or posix_spawnp (a name
// searched in PATH) meets starting program: 0 when it starts.
int SpawnError(const std::string& program) {
    if (program.find('/') != std::string::npos) return ExecError(program, 0);
    const char* path = getenv("PATH");
    std::string dirs = path && *path ? path : "/bin:/usr/bin";
    bool denied = false;
    for (size_t start = 0; start <= dirs.size();) {
        size_t colon = dirs.find(':', start);
        if (colon == std::string::npos) colon = dirs.size();
        std::string dir = dirs.substr(start, colon - start);
        int error = ExecError((dir.empty() ? "." : dir) + "/" + program, 0);
        if (error == 0) return 0;
        // A missing or forbidden candidate lets the search go on.
        if (error == EACCES) {
            denied = true;
        } else if (error != ENOENT && error != ENOTDIR) {
            return error;
        }
        start = colon + 1;
    }
    return denied ? EACCES : ENOENT;
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

    std::vector<std::string> texts;
    error = PrepareStart(arguments, &texts);
    if (error != 0) return finish(-1);

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

int ProcessStartable(const char* const* arguments) {
    std::vector<std::string> texts;
    int error = PrepareStart(arguments, &texts);
    if (error == 0) error = SpawnError(texts[0]);
    if (error == 0) return 1;
    errno = error;
    return 0;
}
