// Rewriting of SQL Server statements for SQLite.
#include "db/sql_dialect.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlDialectTokens, JoiningGivesTheTextBack) {
    const char* texts[] = {
        "select a, b from t where x = N'it''s' -- note\n and y=[col name]",
        "/* unterminated",
        "'unterminated literal",
        "update \"q\"\"x\" set a=1;",
        "",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(JoinSql(TokenizeSql(text)), text);
    }
    std::vector<SqlToken> tokens = TokenizeSql("a='x''y'");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[2].kind, SqlTokenKind::Literal);
    EXPECT_EQ(tokens[2].text, "'x''y'");
}

TEST(SqlDialectRewrite, StatementsBecomeSqlite) {
    struct Row {
        const char* in;
        const char* out;  // nullptr: unchanged
    } rows[] = {
        // Unicode prefixes go.
        {"insert into t values (N'abc', n'x', N'')", "insert into t values ('abc', 'x', '')"},
        {"select * from t where a=N'it''s'", "select * from t where a='it''s'"},
        // Only a lone N glued to a literal is a prefix.
        {"select IN'x'", "select IN'x'"},
        {"select N 'x'", "select N 'x'"},
        // Lock hints go with their blanks.
        {"SELECT a FROM t with(updlock) WHERE id=1", "SELECT a FROM t WHERE id=1"},
        {" SELECT sid_corporate FROM TM_GROUP WITH (TABLOCKX)",
         " SELECT sid_corporate FROM TM_GROUP"},
        {"select a from t WITH ( UPDLOCK , ROWLOCK ) where b=1", "select a from t where b=1"},
        // A common table expression is not a hint.
        {"with x as (select 1) select * from x", "with x as (select 1) select * from x"},
        {"select a from t with (unknownhint)", "select a from t with (unknownhint)"},
        // Removed tokens never join their neighbours.
        {"select 'a'N'b'", "select 'a' 'b'"},
        {"select a from t with(updlock)where b=1", "select a from t where b=1"},
        // Top becomes limit of its own select.
        {"select top 1 a from t order by a", "select a from t order by a LIMIT 1"},
        {"SELECT TOP 10 a FROM t ", "SELECT a FROM t LIMIT 10 "},
        {"select distinct top (5) a from t", "select distinct a from t LIMIT 5"},
        {"select a from t where b in (select top 2 b from u order by b) and c=1",
         "select a from t where b in (select b from u order by b LIMIT 2) and c=1"},
        {"select top 3 a from (select top 4 b as a from u) x",
         "select a from (select b as a from u LIMIT 4) x LIMIT 3"},
        {"select top 1 a from t; select 2", "select a from t LIMIT 1; select 2"},
        {"select top 1 a from t -- last\n", "select a from t LIMIT 1 -- last\n"},
        // A parameter marker cannot move: its position binds the value.
        {"select top (?) a from t", "select top (?) a from t"},
        // Like bracket escapes become an escape clause.
        {"select a from t where b like '%[%]%'",
         "select a from t where b like '%\\%%' ESCAPE '\\'"},
        {"select a from t where b like N'[[]x[_]y'",
         "select a from t where b like '[x\\_y' ESCAPE '\\'"},
        {"select a from t where b LIKE 'a\\b[%]'",
         "select a from t where b LIKE 'a\\\\b\\%' ESCAPE '\\'"},
        {"select a from t where b like 'it''s[%]'",
         "select a from t where b like 'it''s\\%' ESCAPE '\\'"},
        // Nothing to escape, a real character class, or an escape already given.
        {"select a from t where b like '%x%'", "select a from t where b like '%x%'"},
        {"select a from t where b like '[a-c]%'", "select a from t where b like '[a-c]%'"},
        {"select a from t where b like '![%]' escape '!'",
         "select a from t where b like '![%]' escape '!'"},
        // Literals quoted names and comments pass unchanged.
        {"insert into t values ('N''x', 'select top 5 a', 'with(updlock)', '[%]')",
         "insert into t values ('N''x', 'select top 5 a', 'with(updlock)', '[%]')"},
        {"select [top] from t where a = 'WITH (TABLOCKX)'",
         "select [top] from t where a = 'WITH (TABLOCKX)'"},
        {"select a from t /* select top 1 with(updlock) N'x' */",
         "select a from t /* select top 1 with(updlock) N'x' */"},
        {"update t set a=N'like ''[%]''' where b like 'x'",
         "update t set a='like ''[%]''' where b like 'x'"},
        // Derived table update targets its table.
        {"update f set SEQNO=rownumcnt+4 from (select SEQNO, row_number() over(order by SEQNO)"
         " as rownumcnt from TM_GROUP where SID_CORPORATE=1 and ID in (5)) as f",
         "UPDATE TM_GROUP set SEQNO=rownumcnt+4 FROM (select rowid AS rownumrowid, SEQNO,"
         " row_number() over(order by SEQNO) as rownumcnt from TM_GROUP where SID_CORPORATE=1"
         " and ID in (5)) AS f WHERE TM_GROUP.rowid=f.rownumrowid"},
        // The stamp column travels with the assignments; N'' and a lock hint
        // inside are handled by the other rewrites.
        {"update f set SEQNO=rownumcnt+0,updtime='20240101000000' from (select SEQNO,updtime,"
         " row_number() over(order by SEQNO) as rownumcnt from T with(updlock) where a=N'x') as f;",
         "UPDATE T set SEQNO=rownumcnt+0,updtime='20240101000000' FROM (select rowid AS"
         " rownumrowid, SEQNO,updtime, row_number() over(order by SEQNO) as rownumcnt from T"
         " where a='x') AS f WHERE T.rowid=f.rownumrowid;"},
        // Without WHERE, and with the alias given without AS.
        {"UPDATE g SET n=k from (select n, row_number() over(order by n) as k from T) g",
         "UPDATE T SET n=k FROM (select rowid AS rownumrowid, n, row_number() over(order by n) as"
         " k from T) AS g WHERE T.rowid=g.rownumrowid"},
        // Backslash line breaks inside literals are continuations.
        {"update t set a=N'x\\\\\n\r\ny'", "update t set a='x\\\r\ny'"},
        {"update t set a='x\\\ny'", "update t set a='xy'"},
        {"update t set a='x\\\r\ny'", "update t set a='xy'"},
        {"update t set a='x\\\ry\\'", "update t set a='x\\\ry\\'"},
        {"select a from t -- c\\\nwhere b=1", "select a from t -- c\\\nwhere b=1"},
        // Other updates are left alone (nullptr: unchanged).
        {"update t set a=1 where b=2", nullptr},
        // A join, not a derived table.
        {"update t set a=u.x from t, u where t.id=u.id", nullptr},
        // The alias updated is not the derived table's.
        {"update g set n=k from (select n, k from T) as f", nullptr},
        // Derived tables over joins, DISTINCT or with something after them.
        {"update f set n=1 from (select n from T a, U b where a.x=b.x) as f", nullptr},
        {"update f set n=1 from (select distinct n from T) as f", nullptr},
        {"update f set n=1 from (select n from T) as f where n>1", nullptr},
        {"update f set n=1 from (select n from (select n from T) x) as f", nullptr},
        // All rewrites together, and a case-folded LIKE pattern.
        {"select top 1 name from TM_USER with(updlock) where name like N'%[_]%' order by id",
         "select name from TM_USER where name like '%\\_%' ESCAPE '\\' order by id LIMIT 1"},
        {"select * from t where UPPER(Name) LIKE UPPER(N'%50[%]%') AND x=1",
         "select * from t where UPPER(Name) LIKE UPPER('%50\\%%') ESCAPE '\\' AND x=1"},
        {"select * from t where Name LIKE lower('a') AND x=1", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(RewriteForSqlite(row.in), row.out ? row.out : row.in);
    }
}

}  // namespace
