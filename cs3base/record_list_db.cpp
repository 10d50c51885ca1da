// CS3DBIndex: fetching a page of a list from the database, loading member
// fields in batches, processing a table in identifier ranges, deleting.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "cs3base/record_io.h"
#include "cs3base/record_list.h"
#include "cs3base/sql_builder.h"
#include "db/session.h"
#include "env/environment.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kUnit[] = "cs3dbindex";

// Slots the member array grows by while a list is read without paging.
constexpr size_t kGrowStep = 256;

// The column's name as a result row carries it: the part after the last ".".
const char* BareColumn(const std::string& column) {
    size_t dot = column.rfind('.');
    return column.c_str() + (dot == std::string::npos ? 0 : dot + 1);
}

// The identifier column of the current result row into value: in text
// mode the text without trailing blanks, else the integer. 0; -110; -111.
int ReadIdColumn(CS3DataDB& buffer, const char* column, bool textMode, CS3String& value) {
    if (!textMode) return buffer.GetColumnInt(column, value);
    int rc = buffer.GetColumnText(column, value);
    if (rc != 0) return rc;
    std::string text = value.Value();
    text.resize(KeyLength(text.c_str(), text.size()));
    return value.Set(text.c_str());
}

// A member's identifier as a row read back carries it: the key as the
// database stored it in text mode, the integer's text in number mode.
std::string StoredKey(CS3Object& member) {
    if (member.Id().IsTextMode()) return DatabaseValue(member.IdText(), kItemText);
    return std::to_string(member.IdInt());
}

// The alias of the list's key columns for a read.
std::string ReadAlias(CS3Object& list) {
    NUString alias;
    alias.Set("0");
    list.IdAlias(alias);
    return alias.Get();
}

}  // namespace

int CS3Index::CountListRows(CS3DataDB& buffer) { return CountBufferRows(buffer); }

int CS3Index::LoadMembers(CS3DataDB& buffer, const char* idColumn) {
    if (items.empty() || (StatusFlag() == 0 && loadMembers == 0)) return 0;
    std::string alias = ReadAlias(*this);
    std::string column = (idColumn != nullptr && *idColumn != '\0') ? idColumn : "ID";
    if (!alias.empty()) column = alias + "." + column;

    std::string company = QualifyColumn(buffer, alias.c_str(), "SID_CORPORATE");
    int rc = SetItem(buffer.EqList(), company.c_str(), std::to_string(CompanyNumber()).c_str(),
                     kItemNumber);
    if (rc != 0) return rc;
    if (StatusFlag() == 0 && buffer.SelectList().Find(column.c_str()) == nullptr) {
        AppendItem(buffer.SelectList(), column.c_str(), "", kItemNumber);
    }
    size_t slot = static_cast<size_t>(std::max(pageStart, 0));
    size_t end = items.size();
    if (pageSize > 0) end = std::min(end, slot + static_cast<size_t>(pageSize));
    while (slot < end) {
        size_t first = slot;
        std::string ids;
        int taken = 0;
        for (; slot < end && taken < kMemberBatchSize; ++slot) {
            CS3Object* member = items[slot];
            if (member == nullptr) continue;
            if (taken > 0) ids += ",";
            // Each identifier as a literal of its kind, under the one value rule.
            ids += ValueLiteral(member->IdText(),
                                member->Id().IsTextMode() ? kItemText : kItemNumber);
            member->SetReadFieldsFlag(false);
            ++taken;
        }
        if (taken == 0) break;
        std::string sql;
        rc = BuildBatchSelect(buffer, column + " in (" + ids + ")", sql);
        if (rc == 0) rc = DBExecute(nullptr, sql.c_str(), 0, 0);
        if (rc != 0) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
            return rc;
        }
        rc = TakeMemberRows(buffer, column.c_str(), static_cast<int>(first),
                            static_cast<int>(slot - first));
        if (rc != 0) return rc;
    }
    return 0;
}

int CS3Index::TakeMemberRows(CS3DataDB& buffer, const char* idColumn, int first, int count) {
    std::unordered_map<std::string, CS3Object*> batch;
    bool textMode = false;
    for (int i = first; i < first + count && i < ItemCount(); ++i) {
        CS3Object* member = ItemAt(i);
        if (member == nullptr) continue;
        textMode = member->Id().IsTextMode();
        batch.emplace(StoredKey(*member), member);
    }
    const std::string column = (idColumn != nullptr && *idColumn != '\0') ? idColumn : "ID";
    int rc = DBCheckRow();
    while (rc == 0) {
        CS3String value;
        rc = ReadIdColumn(buffer, BareColumn(column), textMode, value);
        if (rc != 0) break;
        std::string key = textMode ? value.Value() : std::to_string(value.AsInt());
        auto found = batch.find(key);
        if (found != batch.end()) {
            CS3Object* member = found->second;
            if (StatusFlag() != 0) rc = member->GetFields(buffer);
            if (rc != 0) break;
            member->SetReadFieldsFlag(true);
            member->SetId(key.c_str());
        }
        rc = buffer.NextRow();
    }
    // A failed row ends the batch before its last row: the statement goes now.
    DBCloseRecordset();
    return rc == -110 ? 0 : rc;
}

