#include "data/DictionaryIndex.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>
#include <type_traits>

#include "data/BitSet.h"
#include "data/DataError.h"
#include "data/Database.h"
#include "data/DictionaryOrder.h"
#include "data/FoldedText.h"
#include "data/LikePattern.h"
#include "data/Schema.h"
#include "data/SearchImage.h"
#include "data/SqlStatement.h"

namespace lex {

namespace {

class Statement {
  public:
    Statement(sqlite3* db, const QString& sql) {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt_, nullptr) != SQLITE_OK)
            throw DataError(QStringLiteral("Cannot read the dictionary: %1")
                                .arg(QString::fromUtf8(sqlite3_errmsg(db))));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw DataError(QStringLiteral("Cannot read the dictionary: %1")
                                .arg(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(stmt_)))));
        return false;
    }
    sqlite3_stmt* get() const { return stmt_; }
    std::string_view text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return p ? std::string_view(p, sqlite3_column_bytes(stmt_, col)) : std::string_view();
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool tableExists(sqlite3* db, const QString& schemaName, const char* table) {
    Statement st(db, QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type = 'table' AND "
                                    "name = '%2'")
                         .arg(schemaName, QLatin1String(table)));
    return st.step();
}

// Entries of one text column, packed and folded, in the order they were appended.
struct Packed {
    std::string bytes;
    std::vector<uint32_t> starts{0};
    void reserve(size_t entries, size_t utf8Bytes) {
        // The folded form is never longer than UTF-8, but for the few characters outside ASCII
        // and Thai; the separators add one byte an entry.
        bytes.reserve(utf8Bytes + entries + 64);
        starts.reserve(entries + 1);
    }
    void add(std::string_view utf8) {
        folded::appendUtf8(bytes, utf8);
        bytes.push_back('\0');
        starts.push_back(static_cast<uint32_t>(bytes.size()));
    }
    std::string_view entry(size_t i) const {
        return std::string_view(bytes.data() + starts[i], starts[i + 1] - starts[i]);
    }
    // The same entries in the order given by `order` (indices into this).
    void permute(const std::vector<uint32_t>& order, LargeText& outBytes,
                 LargeVector<uint32_t>& outStarts) const {
        outBytes.clear();
        outBytes.reserve(bytes.size());
        outStarts.assign(1, 0);
        outStarts.reserve(starts.size());
        for (uint32_t i : order) {
            outBytes.append(entry(i));
            outStarts.push_back(static_cast<uint32_t>(outBytes.size()));
        }
    }
};

template <typename T>
LargeVector<T> permute(const std::vector<T>& v, const std::vector<uint32_t>& order) {
    LargeVector<T> out;
    out.reserve(order.size());
    for (uint32_t i : order)
        out.push_back(v[i]);
    return out;
}

// The first piece of a prepared index: what it is and for how many entries.
struct PreparedHeader {
    char magic[8] = {'L', 'X', 'S', 'E', 'A', 'R', 'C', 'H'};
    uint32_t version = 1;
    uint32_t entries = 0;
    uint32_t keyBytes = sizeof(GramIndex::Key);
    uint32_t reserved = 0;
};

bool startsFit(const LargeVector<uint32_t>& starts, const LargeText& text) {
    if (starts.empty() || starts.front() != 0 || starts.back() != text.size())
        return false;
    for (size_t r = 0; r + 1 < starts.size(); ++r)
        if (starts[r + 1] <= starts[r] || text[starts[r + 1] - 1] != '\0')
            return false;
    return true;
}

}  // namespace

void DictionaryIndex::load(const Database& database) {
    load(database.handle(), schema::mainData().schema);
}

void DictionaryIndex::load(sqlite3* db, const QString& schemaName) {
    if (!loadPrepared(db, schemaName))
        build(db, schemaName);
}

bool DictionaryIndex::prepare(sqlite3* db) {
    DictionaryIndex index;
    index.build(db, QStringLiteral("main"));
    return index.store(db);
}

