// Template output, Windows side: opening a template file and the
// standard-output mode.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "util/template_output.h"
#include "util/wide_text.h"

std::FILE* TemplateOpenForReading(const char* path) {
    std::wstring wide;
    return WidePath(path, &wide) ? _wfopen(wide.c_str(), L"rb") : nullptr;
}

// Standard output without the run-time library's LF -> CR LF translation.
void TemplateStdoutBinary() {
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}
