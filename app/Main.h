#pragma once

#include <QMainWindow>
#include <memory>

#include "quiz/QuizPanel.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSessionManager;
class QTableView;
class QTimer;
class QToolButton;

namespace lex {

class ChosenWords;
class ConversionPanel;
class PublisherTexts;
class TForm7;
class TReport;
class HighScore;
class QuizGame;
class Database;
class DictionaryIndex;
class DirectionBrowse;
class Gauge;
class ResultModel;
class ResultQuery;
class ResultSummary;
class SearchHistory;
class SettingsStore;
class Table;
class WordSearch;

// The main window: the composition root. It creates the controls with their names, positions and
// captions, owns the tables and queries for the life of the process, and connects each event to a
// handler named after the control and the event; a handler is a thin call into its feature.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Kolvane : Engineering Dictionary Lexivore Version 2.0";
    static constexpr const char* kCloseQuestion = "กรุณายืนยันที่จะออกจากโปรแกรม ?";

    // Opens every table and query of the data directory (throws DataError when one cannot be
    // opened), then runs the creation steps.
    explicit TForm1(const QString& dataDirectory, QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers, named after the control and the event.
    void Button1Click();
    void ComboBox1KeyPress(int key);
    void Button10Click();
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void DBGrid1DblClick();
    void DBGrid2DblClick();
    void DBNavigator1Click();
    void Button9Click();
    void Button8Click();
    void N8Click();
    void N9Click();
    void N12Click();
    void N15Click();
    void N4Click();
    void KolvaneWebsite1Click();
    void OnlineDictionary1Click();
    void Update1Click();
    void Panel1DblClick();
    void Image1DblClick();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button21Click();
    void Button14Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();
    void Button18Click();
    void Button19Click();
    void Button20Click();
    // Asks whether the window may close; on Yes saves the settings. False keeps it open.
    bool FormCloseQuery();

    // The data objects, for the features and for tests.
    Table& table2() { return *Table2; }
    Table& table3() { return *Table3; }
    Table& table4() { return *Table4; }
    ResultQuery& query1() { return *Query1; }
    qint64 dictionaryTotal() const;
    QString statusText(int panel) const;
    QuizGame& quiz() { return *game_; }
    ConversionPanel& conversion() { return *conversion_; }
    // The about box made at start-up; without one, the first N4 makes it.
    void setAboutBox(TForm7* box) { aboutBox_ = box; }
    TForm7* aboutBox();
    // The report form made at start-up; without one, the first print makes it.
    void setReportForm(TReport* report) { report_ = report; }
    TReport* reportForm();
    HighScore& highScore() { return *record_; }

    // The two overlay panels exclude each other; hiding the game panel stops its countdown.
    void showOverlay(QFrame* panel);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void openData(const QString& dataDirectory);
    void createControls();
    void createSearchBar(QWidget* client);
    void createResultArea(QWidget* client);
    void createSidePanel(QWidget* client);
    void createChosenGroup(QWidget* client);
    void createLinkRow(QWidget* client);
    void createOverlayPanels(QWidget* client);
    void createMenus();
    void createStatusBar();
    void createTimers();
    void setTabOrders();
    void createFeatures();
    void wireEvents();
    void FormCreate();
    // Creation steps whose features are not in the program yet keep their place in the order.
    void navigateConversionPage();
    void readHighScore();
    void setUpDrawBounds();
    void startPublisherTexts();
    void sessionCloseRequest(QSessionManager& manager);

    // Data.
    std::unique_ptr<Database> database_;
    std::unique_ptr<DictionaryIndex> index_;
    Table* Table1 = nullptr;
    Table* Table2 = nullptr;
    Table* Table3 = nullptr;
    Table* Table4 = nullptr;
    ResultQuery* Query1 = nullptr;
    ResultQuery* QueryTop = nullptr;

    // Search bar and the hidden direction toggles.
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QFrame* Bevel3 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QLabel* Label2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    // Result area.
    QTableView* DBGrid1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QTableView* DBGrid3 = nullptr;
    Gauge* Gauge1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label4 = nullptr;
    // Side panel.
    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button11 = nullptr;
    QPushButton* Button12 = nullptr;
    QPushButton* Button13 = nullptr;
    Gauge* Gauge6 = nullptr;
    Gauge* Gauge2 = nullptr;
    Gauge* Gauge3 = nullptr;
    Gauge* Gauge4 = nullptr;
    Gauge* Gauge5 = nullptr;
    // Chosen-word group.
    QGroupBox* GroupBox2 = nullptr;
    QTableView* DBGrid2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QToolButton* DBNavigator1 = nullptr;  // the navigator shows its delete button only
    QPushButton* Button9 = nullptr;
    QPushButton* Button8 = nullptr;
    // Link row.
    QFrame* Bevel2 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    // Overlay panels, status bar, menus, timers.
    QFrame* Panel2 = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    QAction* N8 = nullptr;
    QAction* N9 = nullptr;
    QAction* N12 = nullptr;
    QAction* N15 = nullptr;
    QAction* KolvaneWebsite1 = nullptr;
    QAction* OnlineDictionary1 = nullptr;
    QAction* Update1 = nullptr;
    QAction* N4 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;

    // Features.
    ResultModel* resultModel_ = nullptr;
    std::unique_ptr<ResultSummary> summary_;
    std::unique_ptr<SearchHistory> history_;
    std::unique_ptr<WordSearch> search_;
    std::unique_ptr<DirectionBrowse> browse_;
    std::unique_ptr<SettingsStore> settings_;
    ChosenWords* chosen_ = nullptr;
    QuizControls quizControls_{};
    std::unique_ptr<HighScore> record_;
    QuizGame* game_ = nullptr;
    std::unique_ptr<ConversionPanel> conversion_;
    std::unique_ptr<PublisherTexts> publisher_;
    TForm7* aboutBox_ = nullptr;
    std::unique_ptr<TForm7> ownAboutBox_;
    TReport* report_ = nullptr;
    std::unique_ptr<TReport> ownReport_;
};

}  // namespace lex
