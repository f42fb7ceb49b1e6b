#include "platform/LoginItem.h"

#include "platform/Xdg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace platform {

LoginItem& LoginItem::main() {
    static LoginItem item(xdg::configHome() + "/autostart", QCoreApplication::instance()
                                                                ? QCoreApplication::applicationFilePath()
                                                                : QStringLiteral("overink"));
    return item;
}

LoginItem::LoginItem(QString autostartDir, QString executable)
    : dir_(std::move(autostartDir)), executable_(std::move(executable)) {}

QString LoginItem::filePath() const { return dir_ + "/overink.desktop"; }

LoginItem::Status LoginItem::status() const {
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return Status::NotRegistered;
    // Present and not hidden counts as enabled, as desktop sessions read it.
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1String("Hidden="), Qt::CaseSensitive) &&
            line.mid(7).trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return Status::NotRegistered;
    }
    return Status::Enabled;
}

bool LoginItem::registerItem() {
    if (!QDir().mkpath(dir_)) return false;
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QString exec = executable_;
    if (exec.contains(' ')) exec = '"' + exec + '"';
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Overink\n"
                                        "Comment=Draw on your screen\n"
                                        "Exec=%1\n"
                                        "Icon=overink\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(exec);
    file.write(text.toUtf8());
    return file.commit();
}

bool LoginItem::unregisterItem() {
    QFile file(filePath());
    return !file.exists() || file.remove();
}

} // namespace platform
