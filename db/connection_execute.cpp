// The driver connection's statements, procedures and record set access.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/connection_internal.h"
#include "db/driver.h"
#include "db/statement_text.h"
#include "db/utf16.h"
#include "util/date_time.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

// Largest piece of a long parameter sent at once, in UTF-16 units.
constexpr size_t kChunkUnits = 40959;
// Statements that take this long (milliseconds) or longer count as slow.
constexpr long long kSlowMillis = 100;

bool StartsWith(const char* text, const char* prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

bool IsUpdateOrDelete(const char* sql) {
    return StartsWith(sql, "update ") || StartsWith(sql, "UPDATE ") ||
           StartsWith(sql, "delete ") || StartsWith(sql, "DELETE ");
}

// Splits text into pieces of at most kChunkUnits units. A piece never ends
// between the two halves of a surrogate pair, so each piece is valid text
// for drivers that convert piece by piece.
std::vector<std::u16string> SplitIntoChunks(const std::u16string& text) {
    std::vector<std::u16string> chunks;
    size_t at = 0;
    while (at < text.size()) {
        size_t n = std::min(kChunkUnits, text.size() - at);
        if (at + n < text.size() && n > 1 && text[at + n - 1] >= 0xD800 &&
            text[at + n - 1] <= 0xDBFF) {
            --n;
        }
        chunks.push_back(text.substr(at, n));
        at += n;
    }
    return chunks;
}

// Result of a failed statement from the database's native error.
int MapExecuteError(int error) {
    switch (error) {
        case 2601:
        case 2627:
            return -1012;
        case 547:
            return -1009;
        case 1205:
            return -1015;
        case kTimeoutError:
            return -1010;
        case 170:
            return -1016;
        case 515:
            return -1043;
        case 8115:
            return -1044;
        case 8152:
            return -1014;
        case 7601:
            return -1017;
        case 7619:
            return -1018;
        case kDBDriverBadText:
            return -1040;
        default:
            return error >= 50000 ? -1009 : -1006;
    }
}

}  // namespace

void CdDBDriverConnection::TraceStatement(long long elapsed, const char* sql, bool failed) {
    bool slow = !failed && elapsed >= kSlowMillis;
    if (TraceOn()) {
        if (slow) {
            std::string warnPath = std::string(tracePath) + ".warn";
            SetLogPath(warnPath.c_str(), nullptr);
            LogAppend("%lld \"%s\"\n", elapsed, sql);
        }
        SetLogPath(tracePath, nullptr);
        LogAppend("%lld \"%s\"\n", elapsed, sql);
    } else if (slow && slowWarn) {
        LogAppend("[WARN] %lld \"%s\"\n", elapsed, sql);
    }
}

int CdDBDriverConnection::Execute(const char* sql, const char* textParam, int, char** longParams,
                                  int longParamCount) {
    rowsAffected = 0;
    if (!sql) return -1099;
    if (!IsOpen()) return -1101;
    bool timed = TraceOn() || slowWarn;
    long long start = timed ? NowMillis() : 0;
    CloseRecordset();
    if (!IsReadOnlyStatement(sql)) {
        int begun = BeginTransaction();
        if (begun != 0) return begun;
    }
    std::u16string wide;
    if (!Utf8ToUtf16(sql, &wide)) return -1040;
    std::vector<DBParam> params;
    if (textParam) {
        DBParam p;
        p.type = DBParam::Type::Char;
        p.text = textParam;
        params.push_back(std::move(p));
    }
    for (int i = 0; longParams && i < longParamCount; ++i) {
        if (!longParams[i]) continue;
        if (!Utf8ToUtf16(longParams[i], &wide)) return -1040;
        DBParam p;
        p.type = DBParam::Type::LongText;
        p.chunks = SplitIntoChunks(wide);
        params.push_back(std::move(p));
    }
    std::unique_ptr<DBRecordSet> result;
    long long affected = -1;
    int status = driver->Execute(sql, false, params, commandTimeout >= 0 ? commandTimeout : -1,
                                 &result, &affected);
    long long elapsed = timed ? NowMillis() - start : 0;
    bool paramLine = TraceOn() && textParam && *textParam;
    if (status != 0) {
        TraceStatement(elapsed, sql, true);
        if (paramLine) LogAppend("param=[%s]\n", textParam);
        ReportError(status);
        CheckTransaction();
        int mapped = MapExecuteError(lastError);
        if (mapped == -1006) {
            LogAppend("DB access:sql[%s]sts[%d]err[%s]\n", sql, lastError, lastMessage);
        }
        Notify(sql, mapped, lastError, lastMessage);
        return mapped;
    }
    SetRecordset(std::move(result));
    TraceStatement(elapsed, sql, false);
    if (paramLine) LogAppend("param=[%s]\n", textParam);
    TakeAheadFailure();
    if (IsUpdateOrDelete(sql)) {
        rowsAffected = affected > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(affected);
        Notify(sql, 0, rowsAffected, nullptr);
        return rowsAffected == 0 ? -1110 : 0;
    }
    Notify(sql, 0, 0, nullptr);
    return 0;
}

