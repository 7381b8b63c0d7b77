// The controls of the main window at their fixed positions (96 dots per inch, no scaling), its
// menus, status bar and timers.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include "app/Main.h"
#include "data/ResultQuery.h"
#include "lookup/ResultModel.h"
#include "tools/ConversionPanel.h"
#include "ui/Controls.h"
#include "ui/Gauge.h"

namespace lex {

void TForm1::createSearchBar(QWidget* client) {
    Label1 = label(client, "Label1", QStringLiteral("ป้อนคำ >>"), 16, 18, 0, 51, 13);
    Label1->setFont(windowFont(true));
    Label1->setMinimumSize(Label1->sizeHint());

    ComboBox1 = placed(new QComboBox(client), "ComboBox1", 76, 17, 276, 21);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMaxVisibleItems(8);
    // The search runs on exactly what the user typed: no inline completion from the history,
    // which would silently search "steel beam" for a typed "steel". The drop-down keeps it.
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setAccessibleName(QStringLiteral("ป้อนคำ"));
    Label1->setBuddy(ComboBox1);
    ComboBox1->setToolTip(QStringLiteral("ป้อนคำศัพท์ที่ต้องการแล้วกด Enter"));

    Button1 = button(client, "Button1", QStringLiteral("ทำการแปล"),
                     QStringLiteral("ทำการค้นหาความหมาย"), 363, 15, 99, 25, kBold);

    Bevel3 = bevel(client, "Bevel3", 469, 11, 132, 33);
    SpeedButton6 = toggle(client, "SpeedButton6", QStringLiteral("คำศัพท์"),
                          QStringLiteral("ค้นหาจากคำศัพท์"), 473, 15, 61, 25);
    SpeedButton7 = toggle(client, "SpeedButton7", QStringLiteral("ความหมาย"),
                          QStringLiteral("ค้นหาจากความหมาย"), 536, 15, 61, 25);

    // The direction toggles are never shown; their states only travel from run to run. They
    // form one group in which at most one is down.
    Label2 = label(client, "Label2", QStringLiteral("ตัวเลือกการแปล"), 17, 46);
    Label2->setFont(windowFont(true));
    Label2->hide();
    const QString hint = QStringLiteral("เลือกเล่มพจนานุกรมที่ต้องการ");
    SpeedButton1 =
        toggle(client, "SpeedButton1", QStringLiteral("Eng > ไทย"), hint, 132, 57, 67, 24);
    SpeedButton2 =
        toggle(client, "SpeedButton2", QStringLiteral("ไทย > Eng"), hint, 204, 57, 67, 24);
    SpeedButton3 =
        toggle(client, "SpeedButton3", QStringLiteral("Eng > Eng"), hint, 276, 57, 67, 24);
    SpeedButton4 =
        toggle(client, "SpeedButton4", QStringLiteral("ไทย > ไทย"), hint, 348, 57, 67, 24);
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4}) {
        b->hide();
        connect(b, &QToolButton::toggled, this, [this, b](bool down) {
            if (!down)
                return;
            for (QToolButton* other : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
                if (other != b)
                    other->setChecked(false);
        });
    }
}

