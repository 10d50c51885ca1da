// Driver registry, driver error bookkeeping and the record set cursor.
#include "db/driver.h"

#include <map>

#include "db/statement_text.h"
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

DBDriver::~DBDriver() {
    if (openSet) openSet->driver = nullptr;
}

DBDriverFailure DBDriver::TakeFailure() {
    DBDriverFailure taken{std::move(errors), failureCode, std::move(failureMessage),
                  std::move(failureSource), std::move(failureDescription)};
    ClearErrors();
    return taken;
}

void DBDriver::PutFailure(DBDriverFailure failure) {
    errors = std::move(failure.errors);
    failureCode = failure.code;
    failureMessage = std::move(failure.message);
    failureSource = std::move(failure.source);
    failureDescription = std::move(failure.description);
}

void DBDriver::KeepOpenRecordSet() {
    if (!openSet || !openSet->stepping) return;
    DBDriverFailure saved = TakeFailure();
    openSet->KeepRest();
    PutFailure(std::move(saved));
}

bool DBDriver::StatementEndedTransaction(const std::string& sql) {
    TransactionEnd end = StatementTransactionEnd(sql);
    if (end == TransactionEnd::None) return false;
    int open = TransactionOpen();
    return open < 0 ? end == TransactionEnd::Leading : open == 0;
}

void DBDriver::NoteTransactionEnd(const std::string& sql, bool procedure) {
    if (!procedure && StatementEndedTransaction(sql)) transactionEnded = true;
}

int DBDriver::RefuseChangeAfterTransactionEnd(const std::string& sql, bool procedure) {
    if (!procedure && IsReadOnlyStatement(sql.c_str())) return 0;
    return RefuseCommitAfterTransactionEnd();
}

int DBDriver::TransactionAfterFailure() {
    int open = TransactionOpen();
    if (open > 0) return 1;
    transactionEnded = true;
    return open < 0 ? -1 : 0;
}

int DBDriver::RollbackEndedTransaction(int refused, const std::function<int()>& begin,
                                       const std::function<int()>& rollBack) {
    if (refused == 0 || !transactionEnded) return refused;
    DBDriverFailure first = TakeFailure();
    if (begin() == 0 && rollBack() == 0) {
        ClearErrors();
        transactionEnded = false;
        return 0;
    }
    ClearErrors();
    PutFailure(std::move(first));
    transactionEnded = true;
    return refused;
}

int DBDriver::RefuseCommitAfterTransactionEnd() {
    if (!transactionEnded) return 0;
    return Fail(kDBDriverFailed, "the transaction was ended by an earlier statement");
}

void DBDriver::Opened(DBRecordSet* set) {
    KeepOpenRecordSet();
    if (openSet) openSet->driver = nullptr;
    openSet = set;
}

DBRecordSet::DBRecordSet(DBDriver* d) : driver(d) {}

DBRecordSet::~DBRecordSet() {
    if (driver && driver->openSet == this) driver->openSet = nullptr;
}

void DBRecordSet::AddColumn(std::string name, int type) {
    bool first = true;
    for (const std::string& earlier : names) {
        if (EqualsNoCase(earlier.c_str(), name.c_str())) {
            first = false;
            break;
        }
    }
    // The columns whose guess wrapped to column 0 (the last ones) guess
    // this one now, unless an earlier column has its name.
    if (first) {
        for (size_t i = nextGuess.size(); i > 0 && nextGuess[i - 1] == 0; --i) {
            nextGuess[i - 1] = names.size();
        }
    }
    nextGuess.push_back(0);
    names.push_back(std::move(name));
    types.push_back(type);
}

void DBRecordSet::SetType(int index, int type) {
    if (index >= 0 && index < FieldCount()) types[static_cast<size_t>(index)] = type;
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
    if (!name || names.empty()) return -1;
    // Callers read a row's columns in the same order row after row: the
    // column that followed the one found last is tried first. A name is
    // always its first column, so a guess is never a column whose name an
    // earlier one has.
    size_t next = nextGuess[lastFound];
    if (EqualsNoCase(names[next].c_str(), name)) {
        lastFound = next;
        return static_cast<int>(next);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (EqualsNoCase(names[i].c_str(), name)) {
            // The first column of its name: the guess after the last one.
            nextGuess[lastFound] = i;
            lastFound = i;
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DBRecordSet::CellValue(const DBCell& cell, DBValue* value) {
    if (cell.failure != 0) return cell.failure;
    if (cell.badText) return kDBDriverBadText;
    value->text = cell.null ? nullptr : cell.text.c_str();
    value->size = cell.null ? 0 : cell.text.size();
    return 0;
}

int DBRecordSet::Value(int index, DBValue* value) {
    if (onStatement) return StepValue(index, value);
    const DBCell& cell = current[static_cast<size_t>(index)];
    // A read that failed when its row was kept fails again, with its message.
    if (cell.failure != 0 && driver) {
        driver->ClearErrors();
        driver->Fail(cell.failure, cell.text);
    }
    return CellValue(cell, value);
}

int DBRecordSet::Start() {
    stepping = true;
    int result = Step();
    if (result <= 0) {
        stepping = false;
        Release();
        return result;
    }
    current.resize(names.size());
    Capture(&current);
    eof = false;
    result = Step();
    if (result > 0) {
        ahead = true;
    } else {
        Finish(result);
    }
    return 0;
}

void DBRecordSet::Finish(int result) {
    stepping = false;
    onStatement = false;
    Release();
    if (result >= 0) return;
    keptFailure = result;
    if (driver) keptErrors = driver->TakeFailure();
}

int DBRecordSet::KeepRest() {
    if (stepping) {
        if (driver) driver->ClearErrors();
        if (onStatement) {
            Capture(&current);
            onStatement = false;
        }
        if (ahead) {
            DBRow row(names.size());
            Capture(&row);
            kept.push_back(std::move(row));
            ahead = false;
        }
        while (stepping) {
            int result = Step();
            if (result > 0) {
                DBRow row(names.size());
                Capture(&row);
                kept.push_back(std::move(row));
            } else {
                Finish(result);
            }
        }
    }
    if (keptFailure != 0 && driver) driver->PutFailure(keptErrors);
    return keptFailure;
}

int DBRecordSet::TakeAheadFailure() {
    if (keptFailure == 0 || aheadTaken) return 0;
    aheadTaken = true;
    if (driver) driver->PutFailure(keptErrors);
    return keptFailure;
}

int DBRecordSet::MoveNext() {
    if (eof) return 0;
    if (driver) driver->ClearErrors();
    if (!kept.empty()) {
        current = std::move(kept.front());
        kept.pop_front();
        return 0;
    }
    if (ahead) {
        ahead = false;
        onStatement = true;
        return 0;
    }
    if (onStatement) {
        int result = Step();
        if (result > 0) return 0;
        // The failure stays in the driver's errors for the caller.
        stepping = false;
        onStatement = false;
        eof = true;
        Release();
        return result;
    }
    eof = true;
    int result = keptFailure;
    keptFailure = 0;
    if (result != 0 && driver) driver->PutFailure(std::move(keptErrors));
    return result;
}
