// One page picture: checked, measured, its text runs read and drawn at two sizes.
#include <QImage>
#include <QPainter>

#include "fuzz/FuzzSupport.h"
#include "report/EmfPlayer.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    lex::fuzz::prepare(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray emf =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool valid = lex::isValidEmf(emf);
    const QRect bounds = lex::emfBounds(emf);
    const QList<lex::EmfTextRun> runs = lex::emfTextRuns(emf);
    // What the checker refuses, nothing else may read.
    if (!valid && (!bounds.isEmpty() || !runs.isEmpty()))
        __builtin_trap();
    QImage canvas(40, 56, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    if (lex::playEmf(emf, painter, canvas.rect()) != valid)
        __builtin_trap();
    painter.scale(3, 3);
    lex::playEmf(emf, painter, QRectF(-5, -5, 20, 28));
    return 0;
}
