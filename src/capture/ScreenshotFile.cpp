// Names and writes screenshot files.
#include "capture/ScreenshotFile.h"

#include <QImageWriter>
#include <QSaveFile>

QString proposedScreenshotName(const QDateTime& when, const QLocale& locale) {
    return QStringLiteral("overink_") + locale.toString(when, QStringLiteral("yyyyMMddHHmmss")) +
           QStringLiteral(".jpg");
}

std::optional<QString> writeJPEG(const QImage& image, const QString& path) {
    if (image.isNull()) return QStringLiteral("there is no image to write");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    QImageWriter writer(&file, "jpeg");
    if (!writer.write(image)) {
        file.cancelWriting();
        return writer.errorString();
    }
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}
