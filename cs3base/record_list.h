// Record lists: CS3Index (an array of member records with paging state),
// CS3DBIndex (filled from the database a page at a time), and the name-value
// record sets CS3NURecords / CS3DBNURecords.
#pragma once

#include <string>
#include <vector>

#include "cs3base/record.h"

class NUNVList;
class NURecodes;

// Result codes of the ordered-list move (see ordered_list.h).
constexpr int kMoveTooMany = -6100100;
constexpr int kMoveNothingToMove = -6100101;
constexpr int kMoveNoTarget = -6100102;
// Most identifiers one move takes.
constexpr int kMoveMaxItems = 100;
// Most identifiers one batch of LoadMembers puts into its IN list.
constexpr int kMemberBatchSize = 1000;

// First row of the last page of a result of total rows, pageSize rows a
// page (0 when the result fits one page).
int LastPageStart(int total, int pageSize);
// The page start a request for pageStart gets: the last page's start when
// the request lies beyond it; 0 without a page size.
int ClampPageStart(int pageStart, int pageSize, int total);

// Rows the top rewrite fetches for a page: page start (0 when negative)
// plus page size, held at INT_MAX.
int TopRowCount(int pageStart, int pageSize);

// One inclusive identifier range of ForEachIdRange.
struct IdRange {
    int low;
    int high;
};
// The ranges covering minId..maxId in steps of width (width <= 0 reads as
// 1000): disjoint, in ascending order, each identifier in exactly one.
// Empty when maxId < minId.
std::vector<IdRange> SplitIdRange(int minId, int maxId, int width);

// Rewrites a built "SELECT ..." as "select top <count> ..." (a "SELECT
// DISTINCT ..." as "select distinct top <count> ..."). 0; -99 for an empty
// statement (logged).
int RewriteSelectTop(std::string& statement, int count);

// The load of a list or record set: a read buffer for list (TableName, key
// conditions, PrepareSelect), then list.GetFields on it. 0 or the first
// failure.
int LoadListRows(CS3Object& list);

// A list of records. Members are owned: created by NewItem, destroyed by
// DeleteItem (a class that overrides DeleteItem must call ClearItems in its
// own destructor). Slots before the page start and slots of failed loads
// are empty (null).
class CS3Index : public CS3Object {
public:
    CS3Index();
    ~CS3Index() override;

    // --- Operations added to those of CS3Object, in dispatch order. ---

    // Frees every member; member and total count become 0.
    virtual void ClearItems();
    // False when a member's identifier text equals id; true otherwise.
    virtual bool ContainsId(const char* id);
    // False when the lists share an identifier, or other is this list.
    virtual bool IsDisjoint(CS3Index& other);
    // Appends members for the "_item" sub-items of store's row named name
    // (an item named "_lastid" is skipped); Reject drops members. 0; -110
    // when there is no such row; -10 when NewItem fails.
    virtual int LoadFromStore(const char* name, CS3Data& store);
    // Adds each member's identifier as an "_item" sub-item of store's row
    // named name (created when missing), Reject filtering. 0; -99.
    virtual int SaveToStore(const char* name, CS3Data& store, bool noDuplicateCheck);
    // Appends a member with the identifier of each member of other, unless
    // allowDuplicates is false and the identifier is present. 0; -10.
    virtual int AppendItems(CS3Index& other, bool allowDuplicates);
    // ClearItems, then AppendItems.
    virtual int ReplaceItems(CS3Index& other, bool allowDuplicates);
    // Called by a database fetch before it counts; 0 here.
    virtual int BeforeFetch(CS3DataDB& buffer);
    // The number of rows the list's query selects before paging: the count
    // over the buffer's table and conditions. Negative: a failure code.
    virtual int CountListRows(CS3DataDB& buffer);
    // Called by a database fetch after the members are built; 0 here.
    virtual int AfterFetch(CS3DataDB& buffer);
    // Destroys a member (delete here).
    virtual void DeleteItem(CS3Object* member);
    // A new member owned by the caller (a CS3Object here); null when
    // allocation fails.
    virtual CS3Object* NewItem();
    // True drops the member when copying or storing; false here.
    virtual bool Reject(CS3Object* member);
    // The table whose identifiers a store keeps; "" here.
    virtual int StoreTableName(NUString& buffer);
    // Loads the fields of the members from the page start on, in batches
    // of at most 1000 identifiers: the list's SELECT with "<column> in
    // (<ids>)" added to its WHERE clause (BuildBatchSelect), each identifier
    // written as a value of its kind, over buffer (a read buffer of this
    // list). idColumn null or "": "ID". 0 or the first failure.
    virtual int LoadMembers(CS3DataDB& buffer, const char* idColumn);
    // Reads the current result rows into the members of slots first ..
    // first + count - 1 matching their identifier column (by number, or by
    // text for members keyed by text). 0 at the end of the rows, or a
    // failure.
    virtual int TakeMemberRows(CS3DataDB& buffer, const char* idColumn, int first, int count);
    // Slot of the first member whose identifier equals name ignoring case,
    // or -1.
    virtual int FindByName(const char* name);
    // Moves other's members to the end of this list and adds its total
    // count to this one's; other is left empty. 0.
    virtual int Absorb(CS3Index& other);
    // Sorts the members by IdInt ascending; empty slots go last.
    virtual void SortById();

