// Reading a column of the connection's current row as text in tests.
#include "support/db_value.h"

#include <gtest/gtest.h>

#include "db/connection.h"

std::string ColumnText(CdDBConnection& connection, int index, int* kind) {
    char* out = nullptr;
    int k = -1;
    EXPECT_EQ(connection.GetValue(&out, index, &k), 0);
    if (kind) *kind = k;
    std::string text = out ? out : "NULL";
    delete[] out;
    return text;
}
