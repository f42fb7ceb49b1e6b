#pragma once

// Readers of GIMP's brush files (.gbr bitmap brushes, .gih image pipes, .vbr
// parametric brushes) and the renderer of parametric brushes. Everything here
// is a pure function: safe from any thread, no file system except writePNG.
//
// The readers take files downloaded from anywhere: every size is checked
// against the data before anything is allocated, and every failure is the
// same empty result.

#include "brushes/ParsedGIMPBrush.h"

#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

class GIMPBrushParser {
public:
    GIMPBrushParser() = delete;

    // Dispatches on the extension, lowercased: "gbr", "gih" or "vbr".
    static std::optional<ParsedGIMPBrush> parse(QByteArrayView data, QStringView fileExtension);
    static std::optional<ParsedGIMPBrush> parseGBR(QByteArrayView data);
    static std::optional<ParsedGIMPBrush> parseGIH(QByteArrayView data);
    static std::optional<ParsedGIMPBrush> parseVBR(QByteArrayView data);

    struct VBRText {
        std::optional<QString> name;
        double spacing = 25; // at least 1
        VBRParams params;    // already clamped
    };
    // The .vbr text without rendering it.
    static std::optional<VBRText> parseVBRText(QByteArrayView data);

    // Unsigned big-endian integer at `offset`; 0 when fewer than 4 bytes are there.
    static std::uint32_t readUInt32BE(QByteArrayView data, qint64 offset);
    // Bytes [start, end) up to the first zero byte, as strict UTF-8; none when
    // empty or not valid UTF-8 (invalid names are refused, never repaired).
    static std::optional<QString> decodeName(QByteArrayView data, qint64 start, qint64 end);
    // A cell mask from grey (1), RGB (3) or RGBA (4) pixel bytes at `offset`.
    // Pixels that lie beyond the data stay 0, as does every pixel for any
    // other bytes per pixel. None for an empty or oversized mask.
    static std::optional<QImage> makeMaskImage(QByteArrayView data, qint64 offset, qint64 width, qint64 height,
                                               qint64 bytesPerPixel);

    // The generated brush: a circle, square or diamond, optionally a star,
    // squashed, rotated and with a soft edge. Clamps the parameters itself.
    static std::optional<QImage> renderVBR(const VBRParams& params);
    // Anti-aliased radial fall-off, indexed by four times the distance from
    // the centre; every entry in 0…1.
    static std::vector<float> vbrCoverage(double radius, double hardness);
    // Writes through a temporary file renamed into place, as every stored
    // file is (a link is followed only onto a regular file): false (and the
    // old file, if any, untouched) when the image is empty or cannot be
    // written.
    [[nodiscard]] static bool writePNG(const QImage& image, const QString& path);
    // Any image back to a cell mask of the same size: light or opaque pixels
    // become coverage. A mask written by writePNG comes back unchanged.
    static std::optional<QImage> maskImage(const QImage& image);

    // Largest cell mask made from pixel bytes (1 GiB): a guard against sizes
    // no real brush has.
    static constexpr qint64 kMaxMaskBytes = qint64(1) << 30;
    // Largest side of a generated brush image.
    static constexpr int kMaxRenderedSide = 4096;
};
