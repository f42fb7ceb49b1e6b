// Update feeds for tests and fuzz seeds.
#include "support/AppcastFeeds.h"

#include "platform/Appcast.h"

namespace testing_support {

QByteArray appcastFeed(const std::vector<FeedItem>& items, const QString& prefix) {
    const QString p = prefix + ':';
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" xmlns:%1=\"%2\">\n"
                                 "<channel>\n<title>Overink</title>\n<link>https://overink.example/</link>\n")
                      .arg(prefix, QString::fromLatin1(platform::kSparkleNamespace));
    for (const FeedItem& item : items) {
        xml += QStringLiteral("<item>\n<title>%1</title>\n").arg(item.title.toHtmlEscaped());
        if (!item.versionsOnEnclosure) {
            if (!item.version.isEmpty())
                xml += QStringLiteral("<%1version>%2</%1version>\n").arg(p, item.version.toHtmlEscaped());
            if (!item.shortVersion.isEmpty())
                xml += QStringLiteral("<%1shortVersionString>%2</%1shortVersionString>\n")
                           .arg(p, item.shortVersion.toHtmlEscaped());
        }
        if (!item.releaseNotes.isEmpty())
            xml += QStringLiteral("<%1releaseNotesLink>%2</%1releaseNotesLink>\n")
                       .arg(p, item.releaseNotes.toHtmlEscaped());
        if (!item.link.isEmpty()) xml += QStringLiteral("<link>%1</link>\n").arg(item.link.toHtmlEscaped());
        xml += QStringLiteral("<pubDate>Mon, 05 Jun 2023 10:00:00 +0000</pubDate>\n");
        if (!item.enclosureUrl.isEmpty()) {
            xml += QStringLiteral("<enclosure url=\"%1\" length=\"1234\" type=\"application/octet-stream\"")
                       .arg(item.enclosureUrl.toHtmlEscaped());
            if (item.versionsOnEnclosure) {
                if (!item.version.isEmpty())
                    xml += QStringLiteral(" %1version=\"%2\"").arg(p, item.version.toHtmlEscaped());
                if (!item.shortVersion.isEmpty())
                    xml += QStringLiteral(" %1shortVersionString=\"%2\"").arg(p, item.shortVersion.toHtmlEscaped());
            }
            xml += QStringLiteral("/>\n");
        }
        xml += QStringLiteral("</item>\n");
    }
    xml += QStringLiteral("</channel>\n</rss>\n");
    return xml.toUtf8();
}

} // namespace testing_support
