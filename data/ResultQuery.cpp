#include "data/ResultQuery.h"

#include <sqlite3.h>

#include "data/DataError.h"
#include "data/Database.h"
#include "data/DictionaryIndex.h"
#include "data/Schema.h"
#include "data/SqlStatement.h"

namespace lex {

namespace {
constexpr int kBlockRows = 32;
constexpr int kMaxBlocks = 128;

// As the database driver reads a text: through the engine's own UTF-16 form.
QString textAt(sqlite3_stmt* st, int col) {
    const auto* p = static_cast<const QChar*>(sqlite3_column_text16(st, col));
    return p ? QString(p, sqlite3_column_bytes16(st, col) / 2) : QString();
}
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
        // One statement a block: each statement takes and releases the file's lock, which
        // costs more than reading a row. It is prepared for the block and finalized after it,
        // so that no statement outlives the connection.
        for (int r = begin; r < end; ++r)
            rows[static_cast<size_t>(r - begin)].id = idAt(r);
        QStringList marks;
        for (int r = begin; r < end; ++r)
            marks << QStringLiteral("?");
        const QByteArray sql = QStringLiteral(
                                   "SELECT ID, Data, Meaning, Type, Qty FROM "
                                   "%1.Main_Data WHERE ID IN (%2)")
                                   .arg(schema::mainData().schema, marks.join(u','))
                                   .toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_.handle(), sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
            for (int r = begin; r < end; ++r)
                sqlite3_bind_int(st, r - begin + 1, idAt(r));
            while (sqlite3_step(st) == SQLITE_ROW) {
                const int id = sqlite3_column_int(st, 0);
                for (Row& out : rows) {
                    if (out.id != id)
                        continue;
                    out.data = textAt(st, 1);
                    out.meaning = textAt(st, 2);
                    out.type = sqlite3_column_int(st, 3);
                    out.qty = sqlite3_column_int(st, 4);
                }
            }
        }
        sqlite3_finalize(st);
        it = blocks_.insert(block, std::move(rows));
    }
    return it.value()[static_cast<size_t>(row - block * kBlockRows)];
}

}  // namespace lex
