#include "brushes/GIMPBrushParser.h"
#include "support/BrushFileWriter.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::uint8_t alphaAt(const QImage& image, int x, int y) { return image.constScanLine(y)[4 * x + 3]; }

// A cell mask holds only coverage: the mask format and colour bytes of 0.
void expectCellMask(const QImage& image, int width, int height) {
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), kCellMaskFormat);
    EXPECT_EQ(image.width(), width);
    EXPECT_EQ(image.height(), height);
    EXPECT_EQ(image.bytesPerLine(), width * 4);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* p = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(p[4 * x] | p[4 * x + 1] | p[4 * x + 2], 0) << x << "," << y;
        }
    }
}

std::optional<ParsedGIMPBrush> gbr(const GbrFields& fields) { return GIMPBrushParser::parseGBR(gbrFile(fields)); }

GbrFields cellFields(std::uint32_t w, std::uint32_t h, std::uint32_t bpp, int seed = 0) {
    GbrFields s;
    s.width = w;
    s.height = h;
    s.bytesPerPixel = bpp;
    s.pixels = brushPixels(w, h, bpp, seed);
    return s;
}

std::optional<ParsedGIMPBrush> gihWith(const QByteArray& parameters, const QList<QByteArray>& cells,
                                       const QByteArray& name = "Pipe") {
    return GIMPBrushParser::parseGIH(gihFile(name, parameters, cells));
}

} // namespace

TEST(GIMPBrushParser, ExtensionIsLowercasedAndUnknownOnesRefused) {
    const QByteArray file = gbrFile(cellFields(3, 2, 1));
    EXPECT_TRUE(GIMPBrushParser::parse(file, u"GBR"));
    EXPECT_TRUE(GIMPBrushParser::parse(file, u"gbr"));
    EXPECT_FALSE(GIMPBrushParser::parse(file, u"png"));
    EXPECT_FALSE(GIMPBrushParser::parse(file, u"gih"));
    EXPECT_FALSE(GIMPBrushParser::parse(file, u""));
    EXPECT_TRUE(GIMPBrushParser::parse(vbrFile({}), u"Vbr"));
}

TEST(GIMPBrushParser, GbrOfEveryVersionAndBytesPerPixel) {
    for (std::uint32_t version : {1u, 2u}) {
        for (std::uint32_t bpp : {1u, 3u, 4u}) {
            GbrFields fields = cellFields(7, 5, bpp, int(bpp));
            fields.version = version;
            fields.spacing = 40;
            fields.name = "  Soft round\n";
            const auto b = gbr(fields);
            ASSERT_TRUE(b) << version << "/" << bpp;
            ASSERT_EQ(b->cells.size(), 1u);
            expectCellMask(b->cells[0], 7, 5);
            EXPECT_EQ(b->name, QString("Soft round"));
            EXPECT_EQ(b->diameter, 7);
            EXPECT_EQ(b->spacing, version == 2 ? 40 : 25);
            EXPECT_EQ(b->opacity, 1);
            EXPECT_EQ(b->selection, GIMPCellSelection::sequential);
            EXPECT_FALSE(b->vbr);
            for (int i = 0; i < 35; ++i) {
                const auto* p = reinterpret_cast<const std::uint8_t*>(fields.pixels.constData()) + i * bpp;
                const double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
                const long expected = bpp == 1 ? p[0] : bpp == 3 ? std::lround(luma) : std::lround(luma / 255 * p[3]);
                ASSERT_EQ(alphaAt(b->cells[0], i % 7, i / 7), expected) << "pixel " << i;
            }
        }
    }
}

TEST(GIMPBrushParser, GbrCoverageFromColourAndAlpha) {
    GbrFields fields;
    fields.width = 4;
    fields.height = 1;
    fields.bytesPerPixel = 4;
    fields.pixels = QByteArray("\xFF\xFF\xFF\x80"
                               "\x00\x00\x00\xFF"
                               "\xFF\x00\x00\xFF"
                               "\xFF\xFF\xFF\x00",
                               16);
    auto b = gbr(fields);
    ASSERT_TRUE(b);
    EXPECT_EQ(alphaAt(b->cells[0], 0, 0), 128);
    EXPECT_EQ(alphaAt(b->cells[0], 1, 0), 0);
    EXPECT_EQ(alphaAt(b->cells[0], 2, 0), 54); // red carries 0.2126 of the luma
    EXPECT_EQ(alphaAt(b->cells[0], 3, 0), 0);

    fields.bytesPerPixel = 3;
    fields.width = 2;
    fields.pixels = QByteArray("\x00\xFF\x00"
                               "\x00\x00\xFF",
                               6);
    b = gbr(fields);
    ASSERT_TRUE(b);
    EXPECT_EQ(alphaAt(b->cells[0], 0, 0), 182);
    EXPECT_EQ(alphaAt(b->cells[0], 1, 0), 18);
}

