// Hierarchical constant identifiers: company number in 9 digits followed by
// 3-digit segments, one per level.
#include <cstdio>
#include <cstring>
#include <string>

#include "cs3base/field_value.h"
#include "env/environment.h"
#include "util/log.h"

namespace {

const char kTag[] = "cs3string";
const size_t kCompanyDigits = 9;

std::string CompanyRoot() {
    char root[32];
    snprintf(root, sizeof root, "%09d", CompanyNumber());
    return root;
}

}  // namespace

// Stores a text of at least 9 characters and checks its segments.
int CS3ConstIDStr::StoreSegments(const char* text) {
    int ret = SetN(text, static_cast<int>(strlen(text)));
    if (ret != 0) return ret;
    const char* stored = Value();
    size_t length = strlen(stored);
    if (length % 3 != 0) {
        Clear();
        return -66;
    }
    bool digits = stored[0] != '-';
    for (const char* p = stored; digits && *p; ++p) digits = *p >= '0' && *p <= '9';
    if (!digits) {
        TraceError("[%s:%d] val[%s]", kTag, __LINE__, stored);
        Clear();
        return -65;
    }
    return 0;
}

int CS3ConstIDStr::Set(const char* text) {
    if (!text || text[0] == '\0') {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10006;
    }
    if (strlen(text) < kCompanyDigits) return -10007;
    return StoreSegments(text);
}

const char* CS3ConstIDStr::RelativePart() {
    const char* value = Value();
    if (strlen(value) < kCompanyDigits) {
        Clear();
        return Value();
    }
    return value + kCompanyDigits;
}

int CS3ConstIDStr::SetFromRelative(const char* part) {
    if (!part || part[0] == '\0') {
        Clear();
        return 0;
    }
    if (strlen(part) > 1023) return -62;
    return Set((CompanyRoot() + part).c_str());
}

int CS3ConstIDStr::SetParent() {
    std::string parent = Value();
    if (parent.size() < kCompanyDigits + 3) {
        parent.clear();
    } else {
        parent.resize(parent.size() - 3);
    }
    return Set(parent.c_str());
}

bool CS3ConstIDStr::IsRoot() const { return Compare(CompanyRoot().c_str()) == 0; }

int CS3ConstIDStr::DisplayForm(const char* name, NUString& out) const {
    if (!IsEmpty() || !name || strlen(name) + kCompanyDigits > 84) return out.Set(Value());
    std::string shown = CompanyRoot() + " " + name;
    return out.Set(shown.c_str());
}

int CS3OrgConstIDStr::Set(const char* text) {
    if (!text || text[0] == '\0') return SetN("", 0);
    if (strlen(text) < kCompanyDigits) return -10007;
    int ret = StoreSegments(text);
    if (ret == -62) ReportLengthViolation("comzlengthbyte", 50);
    return ret;
}
