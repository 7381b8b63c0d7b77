#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace lex {

// The SQL the result queries speak: SELECT * FROM one table, an optional WHERE with LIKE and the
// comparisons = <> < <= > >= against a literal or a bound parameter (":name" or "?"), joined by
// AND, OR and parentheses, and an optional ORDER BY one column, ASC or DESC. Keywords in any
// letter case; string constants in double or single quotes; lines separate tokens like spaces.
struct SqlCondition {
    enum class Kind { Or, And, Compare };
    enum class Op { Like, Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

    Kind kind = Kind::Compare;
    std::vector<SqlCondition> children;  // Or, And
    QString field;                       // Compare
    Op op = Op::Equal;
    QVariant literal;   // Compare, when the value is written in the statement
    QString parameter;  // Compare, when the value is bound; "?" parameters are named ?1, ?2, ...
};

struct SqlStatement {
    QString table;
    bool hasWhere = false;
    SqlCondition where;
    QString orderBy;  // empty: no ORDER BY
    bool descending = false;

    // Throws DataError naming the place of the fault.
    static SqlStatement parse(const QStringList& lines);
};

}  // namespace lex
