// The benchmarks' installation: environment, SQLite session and catalog.
#include "bench_env.h"

#include <string>

#include "env/catalog.h"
#include "env/environment.h"
#include "support/app_home.h"
#include "support/session_db.h"
#include "support/temp_dir.h"

namespace {

std::string ItemsScript() {
    return "CREATE TABLE TM_ITEM (SID_CORPORATE INT NOT NULL, ID INT NOT NULL,"
           " Name NVARCHAR(63), HITS INT DEFAULT 0, PRIMARY KEY (SID_CORPORATE, ID));"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(kBenchItemRows) +
           ") INSERT INTO TM_ITEM (SID_CORPORATE, ID, Name, HITS)"
           " SELECT 1, i, 'item name ' || i, i % 97 FROM n;";
}

std::string MessageCatalog() {
    std::string text;
    for (int i = 1; i <= kBenchMessages; ++i) {
        text += std::to_string(i) + "=E:Message number " + std::to_string(i) +
                " of the catalog, with a little text\n";
    }
    return text;
}

// The home lives until the process ends; the environment goes first.
struct BenchInstallation {
    BenchInstallation() {
        if (!WriteHomeFile(home, "local/ja_JP/message", MessageCatalog())) {
            failure = "cannot write the catalog";
            return;
        }
        failure = OpenSessionDb(home, ItemsScript());
        if (failure.empty() && SetLanguage("ja_JP") != 0) failure = "cannot set the language";
    }
    ~BenchInstallation() { ReleaseEnvironment(); }

    TempDir home;
    std::string failure;
};

BenchInstallation& Installation() {
    static BenchInstallation installation;
    return installation;
}

}  // namespace

const std::string& OpenBenchEnvironment() { return Installation().failure; }

std::string BenchDbPath() { return SessionDbPath(Installation().home); }
