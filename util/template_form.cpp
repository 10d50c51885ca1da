// NUTemplateToOutput, tags: upper-casing, attribute lookup and the filling
// of form controls (form, input, select/option, textarea) from variables.
#include "util/template_output.h"

#include <cstring>
#include <string>

#include "util/nu_string.h"
#include "util/nv_list.h"
#include "util/utf8_text.h"

namespace {

// Separates attributes: a space, or a tab or line end of a tag that spans lines.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// First occurrence of needle within [s, end), or null.
const char* FindIn(const char* s, const char* end, const char* needle) {
    size_t n = strlen(needle);
    if (n == 0) return s;
    for (const char* p = s; p + n <= end; ++p) {
        if (*p == *needle && memcmp(p, needle, n) == 0) return p;
    }
    return nullptr;
}

// Attribute value without its surrounding double quotes.
std::string Unquoted(const char* first, const char* last) {
    if (last < first) return std::string();
    if (*first == '"') {
        ++first;
        if (last >= first && *last == '"') --last;
    }
    if (last < first) return std::string();
    return std::string(first, static_cast<size_t>(last - first + 1));
}

// First marker of the list present in [tag, limit) as a whole attribute
// (followed by a space, '/' or the limit); its length in *length.
const char* FindMarker(const char* tag, const char* limit, const char* const* markers,
                       size_t* length) {
    for (const char* const* m = markers; *m; ++m) {
        size_t len = strlen(*m);
        for (const char* hit = FindIn(tag, limit, *m); hit; hit = FindIn(hit + 1, limit, *m)) {
            if (hit + len == limit || IsBlank(hit[len]) || hit[len] == '/') {
                *length = len;
                return hit;
            }
        }
    }
    return nullptr;
}

const char* TagLimit(const char* tag, int tagLength) {
    const char* gt = static_cast<const char*>(memchr(tag, '>', static_cast<size_t>(tagLength)));
    return gt ? gt : tag + tagLength;
}

const char* const kCheckedMarkers[] = {" checked=\"checked\"", " checked", nullptr};
const char* const kSelectedMarkers[] = {" selected=\"selected\"", " selected", nullptr};

}  // namespace

void NUTemplateToOutput::UppercaseTags(char* s) {
    if (!s) return;
    bool inTag = false;
    bool quoted = false;
    bool inValue = false;
    char* end = s + strlen(s);
    for (char* p = s; p < end;) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x80) {
            // A whole character, or one broken byte: never the '<' after it.
            size_t n = Utf8CharBytes(p, static_cast<size_t>(end - p));
            p += n > 0 ? n : 1;
            continue;
        }
        if (c == '<') {
            inTag = true;
            quoted = false;
            inValue = false;
        } else if (c == '>') {
            inTag = false;
        } else if (inTag) {
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && c == '=') {
                inValue = true;
            } else if (inValue && c == ' ') {
                inValue = false;
            } else if (!quoted && !inValue && c >= 'a' && c <= 'z') {
                *p = static_cast<char>(c - 'a' + 'A');
            }
        }
        ++p;
    }
}

int NUTemplateToOutput::FindAttrIn(const char* tag, const char* tagEnd, const char* attr,
                                   const char** first, const char** last) {
    if (!tag || !attr || !*attr || !first || !last) return -50;
    const char* gt = static_cast<const char*>(memchr(tag, '>', static_cast<size_t>(tagEnd - tag)));
    const char* limit = gt ? gt : tagEnd;
    std::string key = std::string(attr) + "=";
    for (const char* at = FindIn(tag, limit, key.c_str()); at;
         at = FindIn(at + 1, limit, key.c_str())) {
        if (at != tag && !IsBlank(at[-1])) continue;
        const char* v = at + key.size();
        const char* stop;
        if (v < limit && *v == '"') {
            const char* q = static_cast<const char*>(memchr(v + 1, '"', static_cast<size_t>(limit - v - 1)));
            stop = q ? q + 1 : limit;
        } else {
            stop = v;
            while (stop < limit && !IsBlank(*stop)) ++stop;
        }
        *first = v;
        *last = stop - 1;
        return 1;
    }
    return 0;
}

