// The SQL statement builder: SELECT, locking SELECT, counts, INSERT, UPDATE,
// DELETE and the WHERE text, with quoting, escaping and qualification.
#include "cs3base/sql_builder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "db/session.h"
#include "env/environment.h"
#include "util/log.h"
#include "util/nu_string.h"
#include "util/utf8_text.h"

namespace {

const char kUnit[] = "cs3datadb";

bool IsFixed(int kind) { return kind == kItemFixed2 || kind == kItemFixed3; }
bool IsPatternKind(int kind) {
    return kind == kItemLikeOr || kind == kItemLikeAnd || kind == kItemLikeUpperOr ||
           kind == kItemLikeUpperAnd;
}
bool IsOrChainKind(int kind) { return kind == kItemLikeOr || kind == kItemLikeUpperOr; }

// Fixed texts (dates, codes) are written without the N prefix, but with
// the escapes of any literal: quotes doubled so that no value can end its
// literal early, and a backslash before a line break kept.
std::string FixedLiteral(const std::string& value) {
    return "'" + EscapeText(value.c_str(), nullptr) + "'";
}

// Escapes a condition value; false when it is over the condition limit.
bool EscapeCondition(const std::string& value, const char* escapeSet, std::string& out) {
    if (value.size() > kConditionValueMax) {
        TraceError("[%s:%d]len[%d]", kUnit, __LINE__, static_cast<int>(value.size()));
        return false;
    }
    out = EscapeText(value.c_str(), escapeSet);
    return true;
}

// Escapes a row value of INSERT or UPDATE in the environment's shared work
// buffer. 0, or -62 when there is no environment or no buffer.
int EscapeShared(const std::string& value, std::string& out) {
    if (value.size() > static_cast<size_t>(0x3fffffff) ||
        ReserveWorkBuffer(static_cast<int>(value.size())) != 0) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return -62;
    }
    char* work = nullptr;
    if (GetWorkBuffer(&work) != 0 || work == nullptr) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return -62;
    }
    size_t n = EscapeValue(work, value.c_str(), nullptr);
    out.assign(work, n);
    return 0;
}

// Items grouped by name: names in the order of their first appearance,
// items of one name in their order.
std::vector<std::vector<const CS3Item*>> GroupByName(const CS3ItemList& list) {
    std::vector<std::vector<const CS3Item*>> groups;
    for (const CS3Item& item : list) {
        bool placed = false;
        for (auto& group : groups) {
            if (group.front()->name == item.name) {
                group.push_back(&item);
                placed = true;
                break;
            }
        }
        if (!placed) groups.push_back({&item});
    }
    return groups;
}

// Collects the terms of a condition: the first is written bare, every
// later one after its connector.
class ConditionWriter {
public:
    bool Empty() const { return text.empty(); }
    void Term(const std::string& term) {
        if (!text.empty()) text += " AND ";
        text += term;
    }
    void Raw(const std::string& piece) { text += piece; }
    std::string text;
};

std::string DatabaseText(const CS3Item& item) { return DatabaseValue(item.value, item.kind); }

// A comparison of kind-dependent value form: "name<op>value".
bool Comparison(const CS3Item& item, const char* op, std::string& term) {
    std::string value = DatabaseText(item);
    if (item.kind != kItemNumber && !IsFixed(item.kind) && value.size() > kConditionValueMax) {
        TraceError("[%s:%d]len[%d]", kUnit, __LINE__, static_cast<int>(value.size()));
        return false;
    }
    term = item.name + op + ValueLiteral(value, item.kind);
    return true;
}

bool RangeTerms(const CS3ItemList& list, const char* op, ConditionWriter& w) {
    for (const CS3Item& item : list) {
        std::string term;
        if (!Comparison(item, op, term)) return false;
        w.Term(term);
    }
    return true;
}

// The single form of an equal item: an empty text or number (both written
// as NULL) is IS NULL.
bool EqualForm(const CS3Item& item, std::string& term) {
    if (!IsFixed(item.kind) && DatabaseText(item).empty()) {
        term = item.name + " IS NULL";
        return true;
    }
    return Comparison(item, "=", term);
}

