#pragma once

#include <QDialog>
#include <QMainWindow>
#include <QPrinter>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace lex {

class TPageList;

// Rounds to the nearest whole number, halves to the even neighbour.
int roundHalfEven(double value);

enum class ZoomMode { Fit, Width, Fixed };

// The zoom that fits a page of `page` pixels (at 100 %) into a control of `control` pixels:
// whole (the smaller of the two ratios × 95) or by width (× 90).
int zoomToFit(QSize control, QSize page);
int zoomToWidth(QSize control, QSize page);

// Where a page picture of `picture`'s proportions goes on the printer's paper, in device pixels:
// as large as fits, centred, never stretched (an A4 portrait page on landscape paper stands in
// the middle at full height).
QRectF fittedPage(const QPrinter& printer, QSizeF picture);

// The dialog shown while printing: a bar, "NN%  Completed" and Cancel.
class TPrintProgressForm : public QDialog {
    Q_OBJECT
  public:
    explicit TPrintProgressForm(QWidget* parent = nullptr);
    void setProgress(int percent);  // moves at every multiple of 5
    bool cancelled() const { return cancelled_; }

  private:
    QProgressBar* Gauge;
    QLabel* Info;
    QPushButton* CancelButton;
    bool cancelled_ = false;
};

class PageImage;

// The report preview window: the prepared pages one at a time, zoom, page moves, printer set-up,
// printing, saving and loading the prepared pages. Shown without blocking; freed when closed.
class TReportPreview : public QMainWindow {
    Q_OBJECT
  public:
    using Preparer = std::function<void(TPageList&, const std::function<void(int, int)>&)>;

    explicit TReportPreview(QWidget* parent = nullptr);
    ~TReportPreview() override;

    // Prepares the report into the window's page store, showing pages as they become available.
    void prepareWith(const Preparer& prepare);

    // Handlers.
    void ZoomToFitClick();
    void ZoomTo100Click();
    void ZoomToWidthClick();
    void FirstPageClick();
    void PrevPageClick();
    void NextPageClick();
    void LastPageClick();
    void PrintSetupClick();
    void PrintClick();
    void SaveClick();
    void LoadClick();
    void ExitClick();
    void PreviewBoxPageAvailable(int page, int percent);
    void PreviewBoxProgressUpdate(int percent);
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // State, for tests.
    int currentPage() const { return page_; }
    int pageCount() const;
    int zoom() const { return zoom_; }
    ZoomMode zoomMode() const { return mode_; }
    bool isLoaded() const { return loaded_; }
    QString statusText(int panel) const;
    QPrinter& printer() { return printer_; }
    TPageList& pages() { return *pages_; }
    QWidget* previewBox() const;
    // Prints the pages of the range to `target` (for the print command and for tests): each page
    // fitted to the paper with its proportions kept and centred. False when nothing was printed
    // (cancelled, no printer, the printer refused); the user has been told why.
    bool printTo(QPrinter& target);

    // The names of the installed printers (the system's; tests may replace it).
    static std::function<QStringList()> installedPrinters;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void goToPage(int n);
    void setZoom(int zoom);
    void layoutPage();
    void showPageStatus();
    void setPrintCommands(bool setupEnabled, bool printEnabled);
    QSize pageSize100() const;

    std::unique_ptr<TPageList> pages_;
    QScrollArea* PreviewBox = nullptr;
    PageImage* image_ = nullptr;
    QToolButton* ZoomFit = nullptr;
    QToolButton* Zoom100 = nullptr;
    QToolButton* ZoomToWidth = nullptr;
    QToolButton* PrintSetup = nullptr;
    QToolButton* Print = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    QPrinter printer_;
    int page_ = 1;
    bool pageDrawn_ = false;
    int zoom_ = 100;
    ZoomMode mode_ = ZoomMode::Width;
    int lastProgress_ = 0;
    bool prepared_ = false;
    bool loaded_ = false;
    QSize paperPixels_;
};

}  // namespace lex
