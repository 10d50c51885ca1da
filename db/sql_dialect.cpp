// SQL Server to SQLite statement rewriting over a token list.
#include "db/sql_dialect.h"

#include <cstring>

#include "util/nu_string.h"
#include "util/utf8_text.h"

namespace {

bool IsSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsWordByte(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
           u == '_' || u == '@' || u == '#' || u == '$' || u >= 0x80;
}

// End of a quoted run that starts at begin with the opening byte and ends
// with close, a doubled close standing for itself; the text's end when
// unterminated.
size_t QuotedEnd(std::string_view sql, size_t begin, char close) {
    size_t i = begin + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

size_t TokenEnd(std::string_view sql, size_t i, SqlTokenKind* kind) {
    char c = sql[i];
    if (c == '\'') return *kind = SqlTokenKind::Literal, QuotedEnd(sql, i, '\'');
    if (c == '"') return *kind = SqlTokenKind::QuotedName, QuotedEnd(sql, i, '"');
    if (c == '[') return *kind = SqlTokenKind::QuotedName, QuotedEnd(sql, i, ']');
    if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
        *kind = SqlTokenKind::Comment;
        size_t end = sql.find('\n', i);
        return end == std::string_view::npos ? sql.size() : end;
    }
    if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
        *kind = SqlTokenKind::Comment;
        size_t end = sql.find("*/", i + 2);
        return end == std::string_view::npos ? sql.size() : end + 2;
    }
    size_t j = i + 1;
    if (IsSpaceByte(c)) {
        *kind = SqlTokenKind::Space;
        while (j < sql.size() && IsSpaceByte(sql[j])) ++j;
        return j;
    }
    if (IsWordByte(c)) {
        *kind = SqlTokenKind::Word;
        while (j < sql.size() && IsWordByte(sql[j])) ++j;
        return j;
    }
    *kind = SqlTokenKind::Symbol;
    return j;
}

// Erases tokens [begin, end). When the tokens that then meet would read as
// one ('a' 'b' as 'a''b', two words, "-" "-"), a blank goes between them.
void EraseTokens(std::vector<SqlToken>& tokens, size_t begin, size_t end) {
    tokens.erase(tokens.begin() + static_cast<long>(begin), tokens.begin() + static_cast<long>(end));
    if (begin == 0 || begin >= tokens.size()) return;
    if (TokenizeSql(tokens[begin - 1].text + tokens[begin].text).size() == 2) return;
    tokens.insert(tokens.begin() + static_cast<long>(begin), SqlToken{SqlTokenKind::Space, " "});
}

bool IsSymbol(const SqlToken& token, char c) {
    return token.kind == SqlTokenKind::Symbol && token.text[0] == c;
}

