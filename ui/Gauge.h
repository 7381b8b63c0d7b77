#pragma once

#include <QColor>
#include <QWidget>

namespace lex {

// A gauge control: a pie, or a horizontal or vertical bar, filled to its progress, with the
// progress written as "37%" over it. A progress outside the range is held at the nearer bound.
class Gauge : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Pie, HorizontalBar, VerticalBar };

    explicit Gauge(Kind kind, QWidget* parent = nullptr);

    int progress() const { return progress_; }
    void setProgress(int value);
    void setRange(int minimum, int maximum);
    void setColors(const QColor& background, const QColor& foreground);
    void setShowText(bool show);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int percent() const;

    Kind kind_;
    int minimum_ = 0;
    int maximum_ = 100;
    int progress_ = 0;
    QColor background_ = Qt::white;
    QColor foreground_ = Qt::black;
    bool showText_ = true;
};

}  // namespace lex
