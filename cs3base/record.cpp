// CS3Object: the defaults of the record base class and the record-level
// operations (load, keyed update and delete, assignment rows, times, order).
#include "cs3base/record.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "cs3base/record_io.h"
#include "cs3base/record_key.h"
#include "cs3base/sql_builder.h"
#include "db/session.h"
#include "util/date_time.h"
#include "util/log.h"

namespace {

const char kUnit[] = "cs3object";

// The record's ID column qualified with its alias or by the table expression.
std::string IdConditionName(CS3Object& record, const CS3DataDB& buffer) {
    NUString alias, column;
    record.IdAlias(alias);
    record.IdColumn(column);
    return QualifyColumn(buffer, alias.Get(), column.Get());
}

// Opens io's read buffer for record and asks FetchLimit: 0 with *buffer set
// when the load goes on, 1 when a positive limit leaves the rows to the list
// operations, or a negative code.
int PrepareLoad(CS3Object& record, CS3DataIO& io, CS3DataDB** buffer) {
    int rc = io.PrepareRead(record);
    if (rc == 0) rc = io.BufferOf(record, buffer);
    if (rc != 0) return rc;
    int limit = record.FetchLimit(**buffer);
    return limit > 0 ? 1 : limit;
}

}  // namespace

void RecordTimeNow(char* out) { NowStamp(out, 0); }

CS3Object::CS3Object(int idTextMode, int idCapacity) : id(idTextMode, idCapacity) {}
CS3Object::~CS3Object() = default;

int CS3Object::SetIdInt(int value) { return id.SetInt(value); }

int CS3Object::SetId(const char* text) {
    int rc = id.Set(text);
    if (rc != 0) TraceError("[%s][%d]ret[%d]", kUnit, __LINE__, rc);
    return rc;
}

int CS3Object::IdInt() { return id.AsInt(); }
const char* CS3Object::IdText() { return id.Value(); }
int CS3Object::SetField(const char*, const char*) { return kRecUnknownField; }

int CS3Object::LoadByText(const char* text) { return LoadWith(text, 0, true); }
int CS3Object::LoadById(int value) { return LoadWith(nullptr, value, false); }

int CS3Object::LoadWith(const char* text, int value, bool byText) {
    ClearFields();
    int rc = byText ? SetId(text) : SetIdInt(value);
    if (rc != 0) return rc;
    CS3DataIO io;
    CS3DataDB* buffer = nullptr;
    rc = PrepareLoad(*this, io, &buffer);
    if (rc != 0) return rc > 0 ? 0 : rc;
    rc = id.IsTextMode() ? AddIdCondition(*buffer, id.Value()) : AddIdConditionInt(*buffer, IdInt());
    if (rc != 0) {
        TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        return rc;
    }
    return io.Fetch(*this);
}

int CS3Object::LoadFirst() {
    ClearFields();
    CS3DataIO io;
    CS3DataDB* buffer = nullptr;
    int rc = PrepareLoad(*this, io, &buffer);
    if (rc != 0) return rc > 0 ? 0 : rc;
    return io.Fetch(*this);
}

int CS3Object::StatusFlag() { return statusFlag; }
int CS3Object::ReservedOperation10() { return 0; }

void CS3Object::ClearFields() {
    creationTime[0] = '\0';
    updateTime[0] = '\0';
}

int CS3Object::TableName(NUString&) { return kRecNoTable; }
int CS3Object::IdTableName(NUString&) { return kRecNoTable; }
int CS3Object::AddKeyConditions(CS3DataDB&) { return 0; }
int CS3Object::AddIdTableConditions(CS3DataDB&) { return 0; }
bool CS3Object::ReservedOperation16() { return false; }

int CS3Object::SaveAssignments(const char* key, int count, const int* values, bool append) {
    if (count > 0 && values == nullptr) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return kRecBadArgument;
    }
    if (append && count <= 0) return 0;
    int rc = SetId(key);
    if (rc != 0) return rc;
    CS3DataIO io;
    if (append) {
        rc = io.PrepareInsert(*this);
        CS3DataDB* buffer = nullptr;
        if (rc == 0) rc = io.BufferOf(*this, &buffer);
        if (rc == 0) {
            rc = id.IsTextMode() ? AddIdCondition(*buffer, id.Value())
                                 : AddIdConditionInt(*buffer, IdInt());
        }
    } else {
        rc = io.PrepareDelete(*this, key);
        if (rc == 0) rc = io.Delete(*this, key);
        if (rc == kRecNoRow) rc = 0;
    }
    if (rc != 0) {
        TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        return rc;
    }
    CS3DataDB* buffer = nullptr;
    rc = io.BufferOf(*this, &buffer);
    if (rc != 0) return rc;
    for (int i = 0; i < count; ++i) {
        rc = PutFields(*buffer);
        if (rc == 0) {
            SetItem(buffer->EqList(), "SID_ASSIGN", std::to_string(values[i]).c_str(), kItemNumber);
            buffer->SetOperationCode(kOpInsert);
            rc = io.Execute(*this);
        }
        // A value that the database refuses (a constraint) is skipped.
        if (rc == -1000009) continue;
        if (rc != 0) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
            return rc;
        }
    }
    return 0;
}

int CS3Object::SaveAssignmentsById(int value, int count, const int* values, bool append) {
    return SaveAssignments(std::to_string(value).c_str(), count, values, append);
}

