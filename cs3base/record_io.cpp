// CS3DataIO: preparing statement buffers for records and running their
// reads, inserts, updates, deletes, saves and ID counters.
#include "cs3base/record_io.h"

#include <climits>
#include <cstdlib>
#include <string>

#include "cs3base/record.h"
#include "cs3base/sql_builder.h"
#include "db/session.h"
#include "env/environment.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kUnit[] = "cs3dbdataio";

// Rounds of NextId before a duplicate counter row is given up.
constexpr int kNextIdAttempts = 100;

// Runs the buffer's statement with its bound values.
int RunStatement(CS3DataDB& buffer) {
    std::vector<char*> params;
    for (std::string& value : buffer.Params()) params.push_back(value.data());
    return DBExecute(params.empty() ? nullptr : params.data(), buffer.Statement().c_str(), 0,
                     static_cast<int>(params.size()));
}

}  // namespace

CS3DataIO::CS3DataIO() = default;
CS3DataIO::~CS3DataIO() = default;

CS3DataDB& CS3DataIO::AddBuffer(CS3Object& record) {
    buffers.push_back(std::make_unique<CS3DataDB>());
    record.SetStatementIndex(static_cast<int>(buffers.size()) - 1);
    return *buffers.back();
}

int CS3DataIO::BufferOf(const CS3Object& record, CS3DataDB** out) {
    *out = nullptr;
    int index = record.StatementIndex();
    if (index < 0) return kRecNoBuffer;
    if (index >= static_cast<int>(buffers.size()) || !buffers[static_cast<size_t>(index)]) {
        return kRecBadIndex;
    }
    *out = buffers[static_cast<size_t>(index)].get();
    return 0;
}

int CS3DataIO::Fail(CS3Object& record, int code) {
    int index = record.StatementIndex();
    if (index >= 0 && index < static_cast<int>(buffers.size())) {
        buffers[static_cast<size_t>(index)].reset();
        if (index > 0 && error == 0) error = code;
        // A failed last buffer is given back, so the next record takes its place.
        while (!buffers.empty() && !buffers.back()) buffers.pop_back();
    }
    record.SetStatementIndex(-1);
    return code;
}

int CS3DataIO::OpenStatement(CS3Object& record, int operation, bool withKeys) {
    CS3DataDB* buffer = nullptr;
    int rc = BufferOf(record, &buffer);
    if (rc != 0) return rc;
    DBCloseRecordset();
    NUString text;
    text.Format("%d", operation);
    rc = record.TableName(text);
    if (rc != 0) {
        TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        return rc;
    }
    buffer->SetTable(text.Get());
    NUString alias;
    alias.Format("%d", operation);
    rc = record.IdAlias(alias);
    if (rc != 0) return rc;
    std::string company = QualifyColumn(*buffer, alias.Get(), "SID_CORPORATE");
    SetItem(buffer->EqList(), company.c_str(), std::to_string(CompanyNumber()).c_str(), kItemNumber);
    buffer->SetOperationCode(operation);
    if (withKeys || operation == kOpRead) {
        rc = record.AddKeyConditions(*buffer);
        if (rc != 0) TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
    }
    return rc;
}

int CS3DataIO::PrepareRead(CS3Object& record) {
    int rc = record.PrepareSelect(AddBuffer(record));
    if (rc == 0) rc = OpenStatement(record, kOpRead, true);
    return rc == 0 ? 0 : Fail(record, rc);
}

int CS3DataIO::MarkUpdate(CS3Object& record) { return MarkOperation(record, kOpUpdate); }

int CS3DataIO::ReadLastId(CS3Object& record) {
    CS3DataDB* buffer = nullptr;
    int rc = BufferOf(record, &buffer);
    if (rc != 0) return rc;
    int value = 0;
    rc = buffer->CurrentColumnInt(&value);
    if (rc == 0) rc = record.SetIdInt(value);
    return rc;
}

int CS3DataIO::MarkInsert(CS3Object& record) { return MarkOperation(record, kOpInsert); }

int CS3DataIO::MarkOperation(CS3Object& record, int operation) {
    CS3DataDB* buffer = nullptr;
    int rc = BufferOf(record, &buffer);
    if (rc == 0) buffer->SetOperationCode(operation);
    return rc;
}

int CS3DataIO::PrepareInsert(CS3Object& record) {
    AddBuffer(record);
    int rc = OpenStatement(record, kOpInsert, false);
    return rc == 0 ? 0 : Fail(record, rc);
}

int CS3DataIO::LockRows(CS3DataDB& buffer) {
    int rc = BuildSelectForUpdate(buffer);
    if (rc == 0) rc = DBExecute(nullptr, buffer.Statement().c_str(), 0, 0);
    DBCloseRecordset();
    if (rc == kRecNoRow) rc = 0;
    if (rc != 0) TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
    return rc;
}

