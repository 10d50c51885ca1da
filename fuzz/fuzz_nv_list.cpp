// Name-value lists against a plain vector (diff_nv_list.cpp).
#include "differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckNameValueList(in, false);
    return 0;
}
