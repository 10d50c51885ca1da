// The SQL statement builder: turns a statement buffer into one SQL Server
// statement (SELECT, locking SELECT, count, maximum, INSERT, UPDATE, DELETE).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cs3base/record_buffer.h"

// Longest value in bytes that a condition may carry after escaping is asked
// for; a longer one makes the builder fail.
constexpr size_t kConditionValueMax = 4096;
// The escape set of like patterns and like search texts.
constexpr const char* kLikeEscapeSet = "%[";

// Builder results: 0 with the statement written to out (or stored in the
// buffer); -62 no statement (empty table expression, a condition value over
// 4096 bytes, no environment for the shared escape buffer); -110 nothing to
// update or insert; -10 allocation failure.

// SELECT [DISTINCT] <select list or *> FROM table [WHERE conditions]
// [ORDER BY ...]; conditions is the text BuildConditions gave.
int BuildSelect(const char* table, const CS3ItemList& selectList, const std::string& conditions,
                const CS3ItemList& orderList, bool distinct, std::string& out);
// SELECT over "<table> with(updlock)" with the buffer's select list,
// conditions and order, never DISTINCT; stored as the buffer's statement.
int BuildSelectForUpdate(CS3DataDB& buffer);
// SELECT of the buffer followed by " group by <text>" when the buffer has a
// group-by text; stored as the buffer's statement.
int BuildSelectWithGroup(CS3DataDB& buffer, bool distinct);
// The SELECT of a batch: the buffer's SELECT with extra (a condition, when
// not empty) joined to its conditions with " and ", inside the WHERE clause
// whatever the shape of the statement; no order, not DISTINCT, then the
// group-by text. Written to out, not stored. 0; -62.
int BuildBatchSelect(const CS3DataDB& buffer, const std::string& extra, std::string& out);
// SELECT count(<column>) (column null or "": SID_CORPORATE) with the
// buffer's conditions; stored as the buffer's statement.
int BuildCount(CS3DataDB& buffer, const char* column);
// "select max(SEQNO) from <table> where <conditions>"; stored as the
// buffer's statement.
int BuildMaxSeqno(CS3DataDB& buffer);
// INSERT of the first row's columns followed by the equal list's key
// columns; the values of kind-4 columns go to the buffer's Params().
int BuildInsert(CS3DataDB& buffer);
// UPDATE of the first row's columns with the buffer's conditions; kind-4
// values go to the buffer's Params().
int BuildUpdate(CS3DataDB& buffer);
// DELETE FROM <table> [WHERE ...]; stored as the buffer's statement.
int BuildDelete(CS3DataDB& buffer);

// The WHERE text alone of the six condition lists ("" without condition).
int BuildConditions(const CS3ItemList& geList, const CS3ItemList& leList,
                    const CS3ItemList& eqList, const CS3ItemList& neList,
                    const CS3ItemList& likeList, const CS3ItemList& inList, std::string& out);
// BuildConditions over a buffer's six lists.
int BuildConditions(const CS3DataDB& buffer, std::string& out);

// value without its CR bytes: the form SetColumn stores.
std::string WithoutCarriageReturns(const std::string& value);
// The one rule for a value of kind as it reaches the database, in a row, a
// key, a condition, a member list or a bound parameter alike, and as rows
// read back are matched against it: without CR bytes, so that a value is
// searched exactly as it is stored. Numbers and SQL expressions (kind 1)
// are taken as they are.
std::string DatabaseValue(const std::string& value, int kind);
// DatabaseValue written as a literal of its kind: a number as it is
// (empty: NULL), a fixed text (kinds 2, 3) as '...', any other kind as
// N'...', both escaped as EscapeValue does.
std::string ValueLiteral(const std::string& value, int kind);
// Escapes value into destination, which must hold 2 * strlen(value) + 1
// bytes (3 * strlen(value) + 1 with an escape set): single quotes doubled,
// bytes of escapeSet (when given) written as "[x]", and a backslash right
// before CR or LF written as backslash, backslash, LF. Null or "" gives "".
// Returns the length written (without the NUL).
size_t EscapeValue(char* destination, const char* value, const char* escapeSet);
// EscapeValue into a string.
std::string EscapeText(const char* value, const char* escapeSet);

// The column name as it must be written for the table expression: alias
// given: "alias.column"; a table list: the first table's alias ("a" for a
// parenthesised sub-select); a join: "a.column"; otherwise the bare name.
std::string QualifyColumn(const char* table, const char* alias, const char* column);
std::string QualifyColumn(const CS3DataDB& buffer, const char* alias, const char* column);

// Executes a count statement and reads the first column of its first row
// as an integer: the count, or a negative code (-110, -111 when there is no
// row; the session's failure codes, logged).
int ExecuteCount(const char* sql);

// The stand-alone count statement over tables (joined with ","), limited
// to the installation's company and the extra condition when not empty.
// Returns the statement text; -62 when tables is empty (out left empty).
int BuildCountRows(const std::vector<std::string>& tables, const char* extra, std::string& out);
// Builds that statement, executes it and reads the count from the first
// column of the first row: the count, or a negative code (-110, -111 when
// there is no row; the session's failure codes).
int CountRows(const std::vector<std::string>& tables, const char* extra);
int CountRows(const char* table, const char* extra);

// The buffer's conditions without the company term (SID_CORPORATE, bare or
// qualified), built from its condition lists. 0; -62 (a value over the limit).
int CountConditionOf(const CS3DataDB& buffer, std::string& out);
// CountRows over the buffer's table expression with CountConditionOf as
// extra condition: the count, or a negative code.
int CountBufferRows(const CS3DataDB& buffer);
