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

// The names of the pieces of a prepared index, in the order of their checksums.
constexpr const char* kPieces[] = {
    "Data.text",    "Data.starts",   "Data.keys", "Data.lists", "Meaning.text", "Meaning.starts",
    "Meaning.keys", "Meaning.lists", "ids",       "types",      "qtys"};
constexpr size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

// A sample of every kind of character in the folded form: a change to the folding, which would
// make stored text disagree with folded needles, then makes stored indexes unusable.
constexpr char16_t kFoldSample[] = u"Ab\u212A\u00E9\u00DF\u03A9\u0E01\u0E48\u0E33\U0001F642";

// The first piece of a prepared index: what it is, for which table, and the checksums of the
// other pieces. `version` goes up whenever the lists' format or the dictionary order changes.
struct PreparedHeader {
    char magic[8] = {'L', 'X', 'S', 'E', 'A', 'R', 'C', 'H'};
    uint32_t version = 2;
    uint32_t entries = 0;
    uint32_t keyBytes = sizeof(GramIndex::Key);
    int32_t maxId = 0;
    char foldSample[48] = {};
    uint64_t sums[kPieceCount] = {};
};

std::string foldedSample() {
    return folded::encode(QString::fromUtf16(kFoldSample));
}

// A checksum to tell a damaged piece: a word at a time, mixed with odd constants.
uint64_t checksum(const void* bytes, size_t size) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    uint64_t h = 0x9E3779B97F4A7C15ull ^ size;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    for (; i < size; ++i)
        h = (h ^ p[i]) * 0xC4CEB9FE1A85EC53ull;
    return h;
}

// The largest ID of the table, and whether the triggers that drop a stale index are there: a
// table replaced by another tool loses its triggers.
bool tableMatches(sqlite3* db, const QString& s, int32_t maxId) {
    Statement top(db, QStringLiteral("SELECT coalesce(max(ID), 0) FROM \"%1\".Main_Data").arg(s));
    if (!top.step() || sqlite3_column_int(top.get(), 0) != maxId)
        return false;
    Statement triggers(db, QStringLiteral("SELECT count(*) FROM \"%1\".sqlite_master WHERE "
                                          "type = 'trigger' AND tbl_name = 'Main_Data' AND "
                                          "name LIKE '%2_Stale_%'")
                               .arg(s, QLatin1String(search_image::kTable)));
    return triggers.step() && sqlite3_column_int(triggers.get(), 0) == 3;
}

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

// The pieces of the index as bytes, in the order of kPieces.
std::vector<std::pair<const void*, size_t>> DictionaryIndex::pieces() const {
    auto bytes = [](const auto& v) {
        return std::pair<const void*, size_t>(v.data(), v.size() * sizeof(v[0]));
    };
    return {bytes(data_),
            bytes(dataStarts_),
            bytes(dataGrams_.keys()),
            bytes(dataGrams_.lists()),
            bytes(meaning_),
            bytes(meaningStarts_),
            bytes(meaningGrams_.keys()),
            bytes(meaningGrams_.lists()),
            bytes(ids_),
            bytes(types_),
            bytes(qtys_)};
}

bool DictionaryIndex::store(sqlite3* db) const {
    search_image::clear(db);
    PreparedHeader header;
    header.entries = static_cast<uint32_t>(size());
    header.maxId = ids_.empty() ? 0 : *std::max_element(ids_.begin(), ids_.end());
    const std::string sample = foldedSample();
    std::memcpy(header.foldSample, sample.data(),
                std::min(sample.size(), sizeof header.foldSample));
    const auto all = pieces();
    bool stored = true;
    for (size_t i = 0; stored && i < kPieceCount; ++i) {
        header.sums[i] = checksum(all[i].first, all[i].second);
        stored = search_image::write(db, kPieces[i], all[i].first, all[i].second);
    }
    // The header last: a piece too large to store leaves no usable index.
    stored = stored && search_image::write(db, "header", &header, sizeof header);
    if (!stored)
        search_image::clear(db);
    return stored;
}

bool DictionaryIndex::loadPrepared(sqlite3* db, const QString& s) {
    // One read transaction, so that an import committed meanwhile by another program cannot
    // mix its pieces with these.
    const bool ownTransaction = sqlite3_get_autocommit(db) &&
                                sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    bool loaded = false;
    try {
        loaded = readPrepared(db, s);
    } catch (...) {
        if (ownTransaction)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        throw;
    }
    if (ownTransaction)
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (!loaded) {
        *this = DictionaryIndex();
        return false;
    }
    preparedOrderUsed_ = preparedIndexUsed_ = true;
    return true;
}

