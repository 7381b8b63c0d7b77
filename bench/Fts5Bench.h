#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace lex::bench {

// SQLite FTS5 with the trigram tokenizer on the same rows as the dictionary, the yardstick for
// the program's own search. The table holds every entry under rowid = its rank in
// Main_Data_Order, so rowid order is dictionary order, with the values the result grid shows
// stored beside the two indexed columns:
//
//   entries(Data, Meaning, ID UNINDEXED, Type UNINDEXED, Qty UNINDEXED,
//           tokenize='trigram', detail=full)
//
// This is the fastest configuration that answers every needle. Tried at 100,000 entries (53 MB,
// built in 3 to 4 s; count and first screen of a 3 to 8 character needle in 0.3 to 3 ms):
// - detail=none (28 MB) and detail=column (41 MB) refuse phrase queries in SQLite 3.40, and a
//   needle of four characters is a phrase of two trigrams; detail=none refuses column filters
//   too. Their LIKE on one column is as quick on meanings, 5 to 10 times slower on headwords.
// - content='' (38 MB) cannot run LIKE (it keeps no values), and the first screen then has to be
//   read from Main_Data through Main_Data_Order: MATCH was no quicker, up to twice as slow.
// - one table per column (44 MB) is a little quicker for one field, but both fields need a UNION
//   of the two: 2 to 15 ms where one table without a column filter takes 0.3 to 2 ms.
// - storing ID, Type and Qty in the table reads the first screen without a join.
//
// Builds <dir>/fts5.db from <dir>/tables/Main_Data.DB unless it is there, and prints how long
// that took. Runs in the preparing child, so that building does not count in the measured memory.
void ensureFts5Index(int entries, const QString& dir);

enum class Fts5Field { Both, Headwords, Meanings };

// How FTS5 answers a needle of the search box (which the program reads as a LIKE pattern inside
// '%...%'):
// - Match: a literal needle of 3 or more characters is a quoted phrase: '{Data} : "stress"'.
// - MatchLike: a needle with '%' or '_' holding literal runs of 3 or more characters matches those
//   runs (AND) to find the candidates and checks the LIKE pattern on them.
// - LikeScan: anything else (1 and 2 characters, wildcards between short runs) has no index to
//   use: LIKE on every row of the FTS table.
enum class Fts5Method { Match, MatchLike, LikeScan };
const char* methodName(Fts5Method m);

struct Fts5Plan {
    Fts5Method method;
    QString where;  // the WHERE clause on table `entries`; ?1 is the expression, ?2 the pattern
    QString expression;  // the FTS5 query, empty for LikeScan
    QString pattern;     // '%' + needle + '%'
};
Fts5Plan fts5Plan(const QString& needle, Fts5Field field);

// Literal runs of at least 3 characters (code points) between the wildcards of `needle`.
QStringList longLiteralRuns(const QString& needle);

class Fts5Search {
  public:
    explicit Fts5Search(const QString& dir);  // opens <dir>/fts5.db read-only
    ~Fts5Search();
    Fts5Search(const Fts5Search&) = delete;
    Fts5Search& operator=(const Fts5Search&) = delete;

    // Counts the matching entries and reads the values of the first `screen` of them in
    // dictionary order, as the result grid would; returns the count.
    qint64 run(const Fts5Plan& plan, int screen);

  private:
    sqlite3* db_ = nullptr;
};

}  // namespace lex::bench
