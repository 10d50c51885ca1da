// NUTemplateToOutput: loads a template, cuts a section, replaces $name$
// variables and fills HTML form controls from the same variables.
#include "util/template_output.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "util/date_time.h"
#include "util/nu_string.h"
#include "util/nv_list.h"

namespace {

const int kDefaultCapacity = 128;

bool StartsWith(const char* s, const char* end, const char* prefix) {
    size_t n = strlen(prefix);
    return static_cast<size_t>(end - s) >= n && memcmp(s, prefix, n) == 0;
}

// The first c in [p, end), or null.
const char* FindByte(const char* p, const char* end, char c) {
    return p < end ? static_cast<const char*>(memchr(p, c, static_cast<size_t>(end - p))) : nullptr;
}

// False for a tag that can neither open a form control nor close a
// textarea: its first two letters rule out "</textarea>", "<textarea",
// "<form ", "<input ", "<select " and "<option".
bool MayBeControl(const char* tag, int length) {
    if (length < 3) return false;
    switch (tag[1]) {
        case '/':
            return length >= 4 && tag[2] == 't' && tag[3] == 'e';
        case 't':
        case 's':
            return tag[2] == 'e';
        case 'f':
            return tag[2] == 'o';
        case 'i':
            return tag[2] == 'n';
        case 'o':
            return tag[2] == 'p';
        default:
            return false;
    }
}

// True when a '<' stands between lt and the last '>' before it, looking
// back no further than floor, where no tag is open.
bool InsideTag(const char* floor, const char* lt) {
    for (const char* q = lt; q > floor;) {
        --q;
        if (*q == '>') return false;
        if (*q == '<') return true;
    }
    return false;
}

// Lookup answer of a VariableIndex that holds no index.
constexpr int kNotIndexed = -1000;

// The variables by name for one substitution: the first entry of a name
// wins, as with the list's Find. A long list is hashed once, so that a large
// template does not search it once per placeholder; a short one is not
// indexed (Lookup answers kNotIndexed).
class VariableIndex {
public:
    explicit VariableIndex(NUNVList* list) {
        if (!list || list->Count() <= kLinearMax) return;
        for (int i = 0; i < list->Count(); ++i) {
            char* name = nullptr;
            char* value = nullptr;
            if (list->NameAt(i, &name) != 0 || !name || list->ValueAt(i, &value) != 0) continue;
            byName.emplace(name, value);
        }
        indexed = true;
    }
    // 1 with *value set (possibly null), 0 when absent, or kNotIndexed.
    int Lookup(std::string_view name, const char** value) const {
        if (!indexed) return kNotIndexed;
        auto found = byName.find(name);
        if (found == byName.end()) return 0;
        *value = found->second;
        return 1;
    }

private:
    static constexpr int kLinearMax = 8;
    std::unordered_map<std::string_view, const char*> byName;
    bool indexed = false;
};

}  // namespace

// ---- NUOutput ----

bool NUOutput::CanExpand() { return true; }

void NUOutput::Release() { delete this; }

NUOutput::~NUOutput() { free(output); }

int NUOutput::CollectOutput(char* result) {
    size_t add = strlen(result);
    if (!output) {
        output = result;
        outputLength = add;
        outputCapacity = add + 1;
        return 0;
    }
    if (add >= outputCapacity - outputLength) {
        // Doubling keeps the copies of a growing output linear in its size.
        size_t want = outputLength + add + 1;
        if (want < 2 * outputCapacity) want = 2 * outputCapacity;
        char* grown = static_cast<char*>(realloc(output, want));
        if (!grown) {
            free(result);
            return -2;
        }
        output = grown;
        outputCapacity = want;
    }
    memcpy(output + outputLength, result, add + 1);
    outputLength += add;
    free(result);
    return 0;
}

// ---- construction and settings ----

NUTemplateToOutput::NUTemplateToOutput() { ResetTemplate(0); }

NUTemplateToOutput::~NUTemplateToOutput() { DropText(); delete variables; }

void NUTemplateToOutput::DropText() {
    if (text && text != givenText) free(text);
    text = nullptr;
    textLength = 0;
}

