// Statement buffers of the record layer: column and condition items, the row
// store CS3Data and the database statement buffer CS3DataDB.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/session.h"

class CS3String;
class NUString;

// How an item's value is written into SQL text.
enum CS3ItemKind : int {
    kItemText = 0,       // N'...' with escaping
    kItemNumber = 1,     // as it is: a number or an SQL expression
    kItemFixed2 = 2,     // '...': dates and codes
    kItemFixed3 = 3,     // '...': dates and codes
    kItemParam = 4,      // "?" bound as a statement parameter (row values)
    kItemLikeOr = 7,     // like pattern, joined by OR with its neighbours
    kItemLikeAnd = 8,    // like pattern
    kItemLikeUpperOr = 17,   // case-insensitive like pattern, OR chain
    kItemLikeUpperAnd = 18,  // case-insensitive like pattern
};

// Longest item and row name in bytes; longer names are cut.
constexpr size_t kItemNameMax = 63;
// Longest table expression in bytes.
constexpr size_t kTableExpressionMax = 2047;

// One column value or one condition.
struct CS3Item {
    std::string name;
    std::string value;
    int isNull = 0;  // set when the value was given empty with skip-empty
    int kind = kItemText;
};

// An ordered list of items (a column row, a condition list, the select or
// the order list). Names are compared byte for byte.
class CS3ItemList {
public:
    bool empty() const { return items.empty(); }
    size_t size() const { return items.size(); }
    CS3Item& operator[](size_t i) { return items[i]; }
    const CS3Item& operator[](size_t i) const { return items[i]; }
    std::vector<CS3Item>::iterator begin() { return items.begin(); }
    std::vector<CS3Item>::iterator end() { return items.end(); }
    std::vector<CS3Item>::const_iterator begin() const { return items.begin(); }
    std::vector<CS3Item>::const_iterator end() const { return items.end(); }

    // The first item of that name, or null.
    CS3Item* Find(const char* name);
    const CS3Item* Find(const char* name) const;
    // Position of the first item of that name, or -1.
    int IndexOf(const char* name) const;
    void Clear() { items.clear(); }
    // Appends an item (name cut to 63 bytes); returns it.
    CS3Item& Push(const char* name, const char* value, int kind);
    // Removes the item at position i.
    void Erase(size_t i) { items.erase(items.begin() + static_cast<std::ptrdiff_t>(i)); }

private:
    std::vector<CS3Item> items;
};

// Appends a new item to list. 0; -99 for a null name.
int AppendItem(CS3ItemList& list, const char* name, const char* value, int kind);
// Replaces value and kind of the item of that name, or appends one. 0; -99.
int SetItem(CS3ItemList& list, const char* name, const char* value, int kind);
// Removes the first item of that name. 0; -110 when there is none; -99.
int RemoveItem(CS3ItemList& list, const char* name);

// One row of a CS3Data store: its name, its columns and its sub-items.
struct CS3DataRow {
    std::string name;
    CS3ItemList columns;
    CS3ItemList subItems;
};

// Receives the current row of ApplyToRow; its result is passed on.
using CS3RowHandler = std::function<int(CS3DataRow&)>;

// The row store: an ordered list of rows with a current row and column, an
// optional sorted order of the rows, and the order list used for sorting
// (and, in a statement buffer, for ORDER BY).
class CS3Data {
public:
    CS3Data();
    CS3Data(const CS3Data&) = delete;
    CS3Data& operator=(const CS3Data&) = delete;
    virtual ~CS3Data();

