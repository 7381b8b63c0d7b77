#include "report/ReportPreview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QtEndian>
#include <cmath>

#include "report/EmfPlayer.h"
#include "report/PageList.h"
#include "report/ReportError.h"
#include "ui/ErrorBox.h"
#include "ui/UserDialogs.h"

namespace lex {

int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

int zoomToFit(QSize control, QSize page) {
    const int byWidth = roundHalfEven(double(control.width()) / page.width() * 95);
    const int byHeight = roundHalfEven(double(control.height()) / page.height() * 95);
    return std::min(byWidth, byHeight);
}

int zoomToWidth(QSize control, QSize page) {
    return roundHalfEven(double(control.width()) / page.width() * 90);
}

namespace {

const QString kFilterSave = QStringLiteral("Prepared report file(*.PRP)");
const QString kFilterLoad = QStringLiteral("Prepared report file (*.PRP)");
const QString kNoPrinter = QStringLiteral(
    "No printer is installed. Add a printer in the system's printer settings, or choose "
    "\"Print to File (PDF)\" under Printer setup.");

// The page size an EMF picture was drawn for, in pixels at 96 dots per inch, from its frame
// (hundredths of a millimetre); an invalid size when the header does not tell.
QSize pictureSize(const QByteArray& emf) {
    if (emf.size() < 40)
        return {};
    const auto* d = reinterpret_cast<const uchar*>(emf.constData());
    const qint32 left = qFromLittleEndian<qint32>(d + 24), top = qFromLittleEndian<qint32>(d + 28);
    const qint32 right = qFromLittleEndian<qint32>(d + 32),
                 bottom = qFromLittleEndian<qint32>(d + 36);
    const double w = (double(right) - left) / 100.0, h = (double(bottom) - top) / 100.0;
    if (w <= 0 || h <= 0 || w > 5000 || h > 5000)
        return {};
    return {roundHalfEven(w * 96 / 25.4), roundHalfEven(h * 96 / 25.4)};
}

// A printer for the Print button where the desktop's icon theme has none: paper coming out of a
// printer body.
QIcon printerIcon() {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("document-print"));
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));  // the sheet going in
    p.setBrush(QColor(120, 120, 130));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);  // the body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 19, 16, 10));  // the printed sheet
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
    p.drawLine(QPointF(11, 26), QPointF(19, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 200, 60));
    p.drawEllipse(QPointF(25, 15.5), 1.5, 1.5);  // the power light
    p.end();
    return QIcon(pixmap);
}

}  // namespace

// The page with its outline and shadow, drawn from the page's picture.
class PageImage : public QWidget {
  public:
    using QWidget::QWidget;
    void setPicture(const QByteArray& emf) {
        picture_ = emf;
        valid_ = isValidEmf(picture_, nullptr);
        update();
    }
    bool hasPicture() const { return valid_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!valid_)
            return;  // the image stays blank until the page's picture is there
        QPainter p(this);
        const int iw = width(), ih = height();
        p.fillRect(QRect(QPoint(1, 1), QPoint(iw - 3, ih - 3)), Qt::white);
        playEmf(picture_, p, QRectF(0, 0, iw, ih));
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygon({{0, 0}, {0, ih - 3}, {iw - 3, ih - 3}, {iw - 3, 0}, {0, 0}}));
        p.fillRect(QRect(QPoint(iw - 2, 2), QPoint(iw, ih)), Qt::black);
        p.fillRect(QRect(QPoint(2, ih - 2), QPoint(iw, ih)), Qt::black);
    }

  private:
    QByteArray picture_;
    bool valid_ = false;
};