TEST(GIMPBrushParser, GbrSpacingAndDiameter) {
    GbrFields fields = cellFields(3, 9, 1);
    fields.spacing = 0;
    auto b = gbr(fields);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->spacing, 1.0);
    EXPECT_EQ(b->diameter, 9);
    fields.spacing = 4000000000u; // unsigned, stays finite
    EXPECT_EQ(gbr(fields)->spacing, 4000000000.0);
}

TEST(GIMPBrushParser, NamesAreCutAtZeroAndValidatedNotRepaired) {
    const auto nameOf = [](const QByteArray& name) {
        GbrFields fields = cellFields(2, 2, 1);
        fields.name = name;
        const auto b = gbr(fields);
        EXPECT_TRUE(b);
        return b ? b->name : std::nullopt;
    };
    EXPECT_EQ(nameOf(QByteArray("Dots\0more bytes", 15)), QString("Dots"));
    EXPECT_EQ(nameOf(QByteArray("\0Dots", 5)), std::nullopt);
    EXPECT_EQ(nameOf("Caf\xC3\xA9"), QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(nameOf(" \t\n "), QString(""));
    EXPECT_EQ(nameOf("Caf\xE9"), std::nullopt);          // Latin-1, not UTF-8
    EXPECT_EQ(nameOf("\xC0\xAF"), std::nullopt);         // overlong "/"
    EXPECT_EQ(nameOf("a\xED\xA0\x80z"), std::nullopt);   // encoded surrogate
    EXPECT_EQ(nameOf("\xF4\x90\x80\x80"), std::nullopt); // above U+10FFFF
    EXPECT_EQ(nameOf("ab\xE2\x82"), std::nullopt);       // truncated sequence
    EXPECT_EQ(nameOf("\xF0\x9F\x96\x8C"), QString::fromUtf8("\xF0\x9F\x96\x8C"));

    // The name field ends at the header size, not at the file's end.
    GbrFields v1 = cellFields(2, 2, 1);
    v1.version = 1;
    v1.name = "Old";
    v1.headerSize = 22;
    EXPECT_EQ(gbr(v1)->name, QString("Ol"));
    EXPECT_EQ(GIMPBrushParser::decodeName("abc", 2, 1), std::nullopt);
    EXPECT_EQ(GIMPBrushParser::decodeName("abc", -5, 99), QString("abc"));
}

TEST(GIMPBrushParser, GbrRefusals) {
    const auto refused = [](GbrFields fields) { return !gbr(fields); };
    GbrFields good = cellFields(4, 3, 1);
    ASSERT_FALSE(refused(good));

    EXPECT_FALSE(GIMPBrushParser::parseGBR(gbrFile(good).first(19)));
    EXPECT_FALSE(GIMPBrushParser::parseGBR(QByteArray()));
    GbrFields s = good;
    s.width = 0;
    EXPECT_TRUE(refused(s));
    s = good;
    s.height = 0;
    EXPECT_TRUE(refused(s));
    for (std::uint32_t bpp : {0u, 2u, 5u, 0xFFFFFFFFu}) {
        s = good;
        s.bytesPerPixel = bpp;
        s.pixels = QByteArray(4 * 3 * 8, '\x7F');
        EXPECT_TRUE(refused(s)) << bpp;
    }
    for (std::uint32_t version : {0u, 3u, 0xFFFFFFFFu}) {
        s = good;
        s.version = version;
        EXPECT_TRUE(refused(s)) << version;
    }
    for (std::int64_t headerSize : {0, 4, 19}) {
        s = good;
        s.headerSize = headerSize;
        EXPECT_TRUE(refused(s)) << headerSize;
    }
    // Pixel data one byte short.
    EXPECT_FALSE(GIMPBrushParser::parseGBR(gbrFile(good).chopped(1)));
    // A header size beyond the file.
    s = good;
    s.headerSize = 0xFFFFFFFF;
    EXPECT_TRUE(refused(s));
    // Version 2 needs "GIMP" at byte 20, and 28 bytes to hold it and the spacing.
    s = good;
    s.magic = "GIMQ";
    EXPECT_TRUE(refused(s));
    s = good;
    s.magic = "gimp";
    EXPECT_TRUE(refused(s));
    s = cellFields(1, 1, 4);
    s.headerSize = 20;
    EXPECT_EQ(gbrFile(s).size(), 24);
    EXPECT_TRUE(refused(s));
    s.version = 1;
    EXPECT_FALSE(refused(s));
}

TEST(GIMPBrushParser, HugeDimensionsAreRefusedWithoutArithmeticFaults) {
    for (std::uint32_t bpp : {1u, 3u, 4u}) {
        GbrFields s;
        s.width = s.height = 0xFFFFFFFFu;
        s.bytesPerPixel = bpp;
        s.pixels = QByteArray(64, '\x01');
        EXPECT_FALSE(gbr(s)) << bpp;
        s.height = 1;
        EXPECT_FALSE(gbr(s)) << bpp;
        s.headerSize = 0xFFFFFFFFu;
        EXPECT_FALSE(gbr(s)) << bpp;
    }
    // The mask builder itself refuses what no brush could need.
    EXPECT_FALSE(GIMPBrushParser::makeMaskImage("x", 0, 1 << 20, 1 << 20, 1));
    EXPECT_FALSE(GIMPBrushParser::makeMaskImage("x", 0, 0xFFFFFFFFll, 0xFFFFFFFFll, 4));
    EXPECT_FALSE(GIMPBrushParser::makeMaskImage("x", 0, 0, 3, 1));
    EXPECT_FALSE(GIMPBrushParser::makeMaskImage("x", 0, -3, 3, 1));
}

TEST(GIMPBrushParser, MaskPixelsBeyondTheDataStayClear) {
    const QByteArray data("\x10\x20\x30\x40\x50", 5);
    auto m = GIMPBrushParser::makeMaskImage(data, 1, 3, 2, 1);
    ASSERT_TRUE(m);
    expectCellMask(*m, 3, 2);
    EXPECT_EQ(alphaAt(*m, 0, 0), 0x20);
    EXPECT_EQ(alphaAt(*m, 0, 1), 0x50);
    EXPECT_EQ(alphaAt(*m, 1, 1), 0);
    m = GIMPBrushParser::makeMaskImage(data, 3, 2, 1, 3); // last byte of pixel 0 is past the end
    ASSERT_TRUE(m);
    EXPECT_EQ(alphaAt(*m, 0, 0), 0);
    for (qint64 bpp : {2, 5}) {
        m = GIMPBrushParser::makeMaskImage(data, 0, 2, 1, bpp);
        ASSERT_TRUE(m);
        EXPECT_EQ(alphaAt(*m, 0, 0) + alphaAt(*m, 1, 0), 0);
    }
    EXPECT_EQ(alphaAt(*GIMPBrushParser::makeMaskImage(data, -1, 2, 1, 1), 0, 0), 0);
    EXPECT_EQ(alphaAt(*GIMPBrushParser::makeMaskImage(data, 99, 2, 1, 1), 0, 0), 0);
}

TEST(GIMPBrushParser, ReadUInt32BE) {
    const QByteArray d("\x01\x02\x03\x04\xFF", 5);
    EXPECT_EQ(GIMPBrushParser::readUInt32BE(d, 0), 0x01020304u);
    EXPECT_EQ(GIMPBrushParser::readUInt32BE(d, 1), 0x020304FFu);
    EXPECT_EQ(GIMPBrushParser::readUInt32BE(d, 2), 0u);
    EXPECT_EQ(GIMPBrushParser::readUInt32BE(d, -1), 0u);
    EXPECT_EQ(GIMPBrushParser::readUInt32BE(d, std::numeric_limits<qint64>::max()), 0u);
}

TEST(GIMPBrushParser, GihWithCellsOfEveryBytesPerPixel) {
    const QList<QByteArray> cells{gbrFile(cellFields(5, 4, 1, 1)), gbrFile(cellFields(3, 9, 3, 2)),
                                  gbrFile(cellFields(6, 2, 4, 3))};
    auto b = gihWith("3 ncells:3 step:0.5 select0:Random", cells, "  Confetti ");
    ASSERT_TRUE(b);
    ASSERT_EQ(b->cells.size(), 3u);
    expectCellMask(b->cells[0], 5, 4);
    expectCellMask(b->cells[1], 3, 9);
    expectCellMask(b->cells[2], 6, 2);
    for (int i = 0; i < 3; ++i) {
        // Each cell equals the same bytes read as a .gbr.
        EXPECT_EQ(b->cells[size_t(i)], GIMPBrushParser::parseGBR(cells[i])->cells[0]) << i;
    }
    EXPECT_EQ(b->name, QString("Confetti"));
    EXPECT_EQ(b->spacing, 50);
    EXPECT_EQ(b->selection, GIMPCellSelection::random);
    EXPECT_EQ(b->diameter, 9);
    EXPECT_EQ(b->opacity, 1);
    EXPECT_FALSE(b->vbr);

    // GIMP's own key "sel0" is not read.
    EXPECT_EQ(gihWith("ncells:3 step:0.5 sel0:random", cells)->selection, GIMPCellSelection::sequential);
    EXPECT_EQ(gihWith("ncells:3 select0:ANGULAR", cells)->selection, GIMPCellSelection::angular);
    EXPECT_EQ(gihWith("ncells:3 select0:constant", cells)->selection, GIMPCellSelection::constant);
    EXPECT_EQ(gihWith("ncells:3 select0:incremental", cells)->selection, GIMPCellSelection::sequential);
    EXPECT_EQ(gihWith("ncells:3 Select0:random", cells)->selection, GIMPCellSelection::sequential);
}

TEST(GIMPBrushParser, GihParameterLine) {
    const QList<QByteArray> cells{gbrFile(cellFields(2, 2, 1)), gbrFile(cellFields(2, 2, 1)),
                                  gbrFile(cellFields(2, 2, 1))};
    const auto count = [&](const QByteArray& params) {
        const auto b = gihWith(params, cells);
        return b ? int(b->cells.size()) : -1;
    };
    const auto spacing = [&](const QByteArray& params) { return gihWith(params, cells)->spacing; };
    EXPECT_EQ(count(""), 1);
    EXPECT_EQ(count("ncells:3"), 3);
    EXPECT_EQ(count("ncells:+3"), 3);
    EXPECT_EQ(count("ncells::3:"), 3); // empty parts dropped
    EXPECT_EQ(count("ncells:3:4"), 1); // three parts: ignored
    EXPECT_EQ(count("ncells:two"), 1);
    EXPECT_EQ(count("ncells:3.0"), 1);
    EXPECT_EQ(count("ncells:99999999999999999999"), 1); // beyond 64 bits: unparsable
    EXPECT_EQ(count("ncells:0"), -1);
    EXPECT_EQ(count("ncells:-2"), -1);
    EXPECT_EQ(count("ncells:+-2"), 1);
    EXPECT_EQ(count("ncells:3   ncells:2"), 2); // the later token wins
    EXPECT_EQ(count("NCELLS:3"), 1);
    EXPECT_EQ(count("ncells:9223372036854775807"), 3); // a huge claim reads what is there
    EXPECT_EQ(count("ncells:2\tstep:1"), 1);           // only spaces separate tokens

    EXPECT_EQ(spacing(""), 25);
    EXPECT_EQ(spacing("step:0.25"), 25);
    EXPECT_EQ(spacing("step:1e-3"), 1); // at least 1
    EXPECT_EQ(spacing("step:1.5"), 150);
    EXPECT_EQ(spacing("step:3 step:x"), 25); // unparsable resets the spacing
    for (const char* bad : {"nan", "inf", "-inf", "infinity", "1e400", "0x10", "1,5", "1e", "."}) {
        EXPECT_EQ(spacing(QByteArray("step:2 step:") + bad), 25) << bad;
    }
    // Finite, but a hundred times it is not: an infinite spacing would be
    // stored in the brush index, which cannot read it back.
    EXPECT_EQ(spacing("step:1e307"), 25);

    // A parameter line that is not UTF-8 leaves the defaults.
    EXPECT_EQ(count("ncells:3 \xFF"), 1);
    // A name line that is not UTF-8 gives no name but the brush is read.
    const auto b = gihWith("ncells:3", cells, "Bad\xFF");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, std::nullopt);
    EXPECT_EQ(gihWith("ncells:3", cells, "")->name, QString(""));
}

