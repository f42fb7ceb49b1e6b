#pragma once

// Update feeds: the RSS "appcast" that lists the released versions.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace platform {

// One released version, as the feed's <item> describes it.
struct AppcastItem {
    QString title;
    // The machine version compared with the running build's version, from
    // sparkle:version (an element of the item or an attribute of its
    // enclosure). Never empty in a parsed item.
    QString version;
    // The version shown to people (sparkle:shortVersionString); may be empty.
    QString shortVersionString;
    QUrl releaseNotesLink; // empty when none, or not an http(s) address
    QUrl link;             // the item's <link>: its download page
    QUrl enclosureUrl;     // the file itself

    QString displayVersion() const { return shortVersionString.isEmpty() ? version : shortVersionString; }
    // Where a person downloads it: the item's page, else the file. Never
    // empty in a parsed item.
    QUrl downloadPage() const { return link.isEmpty() ? enclosureUrl : link; }
};

struct AppcastParseResult {
    std::vector<AppcastItem> items; // in feed order
    QString error;                  // empty when the feed could be read

    bool ok() const { return error.isEmpty(); }
};

// Reads a feed: an <rss> document whose <channel> holds <item>s. Items
// without a version or without an http(s) address to download from are left
// out; a feed whose every item is left out is an error, as is anything that
// is not well-formed XML or not an RSS channel. An empty channel is a valid
// feed with no items. Pure: reads nothing but the bytes.
AppcastParseResult parseAppcast(const QByteArray& bytes);

// The item with the highest version (the first of equal ones), if any.
std::optional<AppcastItem> newestItem(const std::vector<AppcastItem>& items);

// The namespace of the feed's version elements and attributes.
inline constexpr const char* kSparkleNamespace = "http://www.andymatuschak.org/xml-namespaces/sparkle";

} // namespace platform
