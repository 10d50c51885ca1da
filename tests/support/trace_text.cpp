// Decoding the hex-encoded error trace in tests.
#include "support/trace_text.h"

#include <cctype>

std::string DecodeHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

std::string DecodeTrace(const std::string& logText) {
    std::string text;
    size_t pos = 0;
    while (pos < logText.size()) {
        size_t end = logText.find('\n', pos);
        if (end == std::string::npos) end = logText.size();
        std::string line = logText.substr(pos, end - pos);
        pos = end + 1;
        // Text files end their lines with CR LF on Windows.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A log line starts with "YYYY/MM/DD hh:mm:ss.mmm ".
        if (line.size() >= 24 && line[4] == '/' && line[10] == ' ' && line[23] == ' ') {
            line = line.substr(24);
        }
        bool hex = line.size() % 2 == 0;
        for (char c : line) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
        text += hex ? DecodeHex(line) : line;
        text += '\n';
    }
    return text;
}