void TForm1::createResultArea(QWidget* client) {
    DBGrid1 = grid(client, "DBGrid1", 12, 52, 589, 362);
    resultModel_ = new ResultModel(*Query1, this);
    DBGrid1->setModel(resultModel_);
    DBGrid1->setColumnWidth(ResultModel::DataColumn, 138);
    DBGrid1->setToolTip(QStringLiteral("ดับเบิ้ลคลิ๊กเพื่อเพิ่มคำศัพท์ลงไปในรายการ"));
    DBGrid1->setAccessibleName(QStringLiteral("ผลการค้นหา"));
    DBGrid1->setAccessibleDescription(DBGrid1->toolTip());
    DBGrid1->setEnabled(false);  // until the first search or browse

    // The most-looked-up group is never shown.
    GroupBox1 = placed(new QGroupBox(QStringLiteral(" คำศัพท์ที่ถูกแปลมากที่สุด "), client), "GroupBox1",
                       84, 134, 167, 176);
    DBGrid3 = grid(GroupBox1, "DBGrid3", 13, 19, 141, 128);
    DBGrid3->setModel(
        new ResultModel(*QueryTop, this, {QStringLiteral("Data"), QStringLiteral("Qty")}));
    Gauge1 = placed(new Gauge(Gauge::Kind::HorizontalBar, GroupBox1), "Gauge1", 13, 150, 141, 20);
    Gauge1->setColors(Qt::yellow, Qt::blue);
    Gauge1->hide();
    CheckBox1 = placed(new QCheckBox(QStringLiteral("เปิดระบบเก็บข้อมูลคำศัพท์"), GroupBox1), "CheckBox1",
                       15, 150, 144, 17);
    GroupBox1->hide();

    Bevel1 = bevel(client, "Bevel1", 10, 426, 735, 6, QFrame::HLine);
    Label3 = label(client, "Label3", QStringLiteral("จำนวนที่พบ"), 13, 445);
    Edit2 = placed(new QLineEdit(QStringLiteral("0"), client), "Edit2", 72, 443, 57, 21);
    Edit2->setReadOnly(true);
    Edit2->setAccessibleName(QStringLiteral("จำนวนที่พบ (คำ)"));
    Label3->setBuddy(Edit2);
    Label4 = label(client, "Label4", QStringLiteral("คำ"), 137, 446);
}

void TForm1::createSidePanel(QWidget* client) {
    Panel1 = placed(new QFrame(client), "Panel1", 611, 8, 166, 174);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    // Its hint is kept but not shown as a tooltip.
    Panel1->setProperty("hint", QStringLiteral("ดับเบิ้ลคลิ๊กเพื่อปิด"));

    Image1 = placed(new QLabel(Panel1), "Image1", 13, 9, 140, 63);
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/logo.jpg")));
    Image1->setScaledContents(true);
    Image1->setToolTip(QStringLiteral("ดับเบิ้ลคลิ๊กเพื่อไป Kolvane"));

    Button10 = button(Panel1, "Button10", QStringLiteral("E > ท"),
                      QStringLiteral("คลิ๊กเพื่อดูศัพท์ E>ท ทั้งหมด"), 13, 78, 41, 22);
    Button11 = button(Panel1, "Button11", QStringLiteral("ท > E"),
                      QStringLiteral("คลิ๊กเพื่อดูศัพท์ ท > E ทั้งหมด"), 13, 100, 41, 22);
    Button12 = button(Panel1, "Button12", QStringLiteral("E > E"),
                      QStringLiteral("คลิ๊กเพื่อดูศัพท์ E > E ทั้งหมด"), 13, 122, 41, 22);
    Button13 = button(Panel1, "Button13", QStringLiteral("ท > ท"),
                      QStringLiteral("คลิ๊กเพื่อดูศัพท์ ท > ท ทั้งหมด"), 13, 144, 41, 22);

    Gauge6 = placed(new Gauge(Gauge::Kind::Pie, Panel1), "Gauge6", 63, 80, 85, 85);
    Gauge6->setColors(Qt::yellow, Qt::blue);
    Gauge6->setRange(0, 100);
    Gauge6->setToolTip(QStringLiteral("กราฟแสดง % คำศัพท์ที่ค้นพบ"));

    // Four bar gauges that are never shown.
    const struct {
        const char* name;
        int left;
        QColor colour;
    } bars[] = {{"Gauge2", 78, Qt::cyan},
                {"Gauge3", 114, Qt::magenta},
                {"Gauge4", 85, Qt::yellow},
                {"Gauge5", 121, Qt::green}};
    Gauge** targets[] = {&Gauge2, &Gauge3, &Gauge4, &Gauge5};
    for (int i = 0; i < 4; ++i) {
        *targets[i] = placed(new Gauge(Gauge::Kind::VerticalBar, Panel1), bars[i].name,
                             bars[i].left, 83, 31, 64);
        (*targets[i])->setColors(Qt::white, bars[i].colour);
        (*targets[i])->hide();
    }
}

