// The ADO driver's connection string: the fixed attribute order, and quoting
// that keeps a value from adding an attribute.
#include <gtest/gtest.h>

#include "db/driver.h"

namespace {

TEST(AdoConnectionString, OrdinaryValuesStandAsTheyAre) {
    DBConnectData data{"vrnl", "pmxq", "db1\\inst", "vrnldb"};
    EXPECT_EQ(BuildAdoConnectionString("SQLOLEDB", data),
              "Provider=SQLOLEDB;Data Source=db1\\inst;Initial Catalog=vrnldb;Password=pmxq;"
              "User ID=vrnl;");
    EXPECT_EQ(BuildAdoConnectionString("MSDASQL", {"", "", "dsn", ""}),
              "Provider=MSDASQL;Data Source=dsn;Initial Catalog=;Password=;User ID=;");
}

TEST(AdoConnectionString, ValuesThatCouldAddAnAttributeAreQuoted) {
    DBConnectData data{"u\"x", "a;Provider=evil", "srv", " db"};
    EXPECT_EQ(BuildAdoConnectionString("SQLOLEDB", data),
              "Provider=SQLOLEDB;Data Source=srv;Initial Catalog=\" db\";"
              "Password=\"a;Provider=evil\";User ID=\"u\"\"x\";");
}

}  // namespace
