// SQL Server to SQLite rewriting: tokens join back to the statement, and
// the rewrites keep every string literal as it is (apart from the line
// continuations and LIKE escapes, which are their purpose) in a statement
// whose quotes and comments are closed.
#include <algorithm>
#include <string>
#include <vector>

#include "db/sql_dialect.h"
#include "support.h"

namespace {

// The literals among tokens, sorted.
std::vector<std::string> Literals(const std::vector<SqlToken>& tokens) {
    std::vector<std::string> literals;
    for (const SqlToken& token : tokens) {
        if (token.kind == SqlTokenKind::Literal) literals.push_back(token.text);
    }
    std::sort(literals.begin(), literals.end());
    return literals;
}

std::string Show(const std::vector<std::string>& literals) {
    std::string out;
    for (const std::string& literal : literals) out += Visible(literal) + " ";
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string sql(reinterpret_cast<const char*>(data), size);
    std::vector<SqlToken> tokens = TokenizeSql(sql);
    FUZZ_CHECK(JoinSql(tokens) == sql, "[" + Visible(sql) + "]");
    for (const SqlToken& token : tokens) FUZZ_CHECK(!token.text.empty(), "[" + Visible(sql) + "]");

    // Literals, names and comments left open run to the end of the text;
    // rewrites that append to such a statement are not checked.
    std::vector<SqlToken> closed = TokenizeSql(sql + "\n;");
    if (closed.back().kind != SqlTokenKind::Symbol) return 0;

    // The rewrites that change literals on purpose; the others (prefixes,
    // lock hints, TOP, derived-table updates) must keep them all.
    JoinLineContinuations(&tokens);
    DropUnicodePrefixes(&tokens);
    RewriteLikeBrackets(&tokens);
    std::vector<std::string> before = Literals(tokens);
    std::string rewritten = RewriteForSqlite(sql);
    std::vector<std::string> after = Literals(TokenizeSql(rewritten));
    FUZZ_CHECK(before == after, "[" + Visible(sql) + "] became [" + Visible(rewritten) +
                                    "]\nliterals " + Show(before) + "\nbecame " + Show(after));
    return 0;
}
