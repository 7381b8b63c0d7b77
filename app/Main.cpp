#include "app/Main.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include "app/Application.h"
#include "app/Gauge.h"
#include "data/Database.h"
#include "data/DictionaryIndex.h"
#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "lookup/ResultModel.h"
#include "lookup/ResultSummary.h"
#include "lookup/SearchHistory.h"
#include "lookup/WordSearch.h"

namespace lex {

TForm1::TForm1(const QString& dataDirectory, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    openData(dataDirectory);
    createControls();

    summary_ = std::make_unique<ResultSummary>(Edit2, Gauge6);
    history_ = std::make_unique<SearchHistory>(*Table3);
    search_ = std::make_unique<WordSearch>(
        *Query1, *history_, *summary_,
        WordSearch::Controls{ComboBox1, SpeedButton6, SpeedButton7, DBGrid1});

    wireEvents();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::openData(const QString& dataDirectory) {
    database_ = std::make_unique<Database>(dataDirectory);
    index_ = std::make_unique<DictionaryIndex>();
    index_->load(*database_);

    // Table1 opens first: the lookup fields of Table2 are resolved through it.
    Table1 = new Table(*database_, schema::mainData(), this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table2 = new Table(*database_, schema::chooseData(), this);
    Table2->setObjectName(QStringLiteral("Table2"));
    QueryTop = new ResultQuery(*database_, *index_, this);
    QueryTop->setObjectName(QStringLiteral("QueryTop"));
    QueryTop->setSql({QStringLiteral("Select * From Main_Data Where Qty > 0  Order by Qty DESC")});
    Query1 = new ResultQuery(*database_, *index_, this);
    Query1->setObjectName(QStringLiteral("Query1"));
    Query1->setSql({QStringLiteral("Select * From Main_data")});
    Table3 = new Table(*database_, schema::lastestSearch(), this);
    Table3->setObjectName(QStringLiteral("Table3"));
    Table4 = new Table(*database_, schema::setting(), this);
    Table4->setObjectName(QStringLiteral("Table4"));

    Table1->open();
    Table2->open();
    QueryTop->open();
    Query1->open();
    Table3->open();
    Table4->open();
}

void TForm1::wireEvents() {
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { ComboBox1KeyPress(Qt::Key_Return); });

    // The grid's current row is the query's current row, both ways.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { Query1->setCurrentRow(current.row()); });
    connect(Query1, &ResultQuery::currentRowChanged, this, [this](int row) {
        if (row >= 0 && DBGrid1->currentIndex().row() != row)
            DBGrid1->setCurrentIndex(resultModel_->index(row, 0));
    });
}

// The creation steps, in their order.
void TForm1::FormCreate() {
    guarded([&] { summary_->setDictionaryTotal(countDictionaryTotal(*Query1)); });
    guarded([&] { Query1->close(); });
    guarded([&] { history_->fillList(ComboBox1); });
}

qint64 TForm1::dictionaryTotal() const {
    return summary_->dictionaryTotal();
}

void TForm1::Button1Click() {
    guarded([&] { search_->run(); });
}

void TForm1::ComboBox1KeyPress(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == 13)
        Button1->click();
}

}  // namespace lex
