// The ADO driver's connection string, kept apart from the Windows calls so
// that its quoting is checked on every platform.
#include "db/driver.h"

namespace {

// A value of an OLE DB connection string. Values that could end the
// attribute or be read as quoting are enclosed in double quotes with inner
// double quotes doubled; every other value stands as it is.
std::string OleDbValue(const std::string& value) {
    bool plain = value.find_first_of(";'\"") == std::string::npos &&
                 (value.empty() || (value.front() != ' ' && value.back() != ' '));
    if (plain) return value;
    std::string quoted = "\"";
    for (char c : value) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

}  // namespace

std::string BuildAdoConnectionString(const std::string& provider, const DBConnectData& data) {
    return "Provider=" + OleDbValue(provider) + ";Data Source=" + OleDbValue(data.server) +
           ";Initial Catalog=" + OleDbValue(data.database) + ";Password=" +
           OleDbValue(data.password) + ";User ID=" + OleDbValue(data.user) + ";";
}
