// The ordered-list move: rows of a list placed directly before or after a
// target row in the SEQNO order with a few set-based renumbering statements.
#include "cs3base/ordered_list.h"

#include <cstdlib>
#include <cstring>

#include "db/session.h"
#include "env/environment.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kUnit[] = "cs3dbindex";

// Longest target identifier text.
constexpr size_t kTargetMax = 10;

std::string AndCondition(const std::string& condition) {
    return condition.empty() ? std::string() : " and " + condition;
}

// The names the list answers for the move.
OrderedListNames NamesOf(CS3DBIndex& list) {
    auto answer = [&list](int (CS3DBIndex::*ask)(NUString&), const char* start) {
        NUString text;
        text.Set(start);
        (list.*ask)(text);
        return std::string(text.Get());
    };
    OrderedListNames names;
    names.table = answer(&CS3DBIndex::TableName, std::to_string(kOpUpdate).c_str());
    names.seqno = answer(&CS3DBIndex::SeqnoColumn, "");
    names.idColumn = answer(&CS3DBIndex::IdColumnName, "");
    names.listCondition = answer(&CS3DBIndex::ListCondition, "");
    names.extraColumn = answer(&CS3DBIndex::ExtraSetColumn, "");
    names.company = CompanyNumber();
    return names;
}

std::string Company(const OrderedListNames& names) {
    return "SID_CORPORATE=" + std::to_string(names.company);
}

// Runs a statement of the move; failures are logged with the statement.
int RunMoveStatement(const std::string& sql, int line) {
    int rc = DBExecute(nullptr, sql.c_str(), 0, 0);
    if (rc != 0 && rc != -110) TraceError("[%s][%d][%d][%s]", kUnit, line, rc, sql.c_str());
    return rc;
}

}  // namespace

std::string MoveLockStatement(const OrderedListNames& names) {
    return "select SID_CORPORATE from " + names.table + " with(updlock) where " + Company(names) +
           AndCondition(names.listCondition);
}

std::string TargetSeqnoStatement(const OrderedListNames& names, int target) {
    return "select " + names.seqno + " from " + names.table + " where " + Company(names) + " and " +
           names.idColumn + "=" + std::to_string(target) + AndCondition(names.listCondition);
}

std::string IdListCondition(const OrderedListNames& names, const std::vector<int>& ids,
                            bool notIn) {
    std::string text = names.idColumn + (notIn ? " not" : "") + " in (";
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) text += ",";
        text += std::to_string(ids[i]);
    }
    return text + ")" + AndCondition(names.listCondition);
}

std::string MovedRowsStatement(const OrderedListNames& names, const std::string& inList) {
    return "select " + names.idColumn + "," + names.seqno + " from " + names.table + " where " +
           Company(names) + " and " + inList + " order by " + names.seqno;
}

std::string RowNumberSelect(const OrderedListNames& names) {
    std::string extra = names.extraColumn.empty() ? std::string() : "," + names.extraColumn;
    return "select " + names.seqno + extra + ", row_number() over(order by " + names.seqno +
           ") as rownumcnt from " + names.table;
}

std::string RenumberStatement(const OrderedListNames& names, int base, const char* stamp,
                              const char* condition) {
    std::string assignStamp;
    if (!names.extraColumn.empty()) {
        assignStamp = "," + names.extraColumn + "='" + (stamp ? stamp : "") + "'";
    }
    return "update f set " + names.seqno + "=rownumcnt+" + std::to_string(base) + assignStamp +
           " from (" + RowNumberSelect(names) + " where " + (condition ? condition : "") +
           ") as f";
}

std::string BeforeGapCondition(const OrderedListNames& names, char direction, int target,
                               int first, const std::string& notInList) {
    return Company(names) + " and " + names.seqno + (direction == '+' ? "<" : "<=") +
           std::to_string(target) + " and " + names.seqno + ">" + std::to_string(first) +
           " and " + notInList;
}

std::string AfterGapCondition(const OrderedListNames& names, char direction, int target,
                              int last, const std::string& notInList) {
    return Company(names) + " and " + names.seqno + (direction == '+' ? ">=" : ">") +
           std::to_string(target) + " and " + names.seqno + "<" + std::to_string(last) +
           " and " + notInList;
}

std::string MovedRowsCondition(const OrderedListNames& names, const std::string& inList) {
    return Company(names) + " and " + inList;
}

int CS3DBIndex::SeqnoColumn(NUString& out) { return out.Set("SEQNO"); }
int CS3DBIndex::IdColumnName(NUString& out) { return out.Set("ID"); }
int CS3DBIndex::ListCondition(NUString& out) { return out.Set(""); }
int CS3DBIndex::ExtraSetColumn(NUString& out) { return out.Set(""); }

int CS3DBIndex::RenumberUpdate(int base, const char* condition) {
    OrderedListNames names = NamesOf(*this);
    if (!names.extraColumn.empty()) {
        ClearUpdateTime();
        SetTimes(CreationTime(), "");
    }
    std::string sql = RenumberStatement(names, base, UpdateTime(), condition);
    int rc = DBExecute(nullptr, sql.c_str(), 0, 0);
    if (rc != 0 && rc != -110) TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
    return rc;
}

