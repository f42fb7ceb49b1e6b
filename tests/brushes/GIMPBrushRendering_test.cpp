#include "brushes/GIMPBrushParser.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

namespace {

std::uint8_t alphaAt(const QImage& image, int x, int y) { return image.constScanLine(y)[4 * x + 3]; }

QImage render(VBRShape shape, double radius, int spikes, double hardness, double aspect, double angle) {
    const auto image = GIMPBrushParser::renderVBR({shape, radius, spikes, hardness, aspect, angle});
    EXPECT_TRUE(image);
    return image.value_or(QImage());
}

// The generated brush written plainly, point by point: a float buffer, a full
// atan2 fold per pixel and the stores in loop order. The renderer takes
// shortcuts; its output must not differ by a single byte.
QImage plainRender(VBRParams p) {
    const double pi = std::numbers::pi;
    const VBRParams q = p.clamped();
    const double r = q.radius;
    const int k = q.spikes;
    const double theta = (std::round(q.angle * 1000) / 1000) * pi / 180;
    const double s = std::sin(theta), c = std::cos(theta), sr = r / q.aspectRatio;
    double hw, hh;
    if (k >= 3) {
        hw = hh = std::sqrt(r * r + sr * sr);
    } else if (q.shape == VBRShape::circle) {
        hw = std::sqrt(std::pow(c * r, 2) + std::pow(s * sr, 2));
        hh = std::sqrt(std::pow(s * r, 2) + std::pow(c * sr, 2));
    } else if (q.shape == VBRShape::square) {
        hw = std::abs(c * r) + std::abs(s * sr);
        hh = std::abs(s * r) + std::abs(c * sr);
    } else {
        hw = std::max(std::abs(c * r), std::abs(s * sr));
        hh = std::max(std::abs(s * r), std::abs(c * sr));
    }
    const int halfW = std::max(1, int(std::ceil(2 * hw))) / 2, halfH = std::max(1, int(std::ceil(2 * hh))) / 2;
    const int W = 2 * halfW + 1, H = 2 * halfH + 1;
    const std::vector<float> L = GIMPBrushParser::vbrCoverage(r, q.hardness);
    const double cs = std::cos(-2 * pi / k), ss = std::sin(-2 * pi / k);
    std::vector<float> buffer(size_t(W) * H, 0.0f);
    for (int y = k % 2 ? -halfH : 0; y <= halfH; ++y) {
        for (int x = -halfW; x <= halfW; ++x) {
            double tx = c * x - s * y, ty = std::abs(s * x + c * y);
            if (k >= 3) {
                double a = std::atan2(ty, tx);
                while (a > pi / k) {
                    const double nx = cs * tx - ss * ty;
                    ty = ss * tx + cs * ty;
                    tx = nx;
                    a -= 2 * pi / k;
                }
            }
            ty *= q.aspectRatio;
            const double d = q.shape == VBRShape::circle   ? std::sqrt(tx * tx + ty * ty)
                             : q.shape == VBRShape::square ? std::max(std::abs(tx), std::abs(ty))
                                                           : std::abs(tx) + std::abs(ty);
            float v = 0;
            if (d < r + 1) {
                const long i = std::lround(4 * d);
                if (i >= 0 && i < long(L.size())) v = L[size_t(i)];
            }
            buffer[size_t(y + halfH) * W + size_t(x + halfW)] = v;
            if (k % 2 == 0) buffer[size_t(halfH - y) * W + size_t(halfW - x)] = v;
        }
    }
    QImage image(W, H, kCellMaskFormat);
    image.fill(0);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float v = buffer[size_t(y) * W + size_t(x)];
            image.scanLine(y)[4 * x + 3] =
                v <= 0 ? 0 : std::uint8_t(std::clamp(std::round(std::min(v, 1.0f) * 255.0f), 0.0f, 255.0f));
        }
    }
    return image;
}

// True when the coverage at `distance` from the centre alternates around it
// in `points` high and `points` low directions: a star or polygon with that
// many points.
bool showsPoints(const QImage& image, int points, double distance) {
    const double cx = image.width() / 2, cy = image.height() / 2;
    std::vector<int> a;
    for (int j = 0; j < 2 * points; ++j) {
        const double phi = j * std::numbers::pi / points;
        a.push_back(alphaAt(image, int(std::lround(cx + distance * std::cos(phi))),
                            int(std::lround(cy + distance * std::sin(phi)))));
    }
    bool evenHigh = true, oddHigh = true;
    for (int j = 0; j < 2 * points; j += 2) {
        for (int i = 1; i < 2 * points; i += 2) {
            evenHigh = evenHigh && a[size_t(j)] > a[size_t(i)] + 16;
            oddHigh = oddHigh && a[size_t(i)] > a[size_t(j)] + 16;
        }
    }
    return evenHigh || oddHigh;
}

} // namespace

