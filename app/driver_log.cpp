// Decoding the driver log and error records into readable text.
#include "app/driver_log.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <vector>

#include "app/status_codes.h"
#include "app/system_error.h"
#include "util/visible_text.h"

namespace {

// A log line starts with the local time "YYYY/MM/DD hh:mm:ss.mmm ".
constexpr size_t kStampLength = 24;

bool HasStamp(const std::string& line) {
    if (line.size() < kStampLength) return false;
    for (size_t i = 0; i < kStampLength - 1; ++i) {
        char expected = i == 4 || i == 7 ? '/' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : i == 19 ? '.' : '0';
        char c = line[i];
        if (expected == '0' ? !std::isdigit(static_cast<unsigned char>(c)) : c != expected) return false;
    }
    return line[kStampLength - 1] == ' ';
}

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

// A whole decimal number of at most ten digits that fits an int, with an
// optional '-', from text[begin] to the end (or the first non-digit, whose
// index goes to *end). false for anything else.
bool ParseCode(const std::string& text, size_t begin, int* code, size_t* end) {
    size_t i = begin < text.size() && text[begin] == '-' ? begin + 1 : begin;
    size_t digits = i;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == i || digits - i > 10) return false;
    long long value = std::strtoll(text.substr(begin, digits - begin).c_str(), nullptr, 10);
    if (value < INT_MIN || value > INT_MAX) return false;
    *code = static_cast<int>(value);
    *end = digits;
    return true;
}

// The code of a "code:text" or "code:kind:text" line; false when the line
// does not start with a number that fits and a colon.
bool LeadingCode(const std::string& text, int* code) {
    size_t end = 0;
    return ParseCode(text, 0, code, &end) && end < text.size() && text[end] == ':';
}

// Codes of the framework that records carry besides the status codes: the
// name-value files' and the argument table's.
struct RecordCode {
    int code;
    const char* meaning;
};
const RecordCode kRecordCodes[] = {
    {-11, "A directory stands where a name-value file (such as kestrun.sts) is written, or its path is empty."},
    {-12, "A name-value file could not be written completely (disk full or a write error)."},
    {-13, "The written name-value file could not replace the old one (rename failed)."},
    {-14, "A name-value file's lock file could not be opened for reading."},
    {-15, "A name-value file's lock file could not be created or opened (the directory is missing or not "
          "writable, or something else stands at its name)."},
    {-16, "The file does not exist."},
    {-17, "The lock file is held by another program, or this user may not open it (permission denied)."},
    {-18, "The old file stays: the new one could not replace it."},
    {-114, "No free temporary file name, or the name is too long."},
    {-10006, "A required command-line argument is missing or has no value."},
    {-11008, "The configuration file VRNHOME/data/app cannot be read."},
};

const char* MeaningOf(int code) {
    if (const KestrunStatusCode* entry = FindKestrunStatusCode(code)) return entry->meaning;
    for (const RecordCode& entry : kRecordCodes) {
        if (entry.code == code) return entry.meaning;
    }
    return nullptr;
}

// One line of a log: its stamp (empty when none) and the rest, without the
// line end.
struct LogLine {
    std::string stamp;
    std::string text;
};

std::vector<LogLine> SplitLines(const std::string& logText) {
    std::vector<LogLine> lines;
    size_t pos = 0;
    while (pos < logText.size()) {
        size_t end = logText.find('\n', pos);
        if (end == std::string::npos) end = logText.size();
        LogLine line{"", logText.substr(pos, end - pos)};
        pos = end + 1;
        if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
        if (HasStamp(line.text)) {
            line.stamp = line.text.substr(0, kStampLength - 1);
            line.text = line.text.substr(kStampLength);
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool DecodeRecord(const std::string& line, std::string* record) {
    if (line.empty() || line.size() % 2 != 0) return false;
    for (char c : line) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'a' || c > 'f')) return false;
    }
    record->clear();
    for (size_t i = 0; i + 1 < line.size(); i += 2) {
        *record += static_cast<char>(HexValue(line[i]) * 16 + HexValue(line[i + 1]));
    }
    return true;
}

bool IsFailureRecord(const std::string& record) {
    for (const char* field : {"ret[", "ret=[", "errno[", "errno=[", "status[", "dberr=["}) {
        if (record.find(field) != std::string::npos) return true;
    }
    return false;
}

void AppendCodeMeanings(const std::string& text, std::string* out) {
    std::vector<int> seen;
    for (size_t open = text.find("[-"); open != std::string::npos; open = text.find("[-", open + 1)) {
        int code = 0;
        size_t end = 0;
        if (!ParseCode(text, open + 1, &code, &end) || end >= text.size() || text[end] != ']') continue;
        const char* meaning = MeaningOf(code);
        bool known = false;
        for (int s : seen) known = known || s == code;
        if (!meaning || known) continue;
        seen.push_back(code);
        *out += "    " + std::to_string(code) + ": " + meaning + "\n";
    }
    std::vector<int> errnos;
    for (const char* field : {"errno[", "errno=["}) {
        std::string name = field;
        for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
            int value = 0;
            size_t end = 0;
            if (!ParseCode(text, at + name.size(), &value, &end) || value <= 0 || end >= text.size() ||
                text[end] != ']') {
                continue;
            }
            std::string meaning = RecordErrnoText(value);
            bool known = false;
            for (int e : errnos) known = known || e == value;
            if (meaning.empty() || known) continue;
            errnos.push_back(value);
            *out += "    errno " + std::to_string(value) + ": " + VisibleText(meaning) + "\n";
        }
    }
}

std::string DecodeDriverLog(const std::string& logText) {
    std::vector<LogLine> lines = SplitLines(logText);
    std::string out;
    for (size_t n = 0; n < lines.size(); ++n) {
        const LogLine& line = lines[n];
        if (line.text.empty()) continue;
        std::string record;
        if (DecodeRecord(line.text, &record)) {
            // A record's own line feeds stay line feeds in the log: a hex
            // line is never more than one line of text.
            out += "  " + VisibleText(record) + "\n";
            AppendCodeMeanings(record, &out);
            continue;
        }
        int code = 0;
        if (!LeadingCode(line.text, &code)) {
            out += VisibleText((line.stamp.empty() ? "" : line.stamp + " ") + line.text) + "\n";
            continue;
        }
        out += VisibleText((line.stamp.empty() ? "" : line.stamp + " ") + "Run failed with " + line.text) + "\n";
        // The run's cause: the first failure recorded for this code line.
        std::string first;
        for (size_t k = n + 1; k < lines.size() && first.empty(); ++k) {
            int next = 0;
            if (LeadingCode(lines[k].text, &next)) break;
            std::string candidate;
            if (DecodeRecord(lines[k].text, &candidate) && IsFailureRecord(candidate)) first = candidate;
        }
        if (!first.empty()) {
            out += "  First failure: " + VisibleText(first) + "\n";
            AppendCodeMeanings(first, &out);
        }
        const KestrunStatusCode* entry = FindKestrunStatusCode(code);
        // -1000004 after an earlier failure is the commit of a database
        // that the stopped run never opened, not a failure of its own.
        bool consequence = code == kStoppedInInitExit && !first.empty() &&
                           first.find("[CMSApp:20]") == std::string::npos;
        if (consequence) {
            out += "  Meaning: The run stopped before it opened the database; -1000004 is then the commit of "
                   "that unopened database failing. The first failure above is the cause.\n";
        } else if (entry) {
            out += "  Meaning: " + std::string(entry->meaning) + "\n";
            out += "  Check next: " + std::string(entry->check) + "\n";
        }
        out += "Records, in the order they were made:\n";
    }
    return out;
}