    // 0; -110 when there is no row.
    virtual int FirstRow();
    // Advances the current row. 0; -110 after the last row.
    virtual int NextRow();
    // Advances in sorted order (NextRow when unsorted). 0; -110 at the end.
    virtual int NextSortedRow();
    // Current row = first in sorted order (first row when unsorted).
    virtual int FirstSortedRow();
    virtual int RowCount();
    // Calls handler with the current row and returns its result; -1
    // without a current row.
    virtual int ApplyToRow(const CS3RowHandler& handler);
    // Whether the current column is named "_lastid".
    virtual bool IsLastIdColumn();
    // Typed reads; in a plain store they all read the text as GetColumn.
    virtual int GetColumnInt(const char* name, CS3String& field);
    virtual int GetColumnDate(const char* name, CS3String& field);
    virtual int GetColumnDateTime(const char* name, CS3String& field);
    virtual int GetColumnPositive(const char* name, CS3String& field);
    virtual int GetColumnText(const char* name, CS3String& field);
    // Sets field from the named column of the current row, which becomes
    // the current column. 0 (field untouched) when there is no such column;
    // otherwise the field's Set result.
    virtual int GetColumn(const char* name, CS3String& field);
    // The current column's value as integer. 0; -110 without one.
    virtual int CurrentColumnInt(int* out);
    // Copies the current column's name into nameOut (when given) and sets
    // field from its value. 0; -110 without one; the field's Set result.
    virtual int CurrentColumn(NUString* nameOut, CS3String& field);
    // SetColumn with the field's text and kind 4, 1, 3 or 2.
    virtual int SetColumnParam(const char* name, const CS3String& field);
    virtual int SetColumnNumber(const char* name, const CS3String& field);
    virtual int SetColumnFixed3(const char* name, const CS3String& field);
    virtual int SetColumnFixed2(const char* name, const CS3String& field);
    // Appends a sub-item "_item" with value to the current row (the first
    // row, created on demand, when there is none); with noDuplicate an
    // equal value already present adds nothing. *added (when given) is 1
    // when an item was added. 0; -99 for a null value.
    virtual int AddSubItem(const char* value, bool noDuplicate, int* added);
    // Adds or replaces a column of the current row (the row "1" is created
    // on demand). An existing column gets the value, its null flag set when
    // the value is empty and skipEmpty is set; a new column is not added
    // when the value is empty and skipEmpty is set. New columns get kind.
    // 0; -99 for a null name.
    virtual int SetColumn(const char* name, const char* value, bool skipEmpty,
                          int kind = kItemText);
    // Columns of the current row (0 without one).
    virtual int ColumnCount();
    // 0; -110 when the current row has no column.
    virtual int FirstColumn();
    // 0; -110 after the last column.
    virtual int NextColumn();
    // Frees the statement parts (statement buffer only): 0.
    virtual int ClearStatement();
    // Sorts the rows by the order list: each order item names a column and
    // gives "1" for ascending, anything else for descending. 0.
    virtual int SortRows();
    // Position of the row named name plus offset. -110 when there is no
    // such row or the position falls outside the list.
    virtual int FindRow(const char* name, int offset);
    // Moves the current row by offset places within the list (clamped to
    // its ends). 0; -110 without a current row.
    virtual int MoveRow(int offset);

    // Non-virtual helpers.
    // Appends an empty row named name (cut to 63 bytes) and makes it the
    // current row. Returns it.
    CS3DataRow& AddRow(const char* name);
    // The current row, or null.
    CS3DataRow* CurrentRow();
    // The first row, or null.
    CS3DataRow* FirstRowPtr();
    // "%d" of value, skip-empty, kind 1.
    int SetColumnInt(const char* name, int value);
    // An empty field as an empty text column, else "%d" of its value with
    // kind 1 (a failure logged).
    int SetColumnPositive(const char* name, const CS3String& field);
    CS3ItemList& OrderList() { return order; }
    const CS3ItemList& OrderList() const { return order; }
    // Removes every row.
    void ClearRows();

protected:
    CS3Item* CurrentColumnItem();

    std::vector<std::unique_ptr<CS3DataRow>> rows;
    int currentRow = -1;
    int currentColumn = -1;
    std::vector<CS3DataRow*> sorted;
    int sortedIndex = -1;
    CS3ItemList order;
};

// Operation codes of a statement buffer.
enum CS3Operation : int { kOpRead = 0, kOpInsert = 1, kOpUpdate = 2, kOpDelete = 3 };

// The statement buffer: rows of column values plus table expression,
// condition lists, select list, group-by text and operation code, and the
// statement last built from them with its bound parameter values. Its reads
// go to the database session's current result row.
class CS3DataDB : public CS3Data {
public:
    CS3DataDB();
    ~CS3DataDB() override;

