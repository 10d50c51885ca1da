// CS3NURecords and CS3DBNURecords: result sets held as rows of name-value
// lists, read from the database with counting and the top rewrite.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "cs3base/record_list.h"
#include "cs3base/sql_builder.h"
#include "db/connection.h"
#include "db/session.h"
#include "env/environment.h"
#include "util/log.h"
#include "util/nv_list.h"
#include "util/utf8_text.h"

namespace {

const char kUnit[] = "cs3nurecords";

}  // namespace

CS3NURecords::CS3NURecords() : rows(new NURecodes(NURecodes::DeleteAs<NUNVList>)) {}

CS3NURecords::~CS3NURecords() { delete rows; }

void CS3NURecords::Clear() {
    rows->RemoveByName(nullptr);
    columns.clear();
    kinds.clear();
}

int CS3NURecords::RowCount() const { return rows->Count(); }

const char* CS3NURecords::ColumnName(int index) const {
    if (index < 0 || index >= ColumnCount()) return "";
    return columns[static_cast<size_t>(index)].c_str();
}

int CS3NURecords::ColumnKind(int index) const {
    if (index < 0 || index >= ColumnCount()) return -1;
    return kinds[static_cast<size_t>(index)];
}

int CS3NURecords::ColumnIndex(const char* name) const {
    if (name == nullptr) return -1;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (EqualsNoCase(columns[i].c_str(), name)) return static_cast<int>(i);
    }
    return -1;
}

int CS3NURecords::AddColumn(const char* name, int kind) {
    if (name == nullptr) return -99;
    int index = ColumnIndex(name);
    if (index >= 0) {
        kinds[static_cast<size_t>(index)] = kind;
        return index;
    }
    columns.emplace_back(name);
    kinds.push_back(kind);
    return ColumnCount() - 1;
}

int CS3NURecords::RemoveColumn(const char* name) {
    int index = ColumnIndex(name);
    if (index < 0) return -110;
    std::string stored = columns[static_cast<size_t>(index)];
    columns.erase(columns.begin() + index);
    kinds.erase(kinds.begin() + index);
    for (int i = 0; i < RowCount(); ++i) Row(i)->RemoveByName(stored.c_str());
    return 0;
}

int CS3NURecords::AddRow() {
    NUNVList* row = new (std::nothrow) NUNVList();
    if (row == nullptr) return -10;
    if (rows->AddRecord("", row) != 0) {
        delete row;
        return -10;
    }
    return RowCount() - 1;
}

int CS3NURecords::RemoveRow(int index) {
    if (index < 0 || index >= RowCount()) return -99;
    return rows->RemoveAt(index);
}

NUNVList* CS3NURecords::Row(int index) const {
    if (index < 0 || index >= RowCount()) return nullptr;
    return static_cast<NUNVList*>(rows->RecordAt(index));
}

const char* CS3NURecords::Value(int row, const char* name) const {
    NUNVList* list = Row(row);
    char* value = nullptr;
    if (list == nullptr || name == nullptr || list->FindNoCase(name, &value) != 1 ||
        value == nullptr) {
        return "";
    }
    return value;
}

const char* CS3NURecords::ValueAt(int row, int column) const {
    if (column < 0 || column >= ColumnCount()) return "";
    return Value(row, columns[static_cast<size_t>(column)].c_str());
}

int CS3NURecords::SetValue(int row, const char* name, const char* value) {
    NUNVList* list = Row(row);
    if (list == nullptr || name == nullptr) return -99;
    int index = ColumnIndex(name);
    if (index < 0) index = AddColumn(name, kNUColumnText);
    const char* stored = columns[static_cast<size_t>(index)].c_str();
    const char* text = value ? value : "";
    int size = static_cast<int>(std::strlen(text)) + 1;
    int rc = list->SetByName(stored, text, size);
    if (rc == 0) rc = list->Add(stored, text, size);
    return rc < 0 ? -10 : 0;
}

int CS3DBNURecords::LoadFirst() { return LoadListRows(*this); }

int CS3DBNURecords::GetFields(CS3Data& data) {
    CS3DataDB* buffer = dynamic_cast<CS3DataDB*>(&data);
    if (buffer == nullptr) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    Clear();
    totalCount = 0;
    const bool paging = pageSize > 0;
    if (paging) {
        int total = CountAll(*buffer);
        if (total <= 0) return total;
        totalCount = total;
        pageStart = ClampPageStart(pageStart, pageSize, total);
    }
    int rc = ExecuteRecordSelect(*buffer);
    if (rc != 0) return rc;

    CMSioObjApp* env = AppEnvironment();
    CdDBConnection* connection = env ? env->Connection() : nullptr;
    int fields = connection ? connection->FieldCount() : 0;
    // Each result column is read at its own position; one whose name repeats
    // an earlier column's (a join's second "ID") is not kept (-1), so the
    // name keeps the first column's value.
    std::vector<int> kept;
    for (int i = 0; i < fields; ++i) {
        char name[256] = "";
        if (connection->FieldName(name, i) != 0) break;
        kept.push_back(ColumnIndex(name) >= 0 ? -1 : AddColumn(name, kNUColumnText));
    }
    int position = 0, taken = 0, rowsRead = 0;
    while ((rc = DBCheckRow()) == 0) {
        ++rowsRead;
        if (paging && pageStart > 0 && position < pageStart) {
            ++position;
        } else {
            if (paging && taken == pageSize) break;
            int row = AddRow();
            if (row < 0) {
                rc = row;
                break;
            }
            for (size_t i = 0; i < kept.size() && rc == 0; ++i) {
                if (kept[i] < 0) continue;
                CS3String value;
                rc = buffer->ColumnAt(static_cast<int>(i), value);
                if (rc == 0) rc = SetValue(row, ColumnName(kept[i]), value.Value());
            }
            if (rc != 0) break;
            ++position;
            ++taken;
        }
        rc = DBNext();
        if (rc != 0) break;
    }
    // A full page or a failed row ends the read before the last row: the
    // statement, and the locks it holds, go now.
    DBCloseRecordset();
    if (rc == -110) rc = 0;
    if (totalCount == 0) totalCount = rowsRead;
    return rc;
}

int CS3DBNURecords::DeleteCondition(NUString& out) { return out.Set(""); }

int CS3DBNURecords::BuildRecordSelect(CS3DataDB& buffer, std::string& out) {
    out.clear();
    int rc = BuildSelectWithGroup(buffer, false);
    if (rc == 0) out = buffer.Statement();
    return rc;
}

int CS3DBNURecords::ExecuteRecordSelect(CS3DataDB& buffer) {
    std::string sql;
    int rc = BuildRecordSelect(buffer, sql);
    if (rc == 0 && pageSize > 0) rc = RewriteSelectTop(sql, TopRowCount(pageStart, pageSize));
    if (rc == 0) rc = DBExecute(nullptr, sql.c_str(), 0, 0);
    if (rc == -110) return 0;
    if (rc != 0) TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
    return rc;
}

int CS3DBNURecords::CountAll(CS3DataDB& buffer) { return CountBufferRows(buffer); }
