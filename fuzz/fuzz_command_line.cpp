// Windows command lines: any arguments, quoted by the characters of a
// single-byte code page or of code page 932, come back from the C run-time's
// split as exactly their texts, one argument each; the split of any line
// never reads past it.
#include <string>
#include <vector>

#include "support.h"
#include "util/process.h"

namespace {

// True when text ends inside a double-byte character: no code page has such
// a text (the process runner refuses it before building a line).
bool EndsInsideACharacter(const std::string& text, const CodePageLeadBytes& leads) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!leads[static_cast<unsigned char>(text[i])]) continue;
        if (i + 1 == text.size()) return true;
        ++i;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CodePageLeadBytes leads;
    if (in.Byte() & 1) {
        for (int byte = 0x81; byte <= 0xFC; ++byte) leads[static_cast<size_t>(byte)] = byte <= 0x9F || byte >= 0xE0;
    }
    std::string any = in.Text(200);
    std::vector<std::string> texts{"C:\\p q\\prog.exe"};
    while (!in.empty() && texts.size() < 8) {
        std::string text = in.Text(40);
        text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
        if (EndsInsideACharacter(text, leads)) text.pop_back();
        texts.push_back(text);
    }
    std::vector<std::string> quoted;
    for (const std::string& text : texts) quoted.push_back("\"" + text + "\"");
    std::vector<const char*> arguments;
    for (const std::string& text : quoted) arguments.push_back(text.c_str());
    arguments.push_back(nullptr);
    char line[kCommandLineSize];
    if (BuildWindowsCommandLine(arguments.data(), line, leads) != 0) return 0;
    std::vector<std::string> split = SplitWindowsCommandLine(line, leads);
    FUZZ_CHECK(split == texts, "line [" + Visible(line) + "]");

    // Any line at all: the split ends and stays inside it.
    SplitWindowsCommandLine(any, leads);
    return 0;
}
