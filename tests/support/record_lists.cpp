#include "support/record_lists.h"

#include "cs3base/record_io.h"
#include "cs3base/record_list.h"

int LoadListMembers(CS3Index& list, const char* idColumn) {
    CS3DataIO io;
    CS3DataDB* buffer = nullptr;
    int rc = io.PrepareRead(list);
    if (rc == 0) rc = io.BufferOf(list, &buffer);
    return rc == 0 ? list.LoadMembers(*buffer, idColumn) : rc;
}
