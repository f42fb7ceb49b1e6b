#include "support/BrushFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testing_support {

namespace {
void putUInt32BE(QByteArray& out, std::uint32_t v) {
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}
} // namespace

QByteArray brushPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, int seed) {
    QByteArray pixels;
    pixels.reserve(qsizetype(width) * height * bytesPerPixel);
    std::uint32_t noise = 2463534242u + std::uint32_t(seed);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int base = int((x + y) * 255 / std::max(1u, width + height - 2));
            for (std::uint32_t b = 0; b < bytesPerPixel; ++b)
                pixels.append(char((base + int((noise >> (8 * b)) & 31)) & 0xFF));
        }
    }
    return pixels;
}

QByteArray gbrFile(const GbrFields& fields) {
    QByteArray body;
    if (fields.version == 2) {
        body.append(fields.magic);
        putUInt32BE(body, fields.spacing);
    }
    body.append(fields.name).append('\0');
    const std::uint32_t headerSize =
        fields.headerSize >= 0 ? std::uint32_t(fields.headerSize) : std::uint32_t(20 + body.size());
    QByteArray out;
    putUInt32BE(out, headerSize);
    putUInt32BE(out, fields.version);
    putUInt32BE(out, fields.width);
    putUInt32BE(out, fields.height);
    putUInt32BE(out, fields.bytesPerPixel);
    out.append(body);
    // A header size past the body pads it with zeros, unless it is meant to
    // point beyond the file; one inside the body cuts it short.
    if (headerSize <= (1u << 20)) out.resize(std::max<qsizetype>(out.size(), headerSize), '\0');
    out.truncate(std::max<qsizetype>(20, headerSize));
    out.append(fields.pixels.isEmpty() ? brushPixels(fields.width, fields.height, fields.bytesPerPixel)
                                       : fields.pixels);
    return out;
}

QByteArray gihFile(const QByteArray& name, const QByteArray& parameters, const QList<QByteArray>& cells) {
    QByteArray out = name + '\n' + parameters + '\n';
    for (const QByteArray& c : cells) out.append(c);
    return out;
}

QByteArray gihParameters(int cells, const QByteArray& step, const QByteArray& select) {
    const QByteArray n = QByteArray::number(cells);
    return n + " ncells:" + n + " cellwidth:8 cellheight:8 step:" + step + " dim:1 cols:" + n +
           " rows:1 placement:constant rank0:" + n + " select0:" + select;
}

QByteArray vbrFile(const VbrFields& fields) {
    QByteArray out = "GIMP-VBR\n" + fields.version + '\n' + fields.name + '\n';
    if (fields.version.startsWith("1.5")) {
        out += fields.shape + '\n' + fields.spacing + '\n' + fields.radius + '\n' + fields.spikes + '\n' +
               fields.hardness + '\n' + fields.aspectRatio + '\n' + fields.angle + '\n';
    } else {
        out += fields.spacing + '\n' + fields.radius + '\n' + fields.hardness + '\n' + fields.aspectRatio + '\n' +
               fields.angle + '\n';
    }
    return out;
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}

} // namespace testing_support
