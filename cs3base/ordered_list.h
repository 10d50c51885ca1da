// Statement texts of the ordered-list move (CS3DBIndex::MoveItems): the
// lock, the target's order number, the moved rows and the renumbering.
#pragma once

#include <string>
#include <vector>

#include "cs3base/record_list.h"

// Names the move works with, as the list answers them.
struct OrderedListNames {
    std::string table;
    std::string seqno;          // order column
    std::string idColumn;       // identifier column
    std::string listCondition;  // "" when the table is one list
    std::string extraColumn;    // column stamped on renumbered rows, or ""
    int company = 0;
};

// "select SID_CORPORATE from <table> with(updlock) where SID_CORPORATE=<cid>
// [ and <list condition>]".
std::string MoveLockStatement(const OrderedListNames& names);
// "select <seqno> from <table> where SID_CORPORATE=<cid> and <id>=<target>
// [ and <list condition>]".
std::string TargetSeqnoStatement(const OrderedListNames& names, int target);
// "<id> in (<ids>)" or "<id> not in (<ids>)", followed by " and <list
// condition>" when there is one.
std::string IdListCondition(const OrderedListNames& names, const std::vector<int>& ids,
                            bool notIn);
// "select <id>,<seqno> from <table> where SID_CORPORATE=<cid> and <list
// condition> order by <seqno>" with the in-list condition.
std::string MovedRowsStatement(const OrderedListNames& names, const std::string& inList);
// "select <seqno>[,<extra>], row_number() over(order by <seqno>) as
// rownumcnt from <table>".
std::string RowNumberSelect(const OrderedListNames& names);
// "update f set <seqno>=rownumcnt+<base>[,<extra>='<stamp>'] from
// (<row-number select> where <condition>) as f".
std::string RenumberStatement(const OrderedListNames& names, int base, const char* stamp,
                              const char* condition);
// The gap condition of the before rows: "SID_CORPORATE=<cid> and
// <seqno><op><target> and <seqno>><first> and <not-in list>", op "<" for
// '+' and "<=" otherwise.
std::string BeforeGapCondition(const OrderedListNames& names, char direction, int target,
                               int first, const std::string& notInList);
// The gap condition of the after rows: "SID_CORPORATE=<cid> and
// <seqno><op><target> and <seqno><<last> and <not-in list>", op ">=" for
// '+' and ">" otherwise.
std::string AfterGapCondition(const OrderedListNames& names, char direction, int target,
                              int last, const std::string& notInList);
// "SID_CORPORATE=<cid> and <in list>".
std::string MovedRowsCondition(const OrderedListNames& names, const std::string& inList);
