// Writes the seed corpora of the brush fuzzers: good files of every kind,
// version, bytes per pixel and shape, made here rather than copied.
//   seeds_brushes <seeds-dir>   (writes <seeds-dir>/fuzz_gbr, fuzz_gih, fuzz_vbr)
#include "SeedFiles.h"
#include "support/BrushFileWriter.h"

#include <QDir>

#include <cstring>

using namespace seeds;
using namespace testing_support;

namespace {

QByteArray rawParams(double radius, double hardness, double aspect, double angle, double tableHardness,
                     std::int32_t spikes, std::uint8_t shape) {
    QByteArray out("RAW");
    for (double d : {radius, hardness, aspect, angle, tableHardness})
        out.append(reinterpret_cast<const char*>(&d), sizeof d);
    out.append(reinterpret_cast<const char*>(&spikes), sizeof spikes);
    out.append(char(shape));
    return out;
}

bool writeSeeds(const QString& root) {
    const QString gbr = root + "/fuzz_gbr", gih = root + "/fuzz_gih", vbr = root + "/fuzz_vbr";
    for (const QString& d : {gbr, gih, vbr}) QDir().mkpath(d);
    bool ok = true;

    QList<QByteArray> cells;
    for (std::uint32_t version : {1u, 2u}) {
        for (std::uint32_t bpp : {1u, 3u, 4u}) {
            GbrFields f;
            f.version = version;
            f.bytesPerPixel = bpp;
            f.width = 5 + bpp;
            f.height = 4 + version;
            f.name = "Seed " + QByteArray::number(bpp);
            f.pixels = brushPixels(f.width, f.height, bpp, int(bpp * 7 + version));
            const QByteArray file = gbrFile(f);
            ok &= writeSeed(gbr, QString("v%1-bpp%2.gbr").arg(version).arg(bpp), file);
            cells.append(file);
        }
    }
    GbrFields large;
    large.width = large.height = 24;
    large.bytesPerPixel = 4;
    large.name = "Caf\xC3\xA9 round";
    ok &= writeSeed(gbr, "v2-large.gbr", gbrFile(large));

    ok &= writeSeed(gih, "one-cell.gih", gihFile("Single", gihParameters(1), {cells[0]}));
    ok &= writeSeed(gih, "mixed.gih", gihFile("Mixed", gihParameters(6, "0.5", "random"), cells));
    ok &= writeSeed(gih, "grey.gih", gihFile("Grey", gihParameters(3, "1", "angular"), {cells[0], cells[3], cells[0]}));
    ok &= writeSeed(gih, "rgba.gih", gihFile("Colour", gihParameters(2, "2.5", "constant"), {cells[2], cells[5]}));
    ok &= writeSeed(gih, "rgb.gih", gihFile("Rgb", "2 ncells:2 select0:incremental", {cells[1], cells[4]}));

    VbrFields v10;
    v10.version = "1.0";
    v10.name = "Round";
    ok &= writeSeed(vbr, "v1.0.vbr", vbrFile(v10));
    const char* shapes[] = {"circle", "square", "diamond"};
    for (const char* shape : shapes) {
        for (const char* spikes : {"2", "5", "20"}) {
            VbrFields v;
            v.shape = shape;
            v.spikes = spikes;
            v.radius = "12.5";
            v.hardness = "0.75";
            v.aspectRatio = "1.5";
            v.angle = "30";
            ok &= writeSeed(vbr, QString("v1.5-%1-%2.vbr").arg(shape, spikes), vbrFile(v));
        }
    }
    ok &= writeSeed(vbr, "raw-soft.bin", rawParams(10, 0.5, 1, 0, 0.5, 2, 0));
    ok &= writeSeed(vbr, "raw-star.bin", rawParams(20, 0.2, 2, 45, 1, 7, 2));
    return ok;
}

} // namespace

int main(int argc, char** argv) { return seeds::run(argc, argv, "seeds_brushes", writeSeeds); }
