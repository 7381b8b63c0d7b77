#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <vector>

#include "data/DictionaryFile.h"
#include "ui/UserDialogs.h"

namespace lex::test {

// A control by its name; warns when there is none.
template <typename W>
W* find(QWidget& root, const char* name) {
    W* w = root.findChild<W*>(QString::fromLatin1(name));
    if (!w)
        qWarning("control %s not found", name);
    return w;
}

// The dialog seam for tests: records every box and answers from a script. An unscripted
// confirmation answers No and an unscripted input box returns its default.
class ScriptedDialogs : public UserDialogs {
  public:
    struct Box {
        QString kind;  // "message", "confirm", "input"
        QString caption;
        QString text;
        BoxIcon icon = BoxIcon::None;
    };

    ScriptedDialogs() { UserDialogs::install(this); }
    ~ScriptedDialogs() override { UserDialogs::install(nullptr); }

    void message(QWidget*, const QString& caption, const QString& text, BoxIcon icon) override {
        boxes.push_back({QStringLiteral("message"), caption, text, icon});
    }
    bool confirm(QWidget*, const QString& text) override {
        boxes.push_back(
            {QStringLiteral("confirm"), QStringLiteral("Confirm"), text, BoxIcon::Question});
        if (confirmAnswers.empty())
            return false;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    QString inputBox(QWidget*, const QString& caption, const QString& prompt,
                     const QString& defaultValue) override {
        boxes.push_back({QStringLiteral("input"), caption, prompt, BoxIcon::None});
        if (inputAnswers.empty())
            return defaultValue;
        const QString answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    void openUrl(const QUrl& url) override { openedUrls.push_back(url); }
    QString saveFileName(QWidget*, const QString& caption, const QString& filter,
                         const QString&) override {
        boxes.push_back({QStringLiteral("save"), caption, filter, BoxIcon::None});
        return nextFile();
    }
    QString openFileName(QWidget*, const QString& caption, const QString& filter) override {
        boxes.push_back({QStringLiteral("open"), caption, filter, BoxIcon::None});
        return nextFile();
    }
    bool printDialog(QWidget*, QPrinter& printer, int lastPage) override;
    void printerSetup(QWidget*) override {
        boxes.push_back({QStringLiteral("printer setup"), QString(), QString(), BoxIcon::None});
    }

    QString nextFile() {
        if (fileAnswers.empty())
            return {};
        const QString f = fileAnswers.front();
        fileAnswers.pop_front();
        return f;
    }

    std::vector<Box> boxes;
    std::deque<QString> fileAnswers;
    // Answers of the print dialog: OK prints to this PDF file (empty: Cancel).
    std::deque<QString> printToPdf;
    int printDialogLastPage = 0;
    QStringList printDialogSawFiles;  // the printer's output file each time the dialog opened
    std::deque<bool> confirmAnswers;
    std::deque<QString> inputAnswers;
    QList<QUrl> openedUrls;
};

// A fresh data directory with the four table files and the given dictionary entries.
class TempDataDir {
  public:
    explicit TempDataDir(const std::vector<DictionaryEntry>& entries = {});
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
};

// Runs the statements on the table file with the engine alone; false (with a warning giving the
// engine's reason) when they fail.
bool sqliteExec(const QString& path, const char* sql);

// A small engineering dictionary used across the suites.
std::vector<DictionaryEntry> sampleEntries();

}  // namespace lex::test