    // --- Accessors. ---
    // Position after the last member (the used length of the slots).
    int ItemCount() const { return static_cast<int>(items.size()); }
    // The member in slot index, or null (empty slot or out of range).
    CS3Object* ItemAt(int index) const;
    // Appends member (taking ownership; null makes an empty slot) and
    // counts it in the total. 0.
    int AddItem(CS3Object* member);
    // Destroys the member of slot index and closes the gap; the total count
    // drops by one unless the keep-total flag is set. 0; -99 bad index.
    int RemoveItemAt(int index);

    int TotalCount() const { return totalCount; }
    void SetTotalCount(int count) { totalCount = count; }
    int PageStart() const { return pageStart; }
    int PageSize() const { return pageSize; }
    // Page start (-1 or 0: from the first row) and size (0: all rows).
    void SetPage(int start, int size) {
        pageStart = start;
        pageSize = size;
    }
    void SetKeepTotal(bool on) { keepTotal = on ? 1 : 0; }
    bool LoadMembersFlag() const { return loadMembers != 0; }
    void SetLoadMembersFlag(bool on) { loadMembers = on ? 1 : 0; }

protected:
    // Creates a member carrying identifier id; Reject drops it (then *out
    // stays null and 0 is returned). -10 when NewItem fails.
    int MakeMember(const char* id, CS3Object** out);

    std::vector<CS3Object*> items;
    int totalCount = 0;
    int pageStart = -1;
    int pageSize = 0;
    int keepTotal = 0;
    unsigned char loadMembers = 0;
};

// A list read from the database. LoadFirst prepares the list's read buffer
// (TableName, key conditions, PrepareSelect) and GetFields fetches the page.
class CS3DBIndex : public CS3Index {
public:
    CS3DBIndex();
    ~CS3DBIndex() override;

    // The list load: a read buffer for this list, then GetFields. 0 or the
    // first failure (the list is then empty).
    int LoadFirst() override;
    // Fetches the page into the members (count, last-page rule, duplicates
    // and excluded identifiers skipped). buffer must be a CS3DataDB.
    int GetFields(CS3Data& buffer) override;
    // In top mode the rows the top rewrite fetches (page start + size, no
    // statement); otherwise the count of CS3Index.
    int CountListRows(CS3DataDB& buffer) override;

    // --- Operations added to those of CS3Index, in dispatch order. ---

    // Runs "<statement> AND <column> >= low AND <column> <= high AND
    // SID_CORPORATE=<cid>" for each range of SplitIdRange(MINID, MAXID,
    // "maxdir") of table's column, then OnIdRange, then commits. 0; the
    // first failure (a failed statement or commit is rolled back).
    virtual int ForEachIdRange(const char* statement, const char* table, const char* column);
    // Called after each range's statement, before its commit; 0 here.
    virtual int OnIdRange(int low, int high);
    // The "ID" column of the current result row as integer. 0; -110; -111.
    virtual int ReadIdInt(CS3DataDB& buffer, int* out);
    // The list's SELECT into out (select list reduced to the identifier
    // when StatusFlag is false; DISTINCT as chosen; the top rewrite).
    virtual int BuildListSelect(CS3DataDB& buffer, std::string& out);
    // Builds and executes the list's SELECT. 0 (also when no row); a
    // failure empties the list.
    virtual int ExecuteList(CS3DataDB& buffer);
    // Deletes the list's rows: "delete from <table> where SID_CORPORATE=<cid>
    // [and <DeleteCondition>]". 0; -110 nothing deleted; a failure code.
    virtual int DeleteAll();
    // Moves up to 100 rows next to target in the SEQNO order: before it
    // when direction is '+', after it otherwise (ordered_list.cpp). 0;
    // -6100100; -6100101; -6100102; -99; -10; a statement's failure.
    virtual int MoveItems(const char* const* identifiers, int count, const char* target,
                          char direction);
    // With top mode on and paging asked for, rewrites statement as
    // "select top <start + size> ...". 0; -99 for an empty statement.
    virtual int ApplyTop(std::string& statement);
    // Condition that limits DeleteAll; "" here.
    virtual int DeleteCondition(NUString& out);
    // Names of the ordered-list move: order column ("SEQNO"), identifier
    // column ("ID"), the condition that delimits the list ("") and a
    // column stamped on renumbered rows ("").
    virtual int SeqnoColumn(NUString& out);
    virtual int IdColumnName(NUString& out);
    virtual int ListCondition(NUString& out);
    virtual int ExtraSetColumn(NUString& out);
    // The identifier of the current result row into value: in text mode the
    // text with trailing blanks removed, else the integer. 0; -110; -111.
    virtual int ReadRowId(CS3DataDB& buffer, CS3String& value);
    // Reduces the buffer's select list to the identifier column.
    virtual int SelectIdOnly(CS3DataDB& buffer);
    // "update f set SEQNO=rownumcnt+<base>[,<stamp>] from (<row-number
    // select> where <condition>) as f": the rows meeting condition get
    // base + 1, base + 2, ... in their present order. 0; -110 no row; a
    // failure code.
    virtual int RenumberUpdate(int base, const char* condition);

