// UTF-8 search and cuts against walks from the start (diff_utf8.cpp).
#include "differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckUtf8SearchAndCut(in);
    return 0;
}
