// consumer HOME FILE: opens the environment of the installation HOME, reads
// the name-value file FILE and prints the database provider and FILE's
// "status"; exits 0 when both were read. FILE is read under its lock file
// (FILE.lk, which kestrun makes beside kestrun.sts); a file that another
// program writes without one is read with the reader's noLock set.
#include <cstdio>

#include "env/environment.h"
#include "util/nv_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: consumer HOME FILE\n");
        return 2;
    }
    CreateAppEnvironment();
    int r = ReadConfiguration(argv[1]);
    CMSioObjApp* env = AppEnvironment();
    if (r != 0 || !env) {
        std::fprintf(stderr, "configuration: %d\n", r);
        return 1;
    }
    std::printf("dbprovider=%s\n", env->DbProvider());

    NUioObjList pairs;
    NUFileIO reader;
    char* status = nullptr;
    r = pairs.SetPath(argv[2], "");
    if (r == 0) r = reader.Read(&pairs, false, false);
    if (r == 0) r = pairs.FindValue("status", &status);
    ReleaseEnvironment();
    if (r != 0) {
        std::fprintf(stderr, "%s: %d\n", argv[2], r);
        return 1;
    }
    std::printf("status=%s\n", status);
    return 0;
}
