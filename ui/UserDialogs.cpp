#include "ui/UserDialogs.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace lex {

namespace {
UserDialogs* installed = nullptr;

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::Warning:
            return QMessageBox::Warning;
        case BoxIcon::Stop:
            return QMessageBox::Critical;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

UserDialogs& UserDialogs::current() {
    static QtUserDialogs qtDialogs;
    return installed ? *installed : qtDialogs;
}

void UserDialogs::install(UserDialogs* dialogs) {
    installed = dialogs;
}

void QtUserDialogs::message(QWidget* parent, const QString& caption, const QString& text,
                            BoxIcon icon) {
    QMessageBox box(qtIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtUserDialogs::confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton,
                    parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString QtUserDialogs::inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                const QString& defaultValue) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultValue);
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(kInputBoxLength);
        edit->selectAll();
    }
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : defaultValue;
}

void QtUserDialogs::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

QString QtUserDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                    const QString& defaultSuffix) {
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString QtUserDialogs::openFileName(QWidget* parent, const QString& caption,
                                    const QString& filter) {
    // Any name is accepted: a name that does not exist is the caller's to report.
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

namespace {

// The print dialogs here only set the printer up; their confirm button stores the choice and
// must not promise to print.
void confirmWithOk(QPrintDialog& dialog) {
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
}

// Qt's dialog opens on a printer queue even for a printer that writes a file: once it is shown
// (it adds its file entry, the last of the list, only then), the file entry and the file's name
// are chosen again, so the dialog shows the choice in force.
void showOutputFile(QPrintDialog& dialog, const QPrinter& printer) {
    const QString path = printer.outputFileName();
    if (path.isEmpty())
        return;
    QTimer::singleShot(0, &dialog, [&dialog, path] {
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!printers || !file || printers->count() == 0)
            return;
        printers->setCurrentIndex(printers->count() - 1);
        file->setText(path);
    });
}

}  // namespace

bool QtUserDialogs::printDialog(QWidget* parent, QPrinter& printer, int lastPage) {
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, std::max(1, lastPage));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    confirmWithOk(dialog);
    showOutputFile(dialog, printer);
    return dialog.exec() == QDialog::Accepted;
}

void QtUserDialogs::printerSetup(QWidget* parent) {
    // The process's current printer: the choice stays for the next time the dialog opens. It
    // lives as long as the process, past the application object, so it is never destroyed.
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    QPrintDialog dialog(printer, parent);
    confirmWithOk(dialog);
    showOutputFile(dialog, *printer);
    dialog.exec();
}

}  // namespace lex
