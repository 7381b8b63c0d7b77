#include "tools/WebLinks.h"

#include <map>

#include "ui/Publisher.h"
#include "ui/UserDialogs.h"

namespace lex {

QUrl linkAddress(const QString& controlName) {
    static const std::map<QString, QString> addresses{
        {QStringLiteral("Button2"), QStringLiteral("%1/lexivore")},
        {QStringLiteral("Button3"), QStringLiteral("%1/lexivore")},
        {QStringLiteral("Button4"), QStringLiteral("%1/software")},
        {QStringLiteral("Button5"), QStringLiteral("%1/shopping")},
        {QStringLiteral("Button6"), QStringLiteral("%1/lexivore")},
        {QStringLiteral("Button7"), QStringLiteral("%2/")},
        {QStringLiteral("KolvaneWebsite1"), QStringLiteral("%1/")},
        {QStringLiteral("OnlineDictionary1"), QStringLiteral("%1/dic")},
        {QStringLiteral("Update1"), QStringLiteral("%1/dic")},
        {QStringLiteral("Image1"), QStringLiteral("%1/")},
        {QStringLiteral("Label4"), QStringLiteral("%1")},
        {QStringLiteral("Label8"), QStringLiteral("%1")},
    };
    const auto it = addresses.find(controlName);
    if (it == addresses.end())
        return {};
    QString address = it->second;
    address.replace(QLatin1String("%1"), QLatin1String(kPublisherBase))
        .replace(QLatin1String("%2"), QLatin1String(kMakerBase));
    return QUrl(address);
}

void openLink(const QString& controlName) {
    const QUrl url = linkAddress(controlName);
    if (url.isValid())
        UserDialogs::current().openUrl(url);
}

}  // namespace lex
