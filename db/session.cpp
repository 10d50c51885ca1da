// S3ComDB: the database session over the environment's connection.
#include "db/session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "db/connection.h"
#include "db/platform.h"
#include "env/environment.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char* const kUnit = "S3ComDB";

// The environment's connection, created on first use; null without
// environment or when it cannot be created.
CdDBConnection* Connection() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return nullptr;
    if (!env->Connection() && env->CreateConnection() != 0) return nullptr;
    return env->Connection();
}

// The same, recording the site when there is none.
CdDBConnection* ConnectionOrLog(int site) {
    CdDBConnection* connection = Connection();
    if (!connection) TraceError("[%s:%d]", kUnit, site);
    return connection;
}

bool SqlTraceOn() {
    CMSioObjApp* env = AppEnvironment();
    return env && env->SqlTrace();
}

int MapRollbackReason(int reason) {
    if (reason >= -54102 && reason <= -54100) return -108;
    if (reason >= -1066 && reason <= -1062) return -1067;
    if (reason == -1060) return -1002;
    return reason;
}

// Lets a provider that looks for the 32-bit common files directory find it
// under the name that can be set from a command shell.
void ExportCommonFilesDirectory() {
    std::string value;
    if (DBGetEnvVar("CommonProgramFiles_x86_", &value) && value.size() < 96) {
        DBSetEnvVar("CommonProgramFiles(x86)", value.c_str());
    }
}

}  // namespace

int DBOpen() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -2000001;
    }
    int result = DBOpenWith(env->DbName(), env->DbPassword(), env->DbServer(), env->DbUser());
    if (result != 0) TraceError("[%s:%d] iret=[%d]", kUnit, __LINE__, result);
    return result;
}

int DBOpenWith(const char* database, const char* password, const char* server, const char* user) {
    if (!user || !*user) return -99;
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    if (connection->IsOpen()) return 0;
    ExportCommonFilesDirectory();
    CMSioObjApp* env = AppEnvironment();
    connection->SetTracePath(env ? env->TraceFileName() : "");
    int result = connection->Open(user, password, server, database, env ? env->DbTimeout() : -1);
    if (result == 0) {
        if (!SqlTraceOn()) return 0;
        result = connection->Execute("ALTER SESSION SET sql_trace=true", nullptr, 0, nullptr, 0);
        if (result != 0) {
            DBClose();
            return result;
        }
        DBCommit();
        return 0;
    }
    TraceError("[%s:%d] iret=[%d] open=[%s:%s:%s] db=[%d:%s]", kUnit, __LINE__, result, user,
               server ? server : "", database ? database : "", connection->LastError(),
               connection->LastMessage());
    return result == -1002 ? -1000002 : -1000001;
}

void DBClose() {
    CdDBConnection* connection = Connection();
    if (!connection) return;
    // The record layer keeps no pending operation-log records in this program.
    if (SqlTraceOn() &&
        connection->Execute("ALTER SESSION SET sql_trace=false", nullptr, 0, nullptr, 0) == 0) {
        DBCommit();
    }
    connection->Close();
}

int DBCommit() {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    int result = connection->Commit();
    if (result == 0) return 0;
    TraceDBError("[%s:%d]ret[%d]", kUnit, __LINE__, result);
    return -1000004;
}

void DBRollback(int reason) {
    CdDBConnection* connection = Connection();
    if (!connection) return;
    int result = connection->Rollback(MapRollbackReason(reason));
    if (result != 0) TraceDBError("[%s:%d]ret[%d]", kUnit, __LINE__, result);
}

int DBLastError(char* message) {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    if (message) {
        CopyCut(message, 4096, connection->LastMessage());
    }
    return connection->LastError();
}

bool IsDBError(int code) {
    return (code >= -1999999 && code <= -1000000) || code == -110 || code == -50;
}

int DBLockTable(const char* table) {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    char sql[1024];
    // A cut statement would lose its lock hint and lock nothing: refuse it.
    if (!table || snprintf(sql, sizeof(sql), " SELECT sid_corporate FROM %s WITH (TABLOCKX)",
                           table) >= static_cast<int>(sizeof(sql))) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    int result = connection->Execute(sql, nullptr, 0, nullptr, 0);
    if (result == 0) return 0;
    if (result == -1015 || result == -1010) {
        TraceDBError("[%s:%d]ret[%d]sql[%s]", kUnit, __LINE__, result, sql);
        return -1000010;
    }
    TraceDBError("[%s][%d]ret[%d]", kUnit, __LINE__, result);
    return -1000006;
}

int DBExecute(char** longParams, const char* sql, int intParam, int longParamCount) {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    char number[16];
    const char* textParam = nullptr;
    if (intParam != 0) {
        snprintf(number, sizeof(number), "%d", intParam);
        textParam = number;
    }
    int result = connection->Execute(sql, textParam, 0, longParams, longParamCount);
    switch (result) {
        case 0:
            return 0;
        case -1110:
            return -110;
        case -1012:
            return -50;
        case -1014:
            return -62;
        case -1043:
            return -10006;
        case -1044:
            return -13014;
        case -1009:
            return -1000009;
        default:
            TraceDBError("[%s:%d]ret[%d]sql[%s]", kUnit, __LINE__, result, sql ? sql : "");
            // Deadlock and time-out are worth retrying; anything else is not.
            return (result == -1015 || result == -1010) ? -1000010 : -1000006;
    }
}

