#include "bench/SyntheticDictionary.h"

#include <QFile>
#include <QStringList>
#include <random>

namespace lex::bench {

namespace {

const QStringList& englishWords() {
    static const QStringList words =
        QStringLiteral(
            "beam column stress strain steel concrete load moment shear torsion truss girder slab "
            "footing pile soil bearing capacity deflection elastic plastic modulus yield tensile "
            "compressive strength weld bolt rivet joint frame arch cable bridge tower dam canal "
            "pipe pump valve flow pressure head turbine compressor engine piston cylinder crank "
            "shaft gear bearing spring friction lubricant heat transfer thermal conductivity "
            "convection radiation entropy enthalpy cycle boiler condenser evaporator refrigerant "
            "circuit current voltage resistance capacitor inductor transformer motor generator "
            "relay switch fuse breaker diode transistor amplifier oscillator filter signal noise "
            "frequency phase power factor grid cable insulation ground fault protection sensor "
            "actuator controller feedback loop gain system network protocol packet router server "
            "memory processor register cache compiler database query index algorithm software "
            "hardware interface bus clock logic gate counter encoder decoder antenna modulation "
            "corrosion alloy polymer ceramic fatigue fracture hardness ductility annealing casting "
            "forging rolling extrusion machining drilling milling turning grinding tolerance "
            "surface finish quality control process plant reactor distillation absorption mixing "
            "drying filtration sediment waste water treatment sludge aeration pollution emission")
            .split(u' ');
    return words;
}

const QStringList& thaiWords() {
    static const QStringList words =
        QStringLiteral(
            "คาน เสา ความเค้น ความเครียด เหล็ก คอนกรีต แรง น้ำหนัก โมเมนต์ แรงเฉือน แรงบิด โครงข้อหมุน "
            "พื้น ฐานราก เสาเข็ม ดิน กำลัง การแอ่นตัว ยืดหยุ่น พลาสติก มอดุลัส จุดคราก แรงดึง แรงอัด "
            "รอยเชื่อม สลักเกลียว หมุดย้ำ รอยต่อ โครงสร้าง ซุ้มโค้ง สะพาน หอคอย เขื่อน คลอง ท่อ เครื่องสูบ "
            "วาล์ว การไหล ความดัน กังหัน เครื่องอัด เครื่องยนต์ ลูกสูบ กระบอกสูบ เพลา เฟือง ตลับลูกปืน "
            "สปริง ความเสียดทาน สารหล่อลื่น การถ่ายเทความร้อน การนำความร้อน การพาความร้อน การแผ่รังสี "
            "เอนโทรปี เอนทาลปี วัฏจักร หม้อไอน้ำ เครื่องควบแน่น สารทำความเย็น วงจร กระแสไฟฟ้า "
            "แรงดันไฟฟ้า ความต้านทาน ตัวเก็บประจุ ตัวเหนี่ยวนำ หม้อแปลงไฟฟ้า มอเตอร์ เครื่องกำเนิดไฟฟ้า "
            "รีเลย์ สวิตช์ ฟิวส์ ไดโอด ทรานซิสเตอร์ วงจรขยาย ตัวกรอง สัญญาณ สัญญาณรบกวน ความถี่ เฟส "
            "กำลังไฟฟ้า ฉนวน สายดิน การป้องกัน ตัวรับรู้ ตัวควบคุม การป้อนกลับ ระบบ เครือข่าย "
            "หน่วยความจำ หน่วยประมวลผล ฐานข้อมูล ขั้นตอนวิธี ซอฟต์แวร์ ฮาร์ดแวร์ การกัดกร่อน โลหะผสม "
            "พอลิเมอร์ เซรามิก ความล้า การแตกหัก ความแข็ง การอบอ่อน การหล่อ การตีขึ้นรูป การกลึง "
            "การเจาะ การกัด การเจียระไน พิกัดความเผื่อ การควบคุมคุณภาพ กระบวนการ เครื่องปฏิกรณ์ "
            "การกลั่น การดูดซึม การผสม การอบแห้ง การกรอง ตะกอน น้ำเสีย การบำบัด มลพิษ ที่ใช้ใน ของ "
            "สำหรับ และ หรือ ซึ่ง ที่มี การ ความ ชนิด ส่วน แบบ")
            .split(u' ');
    return words;
}

QString phrase(std::mt19937& rng, const QStringList& words, int minWords, int maxWords,
               const QString& separator) {
    std::uniform_int_distribution<int> count(minWords, maxWords);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(words.size()) - 1);
    QStringList parts;
    for (int n = count(rng); n > 0; --n)
        parts << words[pick(rng)];
    return parts.join(separator);
}

}  // namespace

void writeSyntheticDictionary(int entries, const QString& path) {
    std::mt19937 rng(20261208u);
    std::uniform_int_distribution<int> percent(0, 99);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    const QString space = QStringLiteral(" ");
    const QString none;
    QByteArray buffer;
    for (int i = 0; i < entries; ++i) {
        const int p = percent(rng);
        int type = p < 40 ? 1 : p < 70 ? 2 : p < 85 ? 3 : p < 98 ? 4 : (p == 98 ? 0 : 5);
        const bool thaiHead = type == 2 || type == 4;
        const bool thaiMeaning = type == 1 || type == 4;
        QString head = thaiHead ? phrase(rng, thaiWords(), 1, 3, none)
                                : phrase(rng, englishWords(), 1, 3, space);
        head += QStringLiteral(" %1").arg(i % 97);  // keeps headwords varied like real ones
        const QString meaning = thaiMeaning ? phrase(rng, thaiWords(), 2, 10, space)
                                            : phrase(rng, englishWords(), 3, 14, space);
        buffer += (head + u'\t' + meaning + u'\t' + QString::number(type) + QStringLiteral("\t0\n"))
                      .toUtf8();
        if (buffer.size() > (1 << 20)) {
            file.write(buffer);
            buffer.clear();
        }
    }
    file.write(buffer);
}

}  // namespace lex::bench