bool DictionaryIndex::store(sqlite3* db) const {
    search_image::clear(db);
    PreparedHeader header;
    header.entries = static_cast<uint32_t>(size());
    auto put = [&](const char* name, const auto& v) {
        return search_image::write(db, name, v.data(), v.size() * sizeof(v[0]));
    };
    const bool stored =
        put("Data.text", data_) && put("Data.starts", dataStarts_) &&
        put("Data.keys", dataGrams_.keys()) && put("Data.lists", dataGrams_.lists()) &&
        put("Meaning.text", meaning_) && put("Meaning.starts", meaningStarts_) &&
        put("Meaning.keys", meaningGrams_.keys()) && put("Meaning.lists", meaningGrams_.lists()) &&
        put("ids", ids_) && put("types", types_) && put("qtys", qtys_) &&
        search_image::write(db, "header", &header, sizeof header);
    if (!stored)
        search_image::clear(db);
    return stored;
}

bool DictionaryIndex::loadPrepared(sqlite3* db, const QString& s) {
    PreparedHeader header, expected;
    const bool headerRead = search_image::read(
        db, s, "header", [&](size_t n) -> void* { return n == sizeof header ? &header : nullptr; });
    if (!headerRead || std::memcmp(header.magic, expected.magic, sizeof header.magic) != 0 ||
        header.version != expected.version || header.keyBytes != expected.keyBytes)
        return false;
    const size_t n = header.entries;
    // Reads a piece into `v`, which must then hold `count` elements (any count when 0).
    auto get = [&](const char* name, auto& v, size_t count) {
        using T = typename std::decay_t<decltype(v)>::value_type;
        return search_image::read(db, s, name, [&](size_t bytes) -> void* {
            if (bytes % sizeof(T) != 0 || (count && bytes != count * sizeof(T)))
                return nullptr;
            v.resize(bytes / sizeof(T));
            return v.data();
        });
    };
    std::vector<GramIndex::Key> dataKeys, meaningKeys;
    LargeVector<uint8_t> dataLists, meaningLists;
    const bool ok =
        get("ids", ids_, n) && get("types", types_, n) && get("qtys", qtys_, n) &&
        get("Data.starts", dataStarts_, n + 1) && get("Data.text", data_, 0) &&
        get("Meaning.starts", meaningStarts_, n + 1) && get("Meaning.text", meaning_, 0) &&
        get("Data.keys", dataKeys, 0) && get("Data.lists", dataLists, 0) &&
        get("Meaning.keys", meaningKeys, 0) && get("Meaning.lists", meaningLists, 0) &&
        startsFit(dataStarts_, data_) && startsFit(meaningStarts_, meaning_) &&
        dataGrams_.assign(std::move(dataKeys), std::move(dataLists), header.entries) &&
        meaningGrams_.assign(std::move(meaningKeys), std::move(meaningLists), header.entries);
    if (!ok) {
        *this = DictionaryIndex();
        return false;
    }
    preparedOrderUsed_ = preparedIndexUsed_ = true;
    return true;
}

