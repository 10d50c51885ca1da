// Loading a provider's library at run time: what a missing library or a
// missing entry point tells.
#include <gtest/gtest.h>

#include <string>

#include "db/library.h"

TEST(DBLoadLibrary, AMissingLibraryOrEntryPointIsNamed) {
    struct Case {
        const char* file;
        const char* name;
        const char* expected;  // the start of the reason; "" for success
    };
    const Case cases[] = {
        {"libc.so.6", "strlen", ""},
        {"libkestrun-absent.so.0", "strlen", "the test library cannot be loaded: "},
        {"libc.so.6", "kestrun_absent_entry",
         "the test library (libc.so.6) lacks kestrun_absent_entry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + std::string(" ") + c.name);
        const char* names[] = {c.name};
        void* found[1] = {};
        std::string reason = DBLoadLibrary(c.file, "the test library", names, found, 1);
        EXPECT_EQ(reason.substr(0, std::string(c.expected).size()), c.expected);
        EXPECT_EQ(reason.empty(), *c.expected == '\0');
        EXPECT_EQ(found[0] != nullptr, *c.expected == '\0');
    }
}