void NUTemplateToOutput::ResetTemplate(int capacity) {
    templatePath[0] = '\0';
    startLine = 1;
    lastLine = 0;
    startMarker[0] = '\0';
    endMarker[0] = '\0';
    DropText();
    givenText = nullptr;
    delete variables;
    variables = new NUNVList(capacity < 1 ? kDefaultCapacity : capacity);
    CopyCut(defaultSelectValue, sizeof defaultSelectValue, "-");
    StartSelection();
    messageSource = nullptr;
    keepCase = false;
    lastInputName[0] = '\0';
}

bool NUTemplateToOutput::CanExpand() { return true; }

void NUTemplateToOutput::Release() { delete this; }

int NUTemplateToOutput::Output() { return Render(); }

int NUTemplateToOutput::SetVar(const char* name, const char* value, int escapeLevel) {
    if (!name || !*name) return -50;
    if (!value) value = "";
    char* escaped = nullptr;
    if (escapeLevel > 0) {
        int ret = Escape(value, nullptr, &escaped, escapeLevel);
        if (ret < 0) return ret;
        value = escaped;
    }
    int ret = variables->Add(name, value, static_cast<int>(strlen(value)) + 1);
    free(escaped);
    return ret;
}

int NUTemplateToOutput::RemoveVar(const char* name) { return variables->RemoveByName(name); }

void NUTemplateToOutput::SetTemplateFile(const char* path, bool toBufferAndKeepCase) {
    DropText();
    CopyCut(templatePath, sizeof templatePath, path);
    if (toBufferAndKeepCase) {
        toBuffer = true;
        keepCase = true;
    }
}

void NUTemplateToOutput::SetTemplateText(char* given, bool toBufferAndKeepCase) {
    DropText();
    givenText = given;
    text = given;
    textLength = given ? static_cast<int>(strlen(given)) : 0;
    if (toBufferAndKeepCase) {
        toBuffer = true;
        keepCase = true;
    }
}

void NUTemplateToOutput::SetStartLine(int n) { startLine = n; }
void NUTemplateToOutput::SetLastLine(int n) { lastLine = n; }

void NUTemplateToOutput::SetStartMarker(const char* s) {
    CopyCut(startMarker, sizeof startMarker, s);
}

void NUTemplateToOutput::SetEndMarker(const char* s) { CopyCut(endMarker, sizeof endMarker, s); }

void NUTemplateToOutput::SetMessageSource(NUNVList* source) { messageSource = source; }

void NUTemplateToOutput::SetDefaultSelectValue(const char* s) {
    CopyCut(defaultSelectValue, sizeof defaultSelectValue, s);
}

int NUTemplateToOutput::SetDateVar(const char* name, const char* date) {
    if (date && strlen(date) == 8 && strspn(date, "0123456789") == 8) {
        char formatted[32];
        snprintf(formatted, sizeof formatted, "%04d-%02d-%02d", YearOf(date), DigitsAt4(date),
                 DigitsAt6(date));
        return SetVar(name, formatted, 0);
    }
    return SetVar(name, date, 0);
}

// ---- rendering ----

int NUTemplateToOutput::Render() {
    if (!text) {
        if (!templatePath[0]) return -52;
        char* loaded = nullptr;
        int size = ReadTemplateFile(templatePath, &loaded);
        if (size < 0) return size;
        text = loaded;
        textLength = size;
    }
    char* section = nullptr;
    int ret = SelectSection(&section);
    if (ret < 0) return ret;
    char* result = nullptr;
    ret = Expand(section, &result);
    free(section);
    if (ret < 0) return ret;
    if (!result) return 0;
    if (!toBuffer) {
        TemplateStdoutBinary();
        ret = WriteOut(result);
        free(result);
        return ret;
    }
    return CollectOutput(result);
}

int NUTemplateToOutput::WriteOut(const char* out) {
    fputs(out ? out : "", stdout);
    fflush(stdout);
    return 0;
}

