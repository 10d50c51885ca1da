// Test databases made from the shipped schema script.
#include "support/schema_db.h"

#include "support/sqlite_db.h"
#include "support/temp_dir.h"

std::string SchemaScript() {
    return ReadWholeFile(std::string(KESTRUN_SOURCE_DIR) + "/data/schema/sqlite.sql");
}

std::string MakeSchemaDatabase(const std::string& path) {
    std::string script = SchemaScript();
    if (script.empty()) return "data/schema/sqlite.sql cannot be read";
    return MakeSqliteDb(path, script);
}
