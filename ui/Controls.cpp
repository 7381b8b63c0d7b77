#include "ui/Controls.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <cmath>

namespace lex {

namespace {

double channel(double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A caption a screen reader can read out: at least one letter or digit.
bool readableCaption(const QString& text) {
    for (QChar c : text)
        if (c.isLetterOrNumber())
            return true;
    return false;
}

QMargins frameMargins(const QWidget* w) {
    const QRect outer = w->frameGeometry(), inner = w->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

bool framed(const QWidget* w) {
    return w->frameGeometry().size() != w->geometry().size();
}

void centreWithMargins(QWidget* w, const QMargins& margins) {
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = w->size().grownBy(margins);
    const QPoint topLeft = area.center() - QPoint(outer.width() / 2, outer.height() / 2);
    // The frame's corner goes there: a window manager puts the frame of a window that is not
    // framed yet where the window was asked to go (north-west gravity).
    w->move(topLeft);
}

// Centres its window again, once, when the window manager's frame arrives.
class CentreWhenFramed : public QObject {
  public:
    explicit CentreWhenFramed(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
        QTimer::singleShot(5000, this, [this] { deleteLater(); });  // a frame that never comes
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const auto type = event->type();
        const bool geometry = type == QEvent::Move || type == QEvent::Resize ||
                              type == QEvent::Show || type == QEvent::ActivationChange;
        if (geometry && framed(window_)) {
            window_->removeEventFilter(this);
            if (window_->windowState() == Qt::WindowNoState)
                centreWithMargins(window_, frameMargins(window_));
            deleteLater();
        }
        return false;
    }

  private:
    QWidget* window_;
};

}  // namespace

void centreOnScreen(QWidget* window) {
    if (window->windowFlags() & Qt::FramelessWindowHint) {  // a splash: no frame will come
        centreWithMargins(window, {});
        return;
    }
    if (framed(window)) {
        centreWithMargins(window, frameMargins(window));
        return;
    }
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && framed(other)) {
            centreWithMargins(window, frameMargins(other));
            return;
        }
    }
    centreWithMargins(window, {});
    new CentreWhenFramed(window);
}

QColor readableOn(const QColor& wanted, const QColor& background) {
    constexpr double kMinimum = 4.5;
    if (contrast(wanted, background) >= kMinimum)
        return wanted;
    // Walk the lightness away from the background's, keeping hue and saturation.
    const bool darkBackground = luminance(background) < 0.18;
    const QColor hsl = wanted.toHsl();
    const float hue = hsl.hslHueF(), saturation = hsl.hslSaturationF();
    float lightness = hsl.lightnessF();
    QColor shade = wanted;
    for (int step = 0; step < 100 && contrast(shade, background) < kMinimum; ++step) {
        lightness = std::clamp(lightness + (darkBackground ? 0.01f : -0.01f), 0.0f, 1.0f);
        shade = QColor::fromHslF(hue, saturation, lightness).toRgb();
    }
    return shade;
}

QColor readableOn(const QColor& wanted, QPalette::ColorRole role) {
    return readableOn(wanted, QApplication::palette().color(role));
}

void nameFromHints(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->accessibleName().isEmpty() || w->toolTip().isEmpty())
            continue;
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const auto* label = qobject_cast<QLabel*>(w);
        if (button && readableCaption(button->text()))
            continue;
        if (label && readableCaption(label->text()))
            continue;
        w->setAccessibleName(w->toolTip());
    }
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, unsigned flags,
              int w, int h) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    if (flags & kBold)
        l->setFont(windowFont(true));
    if (flags & kHandCursor)
        l->setCursor(Qt::PointingHandCursor);
    l->move(x, y);
    if (w > 0)
        l->resize(w, h);
    else
        l->adjustSize();
    return l;
}

QLabel* title(QWidget* parent, const char* name, const QString& text, int x, int y, int pixels) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(windowFont(true, pixels));
    l->setStyleSheet(
        QStringLiteral("color: %1;").arg(readableOn(QColor(Qt::blue), QPalette::Window).name()));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QFrame* bevel(QWidget* parent, const char* name, int x, int y, int w, int h, QFrame::Shape shape) {
    auto* f = placed(new QFrame(parent), name, x, y, w, h);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Sunken);
    f->setAttribute(Qt::WA_TransparentForMouseEvents);
    return f;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    int x, int y, int w, int h, unsigned flags) {
    auto* b = placed(new QPushButton(caption, parent), name, x, y, w, h);
    if (flags & kBold)
        b->setFont(windowFont(true));
    if (!hint.isEmpty())
        b->setToolTip(hint);
    if (flags & kHandCursor)
        b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    return b;
}

QToolButton* toggle(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    int x, int y, int w, int h) {
    auto* b = placed(new QToolButton(parent), name, x, y, w, h);
    b->setText(caption);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setAutoExclusive(false);
    return b;
}

QTableView* grid(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* g = placed(new QTableView(parent), name, x, y, w, h);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setShowGrid(true);
    // Tab and Shift+Tab leave the grid for the next control; the arrow keys move between rows.
    g->setTabKeyNavigation(false);
    g->setWordWrap(false);
    g->verticalHeader()->setMinimumSectionSize(12);
    g->verticalHeader()->setDefaultSectionSize(19);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setFixedWidth(11);
    g->horizontalHeader()->setHighlightSections(false);
    g->horizontalHeader()->setStretchLastSection(true);
    paintYellow(g);
    return g;
}

void paintYellow(QWidget* widget) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(QPalette::ToolTipBase));
    widget->setPalette(p);
}

}  // namespace lex
