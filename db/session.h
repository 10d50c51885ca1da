// S3ComDB: the database session, free functions over the process's one
// connection (held by the environment), with the framework's result codes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Opens with the configured server, database, user and password.
// 0; -1000001 open failed; -1000002 network error or time-out; -99 no user;
// -2000001 no environment or connection object.
int DBOpen();
// Opens unless already open (then 0 at once). Results as DBOpen; with
// "sqltrace" on, a rejected trace statement closes again and gives the
// connection's code.
int DBOpenWith(const char* database, const char* password, const char* server, const char* user);
// Closes the connection; an open transaction is rolled back.
void DBClose();
// 0; -1000004 commit failed; -2000001.
int DBCommit();
// Rolls back; reason travels (mapped) to the connection's callback.
void DBRollback(int reason);
// Copies the connection's last message into message (4096 bytes; nothing
// when null) and returns its last error code; -2000001 without connection.
int DBLastError(char* message);
// True for -1999999..-1000000, -110 and -50.
bool IsDBError(int code);
// Takes an exclusive lock on table until the transaction ends.
// 0; -1000010 deadlock or time-out; -1000006; -99 null table.
int DBLockTable(const char* table);
// Runs sql; intParam, when non-zero, binds as decimal text before the
// long parameters. 0; -110 no row changed; -50 duplicate key; -62, -10006,
// -13014, -1000009, -1000010, -1000006.
int DBExecute(char** longParams, const char* sql, int intParam, int longParamCount);
// 0 while a row is current; -110 at the end; -1000020 not open.
int DBCheckRow();
// 0; -110 already at the end; -1000008 moving failed.
int DBNext();
// Result-row access for any string object with SetN / Set (NUString, the
// record layer's field values): these take the setter as a function.
using DBSetTextN = int (*)(void* target, const char* text, int length);
using DBSetText = int (*)(void* target, const char* text);
// Stores the named column of the current row (NULL as "") through setN.
// 0; -110 at the end; -111 no such column; -99; -1000020; -1000008; or
// the setter's failure.
int DBGetColumnWith(const char* column, void* target, DBSetTextN setN);
// Stores column 0 through set and its name into columnName (256 bytes)
// when not null. 0; -110; -111; -1000020; -1000008; or the setter's failure.
int DBGetFirstColumnWith(void* target, DBSetText set, char* columnName);

// Where the columns read by name from one record set lie, learnt on the
// first read of each name (the first column of that name, letter case
// ignored) and kept while the connection holds that record set.
struct DBColumnCache {
    struct Slot {
        std::string name;
        int position;
    };
    std::vector<Slot> slots;
    unsigned long long serial = 0;
    size_t next = 0;  // the slot tried first: the one after the last read
};
// As DBGetColumnWith without the copy: *text points at the named column's
// value in the current row (NUL-terminated; "" for NULL), *length bytes
// long, until the row changes. Same results but the setter's.
int DBPeekColumn(const char* column, DBColumnCache& cache, const char** text, int* length);

template <class S>
int DBGetColumn(const char* column, S* out) {
    return DBGetColumnWith(column, out, [](void* t, const char* text, int length) {
        return static_cast<S*>(t)->SetN(text, length);
    });
}
template <class S>
int DBGetFirstColumn(S* out, char* columnName) {
    return DBGetFirstColumnWith(
        out, [](void* t, const char* text) { return static_cast<S*>(t)->Set(text); }, columnName);
}

void DBCloseRecordset();
bool DBIsRecordsetOpen();
void DBSetTimeout(int seconds);
void DBResetTimeout();
// The connection's callback. Maps the connection's codes to session codes
// for the operation log; this program has none, so it returns 0.
int DBOperationHook(const char* what, int result, int detail, const char* message);