TEST(GIMPBrushRendering, SoftCircleMiddleRow) {
    const QImage image = render(VBRShape::circle, 10, 2, 0.5, 1, 0);
    ASSERT_EQ(image.width(), 21);
    ASSERT_EQ(image.height(), 21);
    EXPECT_EQ(image.format(), kCellMaskFormat);
    const int expected[21] = {0, 4, 14, 32, 58, 93, 137, 180, 216, 242, 253, 242, 216, 180, 137, 93, 58, 32, 14, 4, 0};
    for (int x = 0; x < 21; ++x) EXPECT_EQ(alphaAt(image, x, 10), expected[x]) << x;
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 21; ++x) {
            const std::uint8_t* p = image.constScanLine(y) + 4 * x;
            EXPECT_EQ(p[0] | p[1] | p[2], 0);
            if (std::hypot(x - 10, y - 10) > 11) {
                EXPECT_EQ(p[3], 0) << x << "," << y;
            }
        }
    }
}

TEST(GIMPBrushRendering, HardnessProfiles) {
    const QImage hard = render(VBRShape::circle, 10, 2, 1, 1, 0);
    std::set<int> edgeValues;
    for (int y = 0; y < hard.height(); ++y) {
        for (int x = 0; x < hard.width(); ++x) {
            const int a = alphaAt(hard, x, y);
            if (std::hypot(x - 10, y - 10) < 9.625) EXPECT_EQ(a, 255) << x << "," << y;
            else edgeValues.insert(a);
        }
    }
    for (int v : edgeValues) EXPECT_TRUE(v == 0 || v == 64 || v == 128 || v == 191 || v == 255) << v;
    EXPECT_EQ(edgeValues.count(0), 1u);
    for (auto [x, y] : {std::pair{0, 10}, {20, 10}, {10, 0}, {10, 20}}) EXPECT_EQ(alphaAt(hard, x, y), 128);

    const QImage soft = render(VBRShape::circle, 10, 2, 0, 1, 0);
    int peak = 0;
    for (int y = 0; y < soft.height(); ++y)
        for (int x = 0; x < soft.width(); ++x) peak = std::max<int>(peak, alphaAt(soft, x, y));
    EXPECT_EQ(alphaAt(soft, 10, 10), 229);
    EXPECT_EQ(peak, 229);
}

TEST(GIMPBrushRendering, ImageSizes) {
    EXPECT_EQ(render(VBRShape::circle, 10, 2, 0.5, 2, 90).size(), QSize(11, 21));
    EXPECT_EQ(render(VBRShape::circle, 10, 2, 0.5, 2, 0).size(), QSize(21, 11));
    EXPECT_EQ(render(VBRShape::circle, 250, 2, 0.5, 1, 0).size(), QSize(501, 501));
    EXPECT_EQ(render(VBRShape::square, 10, 2, 0.5, 1, 45).size(), QSize(29, 29));
    EXPECT_EQ(render(VBRShape::diamond, 10, 2, 0.5, 1, 45).size(), QSize(15, 15));
    EXPECT_EQ(render(VBRShape::circle, 1, 2, 0.5, 20, 0).size(), QSize(3, 1));
    for (VBRShape shape : kAllVBRShapes) {
        EXPECT_EQ(render(shape, 10, 5, 0.5, 1, 0).size(), QSize(29, 29));
        EXPECT_EQ(render(shape, 250, 20, 0.5, 1, 33).size(), QSize(709, 709)); // the largest there is
        EXPECT_EQ(render(shape, 900, 19, 0.5, 1, 33).size(), QSize(709, 709));
    }
}