int CS3Object::AfterInsert(CS3DataDB&) { return 0; }
int CS3Object::AfterUpdate(CS3DataDB&) { return 0; }
int CS3Object::AfterDelete(CS3DataDB&) { return 0; }
int CS3Object::AfterLoad(CS3DataDB&) { return 0; }
int CS3Object::BeforeSave(CS3DataDB&) { return 0; }
int CS3Object::PutFields(CS3DataDB&) { return kRecNotWritable; }
int CS3Object::GetFields(CS3Data&) { return 0; }
int CS3Object::AfterExecute(CS3DataDB&) { return 0; }
int CS3Object::PrepareSelect(CS3DataDB&) { return 0; }
int CS3Object::HasOwnFetch(CS3DataDB&) { return 0; }
bool CS3Object::ReservedOperation29() { return false; }
int CS3Object::FetchLimit(CS3DataDB&) { return 0; }
int CS3Object::AddUpdateConditions(CS3DataDB&) { return 0; }

int CS3Object::AddIdCondition(CS3DataDB& buffer, const char* identifier) {
    return SetItem(buffer.EqList(), IdConditionName(*this, buffer).c_str(), identifier,
                   id.IsTextMode() ? kItemText : kItemNumber);
}

int CS3Object::AddIdConditionInt(CS3DataDB& buffer, int value) {
    return SetItem(buffer.EqList(), IdConditionName(*this, buffer).c_str(),
                   std::to_string(value).c_str(), kItemNumber);
}

int CS3Object::IdAlias(NUString& buffer) { return buffer.Set(""); }
int CS3Object::IdColumn(NUString& buffer) { return buffer.Set("ID"); }

int CS3Object::SetTimes(const char* creation, const char* update) {
    char now[16];
    RecordTimeNow(now);
    CopyCut(creationTime, sizeof(creationTime), (creation && *creation) ? creation : now);
    CopyCut(updateTime, sizeof(updateTime), (update && *update) ? update : now);
    return 0;
}

int CS3Object::UnsupportedOperation37() {
    TraceError("[%s:%d]", kUnit, __LINE__);
    return kRecBadArgument;
}

int CS3Object::UnsupportedOperation38() {
    TraceError("[%s:%d]", kUnit, __LINE__);
    return kRecBadArgument;
}

int CS3Object::ExecuteSelect(CS3DataDB& buffer) {
    int rc = BuildSelectWithGroup(buffer, false);
    if (rc == 0) {
        int limit = FetchLimit(buffer);
        if (limit < 0) {
            rc = limit;
        } else {
            // The session reads the whole result; a list read stops after
            // its own row limit.
            rc = DBExecute(nullptr, buffer.Statement().c_str(), 0, 0);
        }
    }
    if (rc != 0 && rc != kRecNoRow) {
        TraceError("[%s][%d]ret[%d]errno[%d]", kUnit, __LINE__, rc, 0);
    }
    return rc;
}

bool CS3Object::ReservedOperation40() { return false; }
void CS3Object::ClearUpdateTime() { updateTime[0] = '\0'; }

int CS3Object::InsertNew() {
    if (!id.IsTextMode()) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return kRecBadArgument;
    }
    return InsertWithNewKey(*this);
}

int CS3Object::UpdateByText(const char* text) {
    if (!id.IsTextMode()) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return kRecBadArgument;
    }
    CS3DataIO io;
    int rc = io.PrepareUpdate(*this, text);
    if (rc == 0) rc = io.Update(*this, text);
    return rc;
}

int CS3Object::DeleteByText(const char* text) {
    CS3DataIO io;
    int rc = io.PrepareDelete(*this, text);
    if (rc == 0) rc = io.Delete(*this, text);
    return rc;
}

int CS3Object::PutTimes(CS3DataDB& buffer) {
    std::string creation = creationTime, update = updateTime;
    SetTimes(creation.c_str(), update.c_str());
    int rc = 0;
    if (IsInsert(buffer)) rc = buffer.SetColumn("cretime", creationTime, false);
    if (rc == 0) rc = buffer.SetColumn("updtime", updateTime, false);
    return rc;
}

int CS3Object::GetTimes(CS3Data& buffer) {
    CS3String creation(32), update(32);
    int rc = buffer.GetColumn("cretime", creation);
    int rc2 = buffer.GetColumn("updtime", update);
    if (rc == 0 || rc == kRecNoColumn) rc = rc2;
    if (rc == kRecNoColumn) rc = 0;
    CopyCut(creationTime, sizeof(creationTime), creation.Value());
    CopyCut(updateTime, sizeof(updateTime), update.Value());
    return rc;
}

bool CS3Object::IsInsert(CS3DataDB& buffer) { return buffer.OperationCode() == kOpInsert; }

int CS3Object::UnsupportedOperation48() {
    TraceError("[%s:%d]", kUnit, __LINE__);
    return kRecUnsupported;
}

int CS3Object::SetOrder(const char* direction) {
    if (direction == nullptr || *direction == '\0') {
        std::strcpy(orderDirection, "1");
        return 0;
    }
    if (std::strcmp(direction, "1") != 0 && std::strcmp(direction, "-1") != 0) {
        TraceError("[%s:%d]order[%s]", kUnit, __LINE__, direction);
        return kRecBadOrder;
    }
    std::strcpy(orderDirection, direction);
    return 0;
}
