// Writes the seed corpus of the appcast fuzzer: feeds of every shape the
// reader accepts, and version triples.
//   seeds_appcast <seeds-dir>   (writes <seeds-dir>/fuzz_appcast)
#include "SeedFiles.h"
#include "support/AppcastFeeds.h"

#include <QDir>

using namespace seeds;
using namespace testing_support;

namespace {

bool writeSeeds(const QString& root) {
    const QString dir = root + "/fuzz_appcast";
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

    ok &= writeSeed(dir, "one.xml", appcastFeed({full}));
    ok &= writeSeed(dir, "several.xml", appcastFeed({full, onEnclosure, beta}));
    ok &= writeSeed(dir, "prefix.xml", appcastFeed({full, onEnclosure}, "sp"));
    ok &= writeSeed(dir, "empty.xml", appcastFeed({}));
    ok &= writeSeed(dir, "skipped.xml", appcastFeed({noVersion, noAddress, full}));
    ok &= writeSeed(dir, "unusable.xml", appcastFeed({noVersion, noAddress}));
    ok &= writeSeed(dir, "entities.xml",
                    "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY v \"1.0\"><!ENTITY x SYSTEM \"file:///x\">]>"
                    "<rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item>"
                    "<title>&x;</title><sparkle:version>&v;</sparkle:version>"
                    "<link>https://overink.example/</link></item></channel></rss>");
    ok &= writeSeed(dir, "versions.txt", "1.10\n1.9\n1.10.0");
    ok &= writeSeed(dir, "prerelease.txt", "1.0b1\n1.0\n1.0.0.0a");
    ok &= writeSeed(dir, "odd.txt", "\xc3\xa9..\n00012345678901234567890\n-_+ ");
    return ok;
}

} // namespace

int main(int argc, char** argv) { return seeds::run(argc, argv, "seeds_appcast", writeSeeds); }
