#pragma once

#include <QString>

class QPrinter;
class QUrl;
class QWidget;

namespace lex {

inline constexpr int kInputBoxLength = 255;

enum class BoxIcon { None, Information, Question, Warning, Stop };

// Every modal box, and opening a web address in the user's browser, goes through this seam. The
// program installs the Qt implementation; tests install a scripted one that answers and records.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    // A box with one OK button.
    virtual void message(QWidget* parent, const QString& caption, const QString& text,
                         BoxIcon icon) = 0;
    // Caption "Confirm", question icon, Yes and No, Yes the default, Escape answers No.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // OK returns the text typed (at most kInputBoxLength characters); Cancel returns the
    // default value.
    virtual QString inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                             const QString& defaultValue) = 0;
    // Opens the address without waiting; a failure reports nothing.
    virtual void openUrl(const QUrl& url) = 0;
    // File dialogs: the chosen path, or an empty text on Cancel. `filter` is in Qt's form.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    virtual QString openFileName(QWidget* parent, const QString& caption,
                                 const QString& filter) = 0;
    // The print dialog for `printer`, pages from 1 to `lastPage`; true on OK (the printer then
    // holds the choices).
    virtual bool printDialog(QWidget* parent, QPrinter& printer, int lastPage) = 0;
    // The system's printer set-up dialog for the current printer; its result is not used.
    virtual void printerSetup(QWidget* parent) = 0;

    // The installed seam (the Qt one unless another was installed).
    static UserDialogs& current();
    // Installs `dialogs` (not owned); nullptr puts the Qt one back.
    static void install(UserDialogs* dialogs);
};

// The seam's implementation with QMessageBox, QInputDialog and QDesktopServices.
class QtUserDialogs : public UserDialogs {
  public:
    void message(QWidget* parent, const QString& caption, const QString& text,
                 BoxIcon icon) override;
    bool confirm(QWidget* parent, const QString& text) override;
    QString inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                     const QString& defaultValue) override;
    void openUrl(const QUrl& url) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& defaultSuffix) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    bool printDialog(QWidget* parent, QPrinter& printer, int lastPage) override;
    void printerSetup(QWidget* parent) override;
};

}  // namespace lex
