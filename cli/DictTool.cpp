#include "cli/DictTool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <functional>
#include <map>

#include "cli/DefaultDictionary.h"
#include "data/AliasResolver.h"
#include "data/DataError.h"
#include "data/DictionaryFile.h"
#include "data/DictionaryStore.h"

namespace lex {

namespace {

struct Command {
    QString usage;
    QString help;
    int arguments;
    std::function<int(const QStringList&, QTextStream&, QTextStream&, bool showProgress)> run;
};

// Files of more lines than this show their progress; shorter ones are done before anyone looks.
constexpr qsizetype kProgressLines = 5000;
// The lines handed to the parser at a time while the progress is shown.
constexpr qsizetype kChunkLines = 2000;

// How far a long job is, on one line of the terminal that is rewritten in place (at most ten
// times a second) and cleared at the end. Says nothing when not enabled.
class Progress {
  public:
    Progress(QTextStream& err, bool enabled) : err_(err), enabled_(enabled) {}
    ~Progress() { clear(); }
    bool enabled() const { return enabled_; }
    void show(const QString& text, bool now = false) {
        if (!enabled_ || (!now && shown_ && timer_.elapsed() < 100))
            return;
        err_ << "\r\x1b[K" << text;
        err_.flush();
        shown_ = true;
        timer_.start();
    }
    void clear() {
        if (!shown_)
            return;
        err_ << "\r\x1b[K";
        err_.flush();
        shown_ = false;
    }

