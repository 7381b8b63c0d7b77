#include "tools/ConversionPanel.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include "ui/Controls.h"
#include "ui/UserDialogs.h"

namespace lex {

namespace {

bool isLocal(const QUrl& url) {
    return url.isLocalFile() || url.scheme() == QLatin1String("data") ||
           url.scheme() == QLatin1String("about") || url.scheme() == QLatin1String("qrc");
}

// Every request the page makes that would leave the machine is refused.
class LocalOnly : public QWebEngineUrlRequestInterceptor {
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (!isLocal(info.requestUrl()))
            info.block(true);
    }
};

// Links the user clicks go to the user's browser; the panel itself only ever shows local pages.
class ConversionPage : public QWebEnginePage {
  public:
    using QWebEnginePage::QWebEnginePage;

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (type == NavigationTypeLinkClicked && !isLocal(url)) {
            if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
                UserDialogs::current().openUrl(url);
            return false;
        }
        Q_UNUSED(isMainFrame);
        return isLocal(url);
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
};

}  // namespace

QString conversionPagePath() {
    return QStringLiteral(LEXIVORE_CONVERT_PAGE);
}

ConversionPanel::ConversionPanel(QFrame* panel) {
    Label9 = title(panel, "Label9", QStringLiteral("เครื่องมือแปลงหน่วยทางวิศวกรรม"), 16, 11, 24);
    Bevel6 = bevel(panel, "Bevel6", 16, 56, 737, 17, QFrame::HLine);

    // A profile of its own, kept in memory only, with remote content shut out.
    // Owned by the window, so that it outlives the page, which the panel takes down first.
    auto* profile = new QWebEngineProfile(panel->window());
    profile->setUrlRequestInterceptor(new LocalOnly(profile));
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    profile->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    WebBrowser1 = new QWebEngineView(panel);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setPage(new ConversionPage(profile, WebBrowser1));
    WebBrowser1->setGeometry(16, 76, 735, 374);

    Button21 = button(panel, "Button21", QStringLiteral("ออกจากเครื่องมือ"), QString(), 646, 15, 106,
                      25, kBold | kHandCursor);
}

void ConversionPanel::navigate(const QString& path) {
    WebBrowser1->load(QUrl::fromLocalFile(path));
}

}  // namespace lex