void DictionaryIndex::build(sqlite3* db, const QString& s) {
    *this = DictionaryIndex();
    Packed data, meaning;
    std::vector<int32_t> ids, types, qtys;
    {
        // Room for everything up front: growing by doubling would hold twice the memory.
        Statement sizes(db, QStringLiteral("SELECT count(*), sum(length(CAST(Data AS BLOB))), "
                                           "sum(length(CAST(Meaning AS BLOB))) FROM %1.Main_Data")
                                .arg(s));
        if (sizes.step()) {
            const auto rows = static_cast<size_t>(sqlite3_column_int64(sizes.get(), 0));
            data.reserve(rows, static_cast<size_t>(sqlite3_column_int64(sizes.get(), 1)));
            meaning.reserve(rows, static_cast<size_t>(sqlite3_column_int64(sizes.get(), 2)));
            for (auto* v : {&ids, &types, &qtys})
                v->reserve(rows);
        }
    }
    {
        Statement rows(db, QStringLiteral("SELECT ID, Data, Meaning, Type, Qty FROM %1.Main_Data "
                                          "ORDER BY ID")
                               .arg(s));
        while (rows.step()) {
            ids.push_back(sqlite3_column_int(rows.get(), 0));
            data.add(rows.text(1));
            meaning.add(rows.text(2));
            types.push_back(sqlite3_column_int(rows.get(), 3));
            qtys.push_back(sqlite3_column_int(rows.get(), 4));
        }
    }
    if (data.bytes.size() > UINT32_MAX || meaning.bytes.size() > UINT32_MAX)
        throw DataError(QStringLiteral("The dictionary is too large to be searched."));

    // Positions (in ID order) of the entries in dictionary order.
    std::vector<uint32_t> order;
    auto positionOf = [&](int32_t id) -> int64_t {
        auto it = std::lower_bound(ids.begin(), ids.end(), id);
        return it != ids.end() && *it == id ? it - ids.begin() : -1;
    };
    preparedOrderUsed_ = false;
    if (tableExists(db, s, schema::kOrderTable)) {
        Statement ranked(db, QStringLiteral("SELECT ID FROM %1.%2 ORDER BY Rank")
                                 .arg(s, QLatin1String(schema::kOrderTable)));
        std::vector<bool> seen(ids.size(), false);
        bool complete = true;
        while (complete && ranked.step()) {
            const int64_t pos = positionOf(sqlite3_column_int(ranked.get(), 0));
            if (pos < 0 || seen[pos]) {
                complete = false;
                break;
            }
            seen[pos] = true;
            order.push_back(static_cast<uint32_t>(pos));
        }
        preparedOrderUsed_ = complete && order.size() == ids.size();
    }
    if (!preparedOrderUsed_) {
        // The table was changed after its import: sort here, from the headwords.
        std::vector<Headword> headwords;
        headwords.reserve(ids.size());
        Statement rows(db, QStringLiteral("SELECT ID, Data FROM %1.Main_Data ORDER BY ID").arg(s));
        while (rows.step()) {
            const std::string_view t = rows.text(1);
            headwords.push_back({sqlite3_column_int(rows.get(), 0),
                                 QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()))});
        }
        order.clear();
        for (int32_t id : dictionaryOrder(std::move(headwords)))
            order.push_back(static_cast<uint32_t>(positionOf(id)));
    }

    data.permute(order, data_, dataStarts_);
    data = Packed();
    meaning.permute(order, meaning_, meaningStarts_);
    meaning = Packed();
    ids_ = permute(ids, order);
    types_ = permute(types, order);
    qtys_ = permute(qtys, order);
    dataGrams_ = GramIndex::build(data_, dataStarts_);
    meaningGrams_ = GramIndex::build(meaning_, meaningStarts_);
}

