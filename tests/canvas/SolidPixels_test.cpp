// The drawing shown solid, as a window without a compositing manager shows
// it: each pixel in the drawing's own colour at full opacity where a stroke
// covers it at least half, else nothing.
#include "canvas/CanvasStrokesLayer.h"
#include "canvas/LiveStrokeLayer.h"
#include "canvas/SolidPixels.h"
#include "canvas/StrokeCache.h"
#include "canvas/StrokeRenderer.h"
#include "canvas/overlays/EditHandles.h"
#include "model/DrawingState.h"
#include "support/RandomStrokes.h"
#include "support/RenderTestUtil.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace testing_support;

namespace {

const QSize kSize(240, 160);

std::vector<const DrawingStroke*> pointers(const std::vector<DrawingStroke>& list) {
    std::vector<const DrawingStroke*> out;
    for (const auto& s : list) out.push_back(&s);
    return out;
}

// The placed strokes with `live` over them (none: no live stroke), shown
// solid or, as with a compositing manager, blended.
QImage shown(const std::vector<DrawingStroke>& placed, const DrawingStroke* live, bool solid) {
    StrokeCache cache;
    cache.setKeepsCover(solid);
    cache.setGeometry(kSize, 1);
    cache.sync(pointers(placed), {});
    LiveStrokeLayer layer;
    layer.setGeometry(kSize, 1);
    if (live) layer.show(live, {});
    QImage out = transparentImage(kSize);
    QPainter p(&out);
    if (solid) layer.paintSolid(p, QRect(QPoint(0, 0), kSize), cache.image(), cache.cover());
    else layer.paint(p, QRect(QPoint(0, 0), kSize), cache.image());
    return out;
}
QImage solid(const std::vector<DrawingStroke>& placed, const DrawingStroke* live = nullptr) {
    return shown(placed, live, true);
}
QImage blended(const std::vector<DrawingStroke>& placed, const DrawingStroke* live = nullptr) {
    return shown(placed, live, false);
}

DrawingStroke coloured(DrawingStroke s, double opacity, Color colour = Color::red()) {
    s.color = colour.opacity(opacity);
    return s;
}

// A line across the image, slanted so that its edges hold every coverage.
DrawingStroke slantedPen(double width) { return penStroke({{20, 50}, {120, 70}, {220, 110}}, width); }

DrawingStroke airbrush(double width) {
    DrawingStroke s = slantedPen(width);
    s.tool = DrawingTool::airbrush;
    return s;
}

// A pen stroke cut across its middle by an eraser drawn over it: the cut's
// ends are soft.
DrawingStroke cutPen(double opacity) {
    DrawingStroke s = coloured(penStroke({{20, 80}, {220, 80}}, 30), opacity);
    DrawingStroke eraser = penStroke({{120, 40}, {120, 80}, {120, 120}}, 6);
    eraser.tool = DrawingTool::eraser;
    for (const ErasureStamp& e : erasureStamps(eraser)) s.erasures.push_back(e);
    return s;
}

struct Mismatch {
    int shownWrongly = 0; // shown where it should not be, or the other way
    int offColour = 0;    // shown, but not at full opacity in the colour wanted
    int shown = 0;
};

// Compares `actual` with what the rule makes of `blend`, whose pixels are
// each covered by a stroke of opacity `opacity255` as far as their alpha
// goes: shown where that alpha is at least half of it, in the blend's colour
// un-premultiplied. Pixels within one step of the threshold may go either
// way.
Mismatch againstRule(const QImage& actual, const QImage& blend, int opacity255) {
    Mismatch m;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y), b = blend.pixel(x, y);
            const int twice = 2 * qAlpha(b);
            const bool isShown = qAlpha(a) != 0;
            m.shown += isShown;
            if (std::abs(twice - opacity255) > 2 && isShown != (twice >= opacity255)) ++m.shownWrongly;
            if (!isShown) continue;
            const QRgb want = qUnpremultiply(b);
            const int off = std::max(
                {std::abs(qRed(a) - qRed(want)), std::abs(qGreen(a) - qGreen(want)), std::abs(qBlue(a) - qBlue(want))});
            if (qAlpha(a) != 255 || off > 3) ++m.offColour;
        }
    }
    return m;
}

bool isShownAt(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)) == 255; }

} // namespace

