// Writes the seed corpus of the appcast fuzzer: feeds of every shape the
// reader accepts, and version triples.
//   seeds_appcast <seeds-dir>   (writes <seeds-dir>/fuzz_appcast)
#include "support/AppcastFeeds.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace testing_support;

namespace {

bool write(const QString& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir + '/' + name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seeds-dir>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]) + "/fuzz_appcast";
    QDir().mkpath(dir);
    bool ok = true;

    FeedItem full("210", "2.1");
    full.releaseNotes = "https://overink.example/notes/2.1.html";
    FeedItem onEnclosure("200", "2.0");
    onEnclosure.versionsOnEnclosure = true;
    onEnclosure.link.clear();
    FeedItem beta("2.2b1", "2.2 beta 1");
    FeedItem noVersion;
    FeedItem noAddress("300");
    noAddress.link.clear();
    noAddress.enclosureUrl.clear();

    ok &= write(dir, "one.xml", appcastFeed({full}));
    ok &= write(dir, "several.xml", appcastFeed({full, onEnclosure, beta}));
    ok &= write(dir, "prefix.xml", appcastFeed({full, onEnclosure}, "sp"));
    ok &= write(dir, "empty.xml", appcastFeed({}));
    ok &= write(dir, "skipped.xml", appcastFeed({noVersion, noAddress, full}));
    ok &= write(dir, "unusable.xml", appcastFeed({noVersion, noAddress}));
    ok &= write(dir, "entities.xml",
                "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY v \"1.0\"><!ENTITY x SYSTEM \"file:///x\">]>"
                "<rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item>"
                "<title>&x;</title><sparkle:version>&v;</sparkle:version>"
                "<link>https://overink.example/</link></item></channel></rss>");
    ok &= write(dir, "versions.txt", "1.10\n1.9\n1.10.0");
    ok &= write(dir, "prerelease.txt", "1.0b1\n1.0\n1.0.0.0a");
    ok &= write(dir, "odd.txt", "\xc3\xa9..\n00012345678901234567890\n-_+ ");
    if (!ok) std::fprintf(stderr, "seeds_appcast: could not write the seeds under %s\n", argv[1]);
    return ok ? 0 : 1;
}
