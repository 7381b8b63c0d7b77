#include "fuzz/FuzzSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "ui/UserDialogs.h"

namespace lex::fuzz {

namespace {

// Answers every box as a user pressing Escape would, so no input ever waits on a window.
class SilentDialogs : public UserDialogs {
  public:
    void message(QWidget*, const QString&, const QString&, BoxIcon) override {}
    bool confirm(QWidget*, const QString&) override { return false; }
    QString inputBox(QWidget*, const QString&, const QString&, const QString& value) override {
        return value;
    }
    void openUrl(const QUrl&) override {}
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    bool printDialog(QWidget*, QPrinter&, int) override { return false; }
    void printerSetup(QWidget*) override {}
};

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    // A fatal message is a finding: say it and stop where the fuzzer sees it.
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "qFatal: %s\n", qPrintable(text));
        std::abort();
    }
}

}  // namespace

void prepare(int* argc, char*** argv) {
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    static SilentDialogs dialogs;
    UserDialogs::install(&dialogs);
    new QApplication(*argc, *argv);  // lives until the process ends, as the fuzzer does
}

QString scratchDirectory() {
    static QTemporaryDir* folder = [] {
        const QString shm = QStringLiteral("/dev/shm");
        const QString base = QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
        return new QTemporaryDir(base + QStringLiteral("/lexivore-fuzz-XXXXXX"));
    }();
    return folder->path();
}

void writeFile(const QString& path, const uint8_t* data, size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();  // the scratch folder is ours; failing here is the harness's fault
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

}  // namespace lex::fuzz
