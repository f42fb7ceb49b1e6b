// Reading update feeds, and the order of version strings.
#include "platform/Appcast.h"
#include "platform/AppcastVersion.h"
#include "support/AppcastFeeds.h"

#include <gtest/gtest.h>

using platform::AppcastItem;
using platform::compareVersions;
using platform::parseAppcast;
using testing_support::appcastFeed;
using testing_support::FeedItem;

namespace {

int sign(std::weak_ordering o) { return o < 0 ? -1 : o > 0 ? 1 : 0; }

QByteArray channel(const QByteArray& items) {
    return "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>" +
           items + "</channel></rss>";
}

} // namespace

TEST(VersionCompare, Table) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"1.10", "1.9", 1},
        {"1.9", "1.10", -1},
        {"2", "10", -1},
        {"1.0", "1.0.0", 0},
        {"1.0.1", "1.0", 1},
        {"01.002", "1.2", 0},
        {"1.0b1", "1.0", -1}, // a word marks a pre-release
        {"1.0b2", "1.0b1", 1},
        {"1.0rc1", "1.0beta3", 1},
        {"1.0.0b1", "1.0", -1},
        {"1.0.1", "1.0b9", 1},
        {"1.0A", "1.0a", 0},
        {"1-2_3", "1.2.3", 0},
        {"v2", "1", -1}, // a word below any number, even a leading one
        {"", "0", 0},
        {"", "0.0.1", -1},
        {"...", "", 0},
        {"123456789012345678901234567890", "123456789012345678901234567889", 1},
        {"99999999999999999999", "1", 1},
        {"1.0", "1.0 (42)", -1},
        {"2.0\xce\xb1", "2.0", -1}, // a non-ASCII letter is a word too
    };
    for (const Case& c : cases) {
        const QString a = QString::fromUtf8(c.a), b = QString::fromUtf8(c.b);
        EXPECT_EQ(sign(compareVersions(a, b)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(compareVersions(b, a)), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(VersionCompare, IsATotalOrderOverOddStrings) {
    const QStringList odd = {"",    "0",           "1",   "1.0",  "1.0.0",  "1.0a",    "1.0A",       "1.0b",
                             "1a",  "a",           "b1",  "1..2", "1.2",    "1.-2",    "2",          "10",
                             "9.9", "9.10",        "-1",  "1e5",  "\u00e9", "1\u00e9", "\U0001F600", "\xff",
                             " 1 ", "1.0.0.0.0.1", "000", "1_0",  "2.0rc"};
    for (const QString& a : odd) {
        EXPECT_EQ(sign(compareVersions(a, a)), 0) << a.toStdString();
        for (const QString& b : odd) {
            const int ab = sign(compareVersions(a, b));
            ASSERT_EQ(ab, -sign(compareVersions(b, a))) << a.toStdString() << " / " << b.toStdString();
            for (const QString& c : odd) {
                if (ab <= 0 && sign(compareVersions(b, c)) <= 0) {
                    ASSERT_LE(sign(compareVersions(a, c)), 0)
                        << a.toStdString() << " <= " << b.toStdString() << " <= " << c.toStdString();
                }
            }
        }
    }
}

TEST(Appcast, ReadsVersionsFromElementsOrFromTheEnclosure) {
    FeedItem elements{"200", "2.0"};
    elements.releaseNotes = "https://overink.example/notes/2.0.html";
    FeedItem attributes{"190", "1.9.5"};
    attributes.versionsOnEnclosure = true;
    attributes.link.clear();
    const auto result = parseAppcast(appcastFeed({elements, attributes}));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.items.size(), 2u);
    const AppcastItem& a = result.items[0];
    EXPECT_EQ(a.version, "200");
    EXPECT_EQ(a.shortVersionString, "2.0");
    EXPECT_EQ(a.displayVersion(), "2.0");
    EXPECT_EQ(a.releaseNotesLink, QUrl("https://overink.example/notes/2.0.html"));
    EXPECT_EQ(a.downloadPage(), QUrl("https://overink.example/download"));
    const AppcastItem& b = result.items[1];
    EXPECT_EQ(b.version, "190");
    EXPECT_EQ(b.shortVersionString, "1.9.5");
    // Without a page, the file itself is what a person downloads.
    EXPECT_EQ(b.downloadPage(), QUrl("https://overink.example/files/overink.tar.gz"));
    EXPECT_TRUE(b.releaseNotesLink.isEmpty());
}

TEST(Appcast, ElementsWinOverEnclosureAttributesAndAnyPrefixWorks) {
    const QByteArray feed =
        "<rss xmlns:s=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item>"
        "<s:version> 7 </s:version>"
        "<enclosure url=\"ftp://nope/x\" s:version=\"1\"/>"
        "<enclosure url=\"https://overink.example/7.tgz\" s:version=\"6\" s:shortVersionString=\"0.7\"/>"
        "<atom:link xmlns:atom=\"http://www.w3.org/2005/Atom\" href=\"https://elsewhere\"/>"
        "</item></channel></rss>";
    const auto result = parseAppcast(feed);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].version, "7");
    EXPECT_EQ(result.items[0].shortVersionString, "0.7");
    EXPECT_EQ(result.items[0].enclosureUrl, QUrl("https://overink.example/7.tgz"));
    EXPECT_TRUE(result.items[0].link.isEmpty());
}

