#include "lookup/WordSearch.h"

#include <QAbstractButton>
#include <QComboBox>

#include "data/ResultQuery.h"
#include "lookup/ResultSummary.h"
#include "lookup/SearchHistory.h"

namespace lex {

SearchMode searchModeFor(bool headwordDown, bool meaningDown) {
    if (headwordDown == meaningDown)
        return SearchMode::BothFields;
    return headwordDown ? SearchMode::HeadwordsOnly : SearchMode::MeaningsOnly;
}

QStringList searchStatement(SearchMode mode) {
    const QString p = QString::fromLatin1(kPatternParameter);
    QStringList lines{QStringLiteral("Select * From Main_data")};
    switch (mode) {
        case SearchMode::BothFields:
            lines << QStringLiteral("Where (Data LIKE %1  ").arg(p)
                  << QStringLiteral("OR Meaning LIKE %1  ").arg(p);
            break;
        case SearchMode::HeadwordsOnly:
            lines << QStringLiteral("Where (Data LIKE %1  ").arg(p);
            break;
        case SearchMode::MeaningsOnly:
            lines << QStringLiteral("Where (Meaning LIKE %1  ").arg(p);
            break;
    }
    lines << QStringLiteral(")Order by Data");
    return lines;
}

QString likePattern(const QString& searchText) {
    return u'%' + searchText + u'%';
}

qint64 countDictionaryTotal(ResultQuery& query) {
    qint64 total = 0;
    for (int code = 1; code <= 4; ++code) {
        query.close();
        query.clearSql();
        query.setSql({QStringLiteral("Select * From Main_data Where Type = %1").arg(code)});
        query.open();
        total += query.recordCount();
    }
    query.close();
    return total;
}

void WordSearch::run() {
    c_.resultGrid->setEnabled(true);
    query_.close();
    query_.clearSql();
    const QString text = c_.searchBox->currentText();
    query_.setSql(searchStatement(
        searchModeFor(c_.headwordToggle->isChecked(), c_.meaningToggle->isChecked())));
    query_.bindValue(QString::fromLatin1(kPatternParameter), likePattern(text));
    query_.open();
    const qint64 found = query_.recordCount();
    summary_.show(found);
    const bool recorded = history_.record(text, found);
    history_.updateList(c_.searchBox, recorded);
}

}  // namespace lex