const LargeVector<int32_t>* DictionaryIndex::integerColumn(const QString& field) const {
    if (field.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
        return &ids_;
    if (field.compare(QLatin1String("Type"), Qt::CaseInsensitive) == 0)
        return &types_;
    if (field.compare(QLatin1String("Qty"), Qt::CaseInsensitive) == 0)
        return &qtys_;
    return nullptr;
}

BitSet DictionaryIndex::evaluate(const SqlCondition& c, const QVariantMap& bound,
                                 SearchPath path) const {
    using Kind = SqlCondition::Kind;
    using Op = SqlCondition::Op;
    if (c.kind != Kind::Compare) {
        BitSet result = evaluate(c.children.front(), bound, path);
        for (size_t i = 1; i < c.children.size(); ++i) {
            if (c.kind == Kind::Or)
                result |= evaluate(c.children[i], bound, path);
            else
                result &= evaluate(c.children[i], bound, path);
        }
        return result;
    }

    QVariant value = c.literal;
    if (!c.parameter.isEmpty()) {
        if (!bound.contains(c.parameter))
            throw DataError(QStringLiteral("No value is bound to %1.").arg(c.parameter));
        value = bound.value(c.parameter);
    }
    BitSet result(size());
    const bool isData = c.field.compare(QLatin1String("Data"), Qt::CaseInsensitive) == 0;
    const bool isMeaning = c.field.compare(QLatin1String("Meaning"), Qt::CaseInsensitive) == 0;
    if (isData || isMeaning) {
        const LargeText& buffer = isData ? data_ : meaning_;
        const LargeVector<uint32_t>& starts = isData ? dataStarts_ : meaningStarts_;
        if (c.op == Op::Like) {
            const LikePattern pattern(value.toString());
            const GramIndex& grams = isData ? dataGrams_ : meaningGrams_;
            if (path == SearchPath::Scan || !grams.select(pattern, buffer, starts, result))
                pattern.scan(buffer, starts, result);
            return result;
        }
        if (c.op == Op::Equal || c.op == Op::NotEqual) {
            const std::string wanted =
                folded::encode(value.toString().normalized(QString::NormalizationForm_C));
            for (size_t r = 0; r < size(); ++r) {
                const std::string_view entry(buffer.data() + starts[r],
                                             starts[r + 1] - starts[r] - 1);
                if ((entry == wanted) == (c.op == Op::Equal))
                    result.set(r);
            }
            return result;
        }
        throw DataError(
            QStringLiteral("Text field %1 can only be compared with LIKE, = or <>.").arg(c.field));
    }
    const LargeVector<int32_t>* column = integerColumn(c.field);
    if (!column)
        throw DataError(QStringLiteral("Unknown field name: %1").arg(c.field));
    bool ok = false;
    const qint64 v = value.toLongLong(&ok);
    if (!ok || c.op == Op::Like)
        throw DataError(
            QStringLiteral("Field %1 holds numbers and is compared with a number.").arg(c.field));
    for (size_t r = 0; r < size(); ++r) {
        const qint64 x = (*column)[r];
        bool hit = false;
        switch (c.op) {
            case Op::Equal:
                hit = x == v;
                break;
            case Op::NotEqual:
                hit = x != v;
                break;
            case Op::Less:
                hit = x < v;
                break;
            case Op::LessEqual:
                hit = x <= v;
                break;
            case Op::Greater:
                hit = x > v;
                break;
            case Op::GreaterEqual:
                hit = x >= v;
                break;
            case Op::Like:
                break;
        }
        if (hit)
            result.set(r);
    }
    return result;
}

std::vector<uint32_t> DictionaryIndex::select(const SqlStatement& st, const QVariantMap& bound,
                                              SearchPath path) const {
    std::vector<uint32_t> ranks;
    select(st, bound, ranks, path);
    return ranks;
}

void DictionaryIndex::select(const SqlStatement& st, const QVariantMap& bound,
                             std::vector<uint32_t>& ranks, SearchPath path) const {
    if (st.table.compare(schema::mainData().name, Qt::CaseInsensitive) != 0)
        throw DataError(QStringLiteral("Table does not exist: %1").arg(st.table));
    const QString& order = st.orderBy;
    const bool byData = order.compare(QLatin1String("Data"), Qt::CaseInsensitive) == 0;
    const bool byMeaning = order.compare(QLatin1String("Meaning"), Qt::CaseInsensitive) == 0;
    // No ORDER BY reads the table in ID order.
    const LargeVector<int32_t>* column = byData || byMeaning ? nullptr
                                         : order.isEmpty()   ? &ids_
                                                             : integerColumn(order);
    if (!byData && !byMeaning && !column)
        throw DataError(QStringLiteral("Unknown field name: %1").arg(order));

    BitSet matches(size());
    if (st.hasWhere)
        matches = evaluate(st.where, bound, path);
    else
        matches.setAll();
    matches.indices(ranks);  // ascending rank: dictionary order

    if (byMeaning) {
        std::stable_sort(ranks.begin(), ranks.end(), [&](uint32_t a, uint32_t b) {
            const std::string_view x(meaning_.data() + meaningStarts_[a],
                                     meaningStarts_[a + 1] - meaningStarts_[a]);
            const std::string_view y(meaning_.data() + meaningStarts_[b],
                                     meaningStarts_[b + 1] - meaningStarts_[b]);
            return x != y ? x < y : ids_[a] < ids_[b];
        });
    } else if (column) {
        std::stable_sort(ranks.begin(), ranks.end(), [&](uint32_t a, uint32_t b) {
            const int32_t x = (*column)[a], y = (*column)[b];
            return x != y ? x < y : ids_[a] < ids_[b];
        });
    }
    if (st.descending)
        std::reverse(ranks.begin(), ranks.end());
}

size_t DictionaryIndex::memoryBytes() const {
    return data_.capacity() + meaning_.capacity() +
           4 * (dataStarts_.capacity() + meaningStarts_.capacity() + ids_.capacity() +
                types_.capacity() + qtys_.capacity()) +
           dataGrams_.memoryBytes() + meaningGrams_.memoryBytes();
}

}  // namespace lex
