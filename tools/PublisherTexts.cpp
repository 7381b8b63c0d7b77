#include "tools/PublisherTexts.h"

namespace lex {

const QStringList& PublisherTexts::texts() {
    static const QStringList all{
        QStringLiteral(
            "บริการอบรม - สัมมนางานด้านวิศวกรรมทุกชนิด เกร็ดความรู้ด้านก่อสร้าง เทคนิคต่างๆในวงการวิศวกรรม"),
        QStringLiteral(
            "บริการอบรม - สัมมนา โปรแกรมทางด้านวิศวกรรมทั้งไทยและต่างประเทศ ได้ความรู้ และราคาไม่แพง"),
        QStringLiteral("เลือกซื้อโปรแกรมทางวิศวกรรมหลายชนิด ราคาไม่แพง มีให้เลือกหลายตัว"),
        QStringLiteral("บริการฟรีดาวน์โหลดโปรแกรมทางด้านวิศวกรรมทุกชนิด"),
        QStringLiteral("ดาวน์โหลด แบบฟอร์ม สัญญาต่างๆฟรี มีให้เลือกมากมาย"),
        QStringLiteral("แหล่งรวมความรู้ต่างๆ บทความ และชุมชนวิศวกรรม Online ที่ Kolvane"),
        QStringLiteral("บริการ WebService ในงานวิศวกรรมของประเทศไทย"),
    };
    return all;
}

QString PublisherTexts::next() {
    const QString text = texts()[position_];
    position_ = (position_ + 1) % static_cast<int>(texts().size());
    return text;
}

}  // namespace lex
