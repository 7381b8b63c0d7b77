#include "app/Main.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSessionManager>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include "app/SettingsStore.h"
#include "data/Database.h"
#include "data/DictionaryIndex.h"
#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "lookup/DirectionBrowse.h"
#include "lookup/ResultModel.h"
#include "lookup/ResultSummary.h"
#include "lookup/SearchHistory.h"
#include "lookup/WordSearch.h"
#include "quiz/HighScore.h"
#include "quiz/QuizGame.h"
#include "tools/AboutBox.h"
#include "tools/ConversionPanel.h"
#include "tools/PublisherTexts.h"
#include "tools/WebLinks.h"
#include "ui/ErrorBox.h"
#include "ui/Formats.h"
#include "ui/Gauge.h"
#include "ui/UserDialogs.h"
#include "wordlist/ChosenWords.h"
#include "wordlist/Ureport.h"

namespace lex {

TForm1::TForm1(const QString& dataDirectory, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    openData(dataDirectory);
    createControls();
    createFeatures();
    wireEvents();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::openData(const QString& dataDirectory) {
    database_ = std::make_unique<Database>(dataDirectory);
    index_ = std::make_unique<DictionaryIndex>();
    index_->load(*database_);

    auto table = [this](const TableDef& def, const char* name) {
        auto* t = new Table(*database_, def, this);
        t->setObjectName(QString::fromLatin1(name));
        return t;
    };
    auto query = [this](const char* name, const QString& statement) {
        auto* q = new ResultQuery(*database_, *index_, this);
        q->setObjectName(QString::fromLatin1(name));
        q->setSql({statement});
        return q;
    };
    Table1 = table(schema::mainData(), "Table1");
    Table2 = table(schema::chooseData(), "Table2");
    QueryTop = query("QueryTop",
                     QStringLiteral("Select * From Main_Data Where Qty > 0  Order by Qty DESC"));
    Query1 = query("Query1", QStringLiteral("Select * From Main_data"));
    Table3 = table(schema::lastestSearch(), "Table3");
    Table4 = table(schema::setting(), "Table4");

    // Table1 opens first: the lookup fields of Table2 are resolved through it.
    Table1->open();
    Table2->open();
    QueryTop->open();
    Query1->open();
    Table3->open();
    Table4->open();
}

void TForm1::createFeatures() {
    summary_ = std::make_unique<ResultSummary>(Edit2, Gauge6);
    history_ = std::make_unique<SearchHistory>(*Table3);
    search_ = std::make_unique<WordSearch>(
        *Query1, *history_, *summary_,
        WordSearch::Controls{ComboBox1, SpeedButton6, SpeedButton7, DBGrid1});
    browse_ = std::make_unique<DirectionBrowse>(*Query1, *summary_, DBGrid1);
    settings_ = std::make_unique<SettingsStore>(
        *Table4, SettingsStore::Controls{ComboBox1,
                                         {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4,
                                          SpeedButton6, SpeedButton7}});
    chosen_ = new ChosenWords(
        *Table2, *Query1,
        ChosenWords::Controls{DBGrid2, Edit3, Button9, Button8, DBNavigator1, Button1}, this);
    DBGrid2->setColumnWidth(0, 110);
    record_ = std::make_unique<HighScore>(database_->directory());
    game_ = new QuizGame(
        *Table1, *record_, quizControls_, Timer3, Panel2, [this] { showOverlay(Panel2); }, this);
}

void TForm1::showOverlay(QFrame* panel) {
    QFrame* other = panel == Panel2 ? Panel4 : Panel2;
    other->hide();
    panel->show();
    panel->raise();
}

void TForm1::navigateConversionPage() {
    conversion_->navigate();
}

void TForm1::startPublisherTexts() {
    publisher_ = std::make_unique<PublisherTexts>();
}

TForm7* TForm1::aboutBox() {
    if (!aboutBox_) {
        ownAboutBox_ = std::make_unique<TForm7>(this);
        aboutBox_ = ownAboutBox_.get();
    }
    return aboutBox_;
}

TReport* TForm1::reportForm() {
    if (!report_) {
        ownReport_ = std::make_unique<TReport>(*Table2);
        report_ = ownReport_.get();
    }
    return report_;
}

void TForm1::readHighScore() {
    record_->read(this);
}

void TForm1::setUpDrawBounds() {
    game_->setUpDrawBounds();
}

void TForm1::wireEvents() {
    auto click = [this](QAbstractButton* b, void (TForm1::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, handler);
    };
    auto trigger = [this](QAction* a, void (TForm1::*handler)()) {
        connect(a, &QAction::triggered, this, handler);
    };
    click(Button1, &TForm1::Button1Click);
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { ComboBox1KeyPress(Qt::Key_Return); });
    click(Button10, &TForm1::Button10Click);
    click(Button11, &TForm1::Button11Click);
    click(Button12, &TForm1::Button12Click);
    click(Button13, &TForm1::Button13Click);
    // A double-click on a title row or on the empty area below the rows does nothing.
    connect(DBGrid1, &QTableView::doubleClicked, this, &TForm1::DBGrid1DblClick);
    connect(DBGrid2, &QTableView::doubleClicked, this, &TForm1::DBGrid2DblClick);
    connect(DBNavigator1, &QToolButton::clicked, this, [this] {
        guarded([this] { chosen_->deleteCurrent(); });
        DBNavigator1Click();
    });
    click(Button9, &TForm1::Button9Click);
    click(Button2, &TForm1::Button2Click);
    click(Button3, &TForm1::Button3Click);
    click(Button4, &TForm1::Button4Click);
    click(Button5, &TForm1::Button5Click);
    click(Button6, &TForm1::Button6Click);
    click(Button7, &TForm1::Button7Click);
    click(conversion_->leaveButton(), &TForm1::Button21Click);
    click(Button8, &TForm1::Button8Click);
    trigger(N8, &TForm1::N8Click);
    trigger(N9, &TForm1::N9Click);
    trigger(N12, &TForm1::N12Click);
    trigger(N15, &TForm1::N15Click);
    trigger(N4, &TForm1::N4Click);
    trigger(KolvaneWebsite1, &TForm1::KolvaneWebsite1Click);
    trigger(OnlineDictionary1, &TForm1::OnlineDictionary1Click);
    trigger(Update1, &TForm1::Update1Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    Panel1->installEventFilter(this);
    Image1->installEventFilter(this);
    Panel2->installEventFilter(this);
    click(quizControls_.Button14, &TForm1::Button14Click);
    click(quizControls_.Button15, &TForm1::Button15Click);
    click(quizControls_.Button16, &TForm1::Button16Click);
    click(quizControls_.Button17, &TForm1::Button17Click);
    click(quizControls_.Button18, &TForm1::Button18Click);
    click(quizControls_.Button19, &TForm1::Button19Click);
    click(quizControls_.Button20, &TForm1::Button20Click);

    // The meaning display shows the dictionary's current entry. A move of that entry runs the
    // result query again in the original design: its rows stay the same and its first row
    // becomes current again, which is all that is kept of it here.
    connect(Table1, &Table::currentChanged, this, [this] {
        showMeaning(quizControls_.DBText1, Table1->hasCurrentRow()
                                               ? Table1->fieldText(QStringLiteral("Meaning"))
                                               : QString());
        if (Query1->isOpen())
            Query1->first();
    });

    // The result grid's current row is the query's current row, both ways.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { Query1->setCurrentRow(current.row()); });
    connect(Query1, &ResultQuery::currentRowChanged, this, [this](int row) {
        if (row >= 0 && DBGrid1->currentIndex().row() != row)
            DBGrid1->setCurrentIndex(resultModel_->index(row, 0));
    });

    // A desktop session that ends asks the same question as closing the window.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &TForm1::sessionCloseRequest);
}

// The creation steps, in their order. An error in one is shown and the later steps still run.
void TForm1::FormCreate() {
    guarded([&] { navigateConversionPage(); });
    guarded([&] { readHighScore(); });
    guarded([&] { setUpDrawBounds(); });
    guarded([&] {
        Panel2->move(4, 3);
        Panel4->move(4, 3);
    });
    guarded([&] { summary_->setDictionaryTotal(countDictionaryTotal(*Query1)); });
    guarded([&] { startPublisherTexts(); });
    guarded([&] { Query1->close(); });
    guarded([&] { chosen_->refresh(); });
    guarded([&] { settings_->restore(); });
    guarded([&] { history_->fillList(ComboBox1); });
    Timer1->start();
    Timer2->start();
}

qint64 TForm1::dictionaryTotal() const {
    return summary_->dictionaryTotal();
}

QString TForm1::statusText(int panel) const {
    return statusPanels_[panel]->text();
}

void TForm1::Button1Click() {
    guarded([&] { search_->run(); });
}

void TForm1::ComboBox1KeyPress(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == 13)
        Button1->click();
}

void TForm1::Button10Click() {
    guarded([&] { browse_->run(1); });
}

void TForm1::Button11Click() {
    guarded([&] { browse_->run(2); });
}

void TForm1::Button12Click() {
    guarded([&] { browse_->run(3); });
}

void TForm1::Button13Click() {
    guarded([&] { browse_->run(4); });
}

void TForm1::DBGrid1DblClick() {
    guarded([&] { chosen_->addCurrentResult(); });
}

void TForm1::DBGrid2DblClick() {
    guarded(
        [&] { chosen_->sendToSearch([this](const QString& t) { ComboBox1->setEditText(t); }); });
}

void TForm1::DBNavigator1Click() {
    guarded([&] { chosen_->refresh(); });
}

void TForm1::Button9Click() {
    guarded([&] { chosen_->clear(); });
}

void TForm1::Button8Click() {
    guarded([&] { reportForm()->preview(this); });
}

void TForm1::N8Click() {
    UserDialogs::current().printerSetup(this);
}
void TForm1::N12Click() {
    guarded([&] { game_->open(); });
}

void TForm1::Button14Click() {
    guarded([&] { game_->changeQuestion(); });
}

void TForm1::Button15Click() {
    guarded([&] { game_->answerTwice(); });
}

void TForm1::Button16Click() {
    guarded([&] { game_->removeTwo(); });
}

void TForm1::Button17Click() {
    guarded([&] { game_->confirm(); });
}

void TForm1::Button18Click() {
    guarded([&] { game_->buildQuestion(); });
}

void TForm1::Button19Click() {
    guarded([&] { game_->endGame(); });
}

void TForm1::Button20Click() {
    guarded([&] { game_->changeName(); });
}

void TForm1::Timer3Timer() {
    guarded([&] { game_->tick(); });
}

void TForm1::N15Click() {
    showOverlay(Panel4);
}

void TForm1::Button21Click() {
    Panel4->hide();
}

void TForm1::N4Click() {
    aboutBox()->exec();
}

void TForm1::Button2Click() {
    openLink(QStringLiteral("Button2"));
}

void TForm1::Button3Click() {
    openLink(QStringLiteral("Button3"));
}

void TForm1::Button4Click() {
    openLink(QStringLiteral("Button4"));
}

void TForm1::Button5Click() {
    openLink(QStringLiteral("Button5"));
}

void TForm1::Button6Click() {
    openLink(QStringLiteral("Button6"));
}

void TForm1::Button7Click() {
    openLink(QStringLiteral("Button7"));
}

void TForm1::KolvaneWebsite1Click() {
    openLink(QStringLiteral("KolvaneWebsite1"));
}

void TForm1::OnlineDictionary1Click() {
    openLink(QStringLiteral("OnlineDictionary1"));
}

void TForm1::Update1Click() {
    openLink(QStringLiteral("Update1"));
}

void TForm1::Image1DblClick() {
    openLink(QStringLiteral("Image1"));
}

void TForm1::Timer1Timer() {
    if (publisher_)
        statusPanels_[0]->setText(publisher_->next());
}

void TForm1::N9Click() {
    close();
}

void TForm1::Panel1DblClick() {}

void TForm1::Timer2Timer() {
    statusPanels_[1]->setText(clockText(QDateTime::currentDateTime()));
}

bool TForm1::FormCloseQuery() {
    if (!UserDialogs::current().confirm(this, QString::fromUtf8(kCloseQuestion)))
        return false;
    bool saved = false;
    guarded([&] {
        settings_->save();
        saved = true;
    });
    return saved;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TForm1::sessionCloseRequest(QSessionManager& manager) {
    if (!manager.allowsInteraction())
        return;
    const bool yes = FormCloseQuery();
    manager.release();
    if (!yes)
        manager.cancel();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Whatever hid the game panel ends its countdown with it; a minimised window only hides it
    // for a while (a spontaneous hide, the panel itself not hidden), and the game goes on.
    if (watched == Panel2 && event->type() == QEvent::Hide && Panel2->isHidden())
        Timer3->stop();
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == Image1) {
            Image1DblClick();
            return true;
        }
        if (watched == Panel1) {
            Panel1DblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace lex
