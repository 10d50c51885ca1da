// CS3Object: the base of every record class. A record declares its table,
// keys and columns through virtual operations; the layer writes the SQL.
#pragma once

#include <string>

#include "cs3base/number_value.h"
#include "cs3base/record_buffer.h"
#include "util/nu_string.h"

class CS3DataIO;

// Result codes of the record layer.
constexpr int kRecNoMemory = -10;
constexpr int kRecDuplicateKey = -50;
constexpr int kRecNotWritable = -54;
constexpr int kRecBadIndex = -55;
constexpr int kRecNoTable = -58;
constexpr int kRecNoStatement = -62;
constexpr int kRecUnknownField = -70;
constexpr int kRecBadArgument = -99;
constexpr int kRecNoRow = -110;
constexpr int kRecNoColumn = -111;
constexpr int kRecNoBuffer = -121;
constexpr int kRecKeyRepeated = -6100001;
// The ID counter is at the largest identifier, or damaged (below 0, not a
// number); nothing was allocated.
constexpr int kRecIdsExhausted = -6100002;
constexpr int kRecBadOrder = -6100401;
constexpr int kRecUnsupported = -6100402;
constexpr int kRecBufferUnsupported = -1000024;

// A record object: the row identifier, the creation and update times, and
// whatever typed fields the derived class adds. Operations return 0 or a
// negative result code. Buffers passed to TableName, IdTableName, IdAlias
// and IdColumn are replaced by the answer (TableName and IdAlias receive the
// operation code as "%d" on entry).
class CS3Object {
public:
    // The identifier is a number by default; a record class that keys its
    // rows by text passes idTextMode 1 and the capacity its keys need (a
    // generated key has 12 characters).
    explicit CS3Object(int idTextMode = 0, int idCapacity = 11);
    CS3Object(const CS3Object&) = delete;
    CS3Object& operator=(const CS3Object&) = delete;
    virtual ~CS3Object();

    // 1-4: the identifier.
    virtual int SetIdInt(int value);
    virtual int SetId(const char* text);
    virtual int IdInt();
    virtual const char* IdText();
    // 5: sets the field of a column by name (record classes); -70 here.
    virtual int SetField(const char* name, const char* text);
    // 6-8: loads. -110 when no row matches (fields stay cleared).
    virtual int LoadByText(const char* text);
    virtual int LoadById(int id);
    virtual int LoadFirst();
    // 9: the status flag as stored.
    virtual int StatusFlag();
    // 10: reserved, 0.
    virtual int ReservedOperation10();
    // 11: empties every field; here the creation and update times.
    virtual void ClearFields();
    // 12: the table expression; -58 here.
    virtual int TableName(NUString& buffer);
    // 13: the table of the ID counter (NextId); -58 here.
    virtual int IdTableName(NUString& buffer);
    // 14: further key conditions into the equal list; 0 here.
    virtual int AddKeyConditions(CS3DataDB& buffer);
    // 15: the counter row's keys; 0 here.
    virtual int AddIdTableConditions(CS3DataDB& buffer);
    // 16: reserved, false.
    virtual bool ReservedOperation16();
    // 17-18: link-table rows, one per value, for the key (see record.cpp).
    virtual int SaveAssignments(const char* key, int count, const int* values, bool append);
    virtual int SaveAssignmentsById(int id, int count, const int* values, bool append);
    // 19-23: hooks around writes and loads; 0 here.
    virtual int AfterInsert(CS3DataDB& buffer);
    virtual int AfterUpdate(CS3DataDB& buffer);
    virtual int AfterDelete(CS3DataDB& buffer);
    virtual int AfterLoad(CS3DataDB& buffer);
    virtual int BeforeSave(CS3DataDB& buffer);
    // 24: writes the record's columns with SetColumn; -54 here.
    virtual int PutFields(CS3DataDB& buffer);
    // 25: reads the record's columns with GetColumn; 0 here.
    virtual int GetFields(CS3Data& buffer);
    // 26: after a successful INSERT, UPDATE or DELETE; 0 here.
    virtual int AfterExecute(CS3DataDB& buffer);
    // 27: select list, order or joins before a read; 0 here.
    virtual int PrepareSelect(CS3DataDB& buffer);
    // 28: non-zero when the record has executed the read itself.
    virtual int HasOwnFetch(CS3DataDB& buffer);
    // 29: reserved, false.
    virtual bool ReservedOperation29();
    // 30: negative: error; positive: row limit of a list read; 0 here.
    virtual int FetchLimit(CS3DataDB& buffer);
    // 31: further conditions of an update; 0 here.
    virtual int AddUpdateConditions(CS3DataDB& buffer);
    // 32: the equal item of the ID column (IdColumn, qualified with IdAlias
    // or by the table expression) with identifier: kind 1 in number mode,
    // kind 0 in text mode. Replaces an item of the same name.
    virtual int AddIdCondition(CS3DataDB& buffer, const char* identifier);
    // 33: the same with "%d" of value, kind 1.
    virtual int AddIdConditionInt(CS3DataDB& buffer, int value);
    // 34-35: alias of the key columns ("" here) and the ID column ("ID").
    virtual int IdAlias(NUString& buffer);
    virtual int IdColumn(NUString& buffer);
    // 36: stores both times (31 bytes each); an empty one becomes the
    // current UTC time "YYYYMMDDhhmmss".
    virtual int SetTimes(const char* creation, const char* update);
    // 37-38: not supported, -99.
    virtual int UnsupportedOperation37();
    virtual int UnsupportedOperation38();
    // 39: builds and executes the buffer's SELECT (group-by, not DISTINCT).
    virtual int ExecuteSelect(CS3DataDB& buffer);
    // 40: reserved, false.
    virtual bool ReservedOperation40();
    // 41: empties the update time.
    virtual void ClearUpdateTime();
    // 42: text-mode records: insert under a newly generated key; -99 else.
    virtual int InsertNew();
    // 43: text-mode records: update the row with that key; -99 else.
    virtual int UpdateByText(const char* text);
    // 44: deletes the row with that key.
    virtual int DeleteByText(const char* text);
    // 45: fills empty times, then "cretime" (insert only) and "updtime".
    virtual int PutTimes(CS3DataDB& buffer);
    // 46: reads "cretime" and "updtime".
    virtual int GetTimes(CS3Data& buffer);
    // 47: whether the buffer's operation is an insert.
    virtual bool IsInsert(CS3DataDB& buffer);
    // 48: not supported, -6100402.
    virtual int UnsupportedOperation48();
    // 49: "" or "1" ascending, "-1" descending; else -6100401.
    virtual int SetOrder(const char* direction);

    // State used by the layer.
    CS3Id& Id() { return id; }
    int StatementIndex() const { return statementIndex; }
    void SetStatementIndex(int index) { statementIndex = index; }
    bool ReadFieldsFlag() const { return readFields != 0; }
    void SetReadFieldsFlag(bool on) { readFields = on ? 1 : 0; }
    void SetStatusFlag(bool on) { statusFlag = on ? 1 : 0; }
    const char* CreationTime() const { return creationTime; }
    const char* UpdateTime() const { return updateTime; }
    const char* OrderDirection() const { return orderDirection; }

protected:
    CS3Id id;

private:
    int LoadWith(const char* text, int value, bool byText);

    int statementIndex = -1;
    unsigned char readFields = 1;
    unsigned char statusFlag = 1;
    char creationTime[32] = "";
    char updateTime[32] = "";
    char orderDirection[4] = "1";
};

// The current UTC time as "YYYYMMDDhhmmss" (out: 15 bytes or more).
void RecordTimeNow(char* out);
