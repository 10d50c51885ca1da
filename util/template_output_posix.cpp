// Template output, POSIX side: opening a template file and the
// standard-output mode.
#include <cstdio>

#include "util/template_output.h"

std::FILE* TemplateOpenForReading(const char* path) { return fopen(path, "rb"); }

// Standard output is always binary here: there is no text-mode translation.
void TemplateStdoutBinary() {}
