// The fault driver: a real driver underneath, one call failed on purpose.
#include "support/fault_driver.h"

#include <memory>
#include <string>
#include <vector>

#include "db/driver.h"
#include "db/sql_dialect.h"

namespace {

std::string innerProvider;
std::string shadowProvider;  // "" without a shadow
DBScriptHooks scriptHooks{};
std::array<int, kDBCallKinds> seen{};
DBCall failCall = DBCall::Prepare;
int failAt = 0;
DBFault failWith = DBFault::Deadlock;
bool met = false;

DBDriverError ErrorOf(DBFault fault, const char* source) {
    // In the order of DBFault.
    static const DBDriverError errors[] = {
        {kDBDriverFailed, "",
         "Transaction (Process ID 57) was deadlocked on lock resources with another process and "
         "has been chosen as the deadlock victim. Rerun the transaction.",
         "40001", 1205},
        {kDBDriverFailed, "",
         "TCP Provider: An existing connection was forcibly closed by the remote host.", "08S01",
         10054},
        {kDBDriverFailed, "",
         "The UPDATE statement conflicted with the CHECK constraint \"CK_ITEM\".", "23000", 547},
        {kDBDriverFailed, "", "Arithmetic overflow error converting expression to data type int.",
         "22003", 8115},
    };
    DBDriverError error = errors[static_cast<int>(fault)];
    error.source = source;
    return error;
}

class FaultDriver final : public DBDriver {
public:
    FaultDriver(std::unique_ptr<DBDriver> d, std::unique_ptr<DBDriver> s)
        : inner(std::move(d)), shadow(std::move(s)) {}

    const char* Name() const override { return inner->Name(); }

    int Open(const DBConnectData& data, int timeout) override {
        lost = false;
        begun = false;
        if (shadow) {
            int result = Adopt(shadow->Open(data, timeout), shadow.get());
            if (result != 0) return result;
        }
        return Adopt(inner->Open(data, timeout));
    }
    bool IsOpen() override { return inner->IsOpen(); }
    int Close() override {
        KeepOpenRecordSet();
        lost = false;
        begun = false;
        if (shadow) shadow->Close();
        return Adopt(inner->Close());
    }

    int Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                long long* recordsAffected) override;

    int BeginTrans() override {
        ClearErrors();
        if (Fails(DBCall::Begin)) return Injected();
        if (shadow) {
            int result = Adopt(shadow->BeginTrans(), shadow.get());
            if (result != 0) return result;
        }
        int result = Adopt(inner->BeginTrans());
        begun = result == 0;
        return result;
    }
    int CommitTrans() override { return End(DBCall::Commit); }
    int RollbackTrans() override { return End(DBCall::Rollback); }
    // A lost server cannot be asked.
    int TransactionOpen() override { return lost ? -1 : inner->TransactionOpen(); }
    bool ConnectionFailure(const DBDriverError& error) const override {
        return error.sqlState == "08S01" || inner->ConnectionFailure(error);
    }

    // Counts a call of kind; true when it is the one to fail, or the server is gone.
    bool Fails(DBCall kind) {
        int n = ++seen[static_cast<int>(kind)];
        if (lost) return true;
        if (failAt == 0 || kind != failCall || n != failAt) return false;
        met = true;
        return true;
    }
    // The failure of a call that Fails chose, as the server leaves it.
    int Injected() {
        ClearErrors();
        bool ends = failWith == DBFault::Deadlock || failWith == DBFault::LostConnection;
        if (!lost && ends && begun) ServerRollback();
        if (failWith == DBFault::LostConnection) lost = true;
        return FailWith(kDBDriverFailed, ErrorOf(lost ? DBFault::LostConnection : failWith, Name()));
    }
    // Takes the result of a call of from (the inner driver when null) and
    // what it recorded.
    int Adopt(int result, DBDriver* from = nullptr) {
        ClearErrors();
        if (result == 0) return 0;
        if (!from) from = inner.get();
        errors = from->Errors();
        failureCode = from->FailureCode();
        failureMessage = from->FailureMessage();
        failureSource = from->FailureSource();
        failureDescription = from->FailureDescription();
        return result;
    }
private:
    // The server ends the victim's transaction, and a lost session's, by
    // itself: SQLite is left in autocommit as after its own rollback; a
    // server behind ODBC does not tell its driver.
    void ServerRollback() {
        begun = false;
        if (shadow) {
            shadow->RollbackTrans();
            scriptHooks.serverRollback();
            return;
        }
        if (innerProvider != "sqlite") {
            inner->RollbackTrans();
            return;
        }
        std::unique_ptr<DBRecordSet> none;
        long long affected = 0;
        inner->Execute("ROLLBACK", false, {}, -1, &none, &affected);
    }

    int End(DBCall kind) {
        ClearErrors();
        KeepOpenRecordSet();
        if (Fails(kind)) return Injected();
        bool commit = kind == DBCall::Commit;
        int result = Adopt(commit ? inner->CommitTrans() : inner->RollbackTrans());
        if (shadow && (result == 0 || !commit)) {
            // The database keeps what the server kept.
            int ended = commit ? shadow->CommitTrans() : shadow->RollbackTrans();
            if (result == 0) result = Adopt(ended, shadow.get());
        }
        if (result == 0) begun = false;
        return result;
    }