TPrintProgressForm::TPrintProgressForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PrintProgressForm"));
    setWindowTitle(QStringLiteral("Printing progress"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint);
    setFixedSize(149, 97);
    Gauge = new QProgressBar(this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setGeometry(8, 8, 133, 18);
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    Info = new QLabel(this);
    Info->setObjectName(QStringLiteral("Info"));
    Info->setGeometry(8, 32, 133, 16);
    Info->setAlignment(Qt::AlignCenter);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(37, 60, 75, 25);
    connect(CancelButton, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void TPrintProgressForm::setProgress(int percent) {
    if (percent % 5 != 0)
        return;
    Gauge->setValue(percent);
    Info->setText(QString::number(percent) + QStringLiteral("% ") + QStringLiteral(" Completed"));
}

TReportPreview::TReportPreview(QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      pages_(std::make_unique<TPageList>()),
      printer_(QPrinter::HighResolution) {
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Print Preview"));
    resize(652, 579);
    printer_.setPageSize(QPageSize(QPageSize::A4));
    printer_.setPageOrientation(QPageLayout::Portrait);

    auto* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    auto add = [&](const char* name, const QString& hint, const QIcon& icon,
                   void (TReportPreview::*handler)(), bool checkable = false) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAccessibleName(hint);  // a picture alone says nothing to a screen reader
        b->setIcon(icon);
        b->setCheckable(checkable);
        b->setAutoExclusive(checkable);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, handler);
        bar->addWidget(b);
        return b;
    };
    bar->addSeparator();
    ZoomFit = add("ZoomFit", QStringLiteral("Zoom to fit"),
                  style()->standardIcon(QStyle::SP_TitleBarNormalButton),
                  &TReportPreview::ZoomToFitClick, true);
    Zoom100 = add("Zoom100", QStringLiteral("100%"),
                  style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                  &TReportPreview::ZoomTo100Click, true);
    ZoomToWidth = add("ZoomToWidth", QStringLiteral("Zoom to width"),
                      style()->standardIcon(QStyle::SP_TitleBarMaxButton),
                      &TReportPreview::ZoomToWidthClick, true);
    ZoomToWidth->setChecked(true);
    bar->addSeparator();
    add("FirstPage", QStringLiteral("First page"),
        style()->standardIcon(QStyle::SP_MediaSkipBackward), &TReportPreview::FirstPageClick);
    add("PreviousPage", QStringLiteral("Previous page"),
        style()->standardIcon(QStyle::SP_MediaSeekBackward), &TReportPreview::PrevPageClick);
    add("ToolButton2", QStringLiteral("Next page"),
        style()->standardIcon(QStyle::SP_MediaSeekForward), &TReportPreview::NextPageClick);
    add("LastPage", QStringLiteral("Last page"), style()->standardIcon(QStyle::SP_MediaSkipForward),
        &TReportPreview::LastPageClick);
    bar->addSeparator();
    PrintSetup =
        add("PrintSetup", QStringLiteral("Printer setup"),
            style()->standardIcon(QStyle::SP_FileDialogListView), &TReportPreview::PrintSetupClick);
    Print = add("Print", QStringLiteral("Print"), printerIcon(), &TReportPreview::PrintClick);
    bar->addSeparator();
    add("SaveReport", QStringLiteral("Save Report"), style()->standardIcon(QStyle::SP_DriveFDIcon),
        &TReportPreview::SaveClick);
    add("LoadReport", QStringLiteral("Load Report"),
        style()->standardIcon(QStyle::SP_DialogOpenButton), &TReportPreview::LoadClick);
    bar->addSeparator();
    auto* exit = new QPushButton(QStringLiteral("&Close"), bar);
    exit->setObjectName(QStringLiteral("ExitButton"));
    exit->setFixedSize(40, 22);
    exit->setFlat(true);
    connect(exit, &QPushButton::clicked, this, &TReportPreview::ExitClick);
    bar->addWidget(exit);
    setPrintCommands(false, false);

    const int widths[] = {40, 50};
    const char* initial[] = {"0%", "Page"};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(initial[i]), statusBar());
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setMinimumWidth(widths[i]);
        panel->setAlignment(i == 0 ? Qt::AlignRight | Qt::AlignVCenter
                                   : Qt::AlignLeft | Qt::AlignVCenter);
        statusBar()->addWidget(panel, i);
        statusPanels_[i] = panel;
    }
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    PreviewBox = new QScrollArea(this);
    PreviewBox->setObjectName(QStringLiteral("PreviewBox"));
    PreviewBox->setAlignment(Qt::AlignCenter);
    PreviewBox->setBackgroundRole(QPalette::Dark);
    image_ = new PageImage;
    image_->setObjectName(QStringLiteral("PageImage"));
    PreviewBox->setWidget(image_);
    setCentralWidget(PreviewBox);
    paperPixels_ = QSize(794, 1123);
    for (QObject* o :
         std::initializer_list<QObject*>{this, PreviewBox, PreviewBox->viewport(), image_})
        o->installEventFilter(this);
    layoutPage();
}

