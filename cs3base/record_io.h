// CS3DataIO and CS3DatasIO: one database operation in progress, with one
// statement buffer per record object taking part.
#pragma once

#include <memory>
#include <vector>

#include "cs3base/record_buffer.h"

class CS3Object;

// Use: construct; PrepareRead, PrepareInsert or PrepareUpdate a record;
// then Fetch, Insert, Update, Delete or Save it; destroy (which frees every
// buffer). Transactions are the caller's. Results: 0 or a negative code.
class CS3DataIO {
public:
    CS3DataIO();
    CS3DataIO(const CS3DataIO&) = delete;
    CS3DataIO& operator=(const CS3DataIO&) = delete;
    virtual ~CS3DataIO();

    // A read buffer for record: PrepareSelect, then the statement opened for
    // reading with the key conditions.
    virtual int PrepareRead(CS3Object& record);
    // Operation code 2 on the record's buffer.
    virtual int MarkUpdate(CS3Object& record);
    // The "ID" column of the current result row, as integer, into the
    // record's identifier.
    virtual int ReadLastId(CS3Object& record);
    // Operation code 1 on the record's buffer.
    virtual int MarkInsert(CS3Object& record);

    // Opens the record's buffer for operation (0 read, 1 insert, 2 update,
    // 3 delete): table, alias, the company condition, the operation code
    // and, withKeys (always for reads), the record's key conditions.
    int OpenStatement(CS3Object& record, int operation, bool withKeys);
    // A fresh buffer opened for insert without key conditions.
    int PrepareInsert(CS3Object& record);
    // A fresh buffer opened for update with keys; with a non-empty id the
    // identifier is set and its condition added; then the rows are locked.
    int PrepareUpdate(CS3Object& record, const char* id);
    // As PrepareUpdate for operation 3.
    int PrepareDelete(CS3Object& record, const char* id);
    // Writes the record under key (its identifier): INSERT, UPDATE or DELETE.
    int Insert(CS3Object& record, const char* key);
    int Update(CS3Object& record, const char* key);
    int Delete(CS3Object& record, const char* key);
    // INSERT; when the key exists already (-50), UPDATE of the same row.
    // A record without identifier gets the -50 back: its UPDATE would not
    // be narrowed to one row.
    int Save(CS3Object& record);
    // Reads the first selected row into target (null: the record itself).
    // -110 when there is none.
    int Fetch(CS3Object& record, CS3Object* target = nullptr);
    // Allocates the next number of the record's ID counter (IdTableName,
    // AddIdTableConditions): the new value, or a negative code (-6100002
    // when the counter stands at the largest identifier, left unchanged).
    // An empty text key is read and written as the empty text.
    int NextId(CS3Object& record);
    // Numbers record from counter's ID counter and inserts it.
    int InsertWithNextId(CS3Object& counter, CS3Object& record);
    // Builds the statement of the buffer's operation code and executes it.
    int Execute(CS3Object& record);

    // The record's buffer: 0; -121 when the record has none; -55 when its
    // index points at no buffer.
    int BufferOf(const CS3Object& record, CS3DataDB** out);
    // The first error a buffer other than the first reported (0: none).
    int Error() const { return error; }
    int Count() const { return static_cast<int>(buffers.size()); }

protected:
    // Appends a fresh buffer, gives the record its position and returns it.
    CS3DataDB& AddBuffer(CS3Object& record);
    // Frees the record's buffer after a failed step, resets its index and
    // records code as the operation's error unless it was the first buffer.
    int Fail(CS3Object& record, int code);
    // Sets the operation code of the record's buffer. 0; -121; -55.
    int MarkOperation(CS3Object& record, int operation);
    // Builds and runs the locking SELECT; -110 is no error.
    int LockRows(CS3DataDB& buffer);
    int PrepareChange(CS3Object& record, const char* id, int operation);
    int WriteRow(CS3Object& record, const char* key, int operation);
    // The identifier condition of the record's own identifier.
    int AddKeyFor(CS3Object& record, CS3DataDB& buffer);
    // Reads the current row of buffer's result into target (null: record).
    int TakeRow(CS3Object& record, CS3Object* target, CS3DataDB& buffer);

    std::vector<std::unique_ptr<CS3DataDB>> buffers;
    int error = 0;
    bool initialised = true;
};

// An operation that reads several records; each record gets its own read
// buffer and is fetched in turn.
class CS3DatasIO : public CS3DataIO {
public:
    int PrepareRead(CS3Object& record) override;
};
