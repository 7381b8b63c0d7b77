#pragma once

#include <QString>
#include <array>

class QAbstractButton;
class QComboBox;

namespace lex {

class Table;

// The settings row of the Setting table: the search box text (LastText) and the six toggles
// (B1-B4 the hidden direction toggles, B5 the headword toggle, B6 the meaning toggle).
class SettingsStore {
  public:
    struct Controls {
        QComboBox* searchBox;
        std::array<QAbstractButton*, 6> toggles;  // in the order of B1 ... B6
    };

    SettingsStore(Table& setting, Controls controls) : table_(setting), c_(controls) {}

    // From the table's first row; an empty table gives an empty text and every toggle up.
    void restore();
    // Into the one settings row (started when the table is empty). On failure the row stays
    // in editing, so the next save writes it.
    void save();

  private:
    Table& table_;
    Controls c_;
};

}  // namespace lex