int CS3DataIO::AddKeyFor(CS3Object& record, CS3DataDB& buffer) {
    // The identifier as the record holds it, its key rule applied, so that a
    // row is searched under the key it was stored with.
    if (record.Id().IsTextMode()) return record.AddIdCondition(buffer, record.IdText());
    return record.AddIdConditionInt(buffer, record.IdInt());
}

int CS3DataIO::PrepareChange(CS3Object& record, const char* id, int operation) {
    CS3DataDB& buffer = AddBuffer(record);
    int rc = OpenStatement(record, operation, true);
    if (rc == 0 && id != nullptr && *id != '\0') {
        rc = record.SetId(id);
        if (rc == 0) rc = AddKeyFor(record, buffer);
    }
    if (rc == 0 && operation == kOpUpdate) rc = record.AddUpdateConditions(buffer);
    if (rc == 0) rc = LockRows(buffer);
    return rc == 0 ? 0 : Fail(record, rc);
}

int CS3DataIO::PrepareUpdate(CS3Object& record, const char* id) {
    return PrepareChange(record, id, kOpUpdate);
}

int CS3DataIO::PrepareDelete(CS3Object& record, const char* id) {
    return PrepareChange(record, id, kOpDelete);
}

int CS3DataIO::WriteRow(CS3Object& record, const char* key, int operation) {
    CS3DataDB* buffer = nullptr;
    int rc = BufferOf(record, &buffer);
    if (rc != 0) return rc;
    const char* text = key ? key : "";
    rc = record.SetId(text);
    if (rc != 0) TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
    if (rc == 0 && operation != kOpDelete) rc = record.BeforeSave(*buffer);
    if (rc == 0 && operation != kOpDelete) {
        // PutFields writes the creation time only when it sees an insert.
        buffer->SetOperationCode(operation);
        rc = record.PutFields(*buffer);
    }
    // UPDATE and DELETE always carry the identifier condition, an empty key
    // included (it matches no row), so they can never reach every row.
    if (rc == 0 && (!record.Id().IsEmpty() || operation != kOpInsert)) {
        rc = AddKeyFor(record, *buffer);
    }
    if (rc != 0) {
        if (buffer != buffers.front().get() && error == 0) error = rc;
        return rc;
    }
    buffer->SetOperationCode(operation);
    rc = Execute(record);
    if (rc != 0) return rc;
    if (operation == kOpInsert) return record.AfterInsert(*buffer);
    if (operation == kOpUpdate) return record.AfterUpdate(*buffer);
    return record.AfterDelete(*buffer);
}

int CS3DataIO::Insert(CS3Object& record, const char* key) { return WriteRow(record, key, kOpInsert); }
int CS3DataIO::Update(CS3Object& record, const char* key) { return WriteRow(record, key, kOpUpdate); }
int CS3DataIO::Delete(CS3Object& record, const char* key) { return WriteRow(record, key, kOpDelete); }

int CS3DataIO::Execute(CS3Object& record) {
    CS3DataDB* buffer = nullptr;
    int rc = BufferOf(record, &buffer);
    if (rc != 0) return rc;
    switch (buffer->OperationCode()) {
    case kOpInsert:
        rc = BuildInsert(*buffer);
        break;
    case kOpUpdate:
        rc = BuildUpdate(*buffer);
        break;
    case kOpDelete:
        rc = BuildDelete(*buffer);
        break;
    default:
        TraceError("[%s:%d]op[%d]", kUnit, __LINE__, buffer->OperationCode());
        if (error == 0) error = kRecBadArgument;
        return kRecBadArgument;
    }
    if (rc == 0) rc = RunStatement(*buffer);
    if (rc != 0) {
        if (rc != kRecDuplicateKey && rc != kRecNoRow) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        }
        return rc;
    }
    return record.AfterExecute(*buffer);
}

int CS3DataIO::Save(CS3Object& record) {
    CS3DataDB* buffer = nullptr;
    int rc = BufferOf(record, &buffer);
    if (rc != 0) return rc;
    rc = record.AddKeyConditions(*buffer);
    if (rc == 0 && !record.Id().IsEmpty()) rc = AddKeyFor(record, *buffer);
    if (rc == 0) rc = record.PutFields(*buffer);
    if (rc == 0) rc = Execute(record);
    if (rc == kRecDuplicateKey) {
        // Without an identifier the UPDATE would be narrowed by the company
        // alone and reach all of its rows: the duplicate is returned instead.
        if (record.Id().IsEmpty()) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
            return rc;
        }
        // The row exists: write the same columns as an UPDATE, except the
        // creation time, which belongs to the row's first insert.
        rc = OpenStatement(record, kOpUpdate, true);
        if (rc == 0) rc = LockRows(*buffer);
        if (rc == 0) {
            CS3DataRow* row = buffer->FirstRowPtr();
            int i = row ? row->columns.IndexOf("cretime") : -1;
            if (i >= 0) row->columns.Erase(static_cast<size_t>(i));
            rc = Execute(record);
        }
        if (rc == 0) {
            rc = record.AfterUpdate(*buffer);
            if (rc != 0) TraceError("[%s:%d] ret[%d]", kUnit, __LINE__, rc);
        }
        return rc;
    }
    if (rc != 0) return rc;
    return record.AfterInsert(*buffer);
}

