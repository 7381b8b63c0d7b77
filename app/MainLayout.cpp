// The controls of the main window at their fixed positions (96 dots per inch, no scaling).
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include "app/Gauge.h"
#include "app/Main.h"
#include "lookup/ResultModel.h"

namespace lex {

namespace {

template <typename W>
W* named(W* widget, const char* name, int x, int y, int w, int h) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QFont boldFont() {
    QFont f = QApplication::font();
    f.setBold(true);
    return f;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int w = 0,
              int h = 13) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    if (w > 0)
        l->resize(w, h);
    else
        l->adjustSize();
    return l;
}

QFrame* bevel(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* f = named(new QFrame(parent), name, x, y, w, h);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    f->setAttribute(Qt::WA_TransparentForMouseEvents);
    return f;
}

QToolButton* toggle(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    int x, int y, int w, int h) {
    auto* b = named(new QToolButton(parent), name, x, y, w, h);
    b->setText(caption);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setAutoExclusive(false);
    return b;
}

// Data grids are read-only, show column titles, a row indicator and grid lines, and use the
// tooltip-yellow background.
void styleGrid(QTableView* grid) {
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    grid->verticalHeader()->setDefaultSectionSize(17);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setFixedWidth(11);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    QPalette p = grid->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(QPalette::ToolTipBase));
    grid->setPalette(p);
}

}  // namespace

void TForm1::createSearchBar(QWidget* client) {
    Label1 = label(client, "Label1", QStringLiteral("ป้อนคำ >>"), 16, 18, 51, 13);
    Label1->setFont(boldFont());

    ComboBox1 = named(new QComboBox(client), "ComboBox1", 76, 17, 276, 21);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMaxVisibleItems(8);
    ComboBox1->setToolTip(QStringLiteral("ป้อนคำศัพท์ที่ต้องการแล้วกด Enter"));

    Button1 =
        named(new QPushButton(QStringLiteral("ทำการแปล"), client), "Button1", 363, 15, 99, 25);
    Button1->setFont(boldFont());
    Button1->setToolTip(QStringLiteral("ทำการค้นหาความหมาย"));

    Bevel3 = bevel(client, "Bevel3", 469, 11, 132, 33);
    SpeedButton6 = toggle(client, "SpeedButton6", QStringLiteral("คำศัพท์"),
                          QStringLiteral("ค้นหาจากคำศัพท์"), 473, 15, 61, 25);
    SpeedButton7 = toggle(client, "SpeedButton7", QStringLiteral("ความหมาย"),
                          QStringLiteral("ค้นหาจากความหมาย"), 536, 15, 61, 25);
}

void TForm1::createResultArea(QWidget* client) {
    DBGrid1 = named(new QTableView(client), "DBGrid1", 12, 52, 589, 362);
    styleGrid(DBGrid1);
    resultModel_ = new ResultModel(*Query1, this);
    DBGrid1->setModel(resultModel_);
    DBGrid1->setColumnWidth(ResultModel::DataColumn, 138);
    DBGrid1->setToolTip(QStringLiteral("ดับเบิ้ลคลิ๊กเพื่อเพิ่มคำศัพท์ลงไปในรายการ"));
    DBGrid1->setEnabled(false);  // until the first search or browse

    label(client, "Label3", QStringLiteral("จำนวนที่พบ"), 13, 445);
    Edit2 = named(new QLineEdit(QStringLiteral("0"), client), "Edit2", 72, 443, 57, 21);
    Edit2->setReadOnly(true);
    label(client, "Label4", QStringLiteral("คำ"), 137, 446);
}

void TForm1::createSidePanel(QWidget* client) {
    Panel1 = named(new QFrame(client), "Panel1", 611, 8, 166, 174);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);

    Gauge6 = named(new Gauge(Gauge::Kind::Pie, Panel1), "Gauge6", 63, 80, 85, 85);
    Gauge6->setColors(Qt::yellow, Qt::blue);
    Gauge6->setRange(0, 100);
    Gauge6->setToolTip(QStringLiteral("กราฟแสดง % คำศัพท์ที่ค้นพบ"));
}

void TForm1::createControls() {
    setWindowTitle(QString::fromLatin1(kCaption));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    // The client area inside an 802 × 551 frame with its title bar, menu bar and status bar.
    client->setFixedSize(794, 478);
    setCentralWidget(client);

    createSearchBar(client);
    createResultArea(client);
    createSidePanel(client);

    setTabOrder(ComboBox1, Button1);
    setTabOrder(Button1, DBGrid1);
    setTabOrder(DBGrid1, Edit2);

    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint());
}

}  // namespace lex
