// Template output, one object rendering several times, against a plain
// reference (diff_template.cpp).
#include "differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckTemplateOutput(in);
    return 0;
}
