#pragma once

#include <QMainWindow>
#include <memory>

class QAbstractButton;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace lex {

class Database;
class DictionaryIndex;
class Gauge;
class ResultModel;
class ResultQuery;
class ResultSummary;
class SearchHistory;
class Table;
class WordSearch;

// The main window: the composition root. It creates the controls with their names, positions and
// captions, owns the tables and queries for the life of the process, and connects each event to a
// handler named after the control and the event; a handler is a thin call into its feature.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Kolvane : Engineering Dictionary Lexivore Version 2.0";

    // Opens every table and query of the data directory (throws DataError when one cannot be
    // opened), then runs the creation steps.
    explicit TForm1(const QString& dataDirectory, QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers.
    void Button1Click();
    void ComboBox1KeyPress(int key);

    // The data objects, for the features and for tests.
    Table& table1() { return *Table1; }
    Table& table2() { return *Table2; }
    Table& table3() { return *Table3; }
    Table& table4() { return *Table4; }
    ResultQuery& query1() { return *Query1; }
    ResultQuery& queryTop() { return *QueryTop; }
    qint64 dictionaryTotal() const;

  private:
    void openData(const QString& dataDirectory);
    void createControls();
    void createSearchBar(QWidget* client);
    void createResultArea(QWidget* client);
    void createSidePanel(QWidget* client);
    void wireEvents();
    void FormCreate();

    // Data.
    std::unique_ptr<Database> database_;
    std::unique_ptr<DictionaryIndex> index_;
    Table* Table1 = nullptr;
    Table* Table2 = nullptr;
    Table* Table3 = nullptr;
    Table* Table4 = nullptr;
    ResultQuery* Query1 = nullptr;
    ResultQuery* QueryTop = nullptr;

    // Controls.
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QFrame* Bevel3 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QTableView* DBGrid1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* Panel1 = nullptr;
    Gauge* Gauge6 = nullptr;

    // Features.
    ResultModel* resultModel_ = nullptr;
    std::unique_ptr<ResultSummary> summary_;
    std::unique_ptr<SearchHistory> history_;
    std::unique_ptr<WordSearch> search_;
};

}  // namespace lex