// A not-equal term: an empty number (NULL) is IS NOT NULL; an empty text
// is compared as written.
bool NotEqualForm(const CS3Item& item, std::string& term) {
    if (item.kind == kItemNumber && item.value.empty()) {
        term = item.name + " IS NOT NULL";
        return true;
    }
    return Comparison(item, "!=", term);
}

bool NotEqualTerms(const CS3ItemList& list, ConditionWriter& w) {
    for (const CS3Item& item : list) {
        std::string term;
        if (!NotEqualForm(item, term)) return false;
        w.Term(term);
    }
    return true;
}

// One term per name of a list regrouped by name: the single form of its
// item, or the single forms of its items joined by " OR " inside one pair
// of parentheses. Each term carries the kind of the name's first item.
struct NamedTerm {
    std::string text;
    int kind;
};
using SingleForm = bool (*)(const CS3Item&, std::string&);

bool NameTerms(const CS3ItemList& list, SingleForm form, std::vector<NamedTerm>& terms) {
    for (const auto& group : GroupByName(list)) {
        std::string term;
        if (!form(*group.front(), term)) return false;
        if (group.size() > 1) {
            term = "(" + term;
            for (size_t i = 1; i < group.size(); ++i) {
                std::string next;
                if (!form(*group[i], next)) return false;
                term += " OR " + next;
            }
            term += ")";
        }
        terms.push_back({term, group.front()->kind});
    }
    return true;
}

bool EqualTerms(const CS3ItemList& list, ConditionWriter& w) {
    std::vector<NamedTerm> terms;
    if (!NameTerms(list, EqualForm, terms)) return false;
    for (const NamedTerm& term : terms) w.Term(term.text);
    return true;
}

// The single form of a like item: a pattern (kinds 7, 8, 17, 18) keeps one
// leading and one trailing "%" as wildcards and has the rest escaped; any
// other kind searches for the escaped text anywhere.
bool LikeForm(const CS3Item& item, std::string& term) {
    std::string value = DatabaseText(item);
    if (!IsPatternKind(item.kind)) {
        std::string escaped;
        if (!EscapeCondition(value, kLikeEscapeSet, escaped)) return false;
        term = item.name + " LIKE N'%" + escaped + "%'";
        return true;
    }
    if (value.size() > kConditionValueMax) {
        TraceError("[%s:%d]len[%d]", kUnit, __LINE__, static_cast<int>(value.size()));
        return false;
    }
    std::string inner = value;
    bool lead = !inner.empty() && inner.front() == '%';
    if (lead) inner.erase(0, 1);
    bool trail = !inner.empty() && inner.back() == '%';
    if (trail) inner.pop_back();
    std::string pattern = EscapeText(inner.c_str(), kLikeEscapeSet);
    if (lead) pattern = "%" + pattern;
    if (trail) pattern += "%";
    if (pattern.empty()) {
        term = item.name + " IS NULL";
        return true;
    }
    bool upper = item.kind == kItemLikeUpperOr || item.kind == kItemLikeUpperAnd;
    if (upper) {
        term = "UPPER(" + item.name + ") LIKE UPPER(N'" + pattern + "')";
    } else {
        term = item.name + " LIKE N'" + pattern + "'";
    }
    return true;
}

bool LikeTerms(const CS3ItemList& list, ConditionWriter& w) {
    std::vector<NamedTerm> terms;
    if (!NameTerms(list, LikeForm, terms)) return false;
    // Runs of kind-7/17 terms are alternatives of one another: they are
    // joined by OR inside one pair of parentheses.
    for (size_t i = 0; i < terms.size();) {
        if (!IsOrChainKind(terms[i].kind)) {
            w.Term(terms[i].text);
            ++i;
            continue;
        }
        size_t end = i;
        while (end < terms.size() && IsOrChainKind(terms[end].kind)) ++end;
        if (end - i == 1 && end == terms.size()) {
            w.Term(terms[i].text);
            i = end;
            continue;
        }
        w.Raw(w.Empty() ? "(" : " AND (");
        w.Raw(terms[i].text);
        for (size_t j = i + 1; j < end; ++j) w.Raw(" OR " + terms[j].text);
        w.Raw(")");
        i = end;
    }
    return true;
}