TEST(Appcast, ItemsThatCannotBeOfferedAreLeftOut) {
    const auto result =
        parseAppcast(channel("<item><title>No version</title><link>https://overink.example/a</link></item>"
                             "<item><sparkle:version>3</sparkle:version><link>javascript:alert(1)</link>"
                             "<enclosure url=\"file:///etc/passwd\"/></item>"
                             "<item><sparkle:version>4</sparkle:version><link>https://overink.example/4</link>"
                             "<sparkle:releaseNotesLink>file:///tmp/notes</sparkle:releaseNotesLink></item>"));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].version, "4");
    EXPECT_TRUE(result.items[0].releaseNotesLink.isEmpty());

    // Every item left out: the feed is broken, not a sign of being up to date.
    const auto none = parseAppcast(channel("<item><title>Nothing usable</title></item>"));
    EXPECT_FALSE(none.ok());
    // A channel without items is a feed with nothing released yet.
    const auto empty = parseAppcast(channel(""));
    EXPECT_TRUE(empty.ok());
    EXPECT_TRUE(empty.items.empty());
}

TEST(Appcast, BrokenFeedsAreErrors) {
    const QByteArray good = appcastFeed({FeedItem{"2", "2.0"}});
    const QByteArray broken[] = {
        "",
        "   ",
        "not xml at all",
        "<html><body>Not found</body></html>",
        "<rss><item><sparkle:version>2</sparkle:version></item></rss>", // undeclared prefix
        "<rss version=\"2.0\"></rss>",                                  // no channel
        good.left(good.size() / 2),                                     // cut short
        good + "<rss/>",                                                // two documents
        "<rss><channel></channel>",
        QByteArray("<rss><channel>\0</channel></rss>", 31),
    };
    for (const QByteArray& bytes : broken) {
        const auto result = parseAppcast(bytes);
        EXPECT_FALSE(result.ok()) << bytes.left(80).toStdString();
        EXPECT_TRUE(result.items.empty());
    }
}

TEST(Appcast, EntitiesNeitherReadFilesNorExplode) {
    const QByteArray external =
        "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY secret SYSTEM \"file:///etc/hostname\">]>"
        "<rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item>"
        "<title>&secret;</title><sparkle:version>2</sparkle:version><link>https://overink.example/</link>"
        "</item></channel></rss>";
    const auto withExternal = parseAppcast(external);
    for (const auto& item : withExternal.items) EXPECT_TRUE(item.title.isEmpty()) << item.title.toStdString();

    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a0 \"haha\">";
    for (int i = 1; i < 12; ++i)
        laughs +=
            QStringLiteral("<!ENTITY a%1 \"&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;\">").arg(i).arg(i - 1).toUtf8();
    laughs += "]>" + channel("<item><title>&a11;</title><sparkle:version>2</sparkle:version>"
                             "<link>https://overink.example/</link></item>");
    // Expanded, the title would run to gigabytes.
    const auto result = parseAppcast(laughs);
    for (const auto& item : result.items) EXPECT_LT(item.title.size(), 1 << 20);
}

TEST(Appcast, NewestItemIsTheHighestVersionNotTheFirst) {
    const auto result = parseAppcast(
        appcastFeed({FeedItem{"1.9", "a"}, FeedItem{"1.10", "b"}, FeedItem{"1.10.0", "c"}, FeedItem{"1.2", "d"}}));
    ASSERT_TRUE(result.ok());
    const auto newest = platform::newestItem(result.items);
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(newest->shortVersionString, "b");
    EXPECT_FALSE(platform::newestItem({}).has_value());
}
