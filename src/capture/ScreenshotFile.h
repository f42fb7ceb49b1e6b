#pragma once

// Screenshot files: the proposed name and the JPEG writing.

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QString>

#include <optional>

// "overink_" then the date and time as yyyyMMddHHmmss in the locale, then
// ".jpg".
QString proposedScreenshotName(const QDateTime& when, const QLocale& locale);

// Writes the image as a JPEG of the image library's default quality,
// replacing the file only once the whole image is written. Answers the
// reason when it could not be written.
std::optional<QString> writeJPEG(const QImage& image, const QString& path);