bool IsDigits(const SqlToken& token) {
    if (token.kind != SqlTokenKind::Word) return false;
    for (char c : token.text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Index of the first token from i on that is neither blank nor comment;
// tokens.size() when none.
size_t NextSignificant(const std::vector<SqlToken>& tokens, size_t i) {
    while (i < tokens.size() &&
           (tokens[i].kind == SqlTokenKind::Space || tokens[i].kind == SqlTokenKind::Comment)) {
        ++i;
    }
    return i;
}

const char* const kLockHints[] = {
    "updlock",       "tablockx",      "tablock",        "rowlock", "paglock",
    "nolock",        "holdlock",      "readpast",       "xlock",   "readuncommitted",
    "readcommitted", "repeatableread", "serializable", "nowait",
};

bool IsLockHint(const SqlToken& token) {
    for (const char* hint : kLockHints) {
        if (IsSqlWord(token, hint)) return true;
    }
    return false;
}

// When tokens[i] starts "with ( hint [, hint]... )", the index after the
// closing parenthesis, else 0.
size_t LockHintEnd(const std::vector<SqlToken>& tokens, size_t i) {
    if (!IsSqlWord(tokens[i], "with")) return 0;
    size_t j = NextSignificant(tokens, i + 1);
    if (j >= tokens.size() || !IsSymbol(tokens[j], '(')) return 0;
    while (true) {
        j = NextSignificant(tokens, j + 1);
        if (j >= tokens.size() || !IsLockHint(tokens[j])) return 0;
        j = NextSignificant(tokens, j + 1);
        if (j >= tokens.size()) return 0;
        if (IsSymbol(tokens[j], ')')) return j + 1;
        if (!IsSymbol(tokens[j], ',')) return 0;
    }
}

// The LIKE pattern literal with its bracket escapes turned into
// backslash escapes; false when it has none, or has a bracket class that
// cannot be expressed that way.
bool EscapeBrackets(const std::string& literal, std::string* out) {
    if (literal.size() < 2 || literal.back() != '\'') return false;
    std::string_view inner(literal.data() + 1, literal.size() - 2);
    std::string result = "'";
    bool escaped = false;
    size_t i = 0;
    while (i < inner.size()) {
        char c = inner[i];
        if (c == '\\') {
            result += "\\\\";
            ++i;
            continue;
        }
        if (c != '[') {
            result += c;
            ++i;
            continue;
        }
        size_t unit = 0;
        if (i + 2 < inner.size() && inner[i + 1] == '\'' && inner[i + 2] == '\'') {
            unit = 2;
        } else if (i + 1 < inner.size()) {
            unit = static_cast<size_t>(Utf8LeadLength(static_cast<unsigned char>(inner[i + 1])));
        }
        if (unit == 0 || i + 1 + unit >= inner.size() || inner[i + 1 + unit] != ']') return false;
        std::string_view member = inner.substr(i + 1, unit);
        if (member == "%" || member == "_") {
            result += '\\';
            result += member;
        } else if (member == "\\") {
            result += "\\\\";
        } else {
            result += member;
        }
        escaped = true;
        i += unit + 2;
    }
    if (!escaped) return false;
    result += '\'';
    *out = std::move(result);
    return true;
}

// Index of the parenthesis that closes the one at open, or tokens.size().
size_t MatchingParen(const std::vector<SqlToken>& tokens, size_t open) {
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], '(')) {
            ++depth;
        } else if (IsSymbol(tokens[i], ')') && --depth == 0) {
            return i;
        }
    }
    return tokens.size();
}

// Index of the first word token between begin and end, outside
// parentheses, equal to word; end when none.
size_t FindTopLevelWord(const std::vector<SqlToken>& tokens, size_t begin, size_t end,
                        const char* word) {
    int depth = 0;
    for (size_t i = begin; i < end; ++i) {
        if (IsSymbol(tokens[i], '(')) {
            ++depth;
        } else if (IsSymbol(tokens[i], ')')) {
            --depth;
        } else if (depth == 0 && IsSqlWord(tokens[i], word)) {
            return i;
        }
    }
    return end;
}

std::string JoinRange(const std::vector<SqlToken>& tokens, size_t begin, size_t end) {
    std::string text;
    for (size_t i = begin; i < end && i < tokens.size(); ++i) text += tokens[i].text;
    return text;
}

}  // namespace

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
    std::vector<SqlToken> tokens;
    size_t i = 0;
    while (i < sql.size()) {
        SqlTokenKind kind;
        size_t end = TokenEnd(sql, i, &kind);
        tokens.push_back({kind, std::string(sql.substr(i, end - i))});
        i = end;
    }
    return tokens;
}

std::string JoinSql(const std::vector<SqlToken>& tokens) {
    std::string sql;
    for (const SqlToken& token : tokens) sql += token.text;
    return sql;
}

bool IsSqlWord(const SqlToken& token, const char* word) {
    return token.kind == SqlTokenKind::Word && EqualsNoCase(token.text.c_str(), word);
}

void DropUnicodePrefixes(std::vector<SqlToken>* tokens) {
    for (size_t i = 0; i + 1 < tokens->size(); ++i) {
        if (IsSqlWord((*tokens)[i], "N") && (*tokens)[i + 1].kind == SqlTokenKind::Literal) {
            EraseTokens(*tokens, i, i + 1);
        }
    }
}

void DropLockHints(std::vector<SqlToken>* tokens) {
    for (size_t i = 0; i < tokens->size(); ++i) {
        size_t end = LockHintEnd(*tokens, i);
        if (end == 0) continue;
        size_t begin = i;
        while (begin > 0 && (*tokens)[begin - 1].kind == SqlTokenKind::Space) --begin;
        EraseTokens(*tokens, begin, end);
        i = begin;
    }
}

