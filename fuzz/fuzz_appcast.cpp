// Update feeds through the appcast reader, and version strings through their
// comparison, which must stay a consistent order whatever the strings hold.

#include "platform/Appcast.h"
#include "platform/AppcastVersion.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

int sign(std::weak_ordering o) { return o < 0 ? -1 : o > 0 ? 1 : 0; }

void checkOrder(const QString& a, const QString& b, const QString& c) {
    using platform::compareVersions;
    if (sign(compareVersions(a, a)) != 0) __builtin_trap();
    const int ab = sign(compareVersions(a, b)), bc = sign(compareVersions(b, c));
    if (ab != -sign(compareVersions(b, a))) __builtin_trap();
    if (ab <= 0 && bc <= 0 && sign(compareVersions(a, c)) > 0) __builtin_trap();
    if (ab >= 0 && bc >= 0 && sign(compareVersions(a, c)) < 0) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const QByteArray data(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const auto feed = platform::parseAppcast(data);
    if (feed.ok() == !feed.error.isEmpty()) __builtin_trap();
    for (const auto& item : feed.items) {
        // What the reader keeps can always be offered.
        if (item.version.isEmpty() || item.downloadPage().isEmpty()) __builtin_trap();
        checkOrder(item.version, item.shortVersionString, item.title);
    }
    if (const auto newest = platform::newestItem(feed.items)) {
        for (const auto& item : feed.items)
            if (platform::compareVersions(item.version, newest->version) > 0) __builtin_trap();
    }

    // The same bytes as three version strings, split at newlines.
    const QList<QByteArray> parts = data.split('\n');
    const QString a = QString::fromUtf8(parts.value(0)), b = QString::fromUtf8(parts.value(1)),
                  c = QString::fromUtf8(parts.value(2));
    checkOrder(a, b, c);
    return 0;
}