int CdDBDriverConnection::ExecuteProcedure(const char* name, char** paramNames,
                                           char** paramValues, int* paramIsInteger) {
    if (!name) return -1099;
    bool timed = TraceOn() || slowWarn;
    long long start = timed ? NowMillis() : 0;
    CloseRecordset();
    if (!IsOpen()) return -1101;
    // A procedure may change data: not outside a transaction the caller
    // believes open.
    if (TransactionLost()) {
        ReportLostTransaction();
        Notify(name, -1006, lastError, lastMessage);
        return -1006;
    }
    std::vector<DBParam> params;
    std::vector<int> integerFlags;
    for (int i = 0; paramNames && paramNames[i]; ++i) {
        integerFlags.push_back(paramIsInteger ? paramIsInteger[i] : 0);
        DBParam p;
        p.type = integerFlags.back() != 0 ? DBParam::Type::Integer : DBParam::Type::Char;
        p.name = paramNames[i];
        p.text = (paramValues && paramValues[i]) ? paramValues[i] : "";
        params.push_back(std::move(p));
    }
    std::unique_ptr<DBRecordSet> result;
    long long affected = -1;
    int status = driver->Execute(name, true, params, commandTimeout > 0 ? commandTimeout : -1,
                                 &result, &affected);
    long long elapsed = timed ? NowMillis() - start : 0;
    TraceStatement(elapsed, name, status != 0);
    if (TraceOn()) {
        for (size_t i = 0; i < params.size(); ++i) {
            LogAppend("[%s]=[%d]\n", params[i].name.c_str(), integerFlags[i]);
        }
    }
    if (status != 0) {
        ReportError(status);
        CheckTransaction();
        LogAppend("DB access:sql[%s]sts[%d]err[%s]\n", name, lastError, lastMessage);
        // A name or value that is no text of the code page went nowhere.
        int mapped = lastError == kDBDriverBadText ? -1040 : -1006;
        Notify(name, mapped, lastError, lastMessage);
        return mapped;
    }
    SetRecordset(std::move(result));
    TakeAheadFailure();
    return 0;
}

bool CdDBDriverConnection::IsRecordsetOpen() { return recordset != nullptr; }

int CdDBDriverConnection::FieldCount() { return recordset ? recordset->FieldCount() : 0; }

int CdDBDriverConnection::FieldName(char* out, int index) {
    if (!recordset || !out) return -1007;
    const char* name = recordset->FieldName(index);
    if (!name) return -1007;
    CopyCutChars(out, 256, name);
    return 0;
}

int CdDBDriverConnection::GetValueByName(char** out, const char* column) {
    return ReadValue(out, -1, column, nullptr);
}

int CdDBDriverConnection::GetValue(char** out, int index, int* kind) {
    return ReadValue(out, index, nullptr, kind);
}

int CdDBDriverConnection::PeekValueByName(const char** text, const char* column) {
    size_t size = 0;
    return PeekFound(text, &size, -1, column);
}

int CdDBDriverConnection::PeekValue(const char** text, size_t* size, int index) {
    return PeekFound(text, size, index, nullptr);
}

int CdDBDriverConnection::PeekFound(const char** text, size_t* size, int index, const char* column) {
    if (!text || !size) return -1099;
    *text = nullptr;
    *size = 0;
    DBValue value;
    int result = FindValue(index, column, &value, nullptr);
    if (result == 0) {
        *text = value.text;
        *size = value.size;
    }
    return result;
}

int CdDBDriverConnection::FieldIndex(const char* name) {
    return recordset ? recordset->FieldIndex(name) : -1;
}

int CdDBDriverConnection::FindValue(int index, const char* column, DBValue* value, int* type) {
    if (!recordset) return -1008;
    if (column) index = recordset->FieldIndex(column);
    if (index < 0 || index >= recordset->FieldCount()) return -1013;
    if (!IsOpen()) return -1101;
    if (recordset->IsEOF()) return -1110;
    if (type) *type = recordset->FieldType(index);
    int status = recordset->Value(index, value);
    if (status == 0) return 0;
    if (status == kDBDriverBadText) return -1040;
    ReportError(status);
    return -1008;
}

int CdDBDriverConnection::ReadValue(char** out, int index, const char* column, int* kind) {
    if (!out) return -1099;
    *out = nullptr;
    DBValue value;
    int type = 0;
    int result = FindValue(index, column, &value, &type);
    if (result != 0) return result;
    int valueKind = (type == kDBTypeDecimal || type == kDBTypeNumeric) ? 1 : 0;
    if (value.text) {
        if (type == kDBTypeLongVarWChar) valueKind = 2;
        char* copy = new (std::nothrow) char[value.size + 1];
        if (!copy) {
            ReportFailure(kDBDriverFailed, "out of memory", driver->Name());
            return -1008;
        }
        memcpy(copy, value.text, value.size);
        copy[value.size] = '\0';
        *out = copy;
    }
    if (kind) *kind = valueKind;
    return 0;
}

int CdDBDriverConnection::MoveNext() {
    if (!recordset || recordset->IsEOF()) {
        ReportFailure(kDBDriverFailed,
                      recordset ? "no current row: the record set is at its end"
                                : "no record set",
                      driver ? driver->Name() : "");
        return -1008;
    }
    int status = recordset->MoveNext();
    if (status == 0) return 0;
    if (ahead.met) {
        // The failure met ahead, reported and checked when it was met.
        lastError = ahead.error;
        CopyCutChars(lastMessage, sizeof(lastMessage), ahead.message.c_str());
        ahead = ReadFailure();
        return -1008;
    }
    ReportError(status);
    CheckTransaction();
    return -1008;
}

bool CdDBDriverConnection::IsEOF() { return !recordset || recordset->IsEOF(); }

int CdDBDriverConnection::CloseRecordset() {
    DropRecordset();
    return 0;
}
