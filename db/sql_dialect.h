// Rewriting of the framework's SQL Server statements for SQLite. Works on
// tokens, so the inside of string literals, quoted names and comments is
// never touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class SqlTokenKind {
    Word,        // name, keyword or number: letters, digits, _ @ # $ and non-ASCII bytes
    Literal,     // '...' with '' inside, quotes included
    QuotedName,  // "..." or [...]
    Comment,     // -- to the end of the line, or /* ... */
    Space,       // a run of blanks, tabs and line breaks
    Symbol,      // any other single byte
};

struct SqlToken {
    SqlTokenKind kind;
    std::string text;
};

// Splits sql into tokens; joining their texts gives sql back unchanged.
std::vector<SqlToken> TokenizeSql(std::string_view sql);
std::string JoinSql(const std::vector<SqlToken>& tokens);
// True when token is a Word equal to word, ASCII letters compared without case.
bool IsSqlWord(const SqlToken& token, const char* word);

// The rewrites, each over the token list, in the order RewriteForSqlite
// applies them:
// A backslash that ends a line inside a string literal is a line
// continuation: the backslash and the line break (LF or CR LF) go.
void JoinLineContinuations(std::vector<SqlToken>* tokens);
// N'...' becomes '...'.
void DropUnicodePrefixes(std::vector<SqlToken>* tokens);
// "with(updlock)", "WITH (TABLOCKX)" and the like are removed with the
// blanks before them.
void DropLockHints(std::vector<SqlToken>* tokens);
// "select [distinct] top N ..." becomes "select [distinct] ... LIMIT N",
// the LIMIT closing that select (its parenthesis, ";" or the end).
void MoveTopToLimit(std::vector<SqlToken>* tokens);
// LIKE patterns with bracket escapes ("[%]", "[_]", "[[]") get the
// escapes as "\%", "\_", "[" and an ESCAPE '\' clause; a pattern wrapped in
// UPPER( ) or LOWER( ) gets the clause after the parenthesis. Patterns with
// other bracket classes are left as they are.
void RewriteLikeBrackets(std::vector<SqlToken>* tokens);

// "update f set <assignments> from (select <columns> from <table> [where
// <condition>]) as f", which updates table's rows through the derived
// table f, becomes "UPDATE <table> SET <assignments> FROM (select rowid AS
// rownumrowid,<columns> from <table> [where <condition>]) AS f WHERE
// <table>.rowid=f.rownumrowid": the same rows get the same values, window
// functions of the derived table included. The assignments must name
// table's columns unqualified and read only f's own columns or constants;
// other forms are left as they are.
void RewriteDerivedTableUpdate(std::vector<SqlToken>* tokens);

// "DELETE <alias> FROM <table> <rest>", which deletes the rows of the
// table named by alias in a join or table list, becomes "DELETE FROM
// <table> WHERE rowid IN (SELECT <alias>.rowid FROM <table> <rest>)". Only
// the first table may be the one named by alias; statements with comments
// after FROM are left as they are.
void RewriteAliasedDelete(std::vector<SqlToken>* tokens);

// Applies every rewrite to sql.
std::string RewriteForSqlite(std::string_view sql);
