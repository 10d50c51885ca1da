// Driver registry, driver error bookkeeping and the buffered record set.
#include "db/driver.h"

#include <map>

#include "util/utf8_text.h"

namespace {

std::map<std::string, DBDriverFactory>& Registry() {
    static std::map<std::string, DBDriverFactory> registry = [] {
        std::map<std::string, DBDriverFactory> builtIn = {
            {"sqlite", &CreateSqliteDriver},
            {"odbc", &CreateOdbcDriver},
        };
        for (const auto& [name, factory] : PlatformDBDrivers()) builtIn[name] = factory;
        return builtIn;
    }();
    return registry;
}

}  // namespace

void RegisterDBDriver(const char* name, DBDriverFactory factory) {
    if (name && factory) Registry()[name] = factory;
}

std::unique_ptr<DBDriver> CreateDBDriver(const char* name, const DBDriverSettings& settings) {
    if (!name) return nullptr;
    auto found = Registry().find(name);
    if (found == Registry().end()) return nullptr;
    return found->second(settings);
}

void DBDriver::ClearErrors() {
    errors.clear();
    failureCode = 0;
    failureMessage.clear();
    failureSource.clear();
    failureDescription.clear();
}

int DBDriver::FailWith(int code, DBDriverError error) {
    errors.push_back(std::move(error));
    failureCode = code;
    return code;
}

int DBDriver::Fail(int code, std::string message) {
    failureCode = code;
    failureMessage = std::move(message);
    return code;
}

int DBDriver::Fail(int code, std::string message, std::string source, std::string description) {
    failureSource = std::move(source);
    failureDescription = std::move(description);
    return Fail(code, std::move(message));
}

void DBRecordSet::AddColumn(std::string name, int type) {
    names.push_back(std::move(name));
    types.push_back(type);
}

void DBRecordSet::AddRow(Row row) {
    row.resize(names.size());
    rows.push_back(std::move(row));
}

const char* DBRecordSet::FieldName(int index) const {
    if (index < 0 || index >= FieldCount()) return nullptr;
    return names[static_cast<size_t>(index)].c_str();
}

int DBRecordSet::FieldType(int index) const {
    if (index < 0 || index >= FieldCount()) return kDBTypeEmpty;
    return types[static_cast<size_t>(index)];
}

int DBRecordSet::FieldIndex(const char* name) const {
    if (!name) return -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (EqualsNoCase(names[i].c_str(), name)) return static_cast<int>(i);
    }
    return -1;
}

const std::optional<std::string>& DBRecordSet::Value(int index) const {
    return rows[current][static_cast<size_t>(index)];
}

bool DBRecordSet::MoveNext() {
    if (IsEOF()) return false;
    ++current;
    return true;
}

void DBRecordSet::SetType(int index, int type) {
    if (index >= 0 && index < FieldCount()) types[static_cast<size_t>(index)] = type;
}