TEST(SolidPixels, AStrokeShowsInItsOwnColourWhereItsAlphaIsAtLeastHalfItsOpacity) {
    struct Case {
        std::string name;
        DrawingStroke stroke;
    };
    const std::vector<Case> cases = {
        {"a line at 51 %", coloured(slantedPen(12), 0.51)},
        {"an opaque line's antialiased edges", coloured(slantedPen(5), 1)},
        {"a line at the sliders' least, 5 %", coloured(slantedPen(12), 0.05)},
        {"an airbrush", coloured(airbrush(24), 1)},
        {"an airbrush at 51 %", coloured(airbrush(24), 0.51)},
        {"an eraser cut's soft ends", cutPen(0.51)},
        {"an eraser cut in an opaque line", cutPen(1)},
    };
    for (const Case& c : cases) {
        const QImage blend = blended({c.stroke});
        const QImage shownSolid = solid({c.stroke});
        const Mismatch m = againstRule(shownSolid, blend, strokeOpacity255(c.stroke.color));
        EXPECT_EQ(m.shownWrongly, 0) << c.name;
        EXPECT_EQ(m.offColour, 0) << c.name;
        // Never a pixel in between: nothing half shown, nothing dark.
        EXPECT_GT(m.shown, 200) << c.name;
        EXPECT_EQ(paintedCount(shownSolid), paintedCount(shownSolid, 254)) << c.name;
    }
}

// The threshold itself, which the drawn strokes above leave a step of
// leeway around: a pixel whose alpha is exactly half the stroke's opacity
// shows, one a level below does not.
TEST(SolidPixels, APixelAtExactlyHalfTheStrokesOpacityShows) {
    struct Case {
        int alpha, opacity255;
        bool shows;
    };
    for (const Case& c : {Case{100, 200, true}, Case{99, 200, false}, Case{128, 255, true}, Case{127, 255, false},
                          Case{101, 201, true}, Case{100, 201, false}}) {
        QImage own(1, 1, QImage::Format_ARGB32_Premultiplied);
        own.fill(qRgba(c.alpha, 0, 0, c.alpha));
        QImage cover = emptyCover(own.size());
        raiseCover(cover, own.rect(), own, QPoint(0, 0), c.opacity255);
        QImage image = own;
        makeSolid(image, image.rect(), cover, QPoint(0, 0));
        EXPECT_EQ(image.pixel(0, 0), c.shows ? qRgb(255, 0, 0) : 0u)
            << "alpha " << c.alpha << " of a stroke at " << c.opacity255;
    }
}

TEST(SolidPixels, TranslucentStrokesKeepTheirColourAtFullIntensity) {
    // One colour all over: every pixel shown is that colour at full
    // intensity, never darkened, however faint the stroke. (As exact as the
    // drawing keeps it: the dabs of a faint airbrush are a level or two of
    // alpha each, too few for the weaker channels.)
    for (double opacity : {0.05, 0.51, 1.0}) {
        const QImage img = solid({coloured(airbrush(24), opacity)});
        const int tolerance = opacity < 0.5 ? 255 : 10;
        int off = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                if (qAlpha(p) == 0) continue;
                off += qRed(p) != 255 || std::abs(qGreen(p) - 59) > tolerance || std::abs(qBlue(p) - 48) > tolerance;
            }
        EXPECT_EQ(off, 0) << opacity;
        EXPECT_GT(paintedCount(img), 1000) << opacity;
    }
}

