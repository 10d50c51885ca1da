// CdDBConnection's own operations, and the driver connection's opening,
// closing, transactions and error reports.
#include "db/connection.h"

#include <cstring>
#include <new>

#include "db/connection_internal.h"
#include "db/driver.h"
#include "db/platform.h"
#include "util/date_time.h"
#include "util/log.h"
#include "util/nu_string.h"

int CdDBConnection::LastError() { return lastError; }
const char* CdDBConnection::LastMessage() { return lastMessage; }
int CdDBConnection::GetCommandTimeout() { return commandTimeout; }
void CdDBConnection::SetCommandTimeout(int seconds) { commandTimeout = seconds; }
void CdDBConnection::ResetCommandTimeout() { commandTimeout = defaultCommandTimeout; }
int CdDBConnection::RowsAffected() { return rowsAffected; }
bool CdDBConnection::TransactionsEnabled() { return !noTransactions; }

void CdDBConnection::SetTracePath(const char* path) {
    CopyCutChars(tracePath, sizeof(tracePath), path);
}

CdDBDriverConnection::CdDBDriverConnection(std::unique_ptr<DBDriver> d)
    : waitSeconds(&DBSleepSeconds), driver(std::move(d)) {}

CdDBDriverConnection::~CdDBDriverConnection() { Close(); }

int CdDBDriverConnection::Open(const char* user, const char* password, const char* server,
                               const char* database, int timeout) {
    if (!user || !password || !server || !database) return -1099;
    long long start = (TraceOn() || slowWarn) ? NowMillis() : 0;
    if (!driver) {
        ReportFailure(kDBDriverFailed, "no database driver for the configured provider", "");
        return -1001;
    }
    DropRecordset();
    inTransaction = false;
    transactionLost = false;
    unreached = ReadFailure();
    DBConnectData data{user, password, server, database};
    commandTimeout = timeout;
    defaultCommandTimeout = timeout;
    for (int attempt = 0; attempt < connectAttempts; ++attempt) {
        int result = driver->Open(data, connectWaitSeconds);
        if (result == 0) {
            if (TraceOn()) {
                SetLogPath(tracePath, nullptr);
                LogAppend("%d \"DB open\"\n", static_cast<int>(NowMillis() - start));
            }
            return 0;
        }
        ReportError(result);
        if (!Unreachable()) break;
        if (attempt + 1 < connectAttempts && waitSeconds) waitSeconds(connectWaitSeconds);
    }
    if (TraceOn()) {
        SetLogPath(tracePath, nullptr);
        LogAppend("%d \"DB open error\"\n", static_cast<int>(NowMillis() - start));
    }
    return Unreachable() ? -1002 : -1001;
}

bool CdDBDriverConnection::Unreachable() const {
    // Native error 11: a network error; -911: a time-out.
    return lastError == 11 || lastError == kTimeoutError || connectionFailure;
}

int CdDBDriverConnection::Close() {
    long long start = TraceOn() ? NowMillis() : 0;
    DropRecordset();
    if (driver && driver->IsOpen()) {
        Rollback(0);
        int result = driver->Close();
        inTransaction = false;
        transactionLost = false;
        unreached = ReadFailure();
        if (result != 0) {
            if (TraceOn()) {
                SetLogPath(tracePath, nullptr);
                LogAppend("%d \"DB close error\"\n", static_cast<int>(NowMillis() - start));
            }
            ReportError(result);
            return -1003;
        }
    }
    if (TraceOn()) {
        SetLogPath(tracePath, nullptr);
        LogAppend("%d \"DB close\"\n", static_cast<int>(NowMillis() - start));
    }
    return 0;
}

bool CdDBDriverConnection::IsOpen() { return driver && driver->IsOpen(); }

int CdDBDriverConnection::BeginTransaction() {
    // A change now would run outside the transaction the caller believes
    // open, and commit on its own.
    if (transactionLost) {
        ReportLostTransaction();
        Notify("BeginTransaction", -1019, lastError, lastMessage);
        return -1019;
    }
    if (inTransaction || noTransactions) return 0;
    TraceLine("TranBegin\n");
    int result = driver ? driver->BeginTrans() : kDBDriverFailed;
    if (result == 0) {
        Notify("BeginTransaction", 0, 0, nullptr);
        inTransaction = true;
        return 0;
    }
    ReportError(result);
    Notify("BeginTransaction", -1019, lastError, lastMessage);
    return -1019;
}

int CdDBDriverConnection::Commit() {
    // A database that was never opened has no connection to commit on: the
    // lifecycle relies on this to fail a run that stopped before opening.
    if (!driver || !driver->IsOpen()) return -1101;
    if (!inTransaction || noTransactions) return 0;
    TraceLine("commit\n");
    KeepRecordset();
    if (transactionLost) {
        ReportLostTransaction();
        Notify("commit", -1004, lastError, lastMessage);
        return -1004;
    }
    // A statement of this transaction failed where its caller never saw
    // it: what the caller believes written may not be.
    const ReadFailure& failed = ahead.met ? ahead : unreached;
    if (failed.met) {
        std::string message = "a record set failed while its rows were read: " + failed.message;
        ReportFailure(failed.error, message.c_str(), driver->Name());
        Notify("commit", -1004, lastError, lastMessage);
        return -1004;
    }
    int result = driver->CommitTrans();
    if (result == 0) {
        Notify("commit", 0, 0, nullptr);
        inTransaction = false;
        return 0;
    }
    ReportError(result);
    CheckTransaction();
    Notify("commit", -1004, lastError, lastMessage);
    return -1004;
}

