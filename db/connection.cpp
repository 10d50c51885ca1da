// CdDBConnection's own operations and the driver-based connection.
#include "db/connection.h"

#include <cstring>

#include "db/driver.h"

int CdDBConnection::LastError() { return lastError; }
const char* CdDBConnection::LastMessage() { return lastMessage; }
int CdDBConnection::GetCommandTimeout() { return commandTimeout; }
void CdDBConnection::SetCommandTimeout(int seconds) { commandTimeout = seconds; }
void CdDBConnection::ResetCommandTimeout() { commandTimeout = defaultCommandTimeout; }
int CdDBConnection::RowsAffected() { return rowsAffected; }
bool CdDBConnection::TransactionsEnabled() { return !noTransactions; }

void CdDBConnection::SetTracePath(const char* path) {
    if (!path) path = "";
    size_t n = strnlen(path, sizeof(tracePath) - 1);
    memcpy(tracePath, path, n);
    tracePath[n] = '\0';
}

CdDBDriverConnection::CdDBDriverConnection(std::unique_ptr<DBDriver> d)
    : waitSeconds(nullptr), driver(std::move(d)) {}
CdDBDriverConnection::~CdDBDriverConnection() = default;

int CdDBDriverConnection::Open(const char*, const char*, const char*, const char*, int) {
    return -1001;
}
int CdDBDriverConnection::Close() { return 0; }
bool CdDBDriverConnection::IsOpen() { return false; }
bool CdDBDriverConnection::IsRecordsetOpen() { return false; }
int CdDBDriverConnection::Execute(const char*, const char*, int, char**, int) { return -1101; }
int CdDBDriverConnection::ExecuteProcedure(const char*, char**, char**, int*) { return -1006; }
int CdDBDriverConnection::FieldCount() { return 0; }
int CdDBDriverConnection::FieldName(char*, int) { return -1007; }
int CdDBDriverConnection::GetValueByName(char**, const char*) { return -1008; }
int CdDBDriverConnection::GetValue(char**, int, int*) { return -1008; }
int CdDBDriverConnection::MoveNext() { return -1008; }
bool CdDBDriverConnection::IsEOF() { return true; }
int CdDBDriverConnection::CloseRecordset() { return 0; }
int CdDBDriverConnection::Commit() { return -1101; }
int CdDBDriverConnection::Rollback(int) { return -1005; }
int CdDBDriverConnection::BeginTransaction() { return -1019; }

CdDBConnection* CreateDBConnection(const char*, const char*, const char*) {
    return new CdDBDriverConnection(nullptr);
}
