// Statement classes read from the statement's text.
#include "db/statement_text.h"

#include <cstring>

#include "db/sql_dialect.h"

namespace {

bool StartsWith(const char* text, const char* prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

// True when sql holds the row-lock hint " with(updlock)" followed by a
// blank, a comma (the first table of a table list) or the end of the text.
// A locking SELECT without WHERE or ORDER BY ends with the hint; it must
// open the transaction too, or its lock would end with the statement.
bool HasUpdateLock(const char* sql) {
    static const char kHint[] = " with(updlock)";
    for (const char* at = strstr(sql, kHint); at; at = strstr(at + 1, kHint)) {
        char next = at[sizeof(kHint) - 1];
        if (next == ' ' || next == ',' || next == '\0') return true;
    }
    return false;
}

}  // namespace

bool IsReadOnlyStatement(const char* sql) {
    return (StartsWith(sql, "select ") || StartsWith(sql, "SELECT ")) && !HasUpdateLock(sql);
}

TransactionEnd StatementTransactionEnd(std::string_view sql) {
    TransactionEnd found = TransactionEnd::None;
    bool first = true;
    for (const SqlToken& token : TokenizeSql(sql)) {
        if (token.kind == SqlTokenKind::Space || token.kind == SqlTokenKind::Comment) continue;
        bool ends = IsSqlWord(token, "COMMIT") || IsSqlWord(token, "ROLLBACK");
        if (first && (ends || IsSqlWord(token, "END"))) return TransactionEnd::Leading;
        if (ends) found = TransactionEnd::Possible;
        first = false;
    }
    return found;
}
