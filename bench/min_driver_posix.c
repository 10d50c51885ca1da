/* The least any driver of the upgrade step must do, the baseline that
 * scripts/bench times a kestrun run against: start the step program with its
 * arguments, wait for it, read "status" from the step's status file, write
 * the run's status file through "<file>.bk", fsync and rename, and print the
 * result line.
 *
 * usage: kestrun-min-driver RUN_STATUS_FILE STEP_STATUS_FILE PROGRAM [ARG...]
 * PROGRAM receives the ARGs as they are. */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

/* True when the file has the line "status=0". */
static int StepSucceeded(const char* path) {
    char line[2048];
    int ok = 0;
    FILE* in = fopen(path, "r");
    if (!in) return 0;
    while (fgets(line, sizeof line, in)) {
        if (strncmp(line, "status=", 7) == 0) {
            ok = line[7] == '0' && (line[8] == '\0' || line[8] == '\n' || line[8] == '\r');
            break;
        }
    }
    fclose(in);
    return ok;
}

static void Stamp(char* out, size_t size, time_t t) {
    struct tm utc;
    gmtime_r(&t, &utc);
    strftime(out, size, "%Y%m%d%H%M%S", &utc);
}

/* Writes the status file through path.bk, fsync and rename: 0 or -1. */
static int WriteStatus(const char* path, time_t start, int status) {
    char temporary[4096], text[256], begun[32], ended[32];
    Stamp(begun, sizeof begun, start);
    Stamp(ended, sizeof ended, time(NULL));
    int length = snprintf(text, sizeof text, "startdate=%s\nstatus=%d\nenddate=%s\n", begun,
                          status, ended);
    if (snprintf(temporary, sizeof temporary, "%s.bk", path) >= (int)sizeof temporary) return -1;
    int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return -1;
    int ok = write(fd, text, (size_t)length) == length && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    return ok && rename(temporary, path) == 0 ? 0 : -1;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: kestrun-min-driver RUN_STATUS_FILE STEP_STATUS_FILE PROGRAM [ARG...]\n");
        return 2;
    }
    time_t start = time(NULL);
    pid_t child = fork();
    if (child == 0) {
        execv(argv[3], argv + 3);
        _exit(127);
    }
    int waited = 0;
    if (child > 0) {
        while (waitpid(child, &waited, 0) < 0) {
            if (errno != EINTR) {
                child = -1;
                break;
            }
        }
    }
    int success = child > 0 && WIFEXITED(waited) && WEXITSTATUS(waited) == 0 &&
                  StepSucceeded(argv[2]);
    if (WriteStatus(argv[1], start, success ? 0 : -1) != 0) success = 0;
    fputs(success ? "Result: [Success] The process has been successfully completed.\n"
                  : "Result: [Error] The process has failed.\n",
          stdout);
    return 0;
}
