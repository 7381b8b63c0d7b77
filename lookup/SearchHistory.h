#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

namespace lex {

class Table;

// The search history in Lastest_Search: one row per recorded text, in the order of recording.
class SearchHistory {
  public:
    explicit SearchHistory(Table& table) : table_(table) {}

    // Records a search text that found `found` entries, unless it found nothing, is empty, or
    // equals the most recent entry. Texts are stored cut to 255 characters. Returns whether a row
    // was posted; an engine failure throws.
    bool record(const QString& text, qint64 found);

    // Every history text, most recent first, duplicates included.
    QStringList mostRecentFirst();

    // Replaces the drop-down items of the search box by the history; the box keeps its text.
    void fillList(QComboBox* box);

    // The same after a search: where the box shows the history as last filled and the table
    // holds only the row just recorded (if any) besides, that row is put at the top; otherwise
    // the list is filled again. A long history keeps the search quick.
    void updateList(QComboBox* box, bool recorded);

  private:
    Table& table_;
    int listed_ = -1;  // the rows the box shows, as last filled or updated
};

}  // namespace lex