bool DictionaryIndex::readPrepared(sqlite3* db, const QString& s) {
    PreparedHeader header, expected;
    const bool headerRead = search_image::read(db, s, "header", [&](size_t n, void*& where) {
        where = &header;
        return n == sizeof header;
    });
    const std::string sample = foldedSample();
    std::memcpy(expected.foldSample, sample.data(),
                std::min(sample.size(), sizeof expected.foldSample));
    if (!headerRead || std::memcmp(header.magic, expected.magic, sizeof header.magic) != 0 ||
        header.version != expected.version || header.keyBytes != expected.keyBytes ||
        std::memcmp(header.foldSample, expected.foldSample, sizeof header.foldSample) != 0 ||
        !tableMatches(db, s, header.maxId))
        return false;
    const size_t n = header.entries;
    constexpr size_t kAnySize = SIZE_MAX;
    // Reads a piece into `v`, which must then hold `count` elements (any number for kAnySize).
    auto get = [&](const char* name, auto& v, size_t count) {
        using T = typename std::decay_t<decltype(v)>::value_type;
        return search_image::read(db, s, name, [&](size_t bytes, void*& where) {
            if (bytes % sizeof(T) != 0 || (count != kAnySize && bytes != count * sizeof(T)))
                return false;
            v.resize(bytes / sizeof(T));
            where = v.data();
            return true;
        });
    };
    std::vector<GramIndex::Key> dataKeys, meaningKeys;
    LargeVector<uint8_t> dataLists, meaningLists;
    if (!(get("ids", ids_, n) && get("types", types_, n) && get("qtys", qtys_, n) &&
          get("Data.starts", dataStarts_, n + 1) && get("Data.text", data_, kAnySize) &&
          get("Meaning.starts", meaningStarts_, n + 1) && get("Meaning.text", meaning_, kAnySize) &&
          get("Data.keys", dataKeys, kAnySize) && get("Data.lists", dataLists, kAnySize) &&
          get("Meaning.keys", meaningKeys, kAnySize) &&
          get("Meaning.lists", meaningLists, kAnySize)))
        return false;
    // The checksums before anything is looked at inside the pieces.
    auto sum = [](const auto& v) { return checksum(v.data(), v.size() * sizeof(v[0])); };
    const uint64_t sums[kPieceCount] = {sum(data_),       sum(dataStarts_),  sum(dataKeys),
                                        sum(dataLists),   sum(meaning_),     sum(meaningStarts_),
                                        sum(meaningKeys), sum(meaningLists), sum(ids_),
                                        sum(types_),      sum(qtys_)};
    if (std::memcmp(sums, header.sums, sizeof sums) != 0)
        return false;
    return startsFit(dataStarts_, data_) && startsFit(meaningStarts_, meaning_) &&
           dataGrams_.assign(std::move(dataKeys), std::move(dataLists), header.entries) &&
           meaningGrams_.assign(std::move(meaningKeys), std::move(meaningLists), header.entries);
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
    // Sixty-four entries at a time into a word of the set: the loop the compiler can unroll.
    auto mark = [&](auto hit) {
        const int32_t* xs = column->data();
        const size_t n = size();
        uint64_t* words = nullptr;
        for (size_t w = 0; w * 64 < n; ++w) {
            uint64_t bits = 0;
            const size_t end = std::min<size_t>(64, n - w * 64);
            for (size_t j = 0; j < end; ++j)
                bits |= uint64_t{hit(static_cast<qint64>(xs[w * 64 + j]))} << j;
            if (bits) {
                if (!words)
                    words = result.words();
                words[w] = bits;
            }
        }
    };
    switch (c.op) {
        case Op::Equal:
            mark([v](qint64 x) { return x == v; });
            break;
        case Op::NotEqual:
            mark([v](qint64 x) { return x != v; });
            break;
        case Op::Less:
            mark([v](qint64 x) { return x < v; });
            break;
        case Op::LessEqual:
            mark([v](qint64 x) { return x <= v; });
            break;
        case Op::Greater:
            mark([v](qint64 x) { return x > v; });
            break;
        case Op::GreaterEqual:
            mark([v](qint64 x) { return x >= v; });
            break;
        case Op::Like:
            break;
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