TEST(SolidPixels, OverlappingStrokesShowWhereEitherWouldAloneInTheirBlendsColour) {
    const DrawingStroke faint = coloured(slantedPen(20), 0.05);
    const DrawingStroke half = coloured(penStroke({{40, 20}, {200, 140}}, 9), 0.51, Color::rgba(0.1, 0.3, 1, 1));
    const DrawingStroke opaque = coloured(penStroke({{200, 20}, {40, 140}}, 7), 1, Color::rgba(1, 0.9, 0.1, 1));
    // In either order: the soft edge of the stroke on top never takes away
    // the body of the one beneath.
    for (const auto& pair :
         {std::vector{faint, half}, std::vector{half, faint}, std::vector{faint, opaque}, std::vector{opaque, half}}) {
        const QImage both = solid(pair);
        const QImage first = solid({pair[0]}), second = solid({pair[1]});
        const QImage blend = blended(pair);
        int wrong = 0, offColour = 0;
        for (int y = 0; y < both.height(); ++y)
            for (int x = 0; x < both.width(); ++x) {
                const bool either = isShownAt(first, x, y) || isShownAt(second, x, y);
                wrong += isShownAt(both, x, y) != either;
                if (!isShownAt(both, x, y)) continue;
                const QRgb want = qUnpremultiply(blend.pixel(x, y)), p = both.pixel(x, y);
                offColour += std::max({std::abs(qRed(p) - qRed(want)), std::abs(qGreen(p) - qGreen(want)),
                                       std::abs(qBlue(p) - qBlue(want))}) > 3;
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(offColour, 0);
    }
}

TEST(SolidPixels, TheLiveStrokeShowsAsItWillOncePlaced) {
    const std::vector<DrawingStroke> beneath = {coloured(penStroke({{20, 120}, {220, 30}}, 16), 0.3)};
    for (const DrawingStroke& live :
         {coloured(slantedPen(12), 0.51), coloured(airbrush(24), 0.51), coloured(slantedPen(5), 1)}) {
        std::vector<DrawingStroke> placed = beneath;
        placed.push_back(live);
        const QImage whileDrawn = solid(beneath, &live), afterwards = solid(placed);
        int differing = 0;
        for (int y = 0; y < kSize.height(); ++y)
            for (int x = 0; x < kSize.width(); ++x)
                differing += isShownAt(whileDrawn, x, y) != isShownAt(afterwards, x, y);
        EXPECT_LE(differing, paintedCount(afterwards) / 100) << displayName(live.tool).toStdString();
    }
}

TEST(SolidPixels, AStrokeDrawnAloneShowsAsItDoesAmongThePlacedStrokes) {
    // What the edit overlays and the text box draw while a stroke is edited
    // or typed.
    DrawingStroke text = framedStroke(DrawingTool::text, {30, 40}, {210, 120});
    text.text = QStringLiteral("Solid text");
    text.explicitFontSize = 36;
    for (const DrawingStroke& stroke :
         {coloured(slantedPen(12), 0.51), cutPen(0.51), coloured(text, 0.51), coloured(airbrush(24), 0.05)}) {
        const QImage alone = paintImage(kSize, [&](QPainter& p) { StrokeView{stroke, {}}.renderSolid(p); });
        const QImage placed = solid({stroke});
        int differing = 0;
        for (int y = 0; y < kSize.height(); ++y)
            for (int x = 0; x < kSize.width(); ++x) differing += alone.pixel(x, y) != placed.pixel(x, y);
        EXPECT_EQ(differing, 0) << displayName(stroke.tool).toStdString();
        EXPECT_GT(paintedCount(alone), 200) << displayName(stroke.tool).toStdString();
    }
}

TEST(SolidPixels, AStrokeTakenOverFromTheLiveLayerCoversAsIfDrawnAfresh) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.currentDrawingDisplayID = 1;
    QWidget canvas;
    canvas.resize(kSize);
    CanvasStrokesLayer layer(1);
    layer.setShownSolid(true);
    layer.syncGeometry(canvas);
    const DrawingStroke beneath = coloured(penStroke({{20, 120}, {220, 30}}, 16), 0.3);
    s.addStroke(beneath);
    layer.sync(s, canvas);
    // Drawn live, then placed as it was drawn: its pixels move over.
    const DrawingStroke live = coloured(slantedPen(12), 0.51);
    s.currentStroke = live;
    layer.liveStrokeChanged();
    layer.sync(s, canvas);
    s.addStroke(live);
    s.currentStroke = std::nullopt;
    layer.strokesChanged();
    layer.liveStrokeChanged();
    layer.sync(s, canvas);
    ASSERT_FALSE(layer.isShowingLiveStroke());
    const QImage placed = paintImage(kSize, [&](QPainter& p) { layer.paint(p, QRect(QPoint(0, 0), kSize)); });
    const QImage fresh = solid({beneath, live});
    int differing = 0;
    for (int y = 0; y < kSize.height(); ++y)
        for (int x = 0; x < kSize.width(); ++x) differing += isShownAt(placed, x, y) != isShownAt(fresh, x, y);
    EXPECT_LE(differing, paintedCount(fresh) / 100);
    EXPECT_GT(paintedCount(fresh), 1000);
}

TEST(SolidPixels, ALiveEraserCutsWithHardEdgesWhatItCuts) {
    const DrawingStroke line = coloured(penStroke({{20, 80}, {220, 80}}, 30), 0.51);
    DrawingStroke eraser = penStroke({{120, 40}, {120, 60}, {120, 80}, {120, 100}, {120, 120}}, 6);
    eraser.tool = DrawingTool::eraser;
    const QImage cut = solid({line}, &eraser);
    const Mismatch m = againstRule(cut, blended({line}, &eraser), strokeOpacity255(line.color));
    EXPECT_EQ(m.shownWrongly, 0);
    EXPECT_EQ(m.offColour, 0);
    EXPECT_FALSE(isShownAt(cut, 120, 80));

    EXPECT_TRUE(isShownAt(cut, 60, 80));
}

