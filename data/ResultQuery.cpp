#include "data/ResultQuery.h"

#include <QSqlError>
#include <QSqlQuery>

#include "data/DataError.h"
#include "data/Database.h"
#include "data/DictionaryIndex.h"
#include "data/Schema.h"
#include "data/SqlStatement.h"

namespace lex {

namespace {
constexpr int kBlockRows = 64;
constexpr int kMaxBlocks = 64;
}  // namespace

ResultQuery::ResultQuery(const Database& db, const DictionaryIndex& index, QObject* parent)
    : QObject(parent), db_(db), index_(index) {}

void ResultQuery::setSql(const QStringList& lines) {
    sql_ = lines;
}

void ResultQuery::clearSql() {
    sql_.clear();
    bound_.clear();
}

void ResultQuery::bindValue(const QString& name, const QVariant& value) {
    bound_.insert(name, value);
}

void ResultQuery::open() {
    if (open_)
        return;
    const SqlStatement statement = SqlStatement::parse(sql_);
    try {
        index_.select(statement, bound_, ranks_);
    } catch (...) {
        ranks_.clear();
        throw;
    }
    emit aboutToReset();
    blocks_.clear();
    open_ = true;
    current_ = ranks_.empty() ? -1 : 0;
    emit reset();
    emit currentRowChanged(current_);
}

void ResultQuery::close() {
    if (!open_)
        return;
    emit aboutToReset();
    open_ = false;
    // The room stays: a large answer allocated afresh for every search costs more in fresh
    // pages than the search itself.
    ranks_.clear();
    blocks_.clear();
    current_ = -1;
    emit reset();
    emit currentRowChanged(current_);
}

void ResultQuery::setCurrentRow(int row) {
    if (row < -1 || row >= recordCount() || row == current_)
        return;
    current_ = row;
    emit currentRowChanged(row);
}

int ResultQuery::idAt(int row) const {
    return index_.idAtRank(ranks_[static_cast<size_t>(row)]);
}

const ResultQuery::Row& ResultQuery::rowAt(int row) const {
    const int block = row / kBlockRows;
    auto it = blocks_.find(block);
    if (it == blocks_.end()) {
        if (blocks_.size() >= kMaxBlocks)
            blocks_.clear();
        const int begin = block * kBlockRows;
        const int end = std::min(recordCount(), begin + kBlockRows);
        std::vector<Row> rows(static_cast<size_t>(end - begin));
        QSqlQuery q(db_.connection());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT ID, Data, Meaning, Type, Qty FROM %1.Main_Data "
                                 "WHERE ID = ?")
                      .arg(schema::mainData().schema));
        for (int r = begin; r < end; ++r) {
            Row& out = rows[static_cast<size_t>(r - begin)];
            out.id = idAt(r);
            q.bindValue(0, out.id);
            if (q.exec() && q.next()) {
                out.data = q.value(1).toString();
                out.meaning = q.value(2).toString();
                out.type = q.value(3).toInt();
                out.qty = q.value(4).toInt();
            }
            q.finish();
        }
        it = blocks_.insert(block, std::move(rows));
    }
    return it.value()[static_cast<size_t>(row - block * kBlockRows)];
}

}  // namespace lex