void MoveTopToLimit(std::vector<SqlToken>* tokens) {
    std::vector<SqlToken>& t = *tokens;
    for (size_t i = 0; i < t.size(); ++i) {
        if (!IsSqlWord(t[i], "select")) continue;
        size_t top = NextSignificant(t, i + 1);
        if (top < t.size() && (IsSqlWord(t[top], "distinct") || IsSqlWord(t[top], "all"))) {
            top = NextSignificant(t, top + 1);
        }
        if (top >= t.size() || !IsSqlWord(t[top], "top")) continue;
        size_t number = NextSignificant(t, top + 1);
        size_t last = number;
        if (number < t.size() && IsSymbol(t[number], '(')) {
            number = NextSignificant(t, number + 1);
            last = NextSignificant(t, number + 1);
            if (last >= t.size() || !IsSymbol(t[last], ')')) continue;
        }
        if (number >= t.size() || !IsDigits(t[number])) continue;
        std::string count = t[number].text;
        size_t removeEnd = last + 1;
        if (removeEnd < t.size() && t[removeEnd].kind == SqlTokenKind::Space) ++removeEnd;
        EraseTokens(t, top, removeEnd);
        // The select ends at the parenthesis that closes it, a ";" or the end.
        size_t end = top;
        int depth = 0;
        for (; end < t.size(); ++end) {
            if (IsSymbol(t[end], '(')) {
                ++depth;
            } else if (IsSymbol(t[end], ')')) {
                if (depth == 0) break;
                --depth;
            } else if (depth == 0 && IsSymbol(t[end], ';')) {
                break;
            }
        }
        while (end > top && (t[end - 1].kind == SqlTokenKind::Space ||
                             t[end - 1].kind == SqlTokenKind::Comment)) {
            --end;
        }
        const SqlToken limit[] = {{SqlTokenKind::Space, " "},
                                  {SqlTokenKind::Word, "LIMIT"},
                                  {SqlTokenKind::Space, " "},
                                  {SqlTokenKind::Word, count}};
        t.insert(t.begin() + static_cast<long>(end), std::begin(limit), std::end(limit));
    }
}

void RewriteLikeBrackets(std::vector<SqlToken>* tokens) {
    std::vector<SqlToken>& t = *tokens;
    for (size_t i = 0; i < t.size(); ++i) {
        if (!IsSqlWord(t[i], "like")) continue;
        size_t pattern = NextSignificant(t, i + 1);
        if (pattern >= t.size()) continue;
        // The pattern may be wrapped in UPPER( ) or LOWER( ); the ESCAPE
        // clause then follows the closing parenthesis.
        size_t patternEnd = pattern;
        if (IsSqlWord(t[pattern], "upper") || IsSqlWord(t[pattern], "lower")) {
            size_t open = NextSignificant(t, pattern + 1);
            if (open >= t.size() || !IsSymbol(t[open], '(')) continue;
            pattern = NextSignificant(t, open + 1);
            patternEnd = pattern < t.size() ? NextSignificant(t, pattern + 1) : t.size();
            if (patternEnd >= t.size() || !IsSymbol(t[patternEnd], ')')) continue;
        }
        if (t[pattern].kind != SqlTokenKind::Literal) continue;
        size_t after = NextSignificant(t, patternEnd + 1);
        if (after < t.size() && IsSqlWord(t[after], "escape")) continue;
        std::string rewritten;
        if (!EscapeBrackets(t[pattern].text, &rewritten)) continue;
        t[pattern].text = std::move(rewritten);
        const SqlToken clause[] = {{SqlTokenKind::Space, " "},
                                   {SqlTokenKind::Word, "ESCAPE"},
                                   {SqlTokenKind::Space, " "},
                                   {SqlTokenKind::Literal, "'\\'"}};
        t.insert(t.begin() + static_cast<long>(patternEnd + 1), std::begin(clause),
                 std::end(clause));
        i = patternEnd + 4;
    }
}

void JoinLineContinuations(std::vector<SqlToken>* tokens) {
    for (SqlToken& token : *tokens) {
        if (token.kind != SqlTokenKind::Literal || token.text.find('\\') == std::string::npos) {
            continue;
        }
        const std::string& in = token.text;
        std::string out;
        for (size_t i = 0; i < in.size(); ++i) {
            if (in[i] == '\\' && i + 1 < in.size() && in[i + 1] == '\n') {
                ++i;
                continue;
            }
            if (in[i] == '\\' && i + 2 < in.size() && in[i + 1] == '\r' && in[i + 2] == '\n') {
                i += 2;
                continue;
            }
            out += in[i];
        }
        token.text = std::move(out);
    }
}

