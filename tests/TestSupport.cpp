#include "tests/TestSupport.h"

#include <sqlite3.h>

#include <QPrinter>
#include <QUrl>

#include "data/DictionaryStore.h"

namespace lex::test {

bool ScriptedDialogs::printDialog(QWidget*, QPrinter& printer, int lastPage) {
    boxes.push_back({QStringLiteral("print"), QString(), QString(), BoxIcon::None});
    printDialogLastPage = lastPage;
    printDialogSawFiles.push_back(printer.outputFileName());
    if (printToPdf.empty() || printToPdf.front().isEmpty()) {
        if (!printToPdf.empty())
            printToPdf.pop_front();
        return false;
    }
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printToPdf.front());
    printToPdf.pop_front();
    return true;
}

TempDataDir::TempDataDir(const std::vector<DictionaryEntry>& entries) {
    store::createTables(dir_.path());
    if (!entries.empty())
        store::importEntries(dir_.path(), entries);
}

bool sqliteExec(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    char* err = nullptr;
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, &err) == SQLITE_OK;
    if (!ok)
        qWarning("%s: %s", qPrintable(path), err ? err : sqlite3_errmsg(db));
    sqlite3_free(err);
    sqlite3_close(db);
    return ok;
}

std::vector<DictionaryEntry> sampleEntries() {
    return {
        {QStringLiteral("beam"), QStringLiteral("คาน"), 1, 0},
        {QStringLiteral("steel beam"), QStringLiteral("คานเหล็ก"), 1, 0},
        {QStringLiteral("column"), QStringLiteral("เสา"), 1, 0},
        {QStringLiteral("stress"), QStringLiteral("ความเค้น"), 1, 3},
        {QStringLiteral("Steel"), QStringLiteral("เหล็กกล้า"), 1, 0},
        {QStringLiteral("คาน"), QStringLiteral("beam"), 2, 0},
        {QStringLiteral("เสา"), QStringLiteral("column; post"), 2, 0},
        {QStringLiteral("ความเค้น"), QStringLiteral("stress"), 2, 0},
        {QStringLiteral("girder"), QStringLiteral("a large main beam of steel"), 3, 0},
        {QStringLiteral("truss"), QStringLiteral("a frame of straight members"), 3, 0},
        {QStringLiteral("เสาเข็ม"), QStringLiteral("เสาที่ตอกลงในดินเพื่อรับน้ำหนัก"), 4, 0},
        {QStringLiteral("ไข"), QStringLiteral("ไขมันหล่อลื่น"), 4, 0},
        {QStringLiteral("odd entry"), QStringLiteral("no direction"), 0, 0},
        {QStringLiteral("another odd"), QStringLiteral("beam of code five"), 5, 0},
    };
}

}  // namespace lex::test