int CS3DBIndex::MoveItems(const char* const* identifiers, int count, const char* target,
                          char direction) {
    if (count > kMoveMaxItems) {
        TraceError("[%s][%d]cnt[%d]", kUnit, __LINE__, count);
        return kMoveTooMany;
    }
    movedBefore.clear();
    movedAfter.clear();
    const OrderedListNames names = NamesOf(*this);
    const bool before = direction == '+';

    // The list's rows stay locked to the end of the caller's transaction.
    int rc = RunMoveStatement(MoveLockStatement(names), __LINE__);
    DBCloseRecordset();
    if (rc != 0 && rc != -110) return rc;

    // Identifiers are whole decimal ints: "1x" or "4294967297" would name
    // another row.
    int targetId = 0;
    if (target == nullptr || std::strlen(target) > kTargetMax ||
        !ParseDecimalInt(target, &targetId)) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return -99;
    }
    rc = RunMoveStatement(TargetSeqnoStatement(names, targetId), __LINE__);
    if (rc == 0) rc = DBCheckRow();
    NUString text;
    if (rc == 0) rc = DBGetFirstColumn(&text, nullptr);
    DBCloseRecordset();
    if (rc == -110) return kMoveNoTarget;
    if (rc != 0) {
        TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
        return rc;
    }
    const int targetSeqno = std::atoi(text.Get());

    if (identifiers == nullptr || count <= 0) {
        TraceError("[%s][%d][%d]", kUnit, __LINE__, -99);
        return -99;
    }
    std::vector<int> ids;
    for (int i = 0; i < count; ++i) {
        if (identifiers[i] == nullptr) continue;
        int value = 0;
        if (!ParseDecimalInt(identifiers[i], &value)) {
            TraceError("[%s][%d]id[%s]", kUnit, __LINE__, identifiers[i]);
            return -99;
        }
        if (value != targetId) ids.push_back(value);
    }
    if (ids.empty()) return kMoveNothingToMove;

    // Where the moved rows are, in ascending order: before the target or at
    // and after it.
    rc = RunMoveStatement(MovedRowsStatement(names, IdListCondition(names, ids, false)), __LINE__);
    std::vector<int> beforeIds, afterIds;
    int first = 0, last = 0;
    while (rc == 0 && (rc = DBCheckRow()) == 0) {
        NUString rowId, rowSeqno;
        rc = DBGetColumn(names.idColumn.c_str(), &rowId);
        if (rc == 0) rc = DBGetColumn(names.seqno.c_str(), &rowSeqno);
        if (rc != 0) break;
        int seqno = std::atoi(rowSeqno.Get());
        if (seqno < targetSeqno) {
            if (beforeIds.empty()) first = seqno;
            if (beforeIds.size() < static_cast<size_t>(kMoveMaxItems)) {
                beforeIds.push_back(std::atoi(rowId.Get()));
                movedBefore.emplace_back(rowId.Get());
            }
        } else if (afterIds.size() < static_cast<size_t>(kMoveMaxItems)) {
            afterIds.push_back(std::atoi(rowId.Get()));
            movedAfter.emplace_back(rowId.Get());
            last = seqno;
        }
        rc = DBNext();
    }
    DBCloseRecordset();
    if (rc != 0 && rc != -110) {
        TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
        return rc;
    }
    if (beforeIds.empty() && afterIds.empty()) return kMoveNothingToMove;

    const int n = static_cast<int>(beforeIds.size());
    const int m = static_cast<int>(afterIds.size());
    if (n > 0) {
        // Rows between the first moved row and the target close up from it;
        // the moved rows then take the places just before (or after) the
        // target.
        rc = RenumberUpdate(first - 1,
                            BeforeGapCondition(names, direction, targetSeqno, first,
                                               IdListCondition(names, beforeIds, true))
                                .c_str());
        if (rc == 0 || rc == -110) {
            rc = RenumberUpdate(before ? targetSeqno - n - 1 : targetSeqno - n,
                                MovedRowsCondition(names, IdListCondition(names, beforeIds, false))
                                    .c_str());
        }
        if (rc != 0 && rc != -110) return rc;
    }
    if (m > 0) {
        // Rows from the target up to the last moved row make room; the moved
        // rows take the places opened.
        rc = RenumberUpdate(before ? targetSeqno + m - 1 : targetSeqno + m,
                            AfterGapCondition(names, direction, targetSeqno, last,
                                              IdListCondition(names, afterIds, true))
                                .c_str());
        if (rc == 0 || rc == -110) {
            rc = RenumberUpdate(before ? targetSeqno - 1 : targetSeqno,
                                MovedRowsCondition(names, IdListCondition(names, afterIds, false))
                                    .c_str());
        }
        if (rc != 0 && rc != -110) return rc;
    }
    return 0;
}
