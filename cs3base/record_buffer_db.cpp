// CS3DataDB: the statement buffer, reading its rows from the database
// session's current result set.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "cs3base/field_value.h"
#include "cs3base/record_buffer.h"
#include "cs3base/sql_builder.h"
#include "db/connection.h"
#include "db/session.h"
#include "env/environment.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kUnit[] = "cs3datadb";

// The integer part of a number text ("12.0" -> "12", " 7" -> "7"), as a
// view into text.
std::string_view IntegerText(const char* text) {
    std::string_view s = text;
    size_t start = s.find_first_not_of(" \t");
    s = start == std::string_view::npos ? std::string_view() : s.substr(start);
    size_t end = 0;
    if (end < s.size() && (s[end] == '-' || s[end] == '+')) ++end;
    while (end < s.size() && s[end] >= '0' && s[end] <= '9') ++end;
    if (end < s.size() && s[end] == '.') return s.substr(0, end);
    return s;
}

// Keeps the digits of a date or stamp ("2026-12-06 10:00:00" ->
// "20261206100000"), at most digits of them.
std::string DigitsText(const char* text, int digits) {
    std::string s;
    for (const char* p = text; *p != '\0' && static_cast<int>(s.size()) < digits; ++p) {
        if (*p >= '0' && *p <= '9') s += *p;
    }
    return s;
}

}  // namespace

CS3DataDB::CS3DataDB() = default;
CS3DataDB::~CS3DataDB() = default;

void CS3DataDB::SetTable(const char* text) {
    table = text ? text : "";
    if (table.size() > kTableExpressionMax) table.resize(kTableExpressionMax);
}

int CS3DataDB::NextRow() {
    int rc = DBNext();
    if (rc != 0) return rc;
    return DBCheckRow();
}

int CS3DataDB::PeekColumn(const char* name, const char** text, int* length) {
    if (name == nullptr) {
        TraceError("[%s:%d]name[%s]ret[%d]", kUnit, __LINE__, "", -99);
        return -99;
    }
    int rc = DBPeekColumn(name, columnCache, text, length);
    if (rc != 0 && rc != -110 && rc != -111) {
        TraceError("[%s:%d]name[%s]ret[%d]", kUnit, __LINE__, name, rc);
    }
    return rc;
}

int CS3DataDB::ReadColumn(const char* name, NUString& text) {
    const char* value = nullptr;
    int length = 0;
    int rc = PeekColumn(name, &value, &length);
    return rc != 0 ? rc : text.SetN(value, length);
}

// digits: 0 text as it is, -1 integer part, else the stamp's digit count.
int CS3DataDB::ReadInto(const char* name, CS3String& field, int digits) {
    const char* text = nullptr;
    int length = 0;
    int rc = PeekColumn(name, &text, &length);
    if (rc != 0) return rc;
    // Text and integer columns are stored straight from the read text.
    std::string digitsOnly;
    std::string_view value;
    if (digits == 0) {
        value = std::string_view(text, static_cast<size_t>(length));
    } else if (digits < 0) {
        value = IntegerText(text);
    } else {
        digitsOnly = DigitsText(text, digits);
        value = digitsOnly;
    }
    rc = field.SetN(value.empty() ? "" : value.data(), static_cast<int>(value.size()));
    if (rc != 0) TraceError("[%s:%d]name[%s]ret[%d]", kUnit, __LINE__, name, rc);
    return rc;
}

int CS3DataDB::GetColumnInt(const char* name, CS3String& field) { return ReadInto(name, field, -1); }
int CS3DataDB::GetColumnDate(const char* name, CS3String& field) { return ReadInto(name, field, 8); }
int CS3DataDB::GetColumnDateTime(const char* name, CS3String& field) {
    return ReadInto(name, field, 14);
}
int CS3DataDB::GetColumnPositive(const char* name, CS3String& field) {
    return ReadInto(name, field, -1);
}
int CS3DataDB::GetColumnText(const char* name, CS3String& field) { return ReadInto(name, field, 0); }
int CS3DataDB::GetColumn(const char* name, CS3String& field) { return ReadInto(name, field, 0); }

int CS3DataDB::CurrentColumnInt(int* out) {
    NUString text;
    int rc = ReadColumn("ID", text);
    if (rc != 0) return rc;
    if (out != nullptr) *out = std::atoi(text.Get());
    return 0;
}

int CS3DataDB::CurrentColumn(NUString* nameOut, CS3String& field) {
    CdDBConnection* connection = AppEnvironment() ? AppEnvironment()->Connection() : nullptr;
    if (connection != nullptr && nameOut != nullptr && currentColumn >= 0) {
        char name[256] = "";
        if (connection->FieldName(name, currentColumn) == 0) nameOut->Set(name);
    }
    return ColumnAt(currentColumn < 0 ? 0 : currentColumn, field);
}

int CS3DataDB::SetColumn(const char* name, const char* value, bool, int kind) {
    return CS3Data::SetColumn(name, WithoutCarriageReturns(value ? value : "").c_str(), false, kind);
}

int CS3DataDB::ClearStatement() {
    geList.Clear();
    leList.Clear();
    eqList.Clear();
    neList.Clear();
    likeList.Clear();
    inList.Clear();
    selectList.Clear();
    order.Clear();
    groupBy.clear();
    return 0;
}

int CS3DataDB::SortRows() { return 0; }

int CS3DataDB::Count(int, const char* column) {
    int rc = BuildCount(*this, column);
    if (rc != 0) return rc;
    return ExecuteCount(statement.c_str());
}

int CS3DataDB::Unsupported() {
    TraceError("[%s:%d]", kUnit, __LINE__);
    return -1000024;
}

int CS3DataDB::ColumnAt(int position, CS3String& field) {
    CMSioObjApp* env = AppEnvironment();
    CdDBConnection* connection = env ? env->Connection() : nullptr;
    if (connection == nullptr || !connection->IsOpen() || !connection->IsRecordsetOpen()) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -1000020;
    }
    if (connection->IsEOF()) return -110;
    char* value = nullptr;
    int rc = connection->GetValue(&value, position, nullptr);
    if (rc == -1110) return -110;
    if (rc == -1013) return -111;
    if (rc != 0) {
        TraceDBError("[%s:%d]pos[%d]ret[%d]", kUnit, __LINE__, position, rc);
        return -1000008;
    }
    const char* text = value ? value : "";
    rc = field.SetN(text, static_cast<int>(std::strlen(text)));
    delete[] value;
    return rc;
}