void InTerms(const CS3ItemList& list, ConditionWriter& w) {
    for (const CS3Item& item : list) {
        w.Term(item.name + (item.kind == kItemText ? " NOT IN(" : " IN(") + item.value + ")");
    }
}

// The ORDER BY clause ("" for an empty list).
std::string OrderClause(const CS3ItemList& order) {
    std::string clause;
    for (const CS3Item& item : order) {
        clause += clause.empty() ? "ORDER BY " : ",";
        clause += item.name;
        if (item.value != "1") clause += " DESC";
    }
    return clause;
}

// " WHERE <conditions>", or "" without conditions.
std::string WhereClause(const std::string& conditions) {
    return conditions.empty() ? std::string() : " WHERE " + conditions;
}

// Starts a statement of the buffer: the previous statement goes, the table
// expression must be there, and conditions receives the WHERE text.
// 0, or -62 (no table, a condition value over the limit).
int StartStatement(CS3DataDB& buffer, std::string& conditions) {
    buffer.SetStatement("");
    if (*buffer.Table() == '\0') {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -62;
    }
    return BuildConditions(buffer, conditions);
}

// Writes a row value of INSERT or UPDATE. An empty value of any kind is
// NULL: an empty number would otherwise leave the statement malformed.
int RowValue(const CS3Item& item, std::vector<std::string>& params, std::string& out) {
    std::string value = DatabaseText(item);
    if (value.empty()) {
        out = "NULL";
        return 0;
    }
    if (item.kind == kItemNumber) {
        out = value;
    } else if (IsFixed(item.kind)) {
        out = FixedLiteral(value);
    } else if (item.kind == kItemParam) {
        out = "?";
        params.push_back(value);
    } else {
        std::string escaped;
        int rc = EscapeShared(value, escaped);
        if (rc != 0) return rc;
        out = "N'" + escaped + "'";
    }
    return 0;
}

// A key value of INSERT (from the equal list): never a parameter.
int KeyValue(const CS3Item& item, std::string& out) {
    std::string value = DatabaseText(item);
    if (item.kind == kItemNumber) {
        out = value.empty() ? "NULL" : value;
    } else if (IsFixed(item.kind)) {
        out = FixedLiteral(value);
    } else {
        std::string escaped;
        if (!value.empty()) {
            int rc = EscapeShared(value, escaped);
            if (rc != 0) return rc;
        }
        out = "N'" + escaped + "'";
    }
    return 0;
}

// True for the company condition's name, bare or qualified ("a.SID_CORPORATE").
bool IsCompanyColumn(const std::string& name) {
    static const std::string kCompany = "SID_CORPORATE";
    if (name.size() < kCompany.size()) return false;
    size_t at = name.size() - kCompany.size();
    return name.compare(at, std::string::npos, kCompany) == 0 && (at == 0 || name[at - 1] == '.');
}

// The words that make a table expression a join.
const char* const kJoinWords[] = {" LEFT OUTER ", " RIGHT OUTER ", " INNER JOIN "};

// Where the first join word of text starts (case-insensitive), or null.
const char* FindJoin(const char* text) {
    const char* first = nullptr;
    for (const char* word : kJoinWords) {
        const char* at = FindTextNoCase(text, word);
        if (at != nullptr && (first == nullptr || at < first)) first = at;
    }
    return first;
}

// True when a table expression joins tables, so its columns are qualified
// by the alias "a".
bool IsJoinExpression(const char* text) { return FindJoin(text) != nullptr; }

}  // namespace

