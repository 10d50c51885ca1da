// Helpers of record classes: form field names.
#include "cs3base/record_field.h"

namespace {

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

bool FieldNameIs(const char* name, const char* expected) {
    if (!name || !expected) return false;
    const unsigned char* a = reinterpret_cast<const unsigned char*>(name);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(expected);
    for (; *a && *b; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b)) return false;
    }
    return *a == *b;
}
