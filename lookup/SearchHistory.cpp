#include "lookup/SearchHistory.h"

#include <QComboBox>

#include "data/Table.h"
#include "data/TextCut.h"

namespace lex {

namespace {
constexpr int kTextWidth = 255;
}

bool SearchHistory::record(const QString& text, qint64 found) {
    table_.last();
    if (found == 0 || text.isEmpty())
        return false;
    // The stored text is cut, so the cut text is what a repeat must be compared with.
    const QString stored = cutText(text, kTextWidth);
    const QString latest =
        table_.hasCurrentRow() ? table_.fieldText(QStringLiteral("Text")) : QString();
    if (stored == latest)
        return false;
    table_.append();
    table_.setField(QStringLiteral("Text"), stored);
    try {
        table_.post();
    } catch (...) {
        table_.cancel();
        throw;
    }
    return true;
}

QStringList SearchHistory::mostRecentFirst() {
    QStringList texts;
    table_.last();
    for (const QVariant& v : table_.columnValues(QStringLiteral("Text"), true))
        texts << v.toString();
    return texts;
}

void SearchHistory::fillList(QComboBox* box) {
    const QStringList texts = mostRecentFirst();
    const QString kept = box->currentText();
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(texts);
    box->setCurrentIndex(-1);
    box->setEditText(kept);
    listed_ = static_cast<int>(texts.size());
}

void SearchHistory::updateList(QComboBox* box, bool recorded) {
    const int rows = table_.recordCount();
    const bool unchanged = listed_ >= 0 && box->count() == listed_;
    if (unchanged && rows == listed_ && !recorded)
        return;  // the list is the history as it stands
    if (!unchanged || !recorded || rows != listed_ + 1) {
        fillList(box);
        return;
    }
    table_.last();
    const QString kept = box->currentText();
    const QSignalBlocker block(box);
    box->insertItem(0, table_.fieldText(QStringLiteral("Text")));
    box->setCurrentIndex(-1);
    box->setEditText(kept);
    listed_ = rows;
}

}  // namespace lex
