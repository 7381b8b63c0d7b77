#pragma once

#include <QStringList>

class QAbstractButton;
class QComboBox;
class QWidget;

namespace lex {

class ResultQuery;
class ResultSummary;
class SearchHistory;

enum class SearchMode { BothFields, HeadwordsOnly, MeaningsOnly };

// Both toggles up or both down search both fields; one down searches its field only.
SearchMode searchModeFor(bool headwordDown, bool meaningDown);

// The lines of the search statement. The search text reaches it only as the bound value of
// kPatternParameter, "%" + text + "%", so quotes and SQL in the text are searched for literally,
// while '%' and '_' keep their wildcard meaning.
inline constexpr const char* kPatternParameter = ":pattern";
QStringList searchStatement(SearchMode mode);
QString likePattern(const QString& searchText);

// The number of entries with direction codes 1 to 4, counted through the result query, which is
// left closed.
qint64 countDictionaryTotal(ResultQuery& query);

// The word search behind the search button.
class WordSearch {
  public:
    struct Controls {
        QComboBox* searchBox;
        QAbstractButton* headwordToggle;
        QAbstractButton* meaningToggle;
        QWidget* resultGrid;
    };

    WordSearch(ResultQuery& query, SearchHistory& history, ResultSummary& summary,
               Controls controls)
        : query_(query), history_(history), summary_(summary), c_(controls) {}

    // Runs the search on the text of the search box. An engine error throws and leaves the query
    // closed, the summary as it was, and the history untouched.
    void run();

  private:
    ResultQuery& query_;
    SearchHistory& history_;
    ResultSummary& summary_;
    Controls c_;
};

}  // namespace lex
