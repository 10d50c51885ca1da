// The catalogs' indexed name-value list against a plain vector searched from
// the front (diff_nv_list.cpp).
#include "differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckNameValueList(in, true);
    return 0;
}
