#pragma once

#include <QVariantMap>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/GramIndex.h"
#include "data/LargePages.h"

struct sqlite3;

namespace lex {

class BitSet;
class Database;
struct SqlCondition;
struct SqlStatement;

// The dictionary held in memory in the compact form that searching needs: for every entry, in
// dictionary order of its headword (its rank), the folded headword and meaning, and ID, Type and
// Qty. Statements on Main_Data run here, so a search over a million entries takes a scan of the
// packed text and lists of the entries holding each character and run of three characters
// instead of a sort of every match; rows for display are read from the table by ID.
class DictionaryIndex {
  public:
    // How a LIKE on a text field is answered: through the lists, or by looking at every entry
    // (the plain way, kept to check the lists against).
    enum class SearchPath { Indexed, Scan };

    // Reads Main_Data through `db`: the index prepared by the import when there is one,
    // otherwise the table itself, with the order prepared by the import when it covers exactly
    // the table's entries.
    void load(const Database& db);
    void load(sqlite3* db, const QString& schemaName);

    // Builds the index from Main_Data in schema main of `db` and stores it beside the table,
    // inside the caller's transaction. False when it is too large to store (it is then built
    // each time the dictionary is opened). Throws DataError.
    static bool prepare(sqlite3* db);

    size_t size() const { return ids_.size(); }
    int32_t idAtRank(uint32_t rank) const { return ids_[rank]; }
    bool preparedOrderUsed() const { return preparedOrderUsed_; }
    bool preparedIndexUsed() const { return preparedIndexUsed_; }

    // Runs a statement on Main_Data: the ranks of the matching entries in the statement's order.
    std::vector<uint32_t> select(const SqlStatement& statement, const QVariantMap& bound,
                                 SearchPath path = SearchPath::Indexed) const;
    // The same into `ranks`, whose room is reused.
    void select(const SqlStatement& statement, const QVariantMap& bound,
                std::vector<uint32_t>& ranks, SearchPath path = SearchPath::Indexed) const;

    size_t memoryBytes() const;

  private:
    void build(sqlite3* db, const QString& schemaName);
    bool loadPrepared(sqlite3* db, const QString& schemaName);
    bool readPrepared(sqlite3* db, const QString& schemaName);
    std::vector<std::pair<const void*, size_t>> pieces() const;
    bool store(sqlite3* db) const;
    BitSet evaluate(const SqlCondition& c, const QVariantMap& bound, SearchPath path) const;
    const LargeVector<int32_t>* integerColumn(const QString& field) const;

    LargeText data_, meaning_;  // folded entries, each followed by a 0 byte
    LargeVector<uint32_t> dataStarts_, meaningStarts_;
    LargeVector<int32_t> ids_, types_, qtys_;
    GramIndex dataGrams_, meaningGrams_;
    bool preparedOrderUsed_ = false;
    bool preparedIndexUsed_ = false;
};

}  // namespace lex
