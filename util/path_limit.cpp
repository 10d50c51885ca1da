// The rule that finds a derived path too long for the platform.
#include "util/path_limit.h"

long long PathLimitOf(const NUPathLimits& limits, NUPathKind kind) {
    switch (kind) {
        case kPathDirectory:
            return limits.directory;
        case kPathWorkingDirectory:
            return limits.workingDirectory;
        case kPathFile:
        default:
            return limits.file;
    }
}

int FirstPathBeyondLimit(const NUPathLength* paths, int count, const NUPathLimits& limits) {
    for (int i = 0; paths && i < count; ++i) {
        long long limit = PathLimitOf(limits, paths[i].kind);
        if (paths[i].units < 0 || (limit > 0 && paths[i].units > limit)) return i;
    }
    return -1;
}
