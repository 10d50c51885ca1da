// Reading a column of the connection's current row as text in tests.
#include "support/db_value.h"

#include <gtest/gtest.h>

#include <cctype>

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

bool SameNameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}