  private:
    QTextStream& err_;
    bool enabled_;
    bool shown_ = false;
    QElapsedTimer timer_;
};

qsizetype lineCount(const QByteArray& content) {
    return content.count('\n') + (content.isEmpty() || content.endsWith('\n') ? 0 : 1);
}

// parseDictionary, a few thousand lines at a time while the progress is shown; the same result.
DictionaryParseResult parseShowingProgress(const QByteArray& content, const QString& name,
                                           Progress& progress) {
    if (!progress.enabled())
        return parseDictionary(content);
    const qsizetype total = lineCount(content);
    DictionaryParseResult all;
    qsizetype pos = 0;
    int done = 0;
    while (pos < content.size()) {
        qsizetype end = pos;
        int lines = 0;
        while (lines < kChunkLines && end < content.size()) {
            const qsizetype newline = content.indexOf('\n', end);
            end = newline < 0 ? content.size() : newline + 1;
            ++lines;
        }
        const QByteArray part = content.mid(pos, end - pos);
        DictionaryParseResult parsed = parseDictionary(part);
        if (!parsed.ok()) {
            parsed.errorLine += done;
            parsed.error = QStringLiteral("line %1: %2")
                               .arg(parsed.errorLine)
                               .arg(parsed.error.section(QStringLiteral(": "), 1));
            return parsed;
        }
        std::move(parsed.entries.begin(), parsed.entries.end(), std::back_inserter(all.entries));
        pos = end;
        done += lines;
        progress.show(QStringLiteral("%1: read %2 of %3 lines")
                          .arg(name, QString::number(done), QString::number(total)),
                      done == total);
    }
    return all;
}

// Stores the entries, showing how many are stored and then that the order is being prepared.
int storeShowingProgress(const QString& dir, const std::vector<DictionaryEntry>& entries,
                         Progress& progress) {
    const int count = static_cast<int>(entries.size());
    return store::importEntries(dir, entries, [&](int stored) {
        progress.show(QStringLiteral("stored %1 of %2 entries").arg(stored).arg(count),
                      stored == count);
        if (stored == count)
            progress.show(QStringLiteral("stored %1 entries; putting the dictionary in order and "
                                         "preparing its search index")
                              .arg(count),
                          true);
    });
}

int init(const QStringList& a, QTextStream& out, QTextStream&, bool) {
    store::createTables(a[0]);
    out << "Created the table files in " << QDir(a[0]).absolutePath() << "\n";
    return 0;
}

int import(const QStringList& a, QTextStream& out, QTextStream& err, bool showProgress) {
    QFile file(a[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "lexivore-dict: cannot read " << a[1] << ": " << file.errorString() << "\n";
        return 1;
    }
    const QByteArray content = file.readAll();
    Progress progress(err, showProgress && lineCount(content) > kProgressLines);
    const DictionaryParseResult parsed = parseShowingProgress(content, a[1], progress);
    if (!parsed.ok()) {
        progress.clear();
        err << "lexivore-dict: " << a[1] << ": " << parsed.error << "\n"
            << "Nothing of " << a[1] << " was imported.\n";
        return 1;
    }
    const int total = storeShowingProgress(a[0], parsed.entries, progress);
    progress.clear();
    out << "Imported " << parsed.entries.size() << " entries from " << a[1] << "; the dictionary "
        << "holds " << total << " entries.\n";
    return 0;
}

int exportEntries(const QStringList& a, QTextStream& out, QTextStream& err, bool) {
    const std::vector<DictionaryEntry> entries = store::exportEntries(a[0]);
    QSaveFile file(a[1]);
    if (!file.open(QIODevice::WriteOnly)) {
        err << "lexivore-dict: cannot write " << a[1] << ": " << file.errorString() << "\n";
        return 1;
    }
    for (const DictionaryEntry& e : entries) {
        QString problem;
        const QByteArray line = formatDictionaryLine(e, &problem);
        if (line.isEmpty()) {
            err << "lexivore-dict: " << problem << "; nothing was written.\n";
            file.cancelWriting();
            return 1;
        }
        file.write(line);
    }
    if (!file.commit()) {
        err << "lexivore-dict: cannot write " << a[1] << ": " << file.errorString() << "\n";
        return 1;
    }
    out << "Exported " << entries.size() << " entries to " << a[1] << "\n";
    return 0;
}

int defineAlias(const QStringList& a, QTextStream& out, QTextStream& err, bool) {
    const QString dir = QDir(a[0]).absolutePath();
    if (!QDir(dir).exists()) {
        err << "lexivore-dict: the directory " << dir << " does not exist.\n";
        return 1;
    }
    QString error;
    if (!alias::define(QString::fromLatin1(alias::kDictionaryAlias), dir, &error)) {
        err << "lexivore-dict: cannot write " << alias::userAliasFile() << ": " << error << "\n";
        return 1;
    }
    out << "The alias \"" << alias::kDictionaryAlias << "\" now names " << dir << " (in "
        << alias::userAliasFile() << ")\n";
    return 0;
}

int showAlias(const QStringList&, QTextStream& out, QTextStream& err, bool) {
    const QString dir = alias::resolve();
    if (dir.isEmpty()) {
        err << "lexivore-dict: " << alias::undefinedMessage() << "\n";
        return 1;
    }
    out << dir << "\n";
    return 0;
}

QStringList defaultSourceFiles(const QString& dir) {
    QStringList files;
    const QDir root(dir);
    if (root.exists(QStringLiteral("starter.tsv")))
        files << root.filePath(QStringLiteral("starter.tsv"));
    const QDir sources(root.filePath(QStringLiteral("sources")));
    for (const QString& f : sources.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name))
        files << sources.filePath(f);
    return files;
}

int buildDefault(const QStringList& a, QTextStream& out, QTextStream& err, bool showProgress) {
    QString dir, sourcesDir = QStringLiteral(LEXIVORE_DICTIONARY_DIR),
                 wordnetDir = QStringLiteral("/usr/share/wordnet");
    for (int i = 0; i < a.size(); ++i) {
        if ((a[i] == QLatin1String("--sources") || a[i] == QLatin1String("--wordnet")) &&
            i + 1 < a.size()) {
            QString& target = a[i] == QLatin1String("--sources") ? sourcesDir : wordnetDir;
            target = a[++i];
        } else if (dir.isEmpty() && !a[i].startsWith(QLatin1String("--"))) {
            dir = a[i];
        } else {
            err << "lexivore-dict: build-default: unexpected argument \"" << a[i] << "\"\n";
            return 2;
        }
    }
    if (dir.isEmpty()) {
        err << "lexivore-dict: build-default takes the data directory.\n";
        return 2;
    }
    const QStringList files = defaultSourceFiles(sourcesDir);
    if (files.isEmpty()) {
        err << "lexivore-dict: no dictionary files in " << sourcesDir << "\n";
        return 1;
    }
    int existing = 0;
    for (const auto& [type, count] : store::countByType(dir))
        existing += count;
    if (existing > 0) {
        err << "lexivore-dict: the dictionary in " << dir << " already holds " << existing
            << " entries; build-default fills an empty one (made by init).\n";
        return 1;
    }
    qsizetype lines = 0;
    for (const QString& f : showProgress ? files : QStringList()) {
        QFile file(f);
        if (file.open(QIODevice::ReadOnly))
            lines += lineCount(file.readAll());
    }
    Progress progress(err, lines > kProgressLines);
    progress.show(QStringLiteral("reading %1 dictionary files (%2 lines) and WordNet")
                      .arg(files.size())
                      .arg(lines),
                  true);
    QStringList notes;
    const std::vector<DictionaryEntry> entries =
        buildDefaultDictionary({files, wordnetDir}, &notes);
    progress.clear();
    for (const QString& n : notes)
        out << n << "\n";
    out.flush();
    Progress storing(err, showProgress && qsizetype(entries.size()) > kProgressLines);
    const int total = storeShowingProgress(dir, entries, storing);
    storing.clear();
    const QString licence = QStringLiteral("/usr/share/doc/wordnet-base/copyright");
    if (QFile::exists(licence)) {
        const QString copy = QDir(dir).filePath(QStringLiteral("WordNet-LICENSE.txt"));
        QFile::remove(copy);
        QFile::copy(licence, copy);
    }
    out << "Built the delivered dictionary from " << files.size() << " files"
        << (notes.isEmpty() ? "" : "") << ": " << total << " entries.\n";
    return 0;
}

int stats(const QStringList& a, QTextStream& out, QTextStream&, bool) {
    static const std::map<int, const char*> names{{1, "English to Thai"},
                                                  {2, "Thai to English"},
                                                  {3, "English to English"},
                                                  {4, "Thai to Thai"}};
    int total = 0;
    for (const auto& [type, c] : store::fieldCountsByType(a[0])) {
        auto it = names.find(type);
        out << "code " << type << " (" << (it != names.end() ? it->second : "no direction")
            << "): " << c.entries << "\n";
        out << "    with a meaning: " << c.withMeaning << ", lookup count above 0: " << c.counted
            << ", average length: headword " << QString::number(c.headwordLength, 'f', 1)
            << ", meaning " << QString::number(c.meaningLength, 'f', 1) << " characters\n";
        total += c.entries;
    }
    out << "total: " << total << "\n";
    return 0;
}

const std::map<QString, Command>& commands() {
    static const std::map<QString, Command> table{
        {QStringLiteral("init"),
         {QStringLiteral("init DIR"),
          QStringLiteral("Creates DIR (when missing) and the four table files Main_Data.DB, "
                         "Choose_Data.db, Lastest_Search.db and Setting.db with their tables. "
                         "Refuses when any of them exists."),
          1, init}},
        {QStringLiteral("import"),
         {QStringLiteral("import DIR FILE"),
          QStringLiteral("Adds the entries of FILE to the dictionary in DIR. FILE is UTF-8 text, "
                         "one entry per line: headword, meaning, direction code (1 English to "
                         "Thai, 2 Thai to English, 3 English to English, 4 Thai to Thai) and an "
                         "optional lookup count, separated by TAB; lines starting with # are "
                         "comments. A malformed line is reported with its number and nothing of "
                         "the file is imported. On a terminal, a file of more than 5000 lines "
                         "shows its progress."),
          2, import}},
        {QStringLiteral("export"),
         {QStringLiteral("export DIR FILE"),
          QStringLiteral("Writes every dictionary entry of DIR to FILE, in the import format."), 2,
          exportEntries}},
        {QStringLiteral("alias"),
         {QStringLiteral("alias DIR"),
          QStringLiteral("Makes the database alias \"Ruv Idez\" name DIR, in the user's "
                         "kolvane/aliases.ini."),
          1, defineAlias}},
        {QStringLiteral("build-default"),
         {QStringLiteral("build-default DIR [--sources SRC] [--wordnet WN]"),
          QStringLiteral("Fills the empty dictionary of DIR (made by init) with the delivered "
                         "dictionary: the dictionary files in SRC (starter.tsv and sources/*.tsv; "
                         "default: the installed ones) with their English definitions, the "
                         "Thai-to-English entries derived from them, and the words of the "
                         "engineering topics of the WordNet files in WN (default "
                         "/usr/share/wordnet, from the wordnet-base package), whose licence is "
                         "copied into DIR. On a terminal it shows its progress."),
          -1, buildDefault}},
        {QStringLiteral("show-alias"),
         {QStringLiteral("show-alias"),
          QStringLiteral("Prints the directory the alias \"Ruv Idez\" names; fails when it is "
                         "not defined."),
          0, showAlias}},
        {QStringLiteral("stats"),
         {QStringLiteral("stats DIR"),
          QStringLiteral("Prints the number of dictionary entries per direction code."), 1, stats}},
    };
    return table;
}

void usage(QTextStream& s) {
    s << "Usage: lexivore-dict COMMAND ARGUMENTS\n\nCommands:\n";
    for (const auto& [name, c] : commands())
        s << "  " << c.usage << "\n";
    s << "\nlexivore-dict COMMAND --help explains a command; lexivore-dict --version prints the "
         "version.\n";
}

}  // namespace

int runDictTool(const QStringList& args, QTextStream& out, QTextStream& err, bool showProgress) {
    if (args.isEmpty()) {
        usage(err);
        return 2;
    }
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") ||
        args[0] == QLatin1String("help")) {
        usage(out);
        return 0;
    }
    if (args[0] == QLatin1String("--version")) {
        out << "lexivore-dict " << LEXIVORE_VERSION << "\n";
        return 0;
    }
    const auto it = commands().find(args[0]);
    if (it == commands().end()) {
        err << "lexivore-dict: unknown command \"" << args[0] << "\"\n";
        usage(err);
        return 2;
    }
    const Command& c = it->second;
    const QStringList rest = args.mid(1);
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
        out << "Usage: lexivore-dict " << c.usage << "\n\n" << c.help << "\n";
        return 0;
    }
    if (c.arguments >= 0 && rest.size() != c.arguments) {
        err << "lexivore-dict: " << args[0] << " takes " << c.arguments
            << (c.arguments == 1 ? " argument" : " arguments") << ".\nUsage: lexivore-dict "
            << c.usage << "\n";
        return 2;
    }
    try {
        return c.run(rest, out, err, showProgress);
    } catch (const DataError& e) {
        err << "lexivore-dict: " << e.message() << "\n";
        return 1;
    }
}

}  // namespace lex