int CS3DataIO::Fetch(CS3Object& record, CS3Object* target) {
    CS3DataDB* buffer = nullptr;
    int rc = BufferOf(record, &buffer);
    if (rc != 0) return rc;
    if (record.HasOwnFetch(*buffer) != 0) return TakeRow(record, target, *buffer);
    rc = record.ExecuteSelect(*buffer);
    if (rc != 0) {
        TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
    } else {
        rc = DBCheckRow();
    }
    if (rc == 0) {
        rc = TakeRow(record, target, *buffer);
    } else if (buffer != buffers.front().get() && error == 0) {
        error = rc;
    }
    // Only the first row is read: the statement, and the locks it holds on
    // the rows after it, go now rather than with the next statement.
    DBCloseRecordset();
    return rc;
}

int CS3DataIO::TakeRow(CS3Object& record, CS3Object* target, CS3DataDB& buffer) {
    CS3Object& into = target ? *target : record;
    int rc = 0;
    if (!buffer.IdReadFlag() && record.Id().IsEmpty()) {
        int value = 0;
        rc = buffer.CurrentColumnInt(&value);
        if (rc == 0) {
            rc = into.SetIdInt(value);
        } else if (rc == kRecNoColumn) {
            rc = 0;
        }
    } else if (target != nullptr) {
        rc = target->SetId(record.IdText());
    }
    if (rc == 0 && into.ReadFieldsFlag()) {
        rc = into.GetFields(buffer);
        if (rc == 0) rc = into.AfterLoad(buffer);
    }
    if (rc != 0 && &buffer != buffers.front().get() && error == 0) error = rc;
    return rc;
}

int CS3DataIO::NextId(CS3Object& record) {
    CS3DataDB* buffer = nullptr;
    // A counter not prepared in this operation gets its buffer now.
    if (BufferOf(record, &buffer) != 0) buffer = &AddBuffer(record);
    int rc = 0;
    for (int attempt = 1;; ++attempt) {
        NUString table;
        rc = record.IdTableName(table);
        if (rc != 0) return Fail(record, rc);
        buffer->SetTable(table.Get());
        buffer->ClearStatement();
        buffer->ClearRows();
        std::string company = QualifyColumn(*buffer, "", "SID_CORPORATE");
        SetItem(buffer->EqList(), company.c_str(), std::to_string(CompanyNumber()).c_str(),
                kItemNumber);
        rc = record.AddIdTableConditions(*buffer);
        if (rc != 0) return Fail(record, rc);
        // The INSERT writes an empty text key as the empty text, so the key
        // is read and updated as the empty text too (not as IS NULL).
        for (CS3Item& key : buffer->EqList()) {
            if (key.kind == kItemText && key.value.empty()) key.kind = kItemFixed2;
        }
        SetItem(buffer->SelectList(), "LASTID", "", kItemText);
        rc = BuildSelectForUpdate(*buffer);
        if (rc == 0) rc = DBExecute(nullptr, buffer->Statement().c_str(), 0, 0);
        if (rc == 0) rc = DBCheckRow();
        int value = 1;
        int operation = kOpInsert;
        if (rc == 0) {
            NUString last;
            rc = DBGetFirstColumn(&last, nullptr);
            if (rc != 0) return Fail(record, rc);
            // A NULL counter reads as 0. No identifier beyond the largest,
            // and a counter below 0 or not a number is damaged: either way
            // the counter row stays as it is.
            int lastId = 0;
            if (!last.IsEmpty() && (!ParseDecimalInt(last.Get(), &lastId) || lastId < 0 ||
                                    lastId == INT_MAX)) {
                TraceError("[%s:%d]lastid[%s]", kUnit, __LINE__, last.Get());
                DBCloseRecordset();
                return Fail(record, kRecIdsExhausted);
            }
            value = lastId + 1;
            operation = kOpUpdate;
        } else if (rc != kRecNoRow) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
            return Fail(record, rc);
        }
        DBCloseRecordset();
        buffer->SelectList().Clear();
        buffer->SetColumn("LASTID", std::to_string(value).c_str(), false, kItemNumber);
        rc = operation == kOpInsert ? BuildInsert(*buffer) : BuildUpdate(*buffer);
        if (rc == 0) rc = RunStatement(*buffer);
        if (rc == 0) return value;
        TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        // Another process inserted the counter row first: allocate again.
        if (rc != kRecDuplicateKey || attempt >= kNextIdAttempts) return Fail(record, rc);
    }
}

int CS3DataIO::InsertWithNextId(CS3Object& counter, CS3Object& record) {
    int value = NextId(counter);
    if (value < 0) return value;
    int rc = record.SetIdInt(value);
    if (rc == 0) rc = PrepareInsert(record);
    if (rc == 0) rc = Insert(record, record.IdText());
    return rc;
}

int CS3DatasIO::PrepareRead(CS3Object& record) { return CS3DataIO::PrepareRead(record); }
