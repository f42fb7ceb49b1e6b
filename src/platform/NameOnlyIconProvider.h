#pragma once

// Icons and type names for the file panels, from file names alone.

#include <QFileIconProvider>

namespace platform {

// The file panels' default provider reads a file to tell its type when its
// name does not, on the main thread: a file that never answers (/proc/kmsg,
// a dead network mount) then freezes the program, and a destructive read
// (/proc/kmsg again) loses what it read. This one never opens a file: types
// come from names, and folders and special files get their plain icons.
// Safe to call from the panels' background thread.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

    // The one provider of every panel (a panel does not own its provider).
    static NameOnlyIconProvider& shared();
};

} // namespace platform
