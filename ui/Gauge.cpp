#include "ui/Gauge.h"

#include <QPainter>
#include <algorithm>

namespace lex {

Gauge::Gauge(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {}

void Gauge::setProgress(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (value == progress_)
        return;
    progress_ = value;
    update();
}

void Gauge::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    progress_ = std::clamp(progress_, minimum_, maximum_);
    update();
}

void Gauge::setColors(const QColor& background, const QColor& foreground) {
    background_ = background;
    foreground_ = foreground;
    update();
}

void Gauge::setShowText(bool show) {
    showText_ = show;
    update();
}

int Gauge::percent() const {
    if (maximum_ == minimum_)
        return 0;
    return (progress_ - minimum_) * 100 / (maximum_ - minimum_);
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    const double share = percent() / 100.0;
    p.setPen(Qt::black);
    switch (kind_) {
        case Kind::Pie: {
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(background_);
            p.drawEllipse(r);
            if (share > 0) {
                p.setBrush(foreground_);
                // Clockwise from twelve o'clock, in sixteenths of a degree.
                p.drawPie(r, 90 * 16, -static_cast<int>(share * 360 * 16));
            }
            break;
        }
        case Kind::HorizontalBar:
            p.fillRect(r, background_);
            p.fillRect(QRect(r.left(), r.top(), static_cast<int>(r.width() * share), r.height()),
                       foreground_);
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
            break;
        case Kind::VerticalBar: {
            p.fillRect(r, background_);
            const int h = static_cast<int>(r.height() * share);
            p.fillRect(QRect(r.left(), r.bottom() - h, r.width(), h), foreground_);
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
            break;
        }
    }
    if (showText_) {
        p.setPen(Qt::black);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("%1%").arg(percent()));
    }
}

}  // namespace lex
