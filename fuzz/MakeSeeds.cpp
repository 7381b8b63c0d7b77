// Writes the starting inputs of every fuzz target with the program's own writers, so the
// fuzzers start from files the program really makes:
//   lexivore-fuzz-seeds DIR   (fills DIR/<target>/)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

#include "data/DictionaryFile.h"
#include "fuzz/FuzzSupport.h"
#include "quiz/HighScore.h"
#include "report/EmfPaintDevice.h"
#include "report/PageList.h"

using namespace lex;

namespace {

void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A small page with what a word-list page holds: Thai and English text, lines, a box and a
// picture, clipped.
QByteArray page(int number) {
    EmfPaintDevice device(QSize(120, 170));
    {
        QPainter painter(&device);
        painter.setClipRect(QRect(2, 2, 116, 166));
        painter.setPen(QPen(Qt::black, 1.5, Qt::DashLine));
        painter.drawLine(4, 20, 110, 20);
        painter.setBrush(QBrush(Qt::blue, Qt::BDiagPattern));
        painter.drawRect(QRectF(10.5, 30, 40, 20));
        painter.drawEllipse(QRect(60, 30, 30, 30));
        QFont font(QStringLiteral("Laksaman"));
        font.setPointSizeF(9.5);
        font.setBold(number % 2 == 0);
        painter.setFont(font);
        painter.drawText(QPointF(6.25, 80), QStringLiteral("คาน beam %1").arg(number));
        painter.rotate(90);
        painter.drawText(QPointF(90, -20), QStringLiteral("น้ำ"));
        painter.resetTransform();
        QImage picture(6, 4, QImage::Format_ARGB32);
        picture.fill(QColor(200, 10, 10, 128));
        painter.drawImage(QRect(70, 100, 12, 8), picture);
        QPainterPath path;
        path.moveTo(10, 120);
        path.cubicTo(30, 100, 50, 140, 70, 120);
        path.closeSubpath();
        painter.drawPath(path);
    }
    return device.finish();
}

QByteArray report(int pages) {
    TPageList list;
    for (int n = 1; n <= pages; ++n)
        list.addPage(page(n));
    list.finish();
    const QString path = fuzz::scratchDirectory() + QStringLiteral("/seed.prp");
    list.saveToFile(path);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

}  // namespace

int main(int argc, char** argv) {
    fuzz::prepare(&argc, &argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lexivore-fuzz-seeds DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    put(out.filePath(QStringLiteral("emf_player/page")), page(1));
    put(out.filePath(QStringLiteral("emf_player/page-bold")), page(2));
    put(out.filePath(QStringLiteral("saved_report/one-page")), report(1));
    put(out.filePath(QStringLiteral("saved_report/three-pages")), report(3));

    QByteArray dictionary;
    const std::vector<DictionaryEntry> entries{
        {QStringLiteral("beam"), QStringLiteral("คาน"), 1, 0},
        {QStringLiteral("คาน"), QStringLiteral("beam; girder"), 2, 3},
        {QStringLiteral("stress"), QStringLiteral("force per unit area"), 3, 0},
        {QStringLiteral("แรงเค้น"), QStringLiteral("แรงต่อหน่วยพื้นที่"), 4, 12}};
    for (const DictionaryEntry& entry : entries)
        dictionary += formatDictionaryLine(entry, nullptr);
    put(out.filePath(QStringLiteral("dictionary_import/entries.tsv")),
        "# comment line\n\n" + dictionary);
    put(out.filePath(QStringLiteral("dictionary_import/crlf.tsv")),
        QByteArray(dictionary).replace("\n", "\r\n"));

    put(out.filePath(QStringLiteral("alias_reader/aliases.ini")),
        "; aliases\n[Ruv Idez]\nPath=/home/user/.local/share/kolvane/RuvIdez\n\n[Other]\n"
        "Path = /srv/data\nType=STANDARD\n");

    const QString registry = fuzz::scratchDirectory() + QStringLiteral("/registry");
    QDir().mkpath(registry);
    HighScore score(registry);
    score.holder = QStringLiteral("สมชาย ใจดี");
    score.points = 17;
    score.date = QDateTime(QDate(2026, 12, 8), QTime(14, 30));
    score.write(nullptr);
    QFile written(registry + QStringLiteral("/Registry.ini"));
    written.open(QIODevice::ReadOnly);
    put(out.filePath(QStringLiteral("registry_reader/Registry.ini")), written.readAll());
    return 0;
}
