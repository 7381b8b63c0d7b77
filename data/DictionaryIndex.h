#pragma once

#include <QVariantMap>
#include <cstdint>
#include <string>
#include <vector>

namespace lex {

class BitSet;
class Database;
struct SqlCondition;
struct SqlStatement;

// The dictionary held in memory in the compact form that searching needs: for every entry, in
// dictionary order of its headword (its rank), the folded headword and meaning, and ID, Type and
// Qty. Statements on Main_Data run here, so a search over a million entries takes a scan of the
// packed text instead of a sort of every match; rows for display are read from the table by ID.
class DictionaryIndex {
  public:
    // Reads Main_Data through `db`. The order prepared by the import is used when it covers
    // exactly the table's entries; otherwise the order is computed here.
    void load(const Database& db);

    size_t size() const { return ids_.size(); }
    int32_t idAtRank(uint32_t rank) const { return ids_[rank]; }
    bool preparedOrderUsed() const { return preparedOrderUsed_; }

    // Runs a statement on Main_Data: the ranks of the matching entries in the statement's order.
    std::vector<uint32_t> select(const SqlStatement& statement, const QVariantMap& bound) const;

    size_t memoryBytes() const;

  private:
    BitSet evaluate(const SqlCondition& c, const QVariantMap& bound) const;
    const std::vector<int32_t>* integerColumn(const QString& field) const;

    std::string data_, meaning_;  // folded entries, each followed by a 0 byte
    std::vector<uint32_t> dataStarts_, meaningStarts_;
    std::vector<int32_t> ids_, types_, qtys_;
    bool preparedOrderUsed_ = false;
};

}  // namespace lex
