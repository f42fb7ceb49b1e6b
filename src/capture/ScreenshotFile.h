#pragma once

// Screenshot files: the proposed name and the JPEG writing.

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <sys/types.h>

// "overink_" then the date and time as yyyyMMddHHmmss in the locale, then
// ".jpg".
QString proposedScreenshotName(const QDateTime& when, const QLocale& locale);

// How the bytes reach the open file: ::write, or a failing stand-in in tests
// (answers as ::write does, with errno set on -1).
using ScreenshotWrite = std::function<ssize_t(int fd, const char* data, std::size_t size)>;

// Writes the image as a JPEG of the image library's default quality, as a
// new regular file at `path` that replaces what is there only once the whole
// image is written. A link at `path` is replaced, never written through; a
// folder, a device or a FIFO there is left alone. Answers the reason the
// system gave when the file could not be written.
std::optional<QString> writeJPEG(const QImage& image, const QString& path, const ScreenshotWrite& write = {});