TEST(GIMPBrushRendering, SpikesMakePoints) {
    // Square sides fold into a pentagon with its corners between the sectors'
    // centres, diamonds into a five-pointed star.
    EXPECT_TRUE(showsPoints(render(VBRShape::square, 40, 5, 1, 1, 0), 5, 45));
    EXPECT_TRUE(showsPoints(render(VBRShape::diamond, 10, 5, 0.5, 1, 0), 5, 5));
    // Folding keeps the distance from the centre, so a round star needs an
    // aspect ratio to show its points.
    EXPECT_TRUE(showsPoints(render(VBRShape::circle, 10, 5, 0.5, 2, 0), 5, 5));
    EXPECT_FALSE(showsPoints(render(VBRShape::circle, 10, 5, 0.5, 1, 0), 5, 5));
    EXPECT_TRUE(showsPoints(render(VBRShape::circle, 40, 8, 1, 3, 0), 8, 30));
    EXPECT_TRUE(showsPoints(render(VBRShape::diamond, 40, 20, 1, 1.5, 0), 20, 36));
    EXPECT_FALSE(showsPoints(render(VBRShape::diamond, 10, 5, 0.5, 1, 0), 4, 5));
}

TEST(GIMPBrushRendering, AnglesAndRadiiFoldIntoTheClampedRange) {
    const auto image = [](double radius, double angle, int spikes = 2) {
        return render(VBRShape::square, radius, spikes, 0.7, 3, angle);
    };
    EXPECT_EQ(image(10, 45.0004), image(10, 45));
    EXPECT_EQ(image(120, 45.0006), image(120, 45.001));
    EXPECT_EQ(image(10, 270), image(10, 90));
    EXPECT_EQ(image(10, -30), image(10, 30));
    EXPECT_EQ(image(300, 12), image(250, 12));
    EXPECT_EQ(image(10, 0, 25), image(10, 0, 20));
    EXPECT_EQ(image(10, 0, 1), image(10, 0, 2));
    EXPECT_NEAR((VBRParams{VBRShape::circle, 10, 2, 1, 1, 270}.clamped().angle), 90, 1e-6);
}

TEST(GIMPBrushRendering, MatchesThePlainAlgorithmByteForByte) {
    int cases = 0;
    const double radii[] = {1, 2.3, 10, 37.5};
    const int spikeCounts[] = {2, 3, 4, 5, 7, 12, 20};
    const double aspects[] = {1, 1.7, 20};
    const double angles[] = {0, 17.5, 45, 90, 123.4567, 180};
    const double hardnesses[] = {0, 0.5, 1};
    unsigned pick = 1;
    for (VBRShape shape : kAllVBRShapes) {
        for (double radius : radii) {
            for (int spikes : spikeCounts) {
                for (double aspect : aspects) {
                    for (double angle : angles) {
                        pick = pick * 1103515245u + 12345u;
                        if ((pick >> 16) % 4 != 0) continue; // a quarter of the grid keeps this quick
                        const VBRParams p{shape, radius, spikes, hardnesses[(pick >> 8) % 3], aspect, angle};
                        ASSERT_EQ(*GIMPBrushParser::renderVBR(p), plainRender(p))
                            << rawValue(shape) << " r" << radius << " k" << spikes << " a" << aspect << " @" << angle;
                        ++cases;
                    }
                }
            }
        }
    }
    EXPECT_GT(cases, 300);
    for (const VBRParams& largest :
         {VBRParams{VBRShape::circle, 250, 19, 0.25, 1, 33.3}, VBRParams{VBRShape::diamond, 250, 20, 0.9, 1, 171},
          VBRParams{VBRShape::square, 250, 3, 0, 1, 12}}) {
        EXPECT_EQ(*GIMPBrushParser::renderVBR(largest), plainRender(largest)) << largest.spikes;
    }
}

TEST(GIMPBrushRendering, CoverageTable) {
    const std::vector<float> table = GIMPBrushParser::vbrCoverage(10, 0.5);
    ASSERT_EQ(table.size(), 68u); // 4 x ceil(1 + sqrt(2 x 11^2))
    // Every entry within 0…1, even where the running sum cancels out
    // (radius 20, hardness 0 once gave -3e-16).
    for (double radius : {0.2, 1.0, 10.0, 20.0, 77.7, 250.0}) {
        for (double hardness : {0.0, 6.1e-5, 0.5, 0.9999999, 1.0}) {
            for (float v : GIMPBrushParser::vbrCoverage(radius, hardness)) {
                ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << radius << " " << hardness << ": " << v;
            }
        }
    }
    EXPECT_GT(table[0], table[20]);
    EXPECT_EQ(table.back(), 0.0f);
    // Nothing left to cover: an all-zero table of the same formula's length.
    const std::vector<float> none = GIMPBrushParser::vbrCoverage(-2, 0.5);
    EXPECT_FALSE(none.empty());
    EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](float v) { return v == 0; }));
    // Radii no brush has, and values that are not numbers, give no table.
    EXPECT_TRUE(GIMPBrushParser::vbrCoverage(1e12, 0.5).empty());
    EXPECT_TRUE(GIMPBrushParser::vbrCoverage(NAN, 0.5).empty());
    EXPECT_TRUE(GIMPBrushParser::vbrCoverage(10, INFINITY).empty());
}