void TForm1::createChosenGroup(QWidget* client) {
    GroupBox2 = placed(new QGroupBox(QStringLiteral(" คำที่เลือกไว้ "), client), "GroupBox2", 611, 186,
                       167, 229);
    DBGrid2 = grid(GroupBox2, "DBGrid2", 13, 19, 142, 165);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid2->setToolTip(QStringLiteral("ดับเบิ้ลคลิ๊กเพื่อส่งไปค้นหาความหมาย"));
    DBGrid2->setAccessibleName(QStringLiteral("คำที่เลือกไว้"));
    DBGrid2->setAccessibleDescription(DBGrid2->toolTip());

    Edit3 = placed(new QLineEdit(QStringLiteral("0"), GroupBox2), "Edit3", 13, 193, 31, 21);
    Edit3->setReadOnly(true);
    Edit3->setToolTip(QStringLiteral("จำนวนคำศัพท์ที่เลือกไว้"));

    DBNavigator1 = placed(new QToolButton(GroupBox2), "DBNavigator1", 47, 192, 34, 25);
    DBNavigator1->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    DBNavigator1->setText(QStringLiteral("−"));
    DBNavigator1->setToolTip(QStringLiteral("ลบศัพท์ออกจากรายการ"));

    Button9 = button(GroupBox2, "Button9", QStringLiteral("ล้าง"),
                     QStringLiteral("ลบคำศัพท์ที่เลือกไว้ทั้งหมด"), 82, 192, 34, 25, kBold);
    Button9->setEnabled(false);
    Button8 = button(GroupBox2, "Button8", QStringLiteral("พิมพ์"),
                     QStringLiteral("พิมพ์รายการคำศัพท์ที่เลือกไว้"), 118, 192, 34, 25, kBold);
}

void TForm1::createLinkRow(QWidget* client) {
    Bevel2 = bevel(client, "Bevel2", 160, 436, 615, 35);
    const struct {
        const char* name;
        int left;
        const char* caption;
        const char* hint;
    } links[] = {
        {"Button2", 167, "อบรม-สัมมนา", "จองอบรม สัมมนางานด้านวิศวกรรม"},
        {"Button3", 267, "สมัครสมาชิก", "สมัครสมาชิก Lexivore"},
        {"Button4", 367, "ดาวน์โหลด", "ดาวน์โหลดซอฟต์แวร์ด้านวิศวกรรม"},
        {"Button5", 466, "เลือกซื้อสินค้า", "เลือกซื้อซอฟต์แวร์ด้านวิศวกรรม"},
        {"Button6", 566, "บทความ-ความรู้", "บทความและความรู้ด้านวิศวกรรม"},
        {"Button7", 666, "นำเข้า-ส่งออก",
         "ซอฟต์แวร์งานนำเข้า ส่งออก และบรรจุภัณฑ์จาก Kolvane ผู้ได้รับรางวัลซอฟต์แวร์ธุรกิจยอดเยี่ยม"},
    };
    QPushButton** targets[] = {&Button2, &Button3, &Button4, &Button5, &Button6, &Button7};
    for (int i = 0; i < 6; ++i)
        *targets[i] = button(client, links[i].name, QString::fromUtf8(links[i].caption),
                             QString::fromUtf8(links[i].hint), links[i].left, 441, 99, 25, kBold);
}

void TForm1::createOverlayPanels(QWidget* client) {
    // Both cover the working area while shown; the creation steps place them.
    Panel2 = placed(new QFrame(client), "Panel2", 0, 0, 779, 472);
    Panel4 = placed(new QFrame(client), "Panel4", 0, 0, 779, 472);
    for (QFrame* p : {Panel2, Panel4}) {
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Raised);
        p->setAutoFillBackground(true);
        p->hide();
    }
    quizControls_ = createQuizPanel(Panel2);
    conversion_ = std::make_unique<ConversionPanel>(Panel4);
}

