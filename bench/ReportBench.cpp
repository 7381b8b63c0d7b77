#include "bench/ReportBench.h"
#include "bench/BenchOutput.h"

#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "report/EmfPlayer.h"
#include "report/PageList.h"
#include "wordlist/Ureport.h"

namespace lex::bench {

namespace {}  // namespace

void reportBenchmark(int entries, int runs) {
    std::vector<ReportEntry> list;
    for (int i = 1; i <= entries; ++i)
        list.push_back({QStringLiteral("structural steel beam %1").arg(i),
                        QStringLiteral("คานเหล็กโครงสร้าง; ชิ้นส่วนรับแรงดัดที่ทำจากเหล็กรูปพรรณ "
                                       "ใช้ในอาคารและสะพาน entry %1")
                            .arg(i)});
    std::vector<double> firstPage, whole;
    TPageList pages;
    for (int run = 0; run < std::max(1, runs); ++run) {
        pages.reset();
        QElapsedTimer t;
        t.start();
        double first = 0;
        WordListReport::prepare(list, pages, [&](int page, int) {
            if (page == 1)
                first = static_cast<double>(t.nsecsElapsed()) / 1e6;
        });
        firstPage.push_back(first);
        whole.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(firstPage.begin(), firstPage.end());
    std::sort(whole.begin(), whole.end());
    print({{"name", "report_prepare"},
           {"entries", entries},
           {"pages", pages.pageCount()},
           {"first_page_ms", firstPage[firstPage.size() / 2]},
           {"median_ms", whole[whole.size() / 2]},
           {"store_on_file", pages.stream().isOnFile()}});

    // Going to a page: read it from the store and draw it at zoom to width on a screen image.
    QImage screen(700, 990, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> go;
    for (int n : {101, 1, 50, 99, 2, 75, 101, 30}) {
        if (n > pages.pageCount())
            continue;
        QElapsedTimer t;
        t.start();
        const QByteArray picture = pages.readPage(n);
        QPainter painter(&screen);
        playEmf(picture, painter, QRectF(0, 0, 700, 990));
        painter.end();
        go.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(go.begin(), go.end());
    print({{"name", "report_go_to_page"},
           {"entries", entries},
           {"median_ms", go[go.size() / 2]},
           {"max_ms", go.back()}});
}

}  // namespace lex::bench
