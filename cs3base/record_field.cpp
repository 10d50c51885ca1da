// Helpers of record classes: form field names.
#include "cs3base/record_field.h"

#include "util/utf8_text.h"

bool FieldNameIs(const char* name, const char* expected) {
    return name && expected && EqualsNoCase(name, expected);
}