std::string WithoutCarriageReturns(const std::string& value) {
    std::string text = value;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

std::string DatabaseValue(const std::string& value, int kind) {
    return kind == kItemNumber ? value : WithoutCarriageReturns(value);
}

std::string ValueLiteral(const std::string& value, int kind) {
    std::string text = DatabaseValue(value, kind);
    if (kind == kItemNumber) return text.empty() ? "NULL" : text;
    if (IsFixed(kind)) return FixedLiteral(text);
    return "N'" + EscapeText(text.c_str(), nullptr) + "'";
}

size_t EscapeValue(char* destination, const char* value, const char* escapeSet) {
    if (destination == nullptr) return 0;
    size_t o = 0;
    if (value != nullptr) {
        for (const char* p = value; *p != '\0'; ++p) {
            char c = *p;
            if (c == '\\' && (p[1] == '\r' || p[1] == '\n')) {
                // The server drops a backslash that ends a line inside a
                // literal; doubling it and adding a line keeps it.
                destination[o++] = '\\';
                destination[o++] = '\\';
                destination[o++] = '\n';
            } else if (escapeSet != nullptr && std::strchr(escapeSet, c) != nullptr) {
                destination[o++] = '[';
                destination[o++] = c;
                destination[o++] = ']';
            } else {
                destination[o++] = c;
                if (c == '\'') destination[o++] = '\'';
            }
        }
    }
    destination[o] = '\0';
    return o;
}

std::string EscapeText(const char* value, const char* escapeSet) {
    size_t length = value ? std::strlen(value) : 0;
    std::string out(length * (escapeSet ? 3 : 2) + 1, '\0');
    out.resize(EscapeValue(out.data(), value, escapeSet));
    return out;
}

int BuildConditions(const CS3ItemList& geList, const CS3ItemList& leList,
                    const CS3ItemList& eqList, const CS3ItemList& neList,
                    const CS3ItemList& likeList, const CS3ItemList& inList, std::string& out) {
    ConditionWriter w;
    out.clear();
    if (!RangeTerms(geList, ">=", w) || !RangeTerms(leList, "<=", w) || !EqualTerms(eqList, w) ||
        !NotEqualTerms(neList, w) || !LikeTerms(likeList, w)) {
        return -62;
    }
    InTerms(inList, w);
    out = std::move(w.text);
    return 0;
}

int BuildConditions(const CS3DataDB& buffer, std::string& out) {
    return BuildConditions(buffer.GeList(), buffer.LeList(), buffer.EqList(), buffer.NeList(),
                           buffer.LikeList(), buffer.InList(), out);
}

int BuildSelect(const char* table, const CS3ItemList& selectList, const std::string& conditions,
                const CS3ItemList& orderList, bool distinct, std::string& out) {
    out.clear();
    if (table == nullptr || *table == '\0') {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -62;
    }
    const char* verb = distinct ? "SELECT DISTINCT" : "SELECT";
    if (selectList.empty()) {
        out = std::string(verb) + " * FROM " + table;
    } else {
        out = std::string(verb) + " " + selectList[0].name;
        for (size_t i = 1; i < selectList.size(); ++i) out += "," + selectList[i].name;
        out += std::string(" FROM ") + table;
    }
    out += WhereClause(conditions);
    std::string order = OrderClause(orderList);
    if (!order.empty()) out += " " + order;
    return 0;
}

namespace {

// Where the main (first) table of a table expression ends: before the
// first join or the first comma of a table list; the end otherwise.
size_t MainTableEnd(const std::string& expression) {
    const char* join = FindJoin(expression.c_str());
    size_t end = join ? static_cast<size_t>(join - expression.c_str()) : expression.size();
    if (expression.empty() || expression[0] != '(') end = std::min(end, expression.find(','));
    return end;
}

// The alias that qualifies the main table's columns ("a" for a join), or
// "" for a single table.
std::string MainAlias(const char* table) {
    std::string qualifier = QualifyColumn(table, nullptr, "");
    if (!qualifier.empty()) qualifier.pop_back();
    return qualifier;
}

}  // namespace

int BuildSelectForUpdate(CS3DataDB& buffer) {
    std::string conditions;
    int rc = StartStatement(buffer, conditions);
    if (rc != 0) return rc;
    // The hint belongs to the main table, the one the rows are locked in;
    // after a join condition it would not be valid.
    std::string table = buffer.Table();
    table.insert(MainTableEnd(table), " with(updlock)");
    std::string out;
    rc = BuildSelect(table.c_str(), buffer.SelectList(), conditions, buffer.OrderList(), false, out);
    if (rc == 0) buffer.SetStatement(std::move(out));
    return rc;
}

namespace {

// The SELECT of the buffer with the given order and its group-by text.
int SelectWithGroup(const CS3DataDB& buffer, const std::string& conditions,
                    const CS3ItemList& order, bool distinct, std::string& out) {
    int rc = BuildSelect(buffer.Table(), buffer.SelectList(), conditions, order, distinct, out);
    if (rc == 0 && !buffer.GroupBy().empty()) out += " group by " + buffer.GroupBy();
    return rc;
}

}  // namespace

int BuildSelectWithGroup(CS3DataDB& buffer, bool distinct) {
    std::string conditions;
    int rc = StartStatement(buffer, conditions);
    if (rc != 0) return rc;
    std::string out;
    rc = SelectWithGroup(buffer, conditions, buffer.OrderList(), distinct, out);
    if (rc == 0) buffer.SetStatement(std::move(out));
    return rc;
}

int BuildBatchSelect(const CS3DataDB& buffer, const std::string& extra, std::string& out) {
    out.clear();
    std::string conditions;
    int rc = BuildConditions(buffer, conditions);
    if (rc != 0) return rc;
    if (!extra.empty()) conditions += (conditions.empty() ? "" : " and ") + extra;
    return SelectWithGroup(buffer, conditions, CS3ItemList(), false, out);
}

int BuildCount(CS3DataDB& buffer, const char* column) {
    std::string conditions;
    int rc = StartStatement(buffer, conditions);
    if (rc != 0) return rc;
    CS3ItemList select;
    std::string expression = "count(";
    expression += (column != nullptr && *column != '\0') ? column
                                                           : QualifyColumn(buffer, nullptr,
                                                                           "SID_CORPORATE");
    expression += ")";
    select.Push(expression.c_str(), "", kItemText);
    std::string out;
    rc = BuildSelect(buffer.Table(), select, conditions, CS3ItemList(), false, out);
    if (rc == 0) buffer.SetStatement(std::move(out));
    return rc;
}

int BuildMaxSeqno(CS3DataDB& buffer) {
    std::string conditions;
    int rc = StartStatement(buffer, conditions);
    if (rc != 0) return rc;
    buffer.SetStatement("select max(" + QualifyColumn(buffer, nullptr, "SEQNO") + ") from " +
                        buffer.Table() + " where " + conditions);
    return 0;
}

int BuildInsert(CS3DataDB& buffer) {
    buffer.SetStatement("");
    buffer.Params().clear();
    if (*buffer.Table() == '\0') return -62;
    CS3DataRow* row = buffer.FirstRowPtr();
    if (row == nullptr && buffer.EqList().empty()) return -110;
    std::string columns, values, value;
    std::vector<std::string> params;
    auto add = [&columns, &values, &value](const CS3Item& item) {
        if (!columns.empty()) {
            columns += ",";
            values += ",";
        }
        columns += item.name;
        values += value;
    };
    if (row != nullptr) {
        for (const CS3Item& item : row->columns) {
            int rc = RowValue(item, params, value);
            if (rc != 0) return rc;
            add(item);
        }
    }
    for (const CS3Item& item : buffer.EqList()) {
        int rc = KeyValue(item, value);
        if (rc != 0) return rc;
        add(item);
    }
    std::string out = std::string("INSERT INTO ") + buffer.Table();
    if (columns.empty()) {
        out += " VALUES (" + values + ")";
    } else {
        out += " (" + columns + ") VALUES (" + values + ")";
    }
    buffer.SetStatement(std::move(out));
    buffer.Params() = std::move(params);
    return 0;
}

int BuildUpdate(CS3DataDB& buffer) {
    buffer.SetStatement("");
    buffer.Params().clear();
    if (*buffer.Table() == '\0') return -62;
    CS3DataRow* row = buffer.FirstRowPtr();
    if (row == nullptr) return -110;
    std::string assignments, value;
    std::vector<std::string> params;
    for (const CS3Item& item : row->columns) {
        int rc = RowValue(item, params, value);
        if (rc != 0) return rc;
        if (!assignments.empty()) assignments += ",";
        assignments += item.name + "=" + value;
    }
    std::string conditions;
    int rc = BuildConditions(buffer, conditions);
    if (rc != 0) return rc;
    std::string out = std::string("UPDATE ") + buffer.Table() + " SET " + assignments +
                      WhereClause(conditions);
    buffer.SetStatement(std::move(out));
    buffer.Params() = std::move(params);
    return 0;
}

int BuildDelete(CS3DataDB& buffer) {
    std::string conditions;
    int rc = StartStatement(buffer, conditions);
    if (rc != 0) return rc;
    // Over a join or a table list, the rows go from the main table, named
    // by its alias: "DELETE a FROM ...".
    std::string alias = MainAlias(buffer.Table());
    if (!alias.empty()) alias += " ";
    buffer.SetStatement("DELETE " + alias + "FROM " + buffer.Table() + WhereClause(conditions));
    return 0;
}

std::string QualifyColumn(const char* table, const char* alias, const char* column) {
    std::string name = column ? column : "";
    if (alias != nullptr && *alias != '\0') return std::string(alias) + "." + name;
    std::string expression = table ? table : "";
    size_t comma = expression.find(',');
    if (comma != std::string::npos) {
        if (expression[0] == '(') return "a." + name;
        std::string first = expression.substr(0, comma);
        size_t space = first.find(' ');
        if (space != std::string::npos) first = first.substr(space + 1);
        return first + "." + name;
    }
    if (IsJoinExpression(expression.c_str())) return "a." + name;
    return name;
}

std::string QualifyColumn(const CS3DataDB& buffer, const char* alias, const char* column) {
    return QualifyColumn(buffer.Table(), alias, column);
}

int BuildCountRows(const std::vector<std::string>& tables, const char* extra, std::string& out) {
    out.clear();
    if (tables.empty() || tables[0].empty()) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -62;
    }
    // The qualifier names the first table: its alias (from the first space
    // on, the space kept) or its name. A sub-select or a join is known by
    // its alias "a"; a table list inside one text ends at its comma.
    const std::string& first = tables[0];
    std::string qualifier;
    if (first[0] == '(' || IsJoinExpression(first.c_str())) {
        qualifier = " a.";
    } else {
        std::string head = first.substr(0, first.find(','));
        size_t space = head.find(' ');
        qualifier = (space == std::string::npos ? head : head.substr(space)) + ".";
    }
    std::string joined;
    for (const std::string& table : tables) {
        if (!joined.empty()) joined += ",";
        joined += table;
    }
    out = "select COUNT(" + qualifier + "SID_CORPORATE) from " + joined + " where " + qualifier +
          "SID_CORPORATE=" + std::to_string(CompanyNumber());
    if (extra != nullptr && *extra != '\0') out += std::string(" and ") + extra;
    return 0;
}

