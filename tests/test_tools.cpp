// Web links, the publisher texts, the about box and the unit-conversion tool.
#include <QAction>
#include <QDeadlineTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "app/Application.h"
#include "app/Main.h"
#include "tests/TestSupport.h"
#include "tools/AboutBox.h"
#include "tools/ConversionPanel.h"
#include "tools/PublisherTexts.h"
#include "tools/WebLinks.h"

using namespace lex;

namespace {

const QString kPage = QStringLiteral(LEXIVORE_SOURCE_DIR "/resources/convert/convert.htm");

QVariant runJs(QWebEnginePage* page, const QString& script) {
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!done)
        qWarning("the page did not answer %s", qPrintable(script));
    return result;
}

bool loadPage(QWebEngineView* view, const QString& path) {
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    view->load(QUrl::fromLocalFile(path));
    return loaded.wait(20000) && loaded.first().first().toBool();
}

}  // namespace

class TestTools : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void everyControlOpensItsAddress() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        test::ScriptedDialogs dialogs;
        const struct {
            const char* control;
            const char* address;
        } expected[] = {{"Button2", "http://www.kolvane.example/lexivore"},
                        {"Button3", "http://www.kolvane.example/lexivore"},
                        {"Button4", "http://www.kolvane.example/software"},
                        {"Button5", "http://www.kolvane.example/shopping"},
                        {"Button6", "http://www.kolvane.example/lexivore"},
                        {"Button7", "http://www.kolvane-soft.example/"}};
        for (const auto& e : expected) {
            form.findChild<QPushButton*>(QString::fromLatin1(e.control))->click();
            QCOMPARE(dialogs.openedUrls.last(), QUrl(QString::fromLatin1(e.address)));
        }
        const struct {
            const char* action;
            const char* address;
        } menu[] = {{"KolvaneWebsite1", "http://www.kolvane.example/"},
                    {"OnlineDictionary1", "http://www.kolvane.example/dic"},
                    {"Update1", "http://www.kolvane.example/dic"}};
        for (const auto& m : menu) {
            form.findChild<QAction*>(QString::fromLatin1(m.action))->trigger();
            QCOMPARE(dialogs.openedUrls.last(), QUrl(QString::fromLatin1(m.address)));
        }
        auto* logo = form.findChild<QLabel*>(QStringLiteral("Image1"));
        QTest::mouseDClick(logo, Qt::LeftButton);
        QCOMPARE(dialogs.openedUrls.last(), QUrl(QStringLiteral("http://www.kolvane.example/")));
        // The about box's two labels open the base alone: no path, no trailing slash.
        QCOMPARE(linkAddress(QStringLiteral("Label4")).toString(),
                 QStringLiteral("http://www.kolvane.example"));
        QCOMPARE(linkAddress(QStringLiteral("Label8")), linkAddress(QStringLiteral("Label4")));
        QVERIFY(linkAddress(QStringLiteral("Button1")).isEmpty());
        QCOMPARE(dialogs.openedUrls.size(), 10);
        QVERIFY(dialogs.boxes.empty());
    }

    void aboutBoxIsMadeOnceAndOpensItsAddress() {
        TForm7 box;
        QCOMPARE(box.windowTitle(),
                 QStringLiteral("About : Kolvane Engineering Dictionary Lexivore "));
        QCOMPARE(box.size(), QSize(520, 254));
        QCOMPARE(box.findChild<QLabel*>(QStringLiteral("Label4"))->text(),
                 QStringLiteral("http://www.kolvane.example"));
        QVERIFY(!box.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
        test::ScriptedDialogs dialogs;
        QTest::mouseClick(box.findChild<QLabel*>(QStringLiteral("Label8")), Qt::LeftButton);
        QTest::mouseClick(box.findChild<QLabel*>(QStringLiteral("Label4")), Qt::LeftButton);
        QTest::mouseClick(box.findChild<QLabel*>(QStringLiteral("Label10")), Qt::LeftButton);
        QCOMPARE(dialogs.openedUrls.size(), 2);
        QCOMPARE(dialogs.openedUrls[0], dialogs.openedUrls[1]);

        test::TempDataDir dir;
        TForm1 form(dir.path());
        TForm7* first = form.aboutBox();
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, first, [first] {
                first->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            });
            form.N4Click();
            QVERIFY(!first->isVisible());
        }
        QCOMPARE(form.aboutBox(), first);
    }

    void publisherTextsTakeTurns() {
        PublisherTexts texts;
        QStringList shown;
        for (int i = 0; i < 8; ++i)
            shown << texts.next();
        QCOMPARE(shown.mid(0, 7), PublisherTexts::texts());
        QCOMPARE(shown[7], PublisherTexts::texts()[0]);  // the first comes back after the seventh

        test::TempDataDir dir;
        TForm1 form(dir.path());
        QCOMPARE(form.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 5000);
        QVERIFY(form.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        QCOMPARE(form.statusText(0), QString());
        form.Timer1Timer();
        QCOMPARE(form.statusText(0), PublisherTexts::texts()[0]);
        for (int i = 0; i < 7; ++i)
            form.Timer1Timer();
        QCOMPARE(form.statusText(0), PublisherTexts::texts()[0]);
    }

    void toolAndQuizPanelsExcludeEachOther() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        form.show();
        auto* quizPanel = form.findChild<QFrame*>(QStringLiteral("Panel2"));
        auto* toolPanel = form.findChild<QFrame*>(QStringLiteral("Panel4"));
        test::ScriptedDialogs dialogs;
        form.N12Click();
        QVERIFY(quizPanel->isVisible());
        form.N15Click();
        QVERIFY(toolPanel->isVisible() && !quizPanel->isVisible());
        form.N15Click();  // twice changes nothing
        QVERIFY(toolPanel->isVisible() && !quizPanel->isVisible());
        form.findChild<QPushButton*>(QStringLiteral("Button21"))->click();
        QVERIFY(!toolPanel->isVisible());
        QVERIFY(!quizPanel->isVisible());  // leaving the tool does not bring the quiz back
        form.N12Click();
        QVERIFY(quizPanel->isVisible() && !toolPanel->isVisible());
        QVERIFY(dialogs.boxes.size() == 2);  // the two name boxes, nothing else
    }

    void pageKeepsWhatWasTypedAndConverts() {
        test::TempDataDir dir;
        TForm1 form(dir.path());
        form.show();
        QWebEngineView* view = form.conversion().browser();
        QCOMPARE(view->geometry(), QRect(16, 76, 735, 374));
        QVERIFY(loadPage(view, kPage));
        QCOMPARE(
            runJs(view->page(), QStringLiteral("lexConvert('length', 1, 'in', 'mm')")).toDouble(),
            25.4);
        QCOMPARE(
            runJs(view->page(), QStringLiteral("lexConvert('area', 1, 'rai', 'm2')")).toDouble(),
            1600.0);
        QCOMPARE(runJs(view->page(), QStringLiteral("lexConvert('temperature', 100, 'C', 'F')"))
                     .toDouble(),
                 212.0);
        // The page fits its fixed view: no page scrollbar, the right pane's heading on one line.
        form.N15Click();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(runJs(view->page(), QStringLiteral("window.innerHeight")).toInt() > 300);
        // Neither the page nor the converter's pane needs a scrollbar, in any category (and with
        // rai, whose notes are the longest).
        const QString fits =
            runJs(
                view->page(),
                QStringLiteral(
                    "var d = document.documentElement, app = document.querySelector('.app'),"
                    " p = document.querySelector('.form'), c = document.getElementById('category'),"
                    " u = document.getElementById('from'), pane = 0, page = 0;"
                    "function measure() {"
                    "  pane = Math.max(pane, p.scrollHeight - p.clientHeight);"
                    "  page = Math.max(page, Math.ceil(Math.max(d.scrollHeight,"
                    "      app.getBoundingClientRect().bottom)) - window.innerHeight,"
                    "      d.scrollWidth - window.innerWidth); }"
                    "for (var i = 0; i < c.options.length; ++i) {"
                    "  c.value = c.options[i].value; c.dispatchEvent(new Event('change'));"
                    "  measure(); }"
                    "c.value = 'area'; c.dispatchEvent(new Event('change'));"
                    "u.value = 'rai'; u.dispatchEvent(new Event('change')); measure();"
                    "[c.options.length, pane, page,"
                    " document.querySelector('.table-head b').offsetHeight].join(' ')"))
                .toString();
        const QStringList f = fits.split(u' ');
        QVERIFY2(f.size() == 4 && f[0].toInt() > 5, qPrintable(fits));
        QVERIFY2(f[1].toInt() <= 0 && f[2].toInt() <= 0, qPrintable(fits));  // no overflow
        QVERIFY2(f[3].toInt() < 27, qPrintable(fits));  // one line of 13-pixel text, not two
        runJs(view->page(), QStringLiteral("var v = document.getElementById('value'); v.value = "
                                           "'42'; v.dispatchEvent(new Event('input')); 1"));
        form.findChild<QPushButton*>(QStringLiteral("Button21"))->click();
        form.N15Click();
        QCOMPARE(runJs(view->page(), QStringLiteral("document.getElementById('value').value"))
                     .toString(),
                 QStringLiteral("42"));
    }

    void pageCannotReachTheNetworkAndMissingPageAsksNothing() {
        test::TempDataDir dir;
        TForm1 form(dir.path());
        QWebEngineView* view = form.conversion().browser();
        QVERIFY(loadPage(view, kPage));
        // A remote address is refused; a link the user clicks goes to the user's browser.
        test::ScriptedDialogs dialogs;
        view->page()->load(QUrl(QStringLiteral("http://www.kolvane.example/")));
        QTest::qWait(300);
        QVERIFY(view->url().isLocalFile());
        QVERIFY(dialogs.openedUrls.isEmpty());
        QVERIFY(runJs(view->page(), QStringLiteral("typeof lexConvert")).toString() ==
                QStringLiteral("function"));

        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        form.conversion().navigate(dir.file(QStringLiteral("no-such-page.htm")));
        QVERIFY(loaded.wait(20000));
        QCOMPARE(loaded.first().first().toBool(), false);
        QVERIFY(dialogs.boxes.empty());
    }

    // Whatever a page in the panel asks for from the network never leaves the machine: a local
    // server stands in for the network and must see no connection at all.
    void pageRequestsNeverReachTheNetwork() {
        QTcpServer network;
        QVERIFY(network.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&network, &QTcpServer::newConnection, [&] { ++connections; });
        const QString remote = QStringLiteral("http://127.0.0.1:%1/").arg(network.serverPort());
        QTemporaryDir pages;
        const QString page = pages.filePath(QStringLiteral("greedy.htm"));
        QFile html(page);
        QVERIFY(html.open(QIODevice::WriteOnly));
        html.write(QStringLiteral("<html><head><link rel=stylesheet href='%1style.css'>"
                                  "<script src='%1script.js'></script></head><body>"
                                  "<img src='%1picture.png'><iframe src='%1frame.htm'></iframe>"
                                  "<script>fetch('%1fetch').catch(function(){});"
                                  "var x = new XMLHttpRequest(); x.open('GET', '%1xhr'); x.send();"
                                  "try { new WebSocket('ws://127.0.0.1:%2/socket'); } catch (e) {}"
                                  "navigator.sendBeacon && navigator.sendBeacon('%1beacon', 'x');"
                                  "setTimeout(function(){ location.href = '%1away'; }, 50);"
                                  "</script></body></html>")
                       .arg(remote)
                       .arg(network.serverPort())
                       .toUtf8());
        html.close();
        test::TempDataDir dir;
        TForm1 form(dir.path());
        test::ScriptedDialogs dialogs;
        QWebEngineView* view = form.conversion().browser();
        QVERIFY(loadPage(view, page));
        QTest::qWait(1500);
        QCOMPARE(connections, 0);
        QVERIFY(view->url().isLocalFile());
        // The script's own navigation is handed on like a click (the engine does not tell the
        // two apart), to the user's browser, never loaded here.
        for (const QUrl& url : dialogs.openedUrls)
            QCOMPARE(url, QUrl(remote + QStringLiteral("away")));
    }
};

int main(int argc, char** argv) {
    Application::prepare();
    Application app(argc, argv);
    TestTools t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_tools.moc"
