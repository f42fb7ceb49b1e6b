// Reading update feeds into released versions.
#include "platform/Appcast.h"

#include "platform/AppcastVersion.h"

#include <QXmlStreamReader>

namespace platform {

namespace {

const QString kSparkle = QString::fromLatin1(kSparkleNamespace);

bool is(const QXmlStreamReader& xml, const char* name, const QString& ns = QString()) {
    return xml.name() == QLatin1String(name) && xml.namespaceUri() == ns;
}

// An address a browser may open: absolute http(s) with a host; else empty.
QUrl webAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return {};
    if (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")) return {};
    return url;
}

QString text(QXmlStreamReader& xml) { return xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed(); }

// Reads one <item>; false when it cannot be offered.
bool readItem(QXmlStreamReader& xml, AppcastItem& item) {
    QString enclosureVersion, enclosureShortVersion;
    while (xml.readNextStartElement()) {
        if (is(xml, "title")) {
            item.title = text(xml);
        } else if (is(xml, "link")) {
            item.link = webAddress(text(xml));
        } else if (is(xml, "version", kSparkle)) {
            item.version = text(xml);
        } else if (is(xml, "shortVersionString", kSparkle)) {
            item.shortVersionString = text(xml);
        } else if (is(xml, "releaseNotesLink", kSparkle)) {
            if (item.releaseNotesLink.isEmpty()) item.releaseNotesLink = webAddress(text(xml));
            else xml.skipCurrentElement();
        } else if (is(xml, "enclosure")) {
            // The first enclosure with a usable address is the item's file.
            const auto attributes = xml.attributes();
            const QUrl url = webAddress(attributes.value(QLatin1String("url")).toString());
            if (item.enclosureUrl.isEmpty() && !url.isEmpty()) {
                item.enclosureUrl = url;
                enclosureVersion = attributes.value(kSparkle, QLatin1String("version")).toString().trimmed();
                enclosureShortVersion =
                    attributes.value(kSparkle, QLatin1String("shortVersionString")).toString().trimmed();
            }
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    // Elements of the item win over the enclosure's attributes.
    if (item.version.isEmpty()) item.version = enclosureVersion;
    if (item.shortVersionString.isEmpty()) item.shortVersionString = enclosureShortVersion;
    return !item.version.isEmpty() && !item.downloadPage().isEmpty();
}

QString invalid(const QXmlStreamReader& xml) {
    QString reason = xml.errorString();
    if (reason.endsWith(u'.')) reason.chop(1);
    return QStringLiteral("The update feed is not valid XML (line %1: %2).").arg(xml.lineNumber()).arg(reason);
}

} // namespace

AppcastParseResult parseAppcast(const QByteArray& bytes) {
    AppcastParseResult result;
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement()) {
        result.error = xml.hasError() ? invalid(xml) : QStringLiteral("The update feed is empty.");
        return result;
    }
    if (!is(xml, "rss")) {
        result.error = QStringLiteral("The update feed is not an RSS feed.");
        return result;
    }
    bool sawChannel = false;
    int itemsSeen = 0;
    while (xml.readNextStartElement()) {
        if (!is(xml, "channel")) {
            xml.skipCurrentElement();
            continue;
        }
        sawChannel = true;
        while (xml.readNextStartElement()) {
            if (!is(xml, "item")) {
                xml.skipCurrentElement();
                continue;
            }
            ++itemsSeen;
            AppcastItem item;
            if (readItem(xml, item)) result.items.push_back(std::move(item));
        }
    }
    // The rest of the document must be well-formed too.
    while (!xml.atEnd() && !xml.hasError()) xml.readNext();
    if (xml.hasError()) {
        result = {{}, invalid(xml)};
    } else if (!sawChannel) {
        result.error = QStringLiteral("The update feed has no channel.");
    } else if (itemsSeen > 0 && result.items.empty()) {
        result.error = QStringLiteral("The update feed lists no version with a version number and a download address.");
    }
    return result;
}

std::optional<AppcastItem> newestItem(const std::vector<AppcastItem>& items) {
    const AppcastItem* best = nullptr;
    for (const auto& item : items)
        if (!best || compareVersions(item.version, best->version) > 0) best = &item;
    if (!best) return std::nullopt;
    return *best;
}

} // namespace platform