int ExecuteCount(const char* sql) {
    int rc = DBExecute(nullptr, sql, 0, 0);
    if (rc == 0) rc = DBCheckRow();
    if (rc != 0) {
        if (rc != -110) TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        return rc;
    }
    NUString count;
    rc = DBGetFirstColumn(&count, nullptr);
    DBCloseRecordset();
    if (rc != 0) return rc;
    return std::atoi(count.Get());
}

int CountRows(const std::vector<std::string>& tables, const char* extra) {
    std::string sql;
    int rc = BuildCountRows(tables, extra, sql);
    if (rc != 0) return rc;
    return ExecuteCount(sql.c_str());
}

int CountRows(const char* table, const char* extra) {
    return CountRows(std::vector<std::string>{table ? table : ""}, extra);
}

int CountConditionOf(const CS3DataDB& buffer, std::string& out) {
    // The company term is the one the count statement writes itself.
    CS3ItemList equal;
    for (const CS3Item& item : buffer.EqList()) {
        if (IsCompanyColumn(item.name)) continue;
        equal.Push(item.name.c_str(), item.value.c_str(), item.kind);
    }
    return BuildConditions(buffer.GeList(), buffer.LeList(), equal, buffer.NeList(),
                           buffer.LikeList(), buffer.InList(), out);
}

int CountBufferRows(const CS3DataDB& buffer) {
    std::string extra;
    int rc = CountConditionOf(buffer, extra);
    if (rc != 0) return rc;
    return CountRows(buffer.Table(), extra.c_str());
}
