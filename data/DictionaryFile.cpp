#include "data/DictionaryFile.h"

#include <QStringDecoder>
#include <QStringList>

namespace lex {

namespace {

constexpr int kMaxText = 255;

bool parseInt(const QString& text, int* value) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (ok)
        *value = v;
    return ok;
}

}  // namespace

DictionaryParseResult parseDictionary(const QByteArray& content) {
    DictionaryParseResult result;
    int lineNumber = 0;
    qsizetype pos = 0;
    if (content.startsWith("\xEF\xBB\xBF"))
        pos = 3;  // a byte-order mark written by some editors
    while (pos < content.size()) {
        qsizetype end = content.indexOf('\n', pos);
        if (end < 0)
            end = content.size();
        QByteArray raw = content.mid(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (raw.endsWith('\r'))
            raw.chop(1);
        auto fail = [&](const QString& reason) {
            result.error = QStringLiteral("line %1: %2").arg(lineNumber).arg(reason);
            result.errorLine = lineNumber;
            result.entries.clear();
            return result;
        };
        if (raw.trimmed().isEmpty() || raw.startsWith('#'))
            continue;
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder.decode(raw);
        if (decoder.hasError())
            return fail(QStringLiteral("not valid UTF-8 text"));
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 3 || fields.size() > 4)
            return fail(QStringLiteral("expected 3 or 4 fields separated by TAB, found %1")
                            .arg(fields.size()));
        DictionaryEntry e;
        e.headword = fields[0].normalized(QString::NormalizationForm_C);
        e.meaning = fields[1].normalized(QString::NormalizationForm_C);
        if (e.headword.trimmed().isEmpty())
            return fail(QStringLiteral("the headword is empty"));
        for (const QString* text : {&e.headword, &e.meaning}) {
            if (text->size() > kMaxText)
                return fail(QStringLiteral("a text is longer than %1 characters").arg(kMaxText));
            for (QChar c : *text)
                if (c.category() == QChar::Other_Control)
                    return fail(QStringLiteral("a text holds a control character"));
        }
        if (!parseInt(fields[2], &e.type))
            return fail(
                QStringLiteral("the direction code \"%1\" is not a whole number").arg(fields[2]));
        if (fields.size() == 4 && !parseInt(fields[3], &e.qty))
            return fail(
                QStringLiteral("the lookup count \"%1\" is not a whole number").arg(fields[3]));
        if (e.qty < 0)
            return fail(QStringLiteral("the lookup count is negative"));
        result.entries.push_back(std::move(e));
    }
    return result;
}

QByteArray formatDictionaryLine(const DictionaryEntry& e, QString* error) {
    for (const QString* text : {&e.headword, &e.meaning}) {
        if (text->contains(u'\t') || text->contains(u'\n') || text->contains(u'\r')) {
            if (error)
                *error = QStringLiteral("the entry \"%1\" holds a TAB or a line break")
                             .arg(e.headword.left(40));
            return {};
        }
    }
    return (e.headword + u'\t' + e.meaning + u'\t' + QString::number(e.type) + u'\t' +
            QString::number(e.qty) + u'\n')
        .toUtf8();
}

}  // namespace lex
