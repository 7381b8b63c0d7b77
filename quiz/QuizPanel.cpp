#include "quiz/QuizPanel.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <climits>
#include <functional>

#include "ui/Controls.h"
#include "ui/Gauge.h"

namespace lex {

namespace {

QFont font(int pixels, bool bold) {
    return windowFont(bold, pixels);
}

constexpr int kMeaningPixels = 19, kAnswerPixels = 24, kSmallestPixels = 13;
const QString kEllipsis = QStringLiteral("…");

// The longest start of `text`, cut after a whole character cluster, that `fits` with an
// ellipsis after it.
QString elided(const QString& text, const std::function<bool(const QString&)>& fits) {
    qsizetype low = 0, high = text.size();
    while (low < high) {  // the longest length whose cut fits
        const qsizetype mid = (low + high + 1) / 2;
        if (fits(text.left(mid).trimmed() + kEllipsis))
            low = mid;
        else
            high = mid - 1;
    }
    // A Thai vowel or tone mark written after its letter stays with it, and a vowel written
    // before its letter is not left alone before the ellipsis.
    auto splitsSyllable = [&](qsizetype at) {
        const char16_t next = text[at].unicode(), previous = text[at - 1].unicode();
        const bool trailing = text[at].isMark() || (next >= 0x0E30 && next <= 0x0E3A) ||
                              next == 0x0E45 || (next >= 0x0E47 && next <= 0x0E4E);
        return trailing || (previous >= 0x0E40 && previous <= 0x0E44);
    };
    while (low > 0 && low < text.size() && splitsSyllable(low))
        --low;
    return text.left(low).trimmed() + kEllipsis;
}

}  // namespace

void showMeaning(QLabel* label, const QString& meaning) {
    const QRect room = label->contentsRect();
    QFont f = font(kMeaningPixels, false);
    auto fits = [&](const QString& text) {
        const QFontMetrics m(f);
        return m.boundingRect(QRect(0, 0, room.width(), INT_MAX), Qt::TextWordWrap, text)
                   .height() <= room.height();
    };
    while (!fits(meaning) && f.pixelSize() > kSmallestPixels)
        f.setPixelSize(f.pixelSize() - 1);
    label->setFont(f);
    label->setText(fits(meaning) ? meaning : elided(meaning, fits));
    label->setToolTip(meaning);
}

void showAnswer(QToolButton* button, const QString& answer) {
    // The button's frame and margins take a few pixels of its width.
    const int room = button->width() - 12;
    QFont f = font(kAnswerPixels, true);
    auto fits = [&](const QString& text) {
        return QFontMetrics(f).horizontalAdvance(text) <= room;
    };
    while (!fits(answer) && f.pixelSize() > kSmallestPixels)
        f.setPixelSize(f.pixelSize() - 1);
    button->setFont(f);
    button->setText(fits(answer) ? answer : elided(answer, fits));
    button->setToolTip(answer);
}

QuizControls createQuizPanel(QFrame* panel) {
    QuizControls c{};
    c.Label5 = title(panel, "Label5", QStringLiteral("เกมส์เศรษฐีคำศัพท์วิศวกรรม"), 16, 11, 24);
    c.Bevel4 = bevel(panel, "Bevel4", 16, 56, 737, 17, QFrame::HLine);
    c.Button19 = button(panel, "Button19", QStringLiteral("จบเกมส์"), QString(), 680, 15, 74, 25,
                        kBold | kHandCursor);
    c.Label8 = label(panel, "Label8", QStringLiteral("สถิติสูงสุด"), 32, 73, kBold);
    c.Edit1 = placed(new QLineEdit(panel), "Edit1", 96, 71, 485, 21);
    c.Edit1->setReadOnly(true);
    c.Edit1->setFont(font(0, true));
    paintYellow(c.Edit1);
    c.Button18 =
        placed(new QPushButton(QStringLiteral("Button18"), panel), "Button18", 496, 64, 75, 25);
    c.Button18->hide();
    c.Label6 = placed(new QLabel(QStringLiteral("ข้อใดคือคำศัพท์ของความหมายต่อไปนี้ :"), panel), "Label6",
                      24, 102, 310, 24);
    c.Label6->setFont(font(19, true));
    c.Label6->adjustSize();
    c.DBText1 = placed(new QLabel(panel), "DBText1", 50, 130, 525, 127);
    c.DBText1->setFont(font(19, false));
    c.DBText1->setWordWrap(true);
    c.DBText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.DBText1->hide();
    c.Bevel5 = bevel(panel, "Bevel5", 24, 272, 569, 181, QFrame::Box);
    const char* names[] = {"SpeedButtonA", "SpeedButtonB", "SpeedButtonC", "SpeedButtonD"};
    const int tops[] = {280, 322, 364, 407};
    for (int i = 0; i < 4; ++i) {
        auto* b = placed(new QToolButton(panel), names[i], 40, tops[i], 537, 39);
        b->setText(QStringLiteral("คำตอบที่ %1").arg(i + 1));
        b->setCheckable(true);
        b->setFont(font(24, true));
        b->setStyleSheet(QStringLiteral("QToolButton { color: %1; }")
                             .arg(readableOn(QColor(0, 0, 128), QPalette::Button).name()));
        b->setCursor(Qt::PointingHandCursor);
        c.answers[static_cast<size_t>(i)] = b;
    }
    c.Gauge7 = placed(new Gauge(Gauge::Kind::Pie, panel), "Gauge7", 614, 72, 138, 138);
    c.Gauge7->setRange(0, 60);
    c.Gauge7->setShowText(false);
    c.Gauge7->setColors(Qt::yellow, Qt::red);
    c.Gauge7->setToolTip(QStringLiteral("กราฟแสดงเวลาที่เหลือในการตอบ"));
    c.Gauge7->setCursor(Qt::PointingHandCursor);
    c.Button14 = button(panel, "Button14", QStringLiteral("ขอเปลี่ยนคำถาม"),
                        QStringLiteral("เปลี่ยนคำถามปัจจุบัน"), 614, 224, 138, 25, kBold | kHandCursor);
    c.Button15 = button(panel, "Button15", QStringLiteral("ขอตอบ 2 ครั้ง"),
                        QStringLiteral("ตอบได้ 2 ครั้ง"), 614, 250, 138, 25, kBold | kHandCursor);
    c.Button16 = button(panel, "Button16", QStringLiteral("ขอตัด 2 ตัวเลือก"),
                        QStringLiteral("ตัด 2 ตัวที่ผิดออกไป"), 614, 276, 138, 25, kBold | kHandCursor);
    c.Panel3 = placed(new QFrame(panel), "Panel3", 615, 305, 136, 80);
    c.Panel3->setFrameShape(QFrame::Panel);
    c.Panel3->setFrameShadow(QFrame::Sunken);
    c.Label7 = placed(new QLabel(QStringLiteral("0"), c.Panel3), "Label7", 13, 11, 109, 58);
    c.Label7->setFont(font(48, true));
    c.Label7->setStyleSheet(
        QStringLiteral("color: %1;").arg(readableOn(QColor(Qt::blue), QPalette::Window).name()));
    c.Label7->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.Button20 = button(panel, "Button20", QStringLiteral("ขอเปลี่ยนชื่อผู้เล่น"), QString(), 615, 390,
                        137, 25, kBold | kHandCursor);
    c.Button17 = button(panel, "Button17", QStringLiteral("เริ่มเล่นเกมส์"), QString(), 615, 422, 137,
                        25, kBold | kHandCursor);

    QWidget* order[] = {c.Button14, c.Button15, c.Button16, c.Button17, c.Button18,
                        c.Button19, c.Edit1,    c.Button20, c.Panel3};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    return c;
}

}  // namespace lex