    // Moves the session's result set to its next row. 0; -110 at the end.
    int NextRow() override;
    // Read the named column of the session's current row into field; -110
    // (no row) and -111 (no column) are returned silently, other failures
    // are logged. The integer read drops a fraction part ("12.0" -> "12");
    // the date reads keep the digits of the stamp (8 or 14).
    int GetColumnInt(const char* name, CS3String& field) override;
    int GetColumnDate(const char* name, CS3String& field) override;
    int GetColumnDateTime(const char* name, CS3String& field) override;
    int GetColumnPositive(const char* name, CS3String& field) override;
    int GetColumnText(const char* name, CS3String& field) override;
    int GetColumn(const char* name, CS3String& field) override;
    // The "ID" column of the current result row as integer.
    int CurrentColumnInt(int* out) override;
    // The result column at the current column position (advanced by
    // FirstColumn/NextColumn over the result's columns).
    int CurrentColumn(NUString* nameOut, CS3String& field) override;
    // Deletes CR bytes from the value, then adds or replaces the column with
    // skip-empty cleared, so that empty values always reach the statement.
    int SetColumn(const char* name, const char* value, bool skipEmpty,
                  int kind = kItemText) override;
    // Frees the condition lists, select list, order list and group-by text.
    int ClearStatement() override;
    // Rows of a statement buffer keep their order: 0.
    int SortRows() override;

    // Builds and executes the count statement over the buffer's table and
    // conditions (column null: SID_CORPORATE). The count, or a negative code.
    virtual int Count(int rowLimit, const char* column = nullptr);
    // Not supported by a statement buffer: -1000024.
    virtual int Unsupported();
    // Reads the result column at position (0-based) of the current result
    // row into field. 0; -110; -111; the field's Set result.
    virtual int ColumnAt(int position, CS3String& field);

    // Table expression (at most 2047 bytes; longer texts are cut).
    const char* Table() const { return table.c_str(); }
    void SetTable(const char* text);

    CS3ItemList& GeList() { return geList; }
    CS3ItemList& LeList() { return leList; }
    CS3ItemList& EqList() { return eqList; }
    CS3ItemList& NeList() { return neList; }
    CS3ItemList& LikeList() { return likeList; }
    CS3ItemList& InList() { return inList; }
    CS3ItemList& SelectList() { return selectList; }
    const CS3ItemList& GeList() const { return geList; }
    const CS3ItemList& LeList() const { return leList; }
    const CS3ItemList& EqList() const { return eqList; }
    const CS3ItemList& NeList() const { return neList; }
    const CS3ItemList& LikeList() const { return likeList; }
    const CS3ItemList& InList() const { return inList; }
    const CS3ItemList& SelectList() const { return selectList; }

    // Group-by text ("" when none).
    const std::string& GroupBy() const { return groupBy; }
    void SetGroupBy(const char* text) { groupBy = text ? text : ""; }

    int OperationCode() const { return operation; }
    void SetOperationCode(int code) { operation = code; }

    // The statement last built (owned by the buffer) and the values bound to
    // its "?" markers, in order.
    const std::string& Statement() const { return statement; }
    void SetStatement(std::string text) { statement = std::move(text); }
    std::vector<std::string>& Params() { return params; }
    const std::vector<std::string>& Params() const { return params; }

    // When set, a load does not read the "ID" column back.
    bool IdReadFlag() const { return idRead != 0; }
    void SetIdReadFlag(bool on) { idRead = on ? 1 : 0; }

private:
    int ReadColumn(const char* name, NUString& text);
    // As ReadColumn without the copy: *text points at the value in the
    // current row (NUL-terminated, *length bytes) until the row changes.
    int PeekColumn(const char* name, const char** text, int* length);
    int ReadInto(const char* name, CS3String& field, int digits);

    // Where the columns read by name lie in the current result.
    DBColumnCache columnCache;
    std::string table;
    CS3ItemList geList, leList, eqList, neList, likeList, inList;
    CS3ItemList selectList;
    std::string groupBy;
    int operation = kOpRead;
    std::string statement;
    std::vector<std::string> params;
    unsigned char idRead = 0;
};