int NUTemplateToOutput::FindAttr(const char* tag, const char* attr, const char** first,
                                 const char** last) {
    if (!tag) return -50;
    return FindAttrIn(tag, tag + strlen(tag), attr, first, last);
}

int NUTemplateToOutput::AttrVariable(const char* tag, const char* attr, const char** value) {
    if (!tag || !attr || !value) return -50;
    const char* first = nullptr;
    const char* last = nullptr;
    int ret = FindAttr(tag, attr, &first, &last);
    if (ret <= 0) return ret;
    std::string name = Unquoted(first, last);
    ret = LookupVar(name.c_str(), value);
    return ret < 0 ? ret : 0;
}

// The variable named by the tag's name attribute: 1 found, 0 not, <0 error.
int NUTemplateToOutput::TagVariable(const char* tag, int tagLength, const char** value) {
    const char* first = nullptr;
    const char* last = nullptr;
    int ret = FindAttrIn(tag, tag + tagLength, "name", &first, &last);
    if (ret <= 0) return ret;
    std::string name = Unquoted(first, last);
    CopyCut(lastInputName, sizeof lastInputName, name.c_str());
    return LookupVar(name.c_str(), value);
}

// Copies the tag, giving attr the value: an existing attr= value is
// replaced by "value" plus a space, else ` attr="value" ` follows word.
int NUTemplateToOutput::AppendFilledTag(char** buf, int* capacity, const char* tag,
                                        int tagLength, const char* word, const char* attr,
                                        const char* value) {
    const char* tagEnd = tag + tagLength;
    size_t wordLength = strlen(word);
    const char* first = nullptr;
    const char* last = nullptr;
    int found = FindAttrIn(tag, tagEnd, attr, &first, &last);
    if (found < 0) return found;
    std::string filled;
    if (found == 1) {
        filled.assign(tag, first);
        filled += "\"";
        filled += value;
        filled += "\" ";
        filled.append(last + 1, tagEnd);
    } else {
        filled.assign(word);
        filled += " ";
        filled += attr;
        filled += "=\"";
        filled += value;
        filled += "\" ";
        filled.append(tag + wordLength, tagEnd);
    }
    return AppendText(buf, capacity, filled.data(), static_cast<int>(filled.size()));
}

// Copies the tag with its marker switched on (addMarker inserted after word
// when no marker is present) or off (the present marker removed).
int NUTemplateToOutput::AppendWithMarker(char** buf, int* capacity, const char* tag,
                                         int tagLength, const char* word, bool on,
                                         const char* const* markers, const char* addMarker) {
    const char* tagEnd = tag + tagLength;
    size_t markerLength = 0;
    const char* at = FindMarker(tag, TagLimit(tag, tagLength), markers, &markerLength);
    std::string filled;
    size_t wordLength = strlen(word);
    if (on && !at) {
        filled.assign(word);
        filled += addMarker;
        filled.append(tag + wordLength, tagEnd);
    } else if (!on && at) {
        filled.assign(tag, at);
        filled.append(at + markerLength, tagEnd);
    } else {
        filled.assign(tag, tagEnd);
    }
    return AppendText(buf, capacity, filled.data(), static_cast<int>(filled.size()));
}

void NUTemplateToOutput::StartSelection() {
    memcpy(currentSelectValue, defaultSelectValue, sizeof currentSelectValue);
    selectionTaken = false;
}