    // --- Accessors. ---
    // Members whose identifiers a fetch leaves out (each one is removed from
    // this list when its row is met).
    CS3Index& Exclusions() { return exclusions; }
    bool TopMode() const { return topMode != 0; }
    void SetTopMode(bool on) { topMode = on ? 1 : 0; }
    void SetDistinct(bool on) { distinct = on; }
    // Identifiers of the last move that lay before / at or after the target.
    const std::vector<std::string>& MovedBefore() const { return movedBefore; }
    const std::vector<std::string>& MovedAfter() const { return movedAfter; }

private:
    int FetchRows(CS3DataDB& buffer, bool paging);

    std::string lastId;
    // The identifier column's name, asked once per fetch, so that reading
    // each row's identifier allocates nothing.
    NUString idColumnName;
    CS3Index exclusions;
    std::vector<std::string> movedBefore;
    std::vector<std::string> movedAfter;
    int topMode = 0;
    bool distinct = false;
};

// Column kinds of a name-value record set.
enum CS3NUColumnKind : int { kNUColumnText = 0, kNUColumnNumber = 1 };

// A result set held as rows of name-value lists: each row is a NUNVList of
// column name -> value text, owned by a NURecodes list; with the column
// names and kinds, a page start and size and the total count.
class CS3NURecords : public CS3Object {
public:
    CS3NURecords();
    ~CS3NURecords() override;

    // Removes every row and column.
    void Clear();
    int RowCount() const;
    int ColumnCount() const { return static_cast<int>(columns.size()); }
    // Name / kind of column index ("" / -1 out of range).
    const char* ColumnName(int index) const;
    int ColumnKind(int index) const;
    // Index of the column named name ignoring case, or -1.
    int ColumnIndex(const char* name) const;
    // Adds a column (an existing name keeps its place and takes kind).
    // Returns its index; -99 for a null name.
    int AddColumn(const char* name, int kind);
    // Removes a column and its values from every row. 0; -110 no such
    // column.
    int RemoveColumn(const char* name);
    // Appends an empty row; its index, or -10.
    int AddRow();
    // Removes row index. 0; -99 bad index.
    int RemoveRow(int index);
    // Value of column name in row index: never null ("" when absent).
    const char* Value(int row, const char* name) const;
    const char* ValueAt(int row, int column) const;
    // Sets the value (the column is added when new). 0; -99; -10.
    int SetValue(int row, const char* name, const char* value);
    // The row's list (owned by this object), or null.
    NUNVList* Row(int index) const;

    int PageStart() const { return pageStart; }
    int PageSize() const { return pageSize; }
    void SetPage(int start, int size) {
        pageStart = start;
        pageSize = size;
    }
    int TotalCount() const { return totalCount; }

protected:
    NURecodes* rows;
    std::vector<std::string> columns;
    std::vector<int> kinds;
    int pageStart = -1;
    int pageSize = 0;
    int totalCount = 0;
};

// A name-value record set read from the database: LoadFirst prepares the
// read buffer, GetFields counts (with a page size), runs the SELECT (with
// the top rewrite when paging) and reads the rows. Each value is read at
// its own result position; when several result columns share a name
// (ignoring case), as after "SELECT *" over a join, the name keeps the first
// column's value and the later ones are not kept.
class CS3DBNURecords : public CS3NURecords {
public:
    int LoadFirst() override;
    int GetFields(CS3Data& buffer) override;

    // --- Operations added, in dispatch order. ---

    // Condition that limits a delete of the set; "" here.
    virtual int DeleteCondition(NUString& out);
    // The set's SELECT into out (with the group-by text).
    virtual int BuildRecordSelect(CS3DataDB& buffer, std::string& out);
    // Builds the SELECT, applies the top rewrite when paging and executes
    // it. 0 (also when there is no row) or a failure code.
    virtual int ExecuteRecordSelect(CS3DataDB& buffer);
    // Counts the rows of the buffer's condition lists apart from the
    // company term (never by cutting the built text, whose literals may
    // hold anything). The count, or a negative code.
    virtual int CountAll(CS3DataDB& buffer);
};