int DBCheckRow() {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    if (!connection->IsOpen()) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -1000020;
    }
    return connection->IsEOF() ? -110 : 0;
}

int DBNext() {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    if (connection->IsEOF()) return -110;
    int result = connection->MoveNext();
    if (result == 0) return 0;
    TraceDBError("[%s:%d]ret[%d]", kUnit, __LINE__, result);
    return -1000008;
}

namespace {

// The session's result of a failed value read of column (-1013 no such
// column, -1110 at the end, -1101 not open, else a failed read).
int ValueReadFailure(CdDBConnection* connection, int result, const char* column) {
    switch (result) {
        case -1110:
            return -110;
        case -1101:
            TraceError("[%s:%d][%s]", kUnit, __LINE__, column);
            return -1000020;
        case -1013:
            if (connection->IsOpen() && connection->IsRecordsetOpen()) {
                return connection->IsEOF() ? -110 : -111;
            }
            TraceError("[%s:%d]", kUnit, __LINE__);
            return -1000020;
        default:
            TraceDBError("[%s:%d] name[%s] ret[%d]", kUnit, __LINE__, column, result);
            return -1000008;
    }
}

// The position of column in the connection's record set, from the cache
// while it holds that record set. Rows are read column after column in
// the same order, so the slot after the last one read is tried first.
int CachedPosition(CdDBConnection* connection, const char* column, DBColumnCache& cache) {
    if (cache.serial != connection->RecordsetSerial()) {
        cache.slots.clear();
        cache.serial = connection->RecordsetSerial();
        cache.next = 0;
    }
    size_t count = cache.slots.size();
    for (size_t tried = 0, i = cache.next; tried < count; ++tried, i = i + 1 == count ? 0 : i + 1) {
        if (strcmp(cache.slots[i].name.c_str(), column) == 0) {
            cache.next = i + 1 == count ? 0 : i + 1;
            return cache.slots[i].position;
        }
    }
    int position = connection->FieldIndex(column);
    cache.slots.push_back({column, position});
    cache.next = 0;
    return position;
}

}  // namespace

int DBGetColumnWith(const char* column, void* target, DBSetTextN setN) {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    if (!column || !target || !setN) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    // The value is read in place: setN makes the only copy.
    const char* value = nullptr;
    int result = connection->PeekValueByName(&value, column);
    if (result != 0) return ValueReadFailure(connection, result, column);
    int stored = setN(target, value ? value : "", value ? static_cast<int>(strlen(value)) : 0);
    if (stored != 0) {
        TraceError("[%s:%d]ret[%d]errno[%d]name[%s]", kUnit, __LINE__, stored, errno, column);
    }
    return stored;
}

int DBPeekColumn(const char* column, DBColumnCache& cache, const char** text, int* length) {
    *text = "";
    *length = 0;
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    if (!column) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    const char* value = nullptr;
    size_t size = 0;
    int result = connection->PeekValue(&value, &size, CachedPosition(connection, column, cache));
    if (result != 0) return ValueReadFailure(connection, result, column);
    if (value) {
        *text = value;
        *length = static_cast<int>(size);
    }
    return 0;
}

int DBGetFirstColumnWith(void* target, DBSetText set, char* columnName) {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (!connection) return -2000001;
    if (!target || !set) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    if (!connection->IsOpen() || !connection->IsRecordsetOpen()) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -1000020;
    }
    if (connection->IsEOF()) return -110;
    if (columnName) {
        int named = connection->FieldName(columnName, 0);
        if (named != 0) {
            TraceDBError("[%s:%d] cnt[%d] ret[%d]", kUnit, __LINE__, connection->FieldCount(),
                         named);
            return connection->IsEOF() ? -110 : -111;
        }
    }
    char* value = nullptr;
    int kind = 0;
    int result = connection->GetValue(&value, 0, &kind);
    switch (result) {
        case 0: {
            int stored = set(target, value ? value : "");
            delete[] value;
            if (stored != 0) TraceError("[%s:%d]ret[%d]errno[%d]", kUnit, __LINE__, stored, errno);
            return stored;
        }
        case -1110:
            return -110;
        case -1013:
            return -111;
        case -1101:
            TraceError("[%s:%d][%d]", kUnit, __LINE__, result);
            return -1000020;
        default:
            TraceDBError("[%s:%d] cnt[%d] ret[%d]", kUnit, __LINE__, connection->FieldCount(),
                         result);
            return -1000008;
    }
}

void DBCloseRecordset() {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    if (connection) connection->CloseRecordset();
}

bool DBIsRecordsetOpen() {
    CdDBConnection* connection = ConnectionOrLog(__LINE__);
    return connection && connection->IsRecordsetOpen();
}

void DBSetTimeout(int seconds) {
    CdDBConnection* connection = Connection();
    if (connection) connection->SetCommandTimeout(seconds);
}

void DBResetTimeout() {
    CdDBConnection* connection = Connection();
    if (connection) connection->ResetCommandTimeout();
}

int DBOperationHook(const char*, int, int, const char*) {
    // No operation log exists in this program: nothing to forward.
    return 0;
}
