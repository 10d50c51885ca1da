// ODBC drivers of the host for tests.
#include "support/odbc_driver.h"

#include <filesystem>

#include "db/platform.h"
#include "support/temp_dir.h"

std::string FindOdbcLibrary(const char* file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* root : {"/usr/lib", "/usr/lib64", "/usr/local/lib"}) {
        for (const char* sub : {"", "/odbc"}) {
            fs::path direct = fs::path(root + std::string(sub)) / file;
            if (fs::exists(direct, ec)) return direct.string();
        }
        for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
            fs::path candidate = it->path() / "odbc" / file;
            if (fs::exists(candidate, ec)) return candidate.string();
        }
    }
    return "";
}

bool RegisterOdbcDriver(const TempDir& dir, const char* name, const std::string& library) {
    return WriteWholeFile(dir.file("odbcinst.ini"), std::string("[") + name + "]\nDriver=" + library + "\n") &&
           DBSetEnvVar("ODBCSYSINI", dir.path().c_str()) == 0 && DBSetEnvVar("ODBCINSTINI", "odbcinst.ini") == 0;
}
