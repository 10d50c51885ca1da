// S3ComDB: the database session over the environment's connection.
#include "db/session.h"

int DBOpen() { return -2000001; }
int DBOpenWith(const char*, const char*, const char*, const char* user) {
    if (!user || !*user) return -99;
    return -2000001;
}
void DBClose() {}
int DBCommit() { return -2000001; }
void DBRollback(int) {}
int DBLastError(char* message) {
    if (message) message[0] = '\0';
    return -2000001;
}
bool IsDBError(int code) { return (code >= -1999999 && code <= -1000000) || code == -110 || code == -50; }
int DBLockTable(const char* table) { return table ? -2000001 : -99; }
int DBExecute(char**, const char*, int, int) { return -2000001; }
int DBCheckRow() { return -2000001; }
int DBNext() { return -2000001; }
int DBGetColumnWith(const char* column, void*, DBSetTextN) { return column ? -2000001 : -99; }
int DBGetFirstColumnWith(void*, DBSetText, char*) { return -2000001; }
void DBCloseRecordset() {}
bool DBIsRecordsetOpen() { return false; }
void DBSetTimeout(int) {}
void DBResetTimeout() {}
int DBOperationHook(const char*, int, int, const char*) { return 0; }
