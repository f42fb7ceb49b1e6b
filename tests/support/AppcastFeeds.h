#pragma once

// Update feeds written for tests and fuzz seeds.

#include <QByteArray>
#include <QString>

#include <vector>

namespace testing_support {

struct FeedItem {
    explicit FeedItem(QString version = {}, QString shortVersion = {})
        : version(std::move(version)), shortVersion(std::move(shortVersion)) {}

    QString version;      // empty: none
    QString shortVersion; // empty: none
    QString link = QStringLiteral("https://overink.example/download");
    QString releaseNotes; // empty: none
    QString enclosureUrl = QStringLiteral("https://overink.example/files/overink.tar.gz");
    bool versionsOnEnclosure = false; // attributes of the enclosure instead of elements
    QString title = QStringLiteral("Overink");
};

// An RSS channel holding the items, with the version namespace declared
// under the prefix `prefix`.
QByteArray appcastFeed(const std::vector<FeedItem>& items, const QString& prefix = QStringLiteral("sparkle"));

} // namespace testing_support
