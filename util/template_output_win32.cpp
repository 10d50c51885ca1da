// Template output, Windows side: reading a template file whole and the
// standard-output mode.
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "util/template_output.h"
#include "util/wide_text.h"

int TemplateReadWholeFile(const char* path, char** out) {
    FILE* file = _wfopen(WideFromUtf8(path).c_str(), L"rb");
    if (!file) return -53;
    long long size = 0;
    char block[512];
    for (;;) {
        size_t got = fread(block, 1, sizeof block, file);
        size += static_cast<long long>(got);
        if (size > INT_MAX - 1) {
            fclose(file);
            return -55;
        }
        if (got < sizeof block) {
            if (ferror(file)) {
                fclose(file);
                return -54;
            }
            break;
        }
    }
    if (fseek(file, 0, SEEK_SET) != 0) {
        fclose(file);
        return -54;
    }
    char* buf = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
    if (!buf) {
        fclose(file);
        return -51;
    }
    size_t got = fread(buf, 1, static_cast<size_t>(size), file);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) {
        free(buf);
        return -54;
    }
    buf[got] = '\0';
    *out = buf;
    return static_cast<int>(got);
}

// Standard output without the run-time library's LF -> CR LF translation.
void TemplateStdoutBinary() {
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}