CS3DBIndex::CS3DBIndex() = default;
CS3DBIndex::~CS3DBIndex() = default;

int LoadListRows(CS3Object& list) {
    list.ClearFields();
    CS3DataIO io;
    int rc = io.PrepareRead(list);
    CS3DataDB* buffer = nullptr;
    if (rc == 0) rc = io.BufferOf(list, &buffer);
    if (rc == 0) rc = list.GetFields(*buffer);
    // The buffer goes with io.
    list.SetStatementIndex(-1);
    return rc;
}

int CS3DBIndex::LoadFirst() { return LoadListRows(*this); }

int CS3DBIndex::GetFields(CS3Data& data) {
    CS3DataDB* buffer = dynamic_cast<CS3DataDB*>(&data);
    if (buffer == nullptr) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    ClearItems();
    lastId.clear();
    int rc = BeforeFetch(*buffer);
    if (rc != 0) return rc;

    const bool paging = pageStart > 0 || pageSize != 0;
    if (paging) {
        int total = CountListRows(*buffer);
        if (total < 0) {
            TraceError("[%s][%d]ret[%d]", kUnit, __LINE__, total);
            return total;
        }
        if (total == 0) return 0;
        // The member array grows with the rows that come, never to a count
        // that only the arithmetic gave.
        items.reserve(kGrowStep);
        totalCount = total;
        pageStart = ClampPageStart(pageStart, pageSize, total);
    } else {
        items.reserve(kGrowStep);
    }
    rc = ExecuteList(*buffer);
    if (rc != 0) return rc;
    rc = FetchRows(*buffer, paging);
    if (rc != 0) return rc;
    return AfterFetch(*buffer);
}

int CS3DBIndex::FetchRows(CS3DataDB& buffer, bool paging) {
    const int rowLimit = FetchLimit(buffer);
    CS3String rowId(id.Capacity() + 1);
    bool haveLast = false;
    int position = 0;  // among the distinct rows read
    int taken = 0;
    int rowsRead = 0;
    IdColumn(idColumnName);
    // NextRow answers as DBCheckRow does after its move.
    int rc = DBCheckRow();
    while (rc == 0) {
        if (rowLimit > 0 && rowsRead >= rowLimit) break;
        ++rowsRead;
        rc = ReadRowId(buffer, rowId);
        if (rc != 0) break;
        // Valid until the next row's identifier is read.
        const char* rid = rowId.Value();
        bool skip = haveLast && lastId == rid;  // one record on several rows of a join
        if (!skip) {
            lastId = rid;
            haveLast = true;
            for (int i = 0; i < exclusions.ItemCount(); ++i) {
                CS3Object* excluded = exclusions.ItemAt(i);
                if (excluded != nullptr && StoredKey(*excluded) == rid) {
                    exclusions.RemoveItemAt(i);
                    skip = true;
                    break;
                }
            }
        }
        if (!skip && pageStart >= 0 && position < pageStart) {
            ++position;
            skip = true;
        }
        if (!skip) {
            if (pageSize > 0 && taken == pageSize) break;
            CS3Object* member = NewItem();
            if (member == nullptr) {
                TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, -10);
                rc = -10;
                break;
            }
            if (StatusFlag() != 0) {
                rc = member->GetFields(buffer);
                if (rc != 0) {
                    DeleteItem(member);
                    break;
                }
            }
            // A row whose identifier the member cannot hold fails the list:
            // a shorter list must never pass for the whole one.
            rc = member->SetId(rid);
            if (rc != 0) {
                TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
                DeleteItem(member);
                break;
            }
            size_t slot = static_cast<size_t>(position);
            if (slot >= items.size()) {
                // Grown by at least 256 slots and geometrically, so that a
                // long list is not copied over and over.
                if (items.size() == items.capacity()) {
                    items.reserve(items.size() + std::max(kGrowStep, items.size()));
                }
                items.resize(slot + 1, nullptr);
            }
            items[slot] = member;
            ++position;
            ++taken;
        }
        rc = buffer.NextRow();
    }
    // A full page, the row limit or a failed row ends the read before the
    // last row: the statement, and the locks it holds, go now.
    DBCloseRecordset();
    if (rc == -110) rc = 0;

    // The used length ends after the last row read: page start + members
    // taken when the rows reached the page, never beyond the rows that came.
    items.resize(static_cast<size_t>(paging ? position : taken), nullptr);
    if (items.empty()) items.shrink_to_fit();
    if (!paging) totalCount = ItemCount();
    return rc;
}

