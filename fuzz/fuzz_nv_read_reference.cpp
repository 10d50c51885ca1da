// The name-value reader against a line-by-line reference (diff_nv_read.cpp).
#include "differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckNameValueReader(in);
    return 0;
}