TEST(GIMPBrushRendering, ParametersThatAreNotNumbersGiveNoImage) {
    EXPECT_FALSE(GIMPBrushParser::renderVBR({VBRShape::circle, NAN, 2, 0.5, 1, 0}));
    EXPECT_FALSE(GIMPBrushParser::renderVBR({VBRShape::circle, 10, 2, NAN, 1, 0}));
    EXPECT_FALSE(GIMPBrushParser::renderVBR({VBRShape::circle, 10, 2, 0.5, NAN, 0}));
    EXPECT_FALSE(GIMPBrushParser::renderVBR({VBRShape::circle, 10, 2, 0.5, 1, NAN}));
    EXPECT_FALSE(GIMPBrushParser::renderVBR({VBRShape::circle, 10, 2, 0.5, 1, INFINITY}));
    EXPECT_FALSE(GIMPBrushParser::renderVBR({VBRShape::circle, 10, 2, 0.5, 1, -INFINITY}));
    // Out-of-range values, infinite ones included, are simply clamped.
    EXPECT_EQ(GIMPBrushParser::renderVBR({VBRShape::circle, INFINITY, 2, -INFINITY, INFINITY, 0})->size(),
              QSize(501, 25));
    EXPECT_TRUE(GIMPBrushParser::renderVBR({VBRShape::diamond, 1e300, 2, -1e300, 1e300, -1e300}));
}

TEST(GIMPBrushRendering, PngRoundTripAndWriteFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const VBRParams& p :
         {VBRParams{VBRShape::circle, 10, 2, 0.5, 1, 0}, VBRParams{VBRShape::diamond, 30, 5, 0.2, 2, 70}}) {
        const QImage mask = *GIMPBrushParser::renderVBR(p);
        const QString path = dir.filePath("cell.png");
        ASSERT_TRUE(GIMPBrushParser::writePNG(mask, path));
        const QImage loaded(path);
        ASSERT_FALSE(loaded.isNull());
        const auto back = GIMPBrushParser::maskImage(loaded);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->format(), kCellMaskFormat);
        EXPECT_EQ(*back, mask);
    }
    const QImage mask = *GIMPBrushParser::renderVBR({});
    EXPECT_FALSE(GIMPBrushParser::writePNG(mask, dir.filePath("missing/cell.png")));
    EXPECT_FALSE(GIMPBrushParser::writePNG(QImage(), dir.filePath("empty.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.png")));

    // A rewrite replaces the old file whole and leaves nothing else behind.
    QTemporaryDir other;
    const QString path = other.filePath("A_thumb.png");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    ASSERT_TRUE(GIMPBrushParser::writePNG(mask, path));
    EXPECT_EQ(QImage(path).size(), mask.size());
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"A_thumb.png"});
}

TEST(GIMPBrushRendering, MaskFromOtherImages) {
    QImage opaque(3, 1, QImage::Format_RGB32);
    opaque.setPixel(0, 0, qRgb(255, 255, 255));
    opaque.setPixel(1, 0, qRgb(0, 0, 0));
    opaque.setPixel(2, 0, qRgb(10, 200, 40));
    QImage translucent(2, 1, QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(255, 255, 255, 77));
    translucent.setPixel(1, 0, qRgba(0, 0, 0, 0));

    const auto a = GIMPBrushParser::maskImage(opaque);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->size(), QSize(3, 1));
    EXPECT_EQ(a->format(), kCellMaskFormat);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(alphaAt(*a, x, 0), 255);
        EXPECT_EQ(a->constScanLine(0)[4 * x] | a->constScanLine(0)[4 * x + 1] | a->constScanLine(0)[4 * x + 2], 0);
    }
    const auto b = GIMPBrushParser::maskImage(translucent);
    ASSERT_TRUE(b);
    EXPECT_EQ(alphaAt(*b, 0, 0), 77);
    EXPECT_EQ(alphaAt(*b, 1, 0), 0);
    EXPECT_FALSE(GIMPBrushParser::maskImage(QImage()));
}