int CdDBDriverConnection::Rollback(int reason) {
    if (!inTransaction || noTransactions) return 0;
    TraceLine("rollback\n");
    int result = driver ? driver->RollbackTrans() : kDBDriverFailed;
    if (result == 0) {
        Notify("rollback", 0, reason, nullptr);
        inTransaction = false;
        transactionLost = false;
        unreached = ReadFailure();
        return 0;
    }
    ReportError(result);
    Notify("rollback", -1005, lastError, lastMessage);
    return -1005;
}

void CdDBDriverConnection::ReportError(int result) {
    if (!driver) {
        ReportFailure(result, "no database connection", "");
        return;
    }
    if (driver->Errors().empty()) {
        const std::string& source = driver->FailureSource();
        const std::string& description = driver->FailureDescription();
        ReportFailure(result, driver->FailureMessage().c_str(),
                      source.empty() ? driver->Name() : source.c_str(),
                      description.empty() ? nullptr : description.c_str());
        return;
    }
    const std::vector<DBDriverError>& errors = driver->Errors();
    lastError = errors[0].nativeError;
    connectionFailure = driver->ConnectionFailure(errors[0]);
    CopyCutChars(lastMessage, sizeof(lastMessage), errors[0].description.c_str());
    if (errors[0].sqlState == "HYT00") lastError = kTimeoutError;
    for (size_t i = 0; i < errors.size(); ++i) {
        const DBDriverError& e = errors[i];
        LogAppend("******************************[%d]\n", static_cast<int>(i));
        LogAppend("Error      [%d]\n", e.number);
        LogAppend("Description[%s]\n", e.description.c_str());
        LogAppend("Source     [%s]\n", e.source.c_str());
        LogAppend("SQL State  [%s]\n", e.sqlState.c_str());
        LogAppend("NativeError[%d]\n", e.nativeError);
        LogAppend("******************************\n");
    }
}

void CdDBDriverConnection::CheckTransaction() {
    if (!inTransaction || transactionLost || !driver) return;
    int open = driver->TransactionAfterFailure();
    if (open > 0) return;
    transactionLost = true;
    lostError = lastError;
    lostMessage = lastMessage;
    lostHow = open == 0 ? "transaction rolled back by the database"
                        : "transaction taken as rolled back (the database cannot tell)";
    LogAppend("%s: err[%d] msg[%s]\n", lostHow, lostError, lostMessage.c_str());
}

void CdDBDriverConnection::TakeAheadFailure() {
    int status = recordset ? recordset->TakeAheadFailure() : 0;
    if (status == 0) return;
    ReportError(status);
    CheckTransaction();
    ahead = {true, lastError, lastMessage};
}

void CdDBDriverConnection::KeepRecordset() {
    if (!recordset) return;
    recordset->KeepRest();
    TakeAheadFailure();
}

void CdDBDriverConnection::DropRecordset() {
    if (ahead.met && inTransaction && !noTransactions && !unreached.met) unreached = ahead;
    ahead = ReadFailure();
    SetRecordset(nullptr);
}

void CdDBDriverConnection::SetRecordset(std::unique_ptr<DBRecordSet> set) {
    recordset = std::move(set);
    ++recordsetSerial;
}

void CdDBDriverConnection::ReportLostTransaction() {
    std::string message = std::string(lostHow) + " after: " + lostMessage;
    ReportFailure(lostError, message.c_str(), driver ? driver->Name() : "");
}

void CdDBDriverConnection::ReportFailure(int code, const char* message, const char* source,
                                         const char* description) {
    lastError = code;
    connectionFailure = false;
    CopyCutChars(lastMessage, sizeof(lastMessage), message);
    LogAppend("******************************\n");
    LogAppend("Error      [%08lx]\n", static_cast<unsigned long>(static_cast<unsigned>(code)));
    LogAppend("Message    [%s]\n", lastMessage);
    LogAppend("Source     [%s]\n", source ? source : "");
    LogAppend("Description[%s]\n", description ? description : lastMessage);
    LogAppend("******************************\n");
}

void CdDBDriverConnection::Notify(const char* what, int result, int detail,
                                  const char* message) {
    if (callback) callback(what, result, detail, message);
}

void CdDBDriverConnection::TraceLine(const char* line) {
    if (!TraceOn()) return;
    SetLogPath(tracePath, nullptr);
    LogAppend("%s", line);
}

CdDBConnection* CreateDBConnection(const char* provider, const char* dataDir,
                                   const char* odbcDriver, const char* adoProvider) {
    DBDriverSettings settings;
    settings.dataDir = dataDir ? dataDir : "";
    settings.odbcDriver = (odbcDriver && *odbcDriver) ? odbcDriver : "FreeTDS";
    settings.adoProvider = (adoProvider && *adoProvider) ? adoProvider : "SQLOLEDB";
    const char* name = (provider && *provider) ? provider : DefaultDBProvider();
    return new (std::nothrow) CdDBDriverConnection(CreateDBDriver(name, settings));
}
