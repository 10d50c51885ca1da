// What a statement's text says about it: whether it only reads, and whether
// it may end the transaction it runs in.
#pragma once

#include <string_view>

// True for a statement that changes nothing and so runs outside a
// transaction: it starts with "select " or "SELECT " and holds no row-lock
// hint " with(updlock)".
bool IsReadOnlyStatement(const char* sql);

// How a statement's text may touch the transaction it runs in.
enum class TransactionEnd {
    None,      // no COMMIT or ROLLBACK word outside literals and comments
    Possible,  // such a word inside the text (a batch, a block)
    Leading,   // the statement is a COMMIT, ROLLBACK or END
};
TransactionEnd StatementTransactionEnd(std::string_view sql);
