#pragma once

// The program's resources and version strings.

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// Where the program's resources are, and its version strings.
class Bundle {
public:
    // The installed resources (<prefix>/share/overink) when present, else
    // those of the source tree the program was built from.
    static const Bundle& main();

    Bundle(QString resourcesPath, std::optional<QString> shortVersion, std::optional<QString> buildVersion);

    QString resourcesPath() const { return resourcesPath_; }
    // Full path of a resource, or empty when it does not exist.
    QString resource(const QString& relativePath) const;
    // Full paths of the regular files directly inside `subdirectory` (empty:
    // the resources folder itself) whose extension is exactly `extension`,
    // sorted by file name; empty when there are none.
    QStringList resourcePaths(const QString& extension, const QString& subdirectory = QString()) const;
    // "CFBundleShortVersionString" (the project version) and "CFBundleVersion"
    // (the build number); none for other keys or when not set.
    std::optional<QString> infoString(const QString& key) const;

private:
    QString resourcesPath_;
    std::optional<QString> shortVersion_;
    std::optional<QString> buildVersion_;
};

} // namespace platform
