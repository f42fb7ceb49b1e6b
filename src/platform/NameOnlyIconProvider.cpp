#include "platform/NameOnlyIconProvider.h"

#include <QMimeDatabase>

namespace platform {

namespace {
// Matched on the name only: the overload taking a path would stat the file
// again, and the default mode would read it.
QMimeType typeByName(const QFileInfo& info) {
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}
} // namespace

QIcon NameOnlyIconProvider::icon(IconType type) const { return QFileIconProvider::icon(type); }

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isRoot()) return icon(Drive);
    if (info.isDir()) return icon(Folder);
    if (info.isFile()) {
        const QIcon themed = QIcon::fromTheme(typeByName(info).iconName());
        if (!themed.isNull()) return themed;
    }
    return icon(File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    if (info.isFile() && !info.isRoot()) {
        const QMimeType mime = typeByName(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }
    // Drives, folders and special files are told apart without reading.
    return QFileIconProvider::type(info);
}

NameOnlyIconProvider& NameOnlyIconProvider::shared() {
    static NameOnlyIconProvider provider;
    return provider;
}

} // namespace platform