void RewriteDerivedTableUpdate(std::vector<SqlToken>* tokens) {
    const std::vector<SqlToken>& t = *tokens;
    size_t update = NextSignificant(t, 0);
    if (update >= t.size() || !IsSqlWord(t[update], "update")) return;
    size_t alias = NextSignificant(t, update + 1);
    if (alias >= t.size() || t[alias].kind != SqlTokenKind::Word) return;
    size_t set = NextSignificant(t, alias + 1);
    if (set >= t.size() || !IsSqlWord(t[set], "set")) return;
    size_t from = FindTopLevelWord(t, set + 1, t.size(), "from");
    if (from >= t.size()) return;
    size_t open = NextSignificant(t, from + 1);
    if (open >= t.size() || !IsSymbol(t[open], '(')) return;
    size_t close = MatchingParen(t, open);
    if (close >= t.size()) return;
    size_t as = NextSignificant(t, close + 1);
    if (as < t.size() && IsSqlWord(t[as], "as")) as = NextSignificant(t, as + 1);
    if (as >= t.size() || !IsSqlWord(t[as], t[alias].text.c_str())) return;
    size_t rest = NextSignificant(t, as + 1);
    if (rest < t.size() && !IsSymbol(t[rest], ';')) return;

    // The derived table: a plain select over one table, limited by WHERE.
    size_t select = NextSignificant(t, open + 1);
    if (select >= close || !IsSqlWord(t[select], "select")) return;
    size_t first = NextSignificant(t, select + 1);
    if (first >= close || IsSqlWord(t[first], "distinct") || IsSqlWord(t[first], "all") ||
        IsSqlWord(t[first], "top")) {
        return;
    }
    size_t innerFrom = FindTopLevelWord(t, first, close, "from");
    if (innerFrom >= close) return;
    size_t table = NextSignificant(t, innerFrom + 1);
    if (table >= close || t[table].kind != SqlTokenKind::Word) return;
    size_t afterTable = NextSignificant(t, table + 1);
    if (afterTable < close && !IsSqlWord(t[afterTable], "where")) return;

    const std::string& name = t[table].text;
    const std::string& f = t[alias].text;
    std::string sql = JoinRange(t, 0, update) + "UPDATE " + name + " " +
                      JoinRange(t, set, from) + "FROM (" + t[select].text +
                      " rowid AS rownumrowid," + JoinRange(t, select + 1, close) + ") AS " + f +
                      " WHERE " + name + ".rowid=" + f + ".rownumrowid" +
                      JoinRange(t, as + 1, t.size());
    *tokens = TokenizeSql(sql);
}

void RewriteAliasedDelete(std::vector<SqlToken>* tokens) {
    const std::vector<SqlToken>& t = *tokens;
    size_t verb = NextSignificant(t, 0);
    if (verb >= t.size() || !IsSqlWord(t[verb], "delete")) return;
    size_t alias = NextSignificant(t, verb + 1);
    if (alias >= t.size() || t[alias].kind != SqlTokenKind::Word || IsSqlWord(t[alias], "from")) {
        return;
    }
    size_t from = NextSignificant(t, alias + 1);
    if (from >= t.size() || !IsSqlWord(t[from], "from")) return;
    size_t table = NextSignificant(t, from + 1);
    if (table >= t.size() || t[table].kind != SqlTokenKind::Word) return;
    // The statement ends at a top-level ";" or the end; a comment after
    // FROM could swallow the closing parenthesis.
    size_t end = t.size();
    int depth = 0;
    for (size_t i = from + 1; i < t.size(); ++i) {
        if (t[i].kind == SqlTokenKind::Comment) return;
        if (IsSymbol(t[i], '(')) ++depth;
        if (IsSymbol(t[i], ')')) --depth;
        if (depth == 0 && IsSymbol(t[i], ';')) {
            end = i;
            break;
        }
    }
    std::string sql = JoinRange(t, 0, verb) + "DELETE FROM " + t[table].text +
                      " WHERE rowid IN (SELECT " + t[alias].text + ".rowid FROM" +
                      JoinRange(t, from + 1, end) + ")" + JoinRange(t, end, t.size());
    *tokens = TokenizeSql(sql);
}

std::string RewriteForSqlite(std::string_view sql) {
    std::vector<SqlToken> tokens = TokenizeSql(sql);
    JoinLineContinuations(&tokens);
    DropUnicodePrefixes(&tokens);
    DropLockHints(&tokens);
    MoveTopToLimit(&tokens);
    RewriteLikeBrackets(&tokens);
    RewriteDerivedTableUpdate(&tokens);
    RewriteAliasedDelete(&tokens);
    return JoinSql(tokens);
}
