#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QPainter;
class QWidget;

namespace lex {

class Table;
class TPageList;
class TReportPreview;

struct ReportEntry {
    QString headword;
    QString meaning;
};

// The printed word list on A4: a title block with the publisher's logo and three lines on the
// first page, one band per chosen entry (headword in bold, meaning below), nine entries on the
// first page and ten on every further one, and the publisher's address at the foot of each page.
class WordListReport {
  public:
    static constexpr double kPageWidthMm = 210.0;
    static constexpr double kPageHeightMm = 297.0;

    // The page in pixels at 96 dots per inch: 794 × 1123.
    static QSize pageSizePixels();
    static double mm(double millimetres);  // in pixels at 96 dots per inch

    // How many entries each page holds, for a list of `entries` (one page even when empty).
    static std::vector<int> entriesPerPage(int entries);

    // "CordiaUPC" at `points`: a TLWG face scaled so that its line is as tall as the layout's
    // (7.14 mm for 14 points).
    static QFont cordia(double points, bool bold = false);

    // Draws page `page` (1 for the first) in pixels at 96 dots per inch.
    static void drawPage(QPainter& painter, int page, const std::vector<ReportEntry>& onPage);

    // Prepares every page into `pages` as page pictures; `pageReady(n, percent)` runs after each.
    static void prepare(const std::vector<ReportEntry>& entries, TPageList& pages,
                        const std::function<void(int, int)>& pageReady = {});
};

// The report form: never shown; it carries the word-list report over the chosen-word table.
class TReport : public QObject {
    Q_OBJECT
  public:
    explicit TReport(Table& chosen, QObject* parent = nullptr);

    // Reads the chosen words from the first row to the last; the table is left on its last row.
    std::vector<ReportEntry> entries();

    // BandReport1's preview: prepares the report into a new preview window, shown without
    // blocking; the window frees itself when closed.
    TReportPreview* preview(QWidget* parent = nullptr);

    // The report component the form carries.
    const WordListReport BandReport1{};

  private:
    Table& chosen_;
    bool vocabularyRead_ = false;
};

}  // namespace lex