void TForm1::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto action = [this](QMenu* menu, const char* name, const QString& caption,
                         const QKeySequence& shortcut = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);  // shortcuts work while the menu bar is closed
        return a;
    };
    QMenu* n1 = bar->addMenu(QStringLiteral("หลัก"));
    n1->setObjectName(QStringLiteral("N1"));
    N8 = action(n1, "N8", QStringLiteral("ตั้งค่าเครื่องพิมพ์"),
                QKeySequence(QStringLiteral("Ctrl+Alt+P")));
    N9 = action(n1, "N9", QStringLiteral("ออกจากโปรแกรม"), QKeySequence(QStringLiteral("Ctrl+Q")));
    QMenu* n11 = bar->addMenu(QStringLiteral("เครื่องมือ"));
    n11->setObjectName(QStringLiteral("N11"));
    N12 = action(n11, "N12", QStringLiteral("เกมส์เศรษฐีคำศัพท์วิศวกรรม"), QKeySequence(Qt::Key_F5));
    N15 = action(n11, "N15", QStringLiteral("เครื่องมือแปลงหน่วยทางวิศวกรรม"), QKeySequence(Qt::Key_F6));
    QMenu* n3 = bar->addMenu(QStringLiteral("เกี่ยวกับ"));
    n3->setObjectName(QStringLiteral("N3"));
    KolvaneWebsite1 = action(n3, "KolvaneWebsite1", QStringLiteral("Kolvane Website"));
    n3->addSeparator()->setObjectName(QStringLiteral("N13"));
    OnlineDictionary1 = action(n3, "OnlineDictionary1", QStringLiteral("Online Dictionary"));
    Update1 = action(n3, "Update1", QStringLiteral("Update คำศัพท์"));
    n3->addSeparator()->setObjectName(QStringLiteral("N14"));
    N4 = action(n3, "N4", QStringLiteral("เกี่ยวกับผลิตภัณฑ์"));
}

void TForm1::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(false);
    const int widths[] = {550, 50};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        if (i == 0)
            panel->setFixedWidth(widths[i]);
        bar->addWidget(panel, i);  // the last panel takes the rest of the bar
        statusPanels_[i] = panel;
    }
}

void TForm1::createTimers() {
    auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        return t;
    };
    Timer1 = timer("Timer1", 5000);
    Timer2 = timer("Timer2", 1000);
    Timer3 = timer("Timer3", 1000);  // the quiz countdown, stopped until a question is asked
}

// One chain through every reachable control, the groups' children in their group's place; Qt
// skips what is disabled or hidden. The two search-field toggles follow the search button, in
// the order they stand on the screen, so that keyboard users can set them too.
void TForm1::setTabOrders() {
    QWidget* chain[] = {ComboBox1,    Button1,  SpeedButton6, SpeedButton7, DBGrid1, DBGrid2,
                        DBNavigator1, Button8,  Button9,      Edit3,        Edit2,   Button2,
                        Button3,      Button4,  Button5,      Button6,      Button7, Button10,
                        Button11,     Button12, Button13};
    for (size_t i = 0; i + 1 < std::size(chain); ++i)
        setTabOrder(chain[i], chain[i + 1]);
}

void TForm1::createControls() {
    setWindowTitle(QString::fromLatin1(kCaption));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    // The client area of an 802 × 551 frame, between its menu bar and its status bar.
    client->setFixedSize(794, 478);
    setCentralWidget(client);

    createSearchBar(client);
    createResultArea(client);
    createSidePanel(client);
    createChosenGroup(client);
    createLinkRow(client);
    createOverlayPanels(client);
    createMenus();
    createStatusBar();
    createTimers();
    setTabOrders();
    nameFromHints(client);

    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint());
}

}  // namespace lex
