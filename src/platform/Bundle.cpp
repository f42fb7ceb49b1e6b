#include "platform/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {
QString locateResources() {
    const QString override = qEnvironmentVariable("OVERINK_RESOURCES");
    if (!override.isEmpty() && QFileInfo(override).isDir()) return override;
    if (QCoreApplication::instance()) {
        const QString relative = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/overink");
        if (QFileInfo(relative + "/symbols").isDir()) return relative;
    }
    if (QFileInfo(QStringLiteral(OVERINK_INSTALL_RESOURCES "/symbols")).isDir())
        return QStringLiteral(OVERINK_INSTALL_RESOURCES);
    return QStringLiteral(OVERINK_SOURCE_RESOURCES);
}

std::optional<QString> nonEmpty(const char* s) {
    const QString v = QString::fromUtf8(s);
    return v.isEmpty() ? std::nullopt : std::optional<QString>(v);
}
} // namespace

const Bundle& Bundle::main() {
    static const Bundle kBundle(locateResources(), nonEmpty(OVERINK_VERSION), nonEmpty(OVERINK_BUILD_NUMBER));
    return kBundle;
}

Bundle::Bundle(QString resourcesPath, std::optional<QString> shortVersion, std::optional<QString> buildVersion)
    : resourcesPath_(std::move(resourcesPath)),
      shortVersion_(std::move(shortVersion)),
      buildVersion_(std::move(buildVersion)) {}

QString Bundle::resource(const QString& relativePath) const {
    const QString p = resourcesPath_ + '/' + relativePath;
    return QFileInfo::exists(p) ? p : QString();
}

QStringList Bundle::resourcePaths(const QString& extension, const QString& subdirectory) const {
    const QDir dir(subdirectory.isEmpty() ? resourcesPath_ : resourcesPath_ + '/' + subdirectory);
    QStringList paths;
    const auto entries = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& info : entries) {
        if (info.suffix() == extension) paths.append(info.absoluteFilePath());
    }
    return paths;
}

std::optional<QString> Bundle::infoString(const QString& key) const {
    if (key == QLatin1String("CFBundleShortVersionString")) return shortVersion_;
    if (key == QLatin1String("CFBundleVersion")) return buildVersion_;
    return std::nullopt;
}

} // namespace platform