// Reads the whole file through the platform's open; the size is counted by
// reading, so a file that is no regular file still reads what it gives.
int TemplateReadWholeFile(const char* path, char** out) {
    FILE* file = TemplateOpenForReading(path);
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

int NUTemplateToOutput::ReadTemplateFile(const char* path, char** out) {
    if (!path || !*path || !out) return -50;
    return TemplateReadWholeFile(path, out);
}

int NUTemplateToOutput::SelectSection(char** out) {
    if (!out || !text) return -50;
    const char* begin = text;
    const char* end = text + textLength;
    const char* start = begin;
    const char* stop = end;
    bool startFound = false;
    bool endFound = false;
    bool startLost = false;
    int lineNo = 1;
    for (const char* line = begin; line < end; ++lineNo) {
        const char* lf = static_cast<const char*>(memchr(line, '\n', static_cast<size_t>(end - line)));
        const char* next = lf ? lf + 1 : end;
        if (!endFound) {
            if (endMarker[0]) {
                if (StartsWith(line, end, endMarker)) endFound = true;
            } else if (lastLine > 0 && lineNo > lastLine) {
                endFound = true;
            }
            if (endFound) stop = line;
        }
        if (!startFound) {
            if (startMarker[0]) {
                if (StartsWith(line, end, startMarker)) {
                    if (next >= end) {
                        startLost = true;
                        break;
                    }
                    start = next;
                    startFound = true;
                }
            } else if (startLine > 0 && lineNo == startLine) {
                start = line;
                startFound = true;
            }
        }
        if (endFound) break;
        line = next;
    }
    if (startMarker[0] && (!startFound || startLost)) return -56;
    if (endMarker[0] && !endFound) return -57;
    size_t length = stop > start ? static_cast<size_t>(stop - start) : 0;
    char* section = static_cast<char*>(malloc(length + 1));
    if (!section) return -51;
    memcpy(section, start, length);
    section[length] = '\0';
    *out = section;
    return 0;
}

// ---- buffers and escaping ----

// Registers a new work buffer for the life of the scope; see workBuffer.
class NUTemplateToOutput::WorkBufferScope {
public:
    WorkBufferScope(NUTemplateToOutput& owner, char* buffer) : t(owner) {
        t.workBuffer = buffer;
        t.workLength = 0;
    }
    ~WorkBufferScope() { End(); }
    // Before the buffer is freed or handed on.
    void End() {
        t.workBuffer = nullptr;
        t.workLength = 0;
    }
    WorkBufferScope(const WorkBufferScope&) = delete;
    WorkBufferScope& operator=(const WorkBufferScope&) = delete;

private:
    NUTemplateToOutput& t;
};

size_t NUTemplateToOutput::TextLength(const char* buf) const {
    return buf == workBuffer ? workLength : strlen(buf);
}

int NUTemplateToOutput::GrowBuffer(char** buf, int* capacity, int newCapacity) {
    if (!buf || !capacity || newCapacity < 1) return -50;
    size_t used = *buf ? TextLength(*buf) : 0;
    if (used >= static_cast<size_t>(newCapacity)) return -50;
    char* grown = static_cast<char*>(calloc(static_cast<size_t>(newCapacity), 1));
    if (!grown) return -51;
    if (*buf) memcpy(grown, *buf, used);
    if (*buf == workBuffer) workBuffer = grown;
    free(*buf);
    *buf = grown;
    *capacity = newCapacity;
    return 0;
}

int NUTemplateToOutput::AppendText(char** buf, int* capacity, const char* s, int n) {
    if (!buf || !*buf || !capacity || !s || n < 0) return -50;
    return AppendBytes(buf, capacity, s, strnlen(s, static_cast<size_t>(n)));
}

int NUTemplateToOutput::AppendBytes(char** buf, int* capacity, const char* s, size_t add) {
    size_t used = TextLength(*buf);
    if (used + add >= static_cast<size_t>(*capacity)) {
        long long want = 2LL * *capacity + 2LL * static_cast<long long>(add);
        if (want < static_cast<long long>(used + add + 1)) want = static_cast<long long>(used + add + 1);
        if (want > INT_MAX) return -51;
        int ret = GrowBuffer(buf, capacity, static_cast<int>(want));
        if (ret < 0) return ret;
    }
    memcpy(*buf + used, s, add);
    (*buf)[used + add] = '\0';
    if (*buf == workBuffer) workLength = used + add;
    return 0;
}

int NUTemplateToOutput::CharLength(int byte) {
    unsigned char lead = static_cast<unsigned char>(byte);
    if (lead < 0x80) return 1;
    int n = Utf8LeadLength(lead);
    return n > 0 ? n : 1;
}

int NUTemplateToOutput::Escape(const char* s, const char* end, char** out, int level) {
    if (!s || !out || level < 1) return -50;
    if (end && end < s) return -50;
    size_t n = end ? static_cast<size_t>(end - s) + 1 : strlen(s);
    if (n > (static_cast<size_t>(INT_MAX) - 257) / 8) return -51;
    size_t size = 8 * n + 257;
    char* buf = static_cast<char*>(calloc(size, 1));
    if (!buf) return -51;
    size_t limit = size - 1;
    size_t o = 0;
    auto put = [&](const char* piece, size_t len) {
        if (o + len > limit) len = limit - o;
        memcpy(buf + o, piece, len);
        o += len;
    };
    for (size_t i = 0; i < n; ++i) {
        char c = s[i];
        // A whole character passes as it is; a lead byte whose continuation
        // bytes are missing is one byte, so the bytes after it are escaped.
        size_t whole = Utf8CharBytes(s + i, n - i);
        if (whole >= 2) {
            put(s + i, whole);
            i += whole - 1;
            continue;
        }
        if (level >= 2) {
            if (c == '\n') { put("<br>\n", 5); continue; }
            if (c == '\r') continue;
            if (c == ' ' && ((i + 1 < n && s[i + 1] == ' ') ||
                             (i > 0 && (s[i - 1] == '\n' || s[i - 1] == '\t')))) {
                put("&nbsp;", 6);
                continue;
            }
        }
        switch (c) {
            case '&': put("&amp;", 5); break;
            case '"': put("&quot;", 6); break;
            case '<': put("&lt;", 4); break;
            case '>': put("&gt;", 4); break;
            default: put(&c, 1); break;
        }
    }
    *out = buf;
    return 0;
}

// ---- substitution ----

int NUTemplateToOutput::LookupVar(const char* name, const char** value) {
    char* found = nullptr;
    int ret = variables->Find(name, &found);
    if (ret < 0) return ret;
    if (ret == 1) {
        *value = found;
        return 1;
    }
    return 0;
}

int NUTemplateToOutput::Substitute(const char* in, char** out) {
    if (!in || !out) return -50;
    size_t n = strlen(in);
    if (n > (static_cast<size_t>(INT_MAX) - 8193) / 4) return -51;
    int capacity = static_cast<int>(4 * n + 8193);
    // AppendText keeps the text NUL-terminated, so the buffer needs no
    // zero-filling.
    char* buf = static_cast<char*>(malloc(static_cast<size_t>(capacity)));
    if (!buf) return -51;
    buf[0] = '\0';
    WorkBufferScope scope(*this, buf);
    VariableIndex index(variables);
    const char* p = in;
    const char* end = in + n;
    // The pieces are text without NUL (up to strlen), so they are appended
    // by their lengths.
    auto append = [&](const char* piece, size_t length) {
        return AppendBytes(&buf, &capacity, piece, length);
    };
    int ret = 0;
    while (p < end && ret >= 0) {
        const char* dollar = FindByte(p, end, '$');
        if (!dollar) {
            ret = append(p, static_cast<size_t>(end - p));
            break;
        }
        ret = append(p, static_cast<size_t>(dollar - p));
        if (ret < 0) break;
        // The closing '$' must come before the line's end: look for it first,
        // then for an LF in front of it, so that the line is not scanned
        // to its end for every placeholder.
        const char* close = FindByte(dollar + 1, end, '$');
        const char* lf = FindByte(dollar + 1, close ? close : end, '\n');
        if (lf) close = nullptr;
        if (!close) {
            const char* next = lf ? lf + 1 : end;
            ret = append(dollar, static_cast<size_t>(next - dollar));
            p = next;
            continue;
        }
        std::string_view name(dollar + 1, static_cast<size_t>(close - dollar - 1));
        if (name.size() >= 2 && name[0] == 'L' && name[1] == 'L') {
            std::string key(name.substr(2));
            char* word = nullptr;
            int found = messageSource ? messageSource->Find(key.c_str(), &word) : 0;
            if (found < 0) {
                ret = found;
                break;
            }
            const char* piece = (found == 1 && word) ? word : key.c_str();
            ret = append(piece, strlen(piece));
        } else {
            const char* value = nullptr;
            int found = index.Lookup(name, &value);
            if (found == kNotIndexed) found = LookupVar(std::string(name).c_str(), &value);
            if (found < 0) {
                ret = found;
                break;
            }
            if (found == 0) {
                ret = append(dollar, static_cast<size_t>(close - dollar + 1));
            } else if (value) {
                ret = append(value, strlen(value));
            }
        }
        p = close + 1;
    }
    scope.End();
    if (ret < 0) {
        free(buf);
        return ret;
    }
    *out = buf;
    return 0;
}

int NUTemplateToOutput::Expand(const char* in, char** out) {
    if (!in || !out) return -50;
    if (!*in) return 0;
    StartSelection();
    char* substituted = nullptr;
    int ret = Substitute(in, &substituted);
    if (ret < 0) return ret;
    if (!keepCase) UppercaseTags(substituted);
    size_t n = strlen(substituted);
    if (n > static_cast<size_t>(INT_MAX / 2) - 1) {
        free(substituted);
        return -51;
    }
    int capacity = static_cast<int>(2 * n + 2);
    char* buf = static_cast<char*>(malloc(static_cast<size_t>(capacity)));
    if (!buf) {
        free(substituted);
        return -51;
    }
    buf[0] = '\0';
    WorkBufferScope scope(*this, buf);
    const char* p = substituted;
    const char* end = substituted + n;
    // Text and plain tags are copied as they are; they gather in one run
    // from here that is appended when a control tag (or the end) is met.
    const char* run = p;
    bool dropping = false;
    // A tag runs from '<' to the next '>' (else LF, else the last byte), and
    // the next tag starts after it. Instead of walking every tag, only a '<'
    // whose first letters may open a control or close a textarea is looked
    // at (a candidate). It starts a tag unless a '<' stands between it and
    // the '>' before it (InsideTag): every tag that began before that '>'
    // ended there, and the first '<' after it opens a tag that lasts past the
    // candidate. That holds while a '>' follows the candidate; after the
    // text's last '>' the tags are walked one by one from the end of the last
    // tag handled (run).
    bool oneByOne = false;
    // Once no '>' follows, none follows any later tag either.
    bool closeLeft = true;
    while (p < end && ret >= 0) {
        const char* lt = FindByte(p, end, '<');
        if (!lt) break;
        if (!oneByOne) {
            // Its first four bytes decide; a tag shorter than that ends in a
            // byte that none of the letters matches.
            size_t rest = static_cast<size_t>(end - lt);
            if (!MayBeControl(lt, static_cast<int>(rest < 4 ? rest : 4))) {
                p = lt + 1;
                continue;
            }
        }
        const char* close = closeLeft ? FindByte(lt, end, '>') : nullptr;
        if (!close && !oneByOne) {
            oneByOne = true;
            p = run;
            continue;
        }
        if (!oneByOne && InsideTag(run, lt)) {
            p = lt + 1;
            continue;
        }
        if (!close) closeLeft = false;
        if (!close) close = FindByte(lt, end, '\n');
        if (!close) close = end - 1;
        const char* tagEnd = close + 1;
        int tagLength = static_cast<int>(tagEnd - lt);
        if (!dropping && !MayBeControl(lt, tagLength)) {
            p = tagEnd;
            continue;
        }
        if (!dropping) ret = AppendText(&buf, &capacity, run, static_cast<int>(lt - run));
        if (ret < 0) break;
        if (StartsWith(lt, tagEnd, "</textarea>")) {
            dropping = false;
            ret = AppendText(&buf, &capacity, lt, tagLength);
        } else if (dropping) {
            // inside a filled textarea: its template content is replaced
        } else if (StartsWith(lt, tagEnd, "<textarea")) {
            ret = FillTextarea(&buf, &capacity, lt, tagLength);
            if (ret == 1) {
                dropping = true;
                ret = 0;
            }
        } else if (StartsWith(lt, tagEnd, "<form ")) {
            ret = FillForm(&buf, &capacity, lt, tagLength);
        } else if (StartsWith(lt, tagEnd, "<input ")) {
            ret = FillInput(&buf, &capacity, lt, tagLength);
        } else if (StartsWith(lt, tagEnd, "<select ")) {
            ret = FillSelect(&buf, &capacity, lt, tagLength);
        } else if (StartsWith(lt, tagEnd, "<option")) {
            ret = FillOption(&buf, &capacity, lt, tagLength);
        } else {
            ret = AppendText(&buf, &capacity, lt, tagLength);
        }
        p = tagEnd;
        run = p;
    }
    if (ret >= 0 && !dropping && run < end) {
        ret = AppendText(&buf, &capacity, run, static_cast<int>(end - run));
    }
    scope.End();
    free(substituted);
    if (ret < 0) {
        free(buf);
        return ret;
    }
    *out = buf;
    return 0;
}