TEST(GIMPBrushParser, GihCellList) {
    const QByteArray a = gbrFile(cellFields(4, 4, 1)), big = gbrFile(cellFields(11, 3, 4));
    EXPECT_EQ(gihWith("ncells:5", {a, big})->cells.size(), 2u);
    EXPECT_EQ(gihWith("ncells:5", {a, big})->diameter, 11);

    // A bad header or a short cell ends the list; the cells before it remain.
    GbrFields badHeader = cellFields(4, 4, 2);
    badHeader.pixels = QByteArray(32, 'x');
    EXPECT_EQ(gihWith("ncells:3", {a, gbrFile(badHeader), a})->cells.size(), 1u);
    EXPECT_EQ(gihWith("ncells:3", {a, a, a.chopped(1)})->cells.size(), 2u);
    EXPECT_EQ(gihWith("ncells:3", {a, a, a.first(19)})->cells.size(), 2u);
    EXPECT_FALSE(gihWith("ncells:3", {a.chopped(1)}));
    EXPECT_FALSE(gihWith("ncells:3", {}));

    // A cell whose size overflows refuses the whole file.
    GbrFields huge;
    huge.width = huge.height = 0xFFFFFFFFu;
    huge.bytesPerPixel = 4;
    huge.pixels = "xxxx";
    EXPECT_FALSE(gihWith("ncells:2", {a, gbrFile(huge)}));
    huge.height = 1;
    EXPECT_EQ(gihWith("ncells:2", {a, gbrFile(huge)})->cells.size(), 1u); // fits 64 bits, short file

    // Line structure.
    const QByteArray good = gihFile("Pipe", "ncells:1", {a});
    EXPECT_TRUE(GIMPBrushParser::parseGIH(good));
    EXPECT_FALSE(GIMPBrushParser::parseGIH("Pipe only"));
    EXPECT_FALSE(GIMPBrushParser::parseGIH("Pipe\n"));
    EXPECT_FALSE(GIMPBrushParser::parseGIH("Pipe\nncells:1"));
    EXPECT_FALSE(GIMPBrushParser::parseGIH(QByteArray("Pipe\nncells:1 ") + a)); // no second line feed
    EXPECT_FALSE(GIMPBrushParser::parseGIH(QByteArray()));
}