TReportPreview::~TReportPreview() = default;

QWidget* TReportPreview::previewBox() const {
    return PreviewBox;
}

int TReportPreview::pageCount() const {
    return pages_->pageCount();
}

QString TReportPreview::statusText(int panel) const {
    return statusPanels_[panel]->text();
}

QSize TReportPreview::pageSize100() const {
    return paperPixels_;
}

void TReportPreview::setPrintCommands(bool setupEnabled, bool printEnabled) {
    PrintSetup->setEnabled(setupEnabled);
    Print->setEnabled(printEnabled);
}

void TReportPreview::prepareWith(const Preparer& prepare) {
    pages_->reset();
    prepared_ = loaded_ = false;
    page_ = 1;
    pageDrawn_ = false;
    setPrintCommands(false, false);
    prepare(*pages_, [this](int page, int percent) {
        prepared_ = percent >= 100;
        PreviewBoxProgressUpdate(percent);
        PreviewBoxPageAvailable(page, percent);
        // Pages show as they are prepared; input waits until the report is complete.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

void TReportPreview::PreviewBoxProgressUpdate(int percent) {
    if (percent >= lastProgress_ + 5) {
        statusPanels_[0]->setText(QString::number(percent) + u'%');
        lastProgress_ = percent;
    }
    if (percent == 0 || percent == 100)
        statusPanels_[0]->clear();
}

void TReportPreview::PreviewBoxPageAvailable(int page, int) {
    showPageStatus();
    if (prepared_)
        setPrintCommands(true, true);
    if (page == page_ && !pageDrawn_) {
        ZoomToWidth->setChecked(true);
        setZoom(zoomToWidth(PreviewBox->size(), pageSize100()));
        mode_ = ZoomMode::Width;
        image_->setPicture(pages_->readPage(page_));
        pageDrawn_ = image_->hasPicture();
        layoutPage();
    }
}

void TReportPreview::showPageStatus() {
    statusPanels_[1]->setText(QStringLiteral("Page %1 of %2").arg(page_).arg(pageCount()));
}

void TReportPreview::goToPage(int n) {
    if (n < 1 || n > pageCount() || (n == page_ && pageDrawn_))
        return;
    page_ = n;
    image_->setPicture(pages_->readPage(n));
    pageDrawn_ = image_->hasPicture();
    PreviewBox->horizontalScrollBar()->setValue(0);
    PreviewBox->verticalScrollBar()->setValue(0);
    showPageStatus();
}

void TReportPreview::setZoom(int zoom) {
    if (zoom < 2 || zoom > 2000)
        return;
    zoom_ = zoom;
    layoutPage();
}

void TReportPreview::layoutPage() {
    const QSize page = pageSize100();
    image_->resize(roundHalfEven(page.width() * zoom_ / 100.0) + 4,
                   roundHalfEven(page.height() * zoom_ / 100.0) + 4);
    PreviewBox->horizontalScrollBar()->setValue(0);
    PreviewBox->verticalScrollBar()->setValue(0);
}

void TReportPreview::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // FormResize: the fitting zooms follow the control's size.
    if (mode_ == ZoomMode::Fit)
        setZoom(zoomToFit(PreviewBox->size(), pageSize100()));
    else if (mode_ == ZoomMode::Width)
        setZoom(zoomToWidth(PreviewBox->size(), pageSize100()));
    layoutPage();
}

void TReportPreview::ZoomToFitClick() {
    QCoreApplication::processEvents();
    setZoom(zoomToFit(PreviewBox->size(), pageSize100()));
    mode_ = ZoomMode::Fit;
    ZoomFit->setChecked(true);
}

void TReportPreview::ZoomTo100Click() {
    QCoreApplication::processEvents();
    setZoom(100);
    mode_ = ZoomMode::Fixed;
    Zoom100->setChecked(true);
}

void TReportPreview::ZoomToWidthClick() {
    QCoreApplication::processEvents();
    setZoom(zoomToWidth(PreviewBox->size(), pageSize100()));
    mode_ = ZoomMode::Width;
    ZoomToWidth->setChecked(true);
}

void TReportPreview::FirstPageClick() {
    goToPage(1);
}

void TReportPreview::PrevPageClick() {
    goToPage(page_ - 1);
}

void TReportPreview::NextPageClick() {
    goToPage(page_ + 1);
}

void TReportPreview::LastPageClick() {
    goToPage(pageCount());
}

void TReportPreview::PrintSetupClick() {
    // The dialog works on the report's own printer, which keeps every choice (printer or file,
    // copies, orientation, range) until the next change; Cancel leaves it as it was.
    if (printer_.outputFileName().isEmpty() && installedPrinters().isEmpty())
        UserDialogs::current().message(this, applicationTitle(), kNoPrinter, BoxIcon::Warning);
    if (!UserDialogs::current().printDialog(this, printer_, pageCount()))
        return;
    if (printer_.printRange() != QPrinter::PageRange)
        printer_.setFromTo(0, 0);
}

std::function<QStringList()> TReportPreview::installedPrinters = [] {
    return QPrinterInfo::availablePrinterNames();
};

QRectF fittedPage(const QPrinter& printer, QSizeF picture) {
    // In device pixels, whose width and height may stand for different lengths.
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF paperMm = printer.paperRect(QPrinter::Millimeter);
    if (picture.isEmpty() || paperMm.isEmpty())
        return QRectF(QPointF(0, 0), paper.size());
    const double pxPerMmX = paper.width() / paperMm.width();
    const double pxPerMmY = paper.height() / paperMm.height();
    const QSizeF fitted = picture.scaled(paperMm.size(), Qt::KeepAspectRatio);
    return QRectF((paperMm.width() - fitted.width()) / 2 * pxPerMmX,
                  (paperMm.height() - fitted.height()) / 2 * pxPerMmY, fitted.width() * pxPerMmX,
                  fitted.height() * pxPerMmY);
}

bool TReportPreview::printTo(QPrinter& target) {
    const int first = target.fromPage() > 0 ? target.fromPage() : 1;
    const int last = target.toPage() > 0 ? std::min(target.toPage(), pageCount()) : pageCount();
    if (first > last) {
        UserDialogs::current().message(
            this, applicationTitle(),
            QStringLiteral("Nothing was printed: the page range %1 to %2 is not in this report "
                           "of %3 pages. Choose the pages again under Printer setup.")
                .arg(first)
                .arg(target.toPage())
                .arg(pageCount()),
            BoxIcon::Warning);
        return false;
    }
    // Without a printer Qt turns a printer's output format to PDF, but with no file to write.
    const bool toFile = !target.outputFileName().isEmpty();
    if (!toFile && installedPrinters().isEmpty()) {
        UserDialogs::current().message(this, applicationTitle(), kNoPrinter, BoxIcon::Warning);
        return false;
    }
    target.setFullPage(true);
    target.setDocName(windowTitle());
    TPrintProgressForm progress(this);
    // The preview takes no other command while its pages are being printed.
    progress.setWindowModality(Qt::WindowModal);
    progress.show();
    // Every page is drawn into a recording first and the printer is opened only after the last:
    // a job once begun is handed to the spooler whole, whatever Cancel does, so a cancelled
    // print must never begin one.
    const int copies = target.supportsMultipleCopies() ? 1 : std::max(1, target.copyCount());
    const int total = (last - first + 1) * copies;
    std::vector<QPicture> recorded;
    recorded.reserve(static_cast<size_t>(last - first + 1));
    for (int n = first; n <= last; ++n) {
        const QByteArray picture = pages_->readPage(n);
        QPicture page;
        QPainter recorder(&page);
        // A recording is played back scaled from its own resolution to the printer's.
        recorder.scale(double(page.logicalDpiX()) / target.logicalDpiX(),
                       double(page.logicalDpiY()) / target.logicalDpiY());
        if (isValidEmf(picture, nullptr))
            playEmf(picture, recorder, fittedPage(target, QSizeF(emfBounds(picture).size())));
        recorder.end();
        recorded.push_back(std::move(page));
        progress.setProgress(static_cast<int>(recorded.size()) * copies * 100 / total / 5 * 5);
        QCoreApplication::processEvents();
        if (progress.cancelled())
            return false;
    }
    QPainter painter;
    if (!painter.begin(&target)) {
        UserDialogs::current().message(
            this, applicationTitle(),
            toFile ? QStringLiteral("Printing failed: the file %1 could not be written.")
                         .arg(target.outputFileName())
                   : QStringLiteral("Printing failed: the printer \"%1\" could not be opened.")
                         .arg(target.printerName()),
            BoxIcon::Stop);
        return false;
    }
    bool firstSheet = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (const QPicture& page : recorded) {
            if (!firstSheet)
                target.newPage();
            firstSheet = false;
            painter.drawPicture(0, 0, page);
        }
    }
    return painter.end();
}

void TReportPreview::PrintClick() {
    if (!prepared_ && !loaded_)
        return;
    printTo(printer_);
}

void TReportPreview::SaveClick() {
    const QString path = UserDialogs::current().saveFileName(this, QStringLiteral("Save report"),
                                                             kFilterSave, QStringLiteral("PRP"));
    if (path.isEmpty() || !prepared_)
        return;  // before the report is complete nothing is written
    guarded([&] { pages_->saveToFile(path); });
}

void TReportPreview::LoadClick() {
    const QString path =
        UserDialogs::current().openFileName(this, QStringLiteral("Load report"), kFilterLoad);
    if (path.isEmpty())
        return;
    if (!QFile::exists(path)) {
        UserDialogs::current().message(this, applicationTitle(),
                                       QStringLiteral("File does not exist"), BoxIcon::None);
        return;
    }
    // The file is checked whole before it replaces the shown report.
    auto loaded = std::make_unique<TPageList>();
    try {
        loaded->loadFromFile(path);
        QString why;
        for (int n = 1; n <= loaded->pageCount(); ++n)
            if (!isValidEmf(loaded->readPage(n), &why))
                throw ReportError(QStringLiteral("The file %1 is not a saved report: page %2 holds "
                                                 "no valid picture (%3).")
                                      .arg(path)
                                      .arg(n)
                                      .arg(why));
    } catch (const ReportError& e) {
        UserDialogs::current().message(this, applicationTitle(), e.message(), BoxIcon::Stop);
        return;
    }
    pages_ = std::move(loaded);
    loaded_ = true;
    prepared_ = false;
    const QSize size = pictureSize(pages_->readPage(1));
    if (size.isValid()) {
        paperPixels_ = size;
        printer_.setPageOrientation(size.width() > size.height() ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait);
    }
    page_ = 0;
    pageDrawn_ = false;
    goToPage(1);
    layoutPage();
    setPrintCommands(false, true);
}

void TReportPreview::ExitClick() {
    close();
}

bool TReportPreview::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool onlyCtrl = (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
    switch (key) {
        case Qt::Key_Escape:
            ExitClick();
            return true;
        case Qt::Key_PageUp:
            onlyCtrl ? FirstPageClick() : PrevPageClick();
            return true;
        case Qt::Key_PageDown:
            onlyCtrl ? LastPageClick() : NextPageClick();
            return true;
        case Qt::Key_Home:
            FirstPageClick();
            return true;
        case Qt::Key_End:
            LastPageClick();
            return true;
        default:
            return false;
    }
}

bool TReportPreview::eventFilter(QObject* watched, QEvent* event) {
    // Keys reach the window before its controls.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace lex