TEST(SolidPixels, TheCacheKeepsItsCoversThroughEveryKindOfEdit) {
    // After each edit the cache's covers must be those of every stroke
    // drawn afresh: the pixels shown from them are the same.
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.currentDrawingDisplayID = 1;
    StrokeCache cache;
    cache.setGeometry(kSize, 1);
    cache.setKeepsCover(true);
    std::mt19937 rng(5501);
    std::uniform_real_distribution<double> u(0, 1);
    const QSizeF area(kSize);
    for (int step = 0; step < 80; ++step) {
        const auto& list = s.strokes.get();
        const auto pick = [&] { return static_cast<std::size_t>(u(rng) * static_cast<double>(list.size())); };
        switch (list.empty() ? 0 : step % 5) {
        case 0:
        case 1: {
            DrawingStroke added = randomStroke(mixedTool(step), rng, area);
            added.color = added.color.opacity(0.05 + 0.95 * u(rng));
            s.addStroke(added);
            break;
        }
        case 2: s.undo(); break;
        case 3: {
            const std::size_t i = pick();
            s.strokes.modify([&](auto& l) { l[i].color = l[i].color.opacity(0.05 + 0.95 * u(rng)); });
            break;
        }
        case 4: {
            DrawingStroke eraser;
            eraser.tool = DrawingTool::eraser;
            eraser.lineWidth = 4;
            eraser.points = wanderingPath(rng, area, 20, 6);
            s.applyEraserStamps(erasureStamps(eraser), 1);
            break;
        }
        }
        const auto placed = s.strokesOnDisplay(1);
        cache.sync(pointers(placed), {});
        LiveStrokeLayer layer;
        layer.setGeometry(kSize, 1);
        const QImage kept = paintImage(
            kSize, [&](QPainter& p) { layer.paintSolid(p, QRect(QPoint(0, 0), kSize), cache.image(), cache.cover()); });
        const QImage fresh = solid(placed);
        int differing = 0;
        for (int y = 0; y < kSize.height(); ++y)
            for (int x = 0; x < kSize.width(); ++x) differing += isShownAt(kept, x, y) != isShownAt(fresh, x, y);
        ASSERT_LE(differing, paintedCount(fresh) / 100 + 2) << "step " << step;
    }
}

TEST(SolidPixels, TheEditingChromeShowsInItsOwnColoursWithHardEdges) {
    // Drawn over nothing, as over another program's window: what a window
    // shaped to its pixels shows of each pixel is its colour as stored.
    const auto darkShown = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                n += qAlpha(p) != 0 && qRed(p) < 70 && qGreen(p) < 70 && qBlue(p) < 70;
            }
        return n;
    };
    const QColor accent(48, 140, 198);
    struct Case {
        std::string name;
        std::function<void(QPainter&, bool solid)> paint;
        int opacity255 = 255; // of the chrome as drawn with a compositor
    };
    const std::vector<Case> cases = {
        {"handles",
         [&](QPainter& p, bool solid) {
             for (int i = 0; i < 8; ++i)
                 edit_handles::paintHandle(p, QPointF(20.3 + 27.1 * i, 30.6 + 7.3 * i), {accent, solid});
         }},
        {"arms",
         [&](QPainter& p, bool solid) {
             edit_handles::paintArm(p, QPointF(10.2, 120.4), QPointF(230.7, 95.1), {accent, solid});
         }},
        {"a dashed guide at half opacity",
         [&](QPainter& p, bool solid) {
             QPainterPath band;
             band.moveTo(15.5, 140.2);
             band.cubicTo(QPointF(90, 20), QPointF(160, 150), QPointF(225.3, 40.7));
             QPen pen(shownColour(QColor(255, 59, 48, 128), solid), 3);
             pen.setStyle(Qt::DashLine);
             pen.setCapStyle(Qt::RoundCap);
             paintShown(p, solid, band.controlPointRect().adjusted(-3, -3, 3, 3), [&](QPainter& q) {
                 q.setRenderHint(QPainter::Antialiasing);
                 q.setPen(pen);
                 q.drawPath(band);
             });
         },
         128},
    };
    for (const Case& c : cases) {
        const QImage asIs = paintImage(kSize, [&](QPainter& p) { c.paint(p, false); });
        const QImage shownSolid = paintImage(kSize, [&](QPainter& p) { c.paint(p, true); });
        EXPECT_GT(darkShown(asIs), 0) << c.name << ": the measure finds the darkened edges";
        EXPECT_EQ(darkShown(shownSolid), 0) << c.name;
        // Opaque where it covers at least half, in its own colour; nothing
        // in between.
        const Mismatch m = againstRule(shownSolid, asIs, c.opacity255);
        EXPECT_EQ(m.shownWrongly, 0) << c.name;
        EXPECT_EQ(m.offColour, 0) << c.name;
        EXPECT_GT(m.shown, 100) << c.name;
    }

    // With a compositing manager the chrome is drawn as it is.
    const auto draw = [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(255, 255, 255, 150), 1.5));
        p.drawEllipse(QPointF(100.4, 80.2), 40, 30);
    };
    EXPECT_EQ(paintImage(kSize, [&](QPainter& p) { paintShown(p, false, QRectF(0, 0, 240, 160), draw); }),
              paintImage(kSize, draw));
}