TEST(GIMPBrushParser, VbrBothVersions) {
    VbrFields v10;
    v10.version = "1.0";
    v10.name = "Round";
    v10.spacing = "10";
    v10.radius = "5";
    v10.hardness = "0.5";
    v10.aspectRatio = "1";
    v10.angle = "0";
    const QByteArray file10 = vbrFile(v10);
    EXPECT_EQ(file10.count('\n'), 8);
    auto b = GIMPBrushParser::parseVBR(file10);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, QString("Round"));
    ASSERT_TRUE(b->vbr);
    EXPECT_EQ(*b->vbr, (VBRParams{VBRShape::circle, 5, 2, 0.5, 1, 0}));
    EXPECT_EQ(b->diameter, 10);
    EXPECT_EQ(b->spacing, 10);
    EXPECT_EQ(b->opacity, 1);
    EXPECT_EQ(b->selection, GIMPCellSelection::sequential);
    ASSERT_EQ(b->cells.size(), 1u);
    EXPECT_EQ(b->cells[0], *GIMPBrushParser::renderVBR(*b->vbr));
    expectCellMask(b->cells[0], 11, 11);

    // Blank lines, CR LF, other line breaks and surrounding tabs are ignored.
    QByteArray messy = "\n\t GIMP-VBR\r\n\r\n1.0 \n\x0CRound\xE2\x80\xA8"
                       "10\t\n5\n\n0.5\n1\n0";
    EXPECT_EQ(GIMPBrushParser::parseVBR(messy)->vbr, b->vbr);

    VbrFields v15;
    v15.shape = "Square";
    v15.spikes = "5";
    v15.angle = "-30";
    v15.aspectRatio = "2.5";
    const auto t = GIMPBrushParser::parseVBRText(vbrFile(v15));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->params, (VBRParams{VBRShape::square, 10, 5, 0.5, 2.5, 30}));
    EXPECT_EQ(t->name, QString("Generated"));
    EXPECT_EQ(t->spacing, 20);
    v15.shape = "DIAMOND";
    EXPECT_EQ(GIMPBrushParser::parseVBRText(vbrFile(v15))->params.shape, VBRShape::diamond);
}

