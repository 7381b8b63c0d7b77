// A saved report from a file: loaded, then every page walked forwards and backwards and drawn.
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "fuzz/FuzzSupport.h"
#include "report/EmfPlayer.h"
#include "report/PageList.h"
#include "report/ReportError.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    lex::fuzz::prepare(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = lex::fuzz::scratchDirectory() + QStringLiteral("/input.prp");
    lex::fuzz::writeFile(path, data, size);
    lex::TPageList pages;
    try {
        pages.loadFromFile(path);
    } catch (const lex::ReportError&) {
        return 0;  // refused with a message: what a damaged file must get
    }
    QImage canvas(60, 85, QImage::Format_RGB32);
    QPainter painter(&canvas);
    const int count = pages.pageCount();
    const int shown = std::min(count, 8);
    for (int n = 1; n <= shown; ++n)
        lex::playEmf(pages.readPage(n), painter, canvas.rect());
    for (int n = count; n > count - shown; --n)
        lex::playEmf(pages.readPage(n), painter, canvas.rect());
    if (!pages.readPage(count + 1).isEmpty() || !pages.readPage(0).isEmpty())
        __builtin_trap();  // a page that does not exist must read as nothing
    return 0;
}