int NUTemplateToOutput::FillForm(char** buf, int* capacity, const char* tag, int tagLength) {
    if (!buf || !capacity || !tag || tagLength < 5) return -50;
    const char* value = nullptr;
    int found = TagVariable(tag, tagLength, &value);
    if (found < 0) return found;
    if (found == 0) return AppendText(buf, capacity, tag, tagLength);
    return AppendFilledTag(buf, capacity, tag, tagLength, "<form", "action", value ? value : "");
}

int NUTemplateToOutput::FillInput(char** buf, int* capacity, const char* tag, int tagLength) {
    if (!buf || !capacity || !tag || tagLength < 6) return -50;
    const char* value = nullptr;
    int found = TagVariable(tag, tagLength, &value);
    if (found < 0) return found;
    if (found == 0) return AppendText(buf, capacity, tag, tagLength);
    if (!value) value = "";
    const char* tagEnd = tag + tagLength;
    const char* first = nullptr;
    const char* last = nullptr;
    std::string type;
    if (FindAttrIn(tag, tagEnd, "type", &first, &last) == 1) type = Unquoted(first, last);
    if (EqualsNoCase(type.c_str(), "checkbox")) {
        return AppendWithMarker(buf, capacity, tag, tagLength, "<input", strcmp(value, "1") == 0,
                                kCheckedMarkers, " checked");
    }
    if (EqualsNoCase(type.c_str(), "radio")) {
        std::string own;
        if (FindAttrIn(tag, tagEnd, "value", &first, &last) == 1) {
            own = Unquoted(first, last).substr(0, 511);
        }
        return AppendWithMarker(buf, capacity, tag, tagLength, "<input", own == value,
                                kCheckedMarkers, " checked");
    }
    return AppendFilledTag(buf, capacity, tag, tagLength, "<input", "value", value);
}

int NUTemplateToOutput::FillSelect(char** buf, int* capacity, const char* tag, int tagLength) {
    if (!buf || !capacity || !tag || tagLength < 1) return -50;
    StartSelection();
    int ret = AppendText(buf, capacity, tag, tagLength);
    if (ret < 0) return ret;
    const char* value = nullptr;
    int found = TagVariable(tag, tagLength, &value);
    if (found < 0) return found;
    if (found == 1) CopyCut(currentSelectValue, sizeof currentSelectValue, value);
    return 0;
}

int NUTemplateToOutput::FillOption(char** buf, int* capacity, const char* tag, int tagLength) {
    if (!buf || !capacity || !tag || tagLength < 7) return -50;
    const char* tagEnd = tag + tagLength;
    size_t markerLength = 0;
    bool marked = FindMarker(tag, TagLimit(tag, tagLength), kSelectedMarkers, &markerLength);
    const char* first = nullptr;
    const char* last = nullptr;
    bool hasValue = FindAttrIn(tag, tagEnd, "value", &first, &last) == 1;
    std::string own = hasValue ? Unquoted(first, last) : std::string();
    // Once an option took the selection, nothing matches any more (not even
    // an empty value against the cleared selection).
    bool selected = !selectionTaken && ((hasValue && own == currentSelectValue) ||
                                        (EqualsNoCase(currentSelectValue, defaultSelectValue) && marked));
    if (selected && !marked) {
        currentSelectValue[0] = '\0';
        selectionTaken = true;
    }
    return AppendWithMarker(buf, capacity, tag, tagLength, "<option", selected, kSelectedMarkers,
                            " selected=\"selected\"");
}

int NUTemplateToOutput::FillTextarea(char** buf, int* capacity, const char* tag, int tagLength) {
    if (!buf || !capacity || !tag || tagLength < 1) return -50;
    int ret = AppendText(buf, capacity, tag, tagLength);
    if (ret < 0) return ret;
    const char* value = nullptr;
    int found = TagVariable(tag, tagLength, &value);
    if (found <= 0) return found;
    ret = AppendText(buf, capacity, "\n", 1);
    if (ret == 0 && value) ret = AppendText(buf, capacity, value, static_cast<int>(strlen(value)));
    return ret < 0 ? ret : 1;
}