TEST(GIMPBrushParser, VbrRefusals) {
    const auto parses = [](const VbrFields& s) { return GIMPBrushParser::parseVBR(vbrFile(s)).has_value(); };
    ASSERT_TRUE(parses({}));
    const auto with = [](QByteArray VbrFields::*field, const QByteArray& value) {
        VbrFields s;
        s.*field = value;
        return s;
    };
    for (const char* spikes : {"1", "21", "3.5", "-5", "five", "", "1e1"})
        EXPECT_FALSE(parses(with(&VbrFields::spikes, spikes))) << spikes;
    EXPECT_TRUE(parses(with(&VbrFields::spikes, "+20")));
    for (const char* shape : {"star", "circles", "triangle"}) EXPECT_FALSE(parses(with(&VbrFields::shape, shape)));
    for (const char* radius : {"0", "-1", "-0"}) EXPECT_FALSE(parses(with(&VbrFields::radius, radius))) << radius;
    EXPECT_FALSE(parses(with(&VbrFields::version, "2.0")));
    EXPECT_FALSE(parses(with(&VbrFields::version, "v1.5")));
    EXPECT_TRUE(parses(with(&VbrFields::version, "1.50")));

    // Only whole, finite C-locale numbers.
    for (auto field :
         {&VbrFields::spacing, &VbrFields::radius, &VbrFields::hardness, &VbrFields::aspectRatio, &VbrFields::angle}) {
        for (const char* bad : {"nan", "NaN", "inf", "-inf", "Infinity", "1e400", "-1e999", "0x1p3", "1,5", "1 5",
                                "5px", "e5", "1e+", "--1", "+-1"}) {
            EXPECT_FALSE(parses(with(field, bad))) << bad;
        }
        for (const char* good : {".5", "5.", "+2", "1E1", "3e-2", "000012.5000"}) {
            EXPECT_TRUE(parses(with(field, good))) << good;
        }
        // Too small for a double: zero, which only the radius refuses.
        EXPECT_EQ(parses(with(field, "1e-400")), field != &VbrFields::radius);
    }
    EXPECT_EQ(GIMPBrushParser::parseVBRText(vbrFile(with(&VbrFields::hardness, "-1e-400")))->params.hardness, 0);

    // Line structure.
    QByteArray f = vbrFile({});
    EXPECT_FALSE(GIMPBrushParser::parseVBR(QByteArray(f).replace("GIMP-VBR", "GIMP-VBX")));
    EXPECT_FALSE(GIMPBrushParser::parseVBR(f.first(f.lastIndexOf('\n', f.size() - 2) + 1))); // 9 lines
    VbrFields v10;
    v10.version = "1.0";
    const QByteArray f10 = vbrFile(v10);
    EXPECT_FALSE(GIMPBrushParser::parseVBR(f10.first(f10.lastIndexOf('\n', f10.size() - 2) + 1))); // 7 lines
    EXPECT_FALSE(GIMPBrushParser::parseVBR(QByteArray(f).replace("Generated", "Gen\xFF")));
    EXPECT_FALSE(GIMPBrushParser::parseVBR(QByteArray()));
}

TEST(GIMPBrushParser, VbrParametersAreClamped) {
    const auto params = [](const char* radius, const char* angle) {
        VbrFields s;
        s.radius = radius;
        s.angle = angle;
        return GIMPBrushParser::parseVBR(vbrFile(s));
    };
    auto b = params("400", "0");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->vbr->radius, 250);
    EXPECT_EQ(b->diameter, 500);
    EXPECT_EQ(params("10", "-30")->vbr->angle, 30);
    EXPECT_NEAR(params("10", "270")->vbr->angle, 90, 1e-6);
    EXPECT_EQ(params("10", "180")->vbr->angle, 180);
    EXPECT_EQ(params("0.25", "0")->vbr->radius, 1);
    VbrFields s;
    s.spacing = "-7";
    EXPECT_EQ(GIMPBrushParser::parseVBR(vbrFile(s))->spacing, 1);
}