    // Runs sql on the shadow database and scripts its result as the inner
    // driver's next answer; outside a transaction the change is committed.
    void RunOnShadow(const std::string& sql, const std::vector<DBParam>& params, int timeout) {
        DBShadowAnswer answer;
        std::unique_ptr<DBRecordSet> rows;
        answer.failure = shadow->Execute(RewriteForSqlite(sql), false, params, timeout, &rows,
                                         &answer.affected);
        if (answer.failure != 0) {
            answer.error = shadow->Errors().empty()
                               ? DBDriverError{answer.failure, shadow->Name(),
                                               shadow->FailureMessage(), "HY000", 0}
                               : shadow->Errors()[0];
        } else if (rows) {
            answer.rows = true;
            for (int c = 0; c < rows->FieldCount(); ++c) answer.columns.push_back(rows->FieldName(c));
            for (; !rows->IsEOF(); rows->MoveNext()) {
                auto& row = answer.values.emplace_back();
                for (int c = 0; c < rows->FieldCount(); ++c) {
                    DBValue value;
                    if (rows->Value(c, &value) == 0 && value.text) {
                        row.emplace_back(std::string(value.text, value.size));
                    } else {
                        row.emplace_back();
                    }
                }
            }
        }
        rows.reset();
        if (!begun) shadow->CommitTrans();
        scriptHooks.answer(answer);
    }

    std::unique_ptr<DBDriver> inner;
    std::unique_ptr<DBDriver> shadow;  // the real database behind a scripted one
    bool lost = false;
    bool begun = false;  // a transaction is open underneath
};

// The inner driver's rows, passed on with moves and value reads counted.
class FaultRecordSet final : public DBRecordSet {
public:
    FaultRecordSet(FaultDriver* d, std::unique_ptr<DBRecordSet> rows)
        : DBRecordSet(d), owner(d), inner(std::move(rows)) {
        for (int i = 0; i < inner->FieldCount(); ++i) AddColumn(inner->FieldName(i), inner->FieldType(i));
    }
    using DBRecordSet::Start;

private:
    int Step() override {
        if (owner->Fails(DBCall::Move)) return owner->Injected();
        if (!started) {
            // The inner set stands on its first row already.
            started = true;
            return inner->IsEOF() ? 0 : 1;
        }
        int result = inner->MoveNext();
        if (result != 0) return owner->Adopt(result);
        return inner->IsEOF() ? 0 : 1;
    }
    void Capture(DBRow* row) override {
        for (size_t c = 0; c < row->size(); ++c) {
            DBCell& cell = (*row)[c];
            DBValue value;
            cell = DBCell();
            cell.failure = StepValue(static_cast<int>(c), &value);
            if (cell.failure != 0) {
                cell.text = owner->Errors().empty() ? owner->FailureMessage()
                                                    : owner->Errors()[0].description;
            } else if (value.text) {
                cell.null = false;
                cell.text.assign(value.text, value.size);
            }
        }
    }
    int StepValue(int index, DBValue* value) override {
        if (owner->Fails(DBCall::Read)) return owner->Injected();
        int result = inner->Value(index, value);
        if (result != 0) return owner->Adopt(result);
        SetType(index, inner->FieldType(index));
        return 0;
    }
    void Release() override { inner.reset(); }

    FaultDriver* owner;
    std::unique_ptr<DBRecordSet> inner;
    bool started = false;
};

int FaultDriver::Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                         int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                         long long* recordsAffected) {
    ClearErrors();
    recordSet->reset();
    *recordsAffected = -1;
    KeepOpenRecordSet();
    if (Fails(DBCall::Prepare)) return Injected();
    bool failAfter = Fails(DBCall::Execute);
    std::unique_ptr<DBRecordSet> rows;
    if (shadow) RunOnShadow(sql, params, commandTimeout);
    // SQLite's ODBC driver speaks SQLite's dialect: the statement goes to
    // it as the embedded driver rewrites it.
    std::string text = innerProvider == "odbc" ? RewriteForSqlite(sql) : sql;
    int result = Adopt(inner->Execute(text, procedure, params, commandTimeout, &rows, recordsAffected));
    if (failAfter) return Injected();
    if (result != 0 || !rows) return result;
    auto set = std::make_unique<FaultRecordSet>(this, std::move(rows));
    Opened(set.get());
    result = set->Start();
    if (result != 0) return result;
    *recordSet = std::move(set);
    return 0;
}

std::unique_ptr<DBDriver> CreateFaultDriver(const DBDriverSettings& settings) {
    std::unique_ptr<DBDriver> inner = CreateDBDriver(innerProvider.c_str(), settings);
    std::unique_ptr<DBDriver> shadow;
    if (!shadowProvider.empty()) {
        shadow = CreateDBDriver(shadowProvider.c_str(), settings);
        if (!shadow) return nullptr;
    }
    if (!inner) return nullptr;
    return std::make_unique<FaultDriver>(std::move(inner), std::move(shadow));
}

}  // namespace

const char* DBCallName(DBCall call) {
    static const char* const names[] = {"prepare", "execute", "move",    "read",
                                        "begin",   "commit",  "rollback"};
    return names[static_cast<int>(call)];
}

const char* DBFaultName(DBFault fault) {
    static const char* const names[] = {"deadlock", "lost connection", "constraint", "overflow"};
    return names[static_cast<int>(fault)];
}

DBDriverError DBFaultError(DBFault fault) { return ErrorOf(fault, "fault"); }

void UseFaultDriverOver(const char* inner) {
    innerProvider = inner;
    shadowProvider.clear();
    RegisterDBDriver("fault", &CreateFaultDriver);
}

void UseFaultDriverOverScripted(const char* inner, const char* shadow, DBScriptHooks hooks) {
    UseFaultDriverOver(inner);
    shadowProvider = shadow;
    scriptHooks = hooks;
}

void ArmDBFault(DBCall call, int at, DBFault fault) {
    seen.fill(0);
    failCall = call;
    failAt = at;
    failWith = fault;
    met = false;
}

const std::array<int, kDBCallKinds>& DBCallCounts() { return seen; }

bool DBFaultMet() { return met; }
