// The program's arguments on Windows: the wide command line in the system
// code page, split as the C run-time splits it. The run-time's own narrow
// argv would take best-fit look-alikes for characters the code page lacks.
#include <windows.h>

#include "util/process.h"
#include "util/program_arguments.h"
#include "util/wide_text.h"

bool ProgramArguments(int, char**, std::vector<std::string>* texts) {
    texts->clear();
    std::string line;
    if (!SystemFromWide(GetCommandLineW(), &line)) return false;
    *texts = SplitWindowsCommandLine(line, SystemLeadBytes());
    return true;
}
