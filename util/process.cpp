// Child process runner: command-line assembly and splitting, and the
// argument texts the child receives; starting and waiting live in the
// platform files.
#include "util/process.h"

#include <cstring>

namespace {

// Joins the arguments, each in the form form gives it, each followed by one
// space, into line (kCommandLineSize bytes).
template <typename Form>
int JoinCommandLine(const char* const* arguments, char* line, Form form) {
    if (!line) return -1;
    line[0] = '\0';
    if (!arguments) return 0;
    size_t used = 0;
    for (const char* const* argument = arguments; *argument; ++argument) {
        std::string text = form(*argument);
        // The argument, its space and the terminating zero must fit.
        if (text.size() + 2 > kCommandLineSize - used) {
            line[0] = '\0';
            return -1;
        }
        memcpy(line + used, text.data(), text.size());
        used += text.size();
        line[used++] = ' ';
        line[used] = '\0';
    }
    return 0;
}

}  // namespace

int BuildCommandLine(const char* const* arguments, char* line) {
    return JoinCommandLine(arguments, line, [](const char* argument) { return std::string(argument); });
}

int BuildWindowsCommandLine(const char* const* arguments, char* line, const CodePageLeadBytes& leads) {
    return JoinCommandLine(arguments, line,
                           [&leads](const char* argument) { return WindowsCommandArgument(argument, leads); });
}

std::string WindowsCommandArgument(const char* argument, const CodePageLeadBytes& leads) {
    std::string text = ChildArgument(argument);
    bool quoted = argument && argument[0] == '"' && text.size() + 2 == strlen(argument);
    // Blanks and quotes are single bytes: no trail byte takes their values.
    if (!quoted && !text.empty() && text.find_first_of(" \t\"") == std::string::npos) return text;
    std::string out = "\"";
    size_t backslashes = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool lead = leads[static_cast<unsigned char>(c)] && i + 1 < text.size();
        if (!lead && c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(!lead && c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
        if (lead) out += text[++i];
    }
    // Backslashes before the closing quote are doubled.
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::vector<std::string> SplitWindowsCommandLine(std::string_view line, const CodePageLeadBytes& leads) {
    std::vector<std::string> out;
    size_t i = 0;
    auto at = [&](size_t k) { return k < line.size() ? line[k] : '\0'; };
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    // Appends the character at i (two bytes for a lead byte) and steps past it.
    auto take = [&](std::string* text) {
        if (leads[static_cast<unsigned char>(line[i])] && i + 1 < line.size()) *text += line[i++];
        *text += line[i++];
    };
    // The program name: quotes switch quoting, backslashes are themselves.
    std::string program;
    bool quoting = false;
    while (i < line.size() && (quoting || !blank(line[i]))) {
        if (line[i] == '"') {
            quoting = !quoting;
            ++i;
        } else {
            take(&program);
        }
    }
    out.push_back(program);
    for (;;) {
        while (blank(at(i))) ++i;
        if (i >= line.size()) break;
        std::string text;
        quoting = false;
        while (i < line.size()) {
            size_t backslashes = 0;
            while (at(i) == '\\') {
                ++backslashes;
                ++i;
            }
            bool literal = true;
            if (at(i) == '"') {
                if (backslashes % 2 == 0) {
                    if (quoting && at(i + 1) == '"') {
                        ++i;
                    } else {
                        literal = false;
                        quoting = !quoting;
                    }
                }
                backslashes /= 2;
            }
            text.append(backslashes, '\\');
            if (i >= line.size() || (!quoting && blank(line[i]))) break;
            if (literal) {
                take(&text);
            } else {
                ++i;
            }
        }
        out.push_back(text);
    }
    return out;
}

std::string ChildArgument(const char* argument) {
    if (!argument) return std::string();
    size_t length = strlen(argument);
    if (length >= 2 && argument[0] == '"' && argument[length - 1] == '"') {
        return std::string(argument + 1, length - 2);
    }
    return std::string(argument);
}
