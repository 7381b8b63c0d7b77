#include "tools/AboutBox.h"

#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "tools/WebLinks.h"
#include "ui/Controls.h"
#include "ui/Publisher.h"
#include "ui/Resources.h"

namespace lex {

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    initResources();
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("About : Kolvane Engineering Dictionary Lexivore "));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(520, 254);
    setModal(true);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(11, 14, 300, 136);
    image->setPixmap(QPixmap(QStringLiteral(":/images/about.jpg")));

    Label8 = label(this, "Label8", QStringLiteral("เวบไซต์ : "), 324, 17, kBold);
    Label4 = label(this, "Label4", QString::fromLatin1(kPublisherBase), 376, 17);
    Label4->setStyleSheet(QStringLiteral("color: %1; text-decoration: underline;")
                              .arg(readableOn(QColor(Qt::blue), QPalette::Window).name()));
    Label4->adjustSize();
    for (QLabel* l : {Label4, Label8}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    label(this, "Label9", QStringLiteral("อีเมล์ :"), 324, 36, kBold);
    QLabel* email = label(this, "Label10", QString::fromLatin1(kEmail), 376, 35);
    email->setStyleSheet(QStringLiteral("color: %1; text-decoration: underline;")
                             .arg(readableOn(QColor(Qt::blue), QPalette::Window).name()));
    email->adjustSize();
    label(this, "Label2", QStringLiteral("โทรศัพท์ :"), 324, 54, kBold);
    QLabel* phone = label(this, "Label7", QString::fromLatin1(kTelephone), 376, 54);
    phone->setStyleSheet(
        QStringLiteral("color: %1;").arg(readableOn(QColor(Qt::blue), QPalette::Window).name()));
    phone->setCursor(Qt::PointingHandCursor);

    // The product line and the copyright notice under the picture.
    label(this, "LabelProduct", QStringLiteral("Lexivore 2.0 พจนานุกรมศัพท์วิศวกรรม"), 324, 90);
    label(this, "LabelCopyright", QStringLiteral("© 2026 Kolvane Co., Ltd."), 324, 108);
    QLabel* warning = label(this, "LabelWarning",
                            QStringLiteral("โปรแกรมนี้ได้รับความคุ้มครองตามกฎหมายลิขสิทธิ์ "
                                           "ห้ามทำซ้ำหรือจำหน่ายโดยไม่ได้รับอนุญาต"),
                            11, 188);
    warning->setWordWrap(true);
    warning->setGeometry(11, 186, 410, 30);

    bevel(this, "Bevel1", 8, 179, 501, 2, QFrame::HLine);

    Button1 = button(this, "Button1", QStringLiteral("ตกลง"), QString(), 432, 214, 75, 25,
                     kBold | kHandCursor);
    Button1->setAutoDefault(true);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
}

void TForm7::Button1Click() {
    accept();
}

void TForm7::Label4Click() {
    openLink(QStringLiteral("Label4"));
}

bool TForm7::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Label4 || watched == Label8) && event->type() == QEvent::MouseButtonRelease) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace lex
