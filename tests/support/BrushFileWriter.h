#pragma once

// Writes brush files (.gbr, .gih, .vbr) the way GIMP lays them out, for tests,
// benchmarks and the fuzzers' seed corpora. Every field can be set, so bad
// headers are as easy to make as good ones.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace testing_support {

// Deterministic pixel bytes with a gradient and some texture.
QByteArray brushPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, int seed = 0);

struct GbrFields {
    std::uint32_t version = 2;
    std::uint32_t width = 4;
    std::uint32_t height = 3;
    std::uint32_t bytesPerPixel = 1;
    std::uint32_t spacing = 20;     // version 2 only
    QByteArray magic = "GIMP";      // version 2 only
    QByteArray name = "Test brush"; // written with a terminating zero
    std::int64_t headerSize = -1;   // -1: exactly the header's length
    QByteArray pixels;              // empty: brushPixels(width, height, bytesPerPixel)
};
QByteArray gbrFile(const GbrFields& fields);

// Name line, parameter line, then the cells (each a .gbr record).
QByteArray gihFile(const QByteArray& name, const QByteArray& parameters, const QList<QByteArray>& cells);
// GIMP's own parameter line for `cells` cells.
QByteArray gihParameters(int cells, const QByteArray& step = "0.25", const QByteArray& select = "random");

struct VbrFields {
    QByteArray version = "1.5";
    QByteArray name = "Generated";
    QByteArray shape = "circle"; // 1.5 only
    QByteArray spacing = "20";
    QByteArray radius = "10";
    QByteArray spikes = "2"; // 1.5 only
    QByteArray hardness = "0.5";
    QByteArray aspectRatio = "1";
    QByteArray angle = "0";
};
QByteArray vbrFile(const VbrFields& fields);

// Writes the bytes as a file at `path`, making its folder; returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);

} // namespace testing_support
