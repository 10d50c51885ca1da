// Decoding the driver log and error records into readable text.
#include "app/driver_log.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/status_codes.h"

namespace {

// A log line starts with the local time "YYYY/MM/DD hh:mm:ss.mmm ".
constexpr size_t kStampLength = 24;

bool HasStamp(const std::string& line) {
    return line.size() >= kStampLength && line[4] == '/' && line[7] == '/' && line[10] == ' ' &&
           line[13] == ':' && line[19] == '.' && line[23] == ' ';
}

// A record of the error trace: lowercase hex digits in pairs.
bool IsHexRecord(const std::string& text) {
    if (text.empty() || text.size() % 2 != 0) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'a' || c > 'f')) return false;
    }
    return true;
}

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

std::string DecodeHex(const std::string& hex) {
    std::string text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        text += static_cast<char>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1]));
    }
    return text;
}

// The code of a "code:text" or "code:kind:text" line; false when the line
// does not start with a number and a colon.
bool LeadingCode(const std::string& text, int* code) {
    size_t i = text[0] == '-' ? 1 : 0;
    size_t digits = i;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == i || digits >= text.size() || text[digits] != ':') return false;
    *code = std::atoi(text.substr(0, digits).c_str());
    return true;
}

}  // namespace

void AppendCodeMeanings(const std::string& text, std::string* out) {
    std::vector<int> seen;
    for (size_t open = text.find("[-"); open != std::string::npos; open = text.find("[-", open + 1)) {
        size_t end = open + 2;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == open + 2 || end >= text.size() || text[end] != ']' || end - open > 12) continue;
        int code = std::atoi(text.substr(open + 1, end - open - 1).c_str());
        const KestrunStatusCode* entry = FindKestrunStatusCode(code);
        bool known = false;
        for (int s : seen) known = known || s == code;
        if (!entry || known) continue;
        seen.push_back(code);
        *out += "    " + std::to_string(code) + ": " + entry->meaning + "\n";
    }
}

std::string DecodeDriverLog(const std::string& logText) {
    std::string out;
    size_t pos = 0;
    while (pos < logText.size()) {
        size_t end = logText.find('\n', pos);
        if (end == std::string::npos) end = logText.size();
        std::string line = logText.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string stamp;
        if (HasStamp(line)) {
            stamp = line.substr(0, kStampLength - 1);
            line = line.substr(kStampLength);
        }
        if (line.empty()) continue;
        if (IsHexRecord(line)) {
            // A record's own line feeds stay line feeds in the log: a hex
            // line is never more than one line of text.
            std::string record = DecodeHex(line);
            out += "  " + record + "\n";
            AppendCodeMeanings(record, &out);
            continue;
        }
        int code = 0;
        if (LeadingCode(line, &code)) {
            out += (stamp.empty() ? std::string() : stamp + " ") + "Run failed with " + line + "\n";
            const KestrunStatusCode* entry = FindKestrunStatusCode(code);
            if (entry) {
                out += "  Meaning: " + std::string(entry->meaning) + "\n";
                out += "  Check next: " + std::string(entry->check) + "\n";
            }
            out += "Records, in the order they were made:\n";
            continue;
        }
        out += line + "\n";
    }
    return out;
}

bool ReadLogFile(const std::string& path, std::string* text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    text->clear();
    char buffer[8192];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
    bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}