int CS3DBIndex::ForEachIdRange(const char* statement, const char* table, const char* column) {
    if (statement == nullptr || table == nullptr || column == nullptr) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    const std::string company = std::to_string(CompanyNumber());
    std::string sql = std::string("SELECT MAX(") + column + ") MAXID, MIN(" + column +
                      ") MINID FROM " + table + " WHERE SID_CORPORATE=" + company;
    int rc = DBExecute(nullptr, sql.c_str(), 0, 0);
    if (rc == 0) rc = DBCheckRow();
    NUString maxText, minText;
    if (rc == 0) rc = DBGetColumn("MAXID", &maxText);
    if (rc == 0) rc = DBGetColumn("MINID", &minText);
    DBCloseRecordset();
    if (rc != 0) {
        if (rc != -110 && rc != -111) TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        return rc;
    }
    // No row of the company: MAX and MIN are NULL and there is nothing to do.
    if (maxText.IsEmpty() || minText.IsEmpty()) return 0;

    // Bounds beyond int would wrap and leave rows unprocessed without a word.
    int minId = 0, maxId = 0;
    if (!ParseDecimalInt(minText.Get(), &minId) || !ParseDecimalInt(maxText.Get(), &maxId)) {
        TraceError("[%s:%d]min[%s]max[%s]", kUnit, __LINE__, minText.Get(), maxText.Get());
        return -99;
    }
    CMSioObjApp* env = AppEnvironment();
    std::vector<IdRange> ranges = SplitIdRange(minId, maxId, env ? env->MaxDir() : 0);
    for (const IdRange& range : ranges) {
        std::string step = std::string(statement) + " AND " + column +
                           " >= " + std::to_string(range.low) + " AND " + column +
                           " <= " + std::to_string(range.high) + " AND SID_CORPORATE=" + company;
        rc = DBExecute(nullptr, step.c_str(), 0, 0);
        if (rc != 0 && rc != -110) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
            DBRollback(rc);
            return rc;
        }
        rc = OnIdRange(range.low, range.high);
        if (rc != 0 && rc != -110) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
            return rc;
        }
        rc = DBCommit();
        if (rc != 0) {
            DBRollback(rc);
            return rc;
        }
    }
    return 0;
}

int CS3DBIndex::CountListRows(CS3DataDB& buffer) {
    if (topMode != 0) return TopRowCount(pageStart, pageSize);
    return CS3Index::CountListRows(buffer);
}

int CS3DBIndex::OnIdRange(int, int) { return 0; }

int CS3DBIndex::ReadIdInt(CS3DataDB& buffer, int* out) { return buffer.CurrentColumnInt(out); }

int CS3DBIndex::SelectIdOnly(CS3DataDB& buffer) {
    NUString column;
    IdColumn(column);
    std::string name = QualifyColumn(buffer, ReadAlias(*this).c_str(), column.Get());
    buffer.SelectList().Clear();
    return AppendItem(buffer.SelectList(), name.c_str(), "", kItemNumber);
}

int CS3DBIndex::BuildListSelect(CS3DataDB& buffer, std::string& out) {
    out.clear();
    int rc = 0;
    if (StatusFlag() == 0) rc = SelectIdOnly(buffer);
    if (rc == 0) rc = BuildSelectWithGroup(buffer, distinct);
    if (rc != 0) return rc;
    std::string statement = buffer.Statement();
    rc = ApplyTop(statement);
    if (rc != 0) return rc;
    buffer.SetStatement(statement);
    out = statement;
    return 0;
}

int CS3DBIndex::ExecuteList(CS3DataDB& buffer) {
    std::string sql;
    int rc = BuildListSelect(buffer, sql);
    if (rc == 0) {
        int limit = FetchLimit(buffer);
        rc = limit < 0 ? limit : DBExecute(nullptr, sql.c_str(), 0, 0);
    }
    if (rc == 0) return 0;
    ClearItems();
    if (rc == -110) return 0;
    TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
    return rc;
}

int CS3DBIndex::DeleteAll() {
    NUString table;
    table.Format("%d", static_cast<int>(kOpDelete));
    int rc = TableName(table);
    if (rc != 0) {
        TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
        return rc;
    }
    NUString condition;
    DeleteCondition(condition);
    std::string sql = std::string("delete from ") + table.Get() +
                      " where SID_CORPORATE=" + std::to_string(CompanyNumber());
    if (!condition.IsEmpty()) sql += std::string(" and ") + condition.Get();
    rc = DBExecute(nullptr, sql.c_str(), 0, 0);
    if (rc != 0 && rc != -110) TraceError("[%s][%d][%d]", kUnit, __LINE__, rc);
    return rc;
}

int CS3DBIndex::ApplyTop(std::string& statement) {
    if (topMode == 0 || !(pageStart > 0 || pageSize != 0)) return 0;
    return RewriteSelectTop(statement, TopRowCount(pageStart, pageSize));
}

int CS3DBIndex::DeleteCondition(NUString& out) { return out.Set(""); }

int CS3DBIndex::ReadRowId(CS3DataDB& buffer, CS3String& value) {
    return ReadIdColumn(buffer, idColumnName.Get(), id.IsTextMode(), value);
}
