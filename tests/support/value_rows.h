// Rows of Set on the typed field values: each row on a fresh value that
// holds "old" (stored without the class's checks), so that a refusal that
// keeps the old value and one that clears it can be told apart.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct SetRow {
    const char* text;  // null: a null text
    int result;
    const char* stored;  // the value afterwards
};

// Runs rows on values of T made from args; what names the class in traces.
template <class T, class... Args>
void ExpectSets(const char* what, const std::vector<SetRow>& rows, Args... args) {
    for (const SetRow& row : rows) {
        SCOPED_TRACE(std::string(what) + " " + ::testing::PrintToString(row.text));
        T value(args...);
        value.CS3String::SetN("old", 3);
        EXPECT_EQ(row.result, value.Set(row.text));
        EXPECT_STREQ(row.stored, value.Value());
    }
}
