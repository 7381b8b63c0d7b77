#pragma once

#include <QObject>
#include <functional>

class QAbstractButton;
class QLineEdit;
class QTableView;

namespace lex {

class ChosenListModel;
class ResultQuery;
class Table;

// The chosen-word list: entries added from the result grid, sent back to the search, deleted
// one by one or all at once; its count and the clear and print buttons follow its rows.
class ChosenWords : public QObject {
    Q_OBJECT
  public:
    struct Controls {
        QTableView* listGrid;
        QLineEdit* countBox;
        QAbstractButton* clearButton;
        QAbstractButton* printButton;
        QAbstractButton* deleteButton;  // the navigator's delete button
        QAbstractButton* searchButton;
    };

    ChosenWords(Table& chosen, ResultQuery& results, Controls controls, QObject* parent = nullptr);

    // The number of rows into the count box; the clear and print buttons enabled when there is
    // at least one.
    void refresh();
    // Appends the result grid's current entry; nothing when the result holds no rows.
    void addCurrentResult();
    // Puts the current list entry's headword into the search box (via `setSearchText`) and
    // clicks the search button.
    void sendToSearch(const std::function<void(const QString&)>& setSearchText);
    // The navigator's delete button: deletes the current row at once.
    void deleteCurrent();
    // Asks, then deletes every row; the list refresh runs in every case.
    void clear();

    ChosenListModel* model() const { return model_; }

  private:
    void updateDeleteButton();
    void followTableToGrid();

    Table& chosen_;
    ResultQuery& results_;
    Controls c_;
    ChosenListModel* model_;
};

}  // namespace lex
