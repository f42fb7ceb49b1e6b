#include "canvas/DrawingCanvasView.h"
#include "canvas/StrokeCache.h"
#include "canvas/StrokeRenderer.h"
#include "model/DrawingState.h"
#include "model/StrokeExtent.h"
#include "support/CanvasTestUtil.h"
#include "support/RandomStrokes.h"
#include "support/RenderTestUtil.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <QPaintEvent>

#include <gtest/gtest.h>

#include <random>

using namespace testing_support;

namespace {

// Every stroke drawn afresh, in order: what the cache must look like.
QImage fromScratch(const std::vector<DrawingStroke>& strokes, QSize logical, double dpr = 1) {
    QImage img(
        QSize(static_cast<int>(std::ceil(logical.width() * dpr)), static_cast<int>(std::ceil(logical.height() * dpr))),
        QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.scale(dpr, dpr);
    for (const DrawingStroke& s : strokes) StrokeView{s, {}}.render(p);
    return img;
}

// Pixels painted in either image, pixels that differ by more than 64 in a
// channel, and those of them that are not on an edge (a pixel whose
// neighbourhood is one flat colour in the reference).
struct Difference {
    int painted = 0;
    int differing = 0;
    int offEdge = 0;
};

Difference compare(const QImage& reference, const QImage& actual) {
    Difference d;
    const QImage a = reference.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) == 0 && qAlpha(q) == 0) continue;
            ++d.painted;
            const int diff = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                       std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            if (diff <= 64) continue;
            ++d.differing;
            bool flat = true;
            for (int dy = -1; dy <= 1 && flat; ++dy)
                for (int dx = -1; dx <= 1 && flat; ++dx) {
                    const int nx = std::clamp(x + dx, 0, a.width() - 1), ny = std::clamp(y + dy, 0, a.height() - 1);
                    if (a.pixel(nx, ny) != p) flat = false;
                }
            if (flat) ++d.offEdge;
        }
    }
    return d;
}

void expectEquivalent(const QImage& reference, const QImage& actual, const std::string& where) {
    const Difference d = compare(reference, actual);
    EXPECT_LE(d.differing * 100, d.painted) << where << ": " << d.differing << " of " << d.painted << " differ";
    EXPECT_EQ(d.offEdge, 0) << where;
}

std::vector<const DrawingStroke*> pointers(const std::vector<DrawingStroke>& list) {
    std::vector<const DrawingStroke*> out;
    for (const auto& s : list) out.push_back(&s);
    return out;
}

// One random edit of the kinds the canvas sees: additions, undo and redo,
// restyles, moves and their baking, bringing to the top, eraser passes and
// deletions.
void randomEdit(DrawingState& s, std::mt19937& rng, QSizeF area, int step) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_real_distribution<double> u(0, 1);
    const auto& list = s.strokes.get();
    const auto pick = [&] { return static_cast<std::size_t>(u(rng) * static_cast<double>(list.size())); };
    const int k = list.empty() ? 0 : kind(rng);
    switch (k) {
    case 0:
    case 1:
    case 2: {
        // Now and then on another display, which this canvas leaves out.
        const platform::DisplayID display = u(rng) < 0.25 ? 2 : 1;
        s.currentDrawingDisplayID = display;
        s.addStroke(randomStroke(mixedTool(step), rng, area));
        s.currentDrawingDisplayID = 1;
        break;
    }
    case 3: s.undo(); break;
    case 4: s.redo(); break;
    case 5: {
        const std::size_t i = pick();
        s.strokes.modify([&](auto& l) {
            l[i].color = Color::rgba(u(rng), u(rng), u(rng), 0.4 + 0.6 * u(rng));
            l[i].lineWidth = 1 + 20 * u(rng);
        });
        break;
    }
    case 6: {
        const std::size_t i = pick();
        const QSizeF offset(u(rng) * 80 - 40, u(rng) * 80 - 40);
        s.strokes.modify([&](auto& l) { l[i].offset = offset; });
        if (u(rng) < 0.5) s.strokes.modify([&](auto& l) { l[i].bakeOffset(); });
        break;
    }
    case 7: {
        const std::size_t i = pick();
        s.strokes.modify([&](auto& l) {
            DrawingStroke moved = l[i];
            l.erase(l.begin() + static_cast<std::ptrdiff_t>(i));
            l.push_back(moved);
        });
        break;
    }
    case 8: {
        DrawingStroke eraser;
        eraser.tool = DrawingTool::eraser;
        eraser.lineWidth = 2 + 4 * u(rng);
        eraser.points = wanderingPath(rng, area, 30, 6);
        s.applyEraserStamps(erasureStamps(eraser), 1);
        break;
    }
    case 9: {
        const std::size_t i = pick();
        s.strokes.modify([&](auto& l) { l.erase(l.begin() + static_cast<std::ptrdiff_t>(i)); });
        break;
    }
    }
}

} // namespace

TEST(CanvasStrokeCache, RandomEditSequencesLookAsIfEveryStrokeWereDrawnAfresh) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.currentDrawingDisplayID = 1;
    DrawingCanvasView canvas(t.state, 1);
    canvas.resize(420, 300);
    const QSizeF area(420, 300);
    std::mt19937 rng(20240611);
    for (int step = 0; step < 160; ++step) {
        randomEdit(s, rng, area, step);
        // Several edits sometimes come within one turn of the event loop.
        if (step % 3 == 1) continue;
        drainEvents(1);
        expectEquivalent(fromScratch(s.strokesOnDisplay(1), canvas.size()), canvasImage(canvas),
                         "step " + std::to_string(step));
        if (HasFailure()) return;
    }
}

TEST(CanvasStrokeCache, FractionalAndDoublePixelRatiosMatchAFreshDrawing) {
    for (double dpr : {2.0, 1.5}) {
        StrokeCache cache;
        const QSize logical(300, 200);
        cache.setGeometry(logical, dpr);
        std::mt19937 rng(7);
        std::vector<DrawingStroke> strokes;
        for (int i = 0; i < 24; ++i) strokes.push_back(randomStroke(mixedTool(i), rng, QSizeF(logical)));
        cache.sync(pointers(strokes), {});
        // A restyle in the middle, a deletion, a move to the top and erasures.
        strokes[5].color = Color::rgba(0, 0, 1, 0.7);
        strokes.erase(strokes.begin() + 9);
        std::rotate(strokes.begin() + 2, strokes.begin() + 3, strokes.end());
        DrawingStroke eraser;
        eraser.lineWidth = 4;
        eraser.points = wanderingPath(rng, QSizeF(logical), 40, 5);
        strokes[12].erasures = erasureStamps(eraser);
        strokes[12].offset = QSizeF(13.5, -7.25);
        cache.sync(pointers(strokes), {});
        expectEquivalent(fromScratch(strokes, logical, dpr), cache.image(), "ratio " + std::to_string(dpr));
    }
}

TEST(CanvasStrokeCache, AnAdditionDrawsOnlyTheNewStrokeAndAChangeOnlyWhatItTouches) {
    StrokeCache cache;
    cache.setGeometry(QSize(800, 600), 1);
    std::vector<DrawingStroke> strokes;
    for (int i = 0; i < 20; ++i) {
        // A row of short, separate pen strokes.
        strokes.push_back(penStroke({QPointF(20 + 38 * i, 100), QPointF(40 + 38 * i, 120)}, 4));
    }
    cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 20u);

    strokes.push_back(penStroke({QPointF(400, 400), QPointF(450, 420)}, 6));
    const QRegion added = cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 1u);
    EXPECT_TRUE(QRegion(shownDrawnExtent(strokes.back()).toAlignedRect().adjusted(-3, -3, 3, 3))
                    .contains(added.boundingRect()));

    // Restyling stroke 7 redraws it alone: its neighbours are too far away.
    strokes[7].color = Color::rgba(0, 0.5, 0, 1);
    const QRegion restyled = cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 1u);
    EXPECT_LT(restyled.boundingRect().width(), 40);

    // Taking the top stroke away (an undo) redraws nothing but clears it.
    strokes.pop_back();
    cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 0u);
    EXPECT_EQ(alphaAt(cache.image(), 425, 410), 0);

    // Nothing changed: nothing drawn, nothing to repaint.
    EXPECT_TRUE(cache.sync(pointers(strokes), {}).isEmpty());
}

TEST(CanvasStrokeCache, TheTopStrokeChangesAndGoesWithoutRedrawingWhatLiesBeneath) {
    StrokeCache cache;
    cache.setGeometry(QSize(600, 600), 1);
    std::vector<DrawingStroke> strokes;
    for (int i = 0; i < 40; ++i)
        strokes.push_back(penStroke({QPointF(10, 10 + 14.0 * i), QPointF(590, 10 + 14.0 * i)}, 6));
    cache.sync(pointers(strokes), {});
    const QImage before = cache.image().copy();

    // A stroke across all of them, drawn, restyled, moved and taken away.
    strokes.push_back(penStroke({{300, 0}, {310, 600}}, 12));
    cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 1u);
    strokes.back().color = Color::rgba(0, 0, 0, 0.5);
    cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 1u);
    strokes.back().offset = QSizeF(-120, 0);
    cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 1u);
    expectEquivalent(fromScratch(strokes, QSize(600, 600)), cache.image(), "moved top");
    strokes.pop_back();
    cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 0u);
    EXPECT_EQ(cache.image(), before);
    EXPECT_GT(cache.backupBytes(), 0u);
    EXPECT_LE(cache.backupBytes(), StrokeCache::kBackupBudgetBytes);

    // A dab on one line redraws that line only, under the dab.
    strokes[10].erasures = {ErasureStamp{QPointF(100, 150), 5, QUuid::createUuid()}};
    const QRegion cut = cache.sync(pointers(strokes), {});
    EXPECT_EQ(cache.lastDrawCount(), 1u);
    EXPECT_LE(cut.boundingRect().width(), 16);
    expectEquivalent(fromScratch(strokes, QSize(600, 600)), cache.image(), "cut");
}

TEST(CanvasStrokeCache, CopiesBeneathAreKeptForTheTopmostStrokesOnly) {
    StrokeCache cache;
    cache.setGeometry(QSize(400, 400), 1);
    std::vector<DrawingStroke> strokes;
    const std::size_t total = StrokeCache::kBackupStrokes + 40;
    std::size_t perStroke = 0;
    for (std::size_t i = 0; i < total; ++i) {
        strokes.push_back(penStroke({QPointF(10, 10 + 3.0 * i), QPointF(390, 10 + 3.0 * i)}, 4));
        cache.sync(pointers(strokes), {});
        if (i == 0) perStroke = cache.backupBytes();
    }
    ASSERT_GT(perStroke, 0u);
    EXPECT_EQ(cache.backupBytes(), StrokeCache::kBackupStrokes * perStroke);
    // Undoing as far as the history reaches still costs one stroke each.
    for (int undo = 0; undo < 50; ++undo) {
        strokes.pop_back();
        cache.sync(pointers(strokes), {});
        ASSERT_EQ(cache.lastDrawCount(), 0u) << "undo " << undo;
    }
    expectEquivalent(fromScratch(strokes, QSize(400, 400)), cache.image(), "after undos");
}

TEST(CanvasStrokeCache, ErasuresCutOnlyTheirOwnStrokeWhenTheyArrive) {
    StrokeCache cache;
    cache.setGeometry(QSize(200, 200), 1);
    std::vector<DrawingStroke> strokes{penStroke({{20, 100}, {180, 100}}, 30), penStroke({{100, 20}, {100, 180}}, 10)};
    strokes[1].color = Color::rgba(0, 0, 1, 1);
    cache.sync(pointers(strokes), {});
    strokes[1].erasures = {ErasureStamp{QPointF(100, 100), 20, QUuid::createUuid()}};
    cache.sync(pointers(strokes), {});
    // The blue stroke is cut at the centre, the red one beneath shows again.
    EXPECT_EQ(cache.image().pixel(100, 100), cache.image().pixel(40, 100));
    EXPECT_GT(qBlue(cache.image().pixel(100, 30)), 200);
}

TEST(CanvasStrokeCache, TheCanvasRepaintsOnlyWhereStrokesChanged) {
    TestDrawingState t;
    DrawingState& s = *t.state;
    s.currentDrawingDisplayID = 1;
    for (int i = 0; i < 30; ++i) s.addStroke(penStroke({QPointF(10 + 12 * i, 50), QPointF(15 + 12 * i, 80)}, 3));
    QWidget window;
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.resize(640, 480);
    DrawingCanvasView canvas(t.state, 1, &window);
    canvas.resize(640, 480);
    window.show();
    drainEvents();
    PaintLog log;
    canvas.installEventFilter(&log);

    s.addStroke(penStroke({{500, 400}, {520, 420}}, 4));
    ASSERT_TRUE(waitUntil([&] { return !log.painted.isEmpty(); }));
    drainEvents();
    EXPECT_TRUE(QRect(490, 390, 40, 40).contains(log.painted.boundingRect())) << log.painted.boundingRect().x();
    EXPECT_EQ(canvas.strokeCache().lastDrawCount(), 1u);
}

TEST(CanvasStrokeCache, HoldsAnImageOnlyWhileSomethingIsDrawn) {
    StrokeCache cache;
    cache.setGeometry(QSize(400, 300), 2);
    EXPECT_TRUE(cache.sync({}, {}).isEmpty());
    EXPECT_TRUE(cache.image().isNull()) << "a shown overlay with nothing drawn costs no buffer";

    std::vector<DrawingStroke> strokes{penStroke({QPointF(20, 20), QPointF(60, 40)}, 4)};
    cache.sync(pointers(strokes), {});
    ASSERT_EQ(cache.image().size(), QSize(800, 600));
    EXPECT_GT(alphaAt(cache.image(), 80, 60), 0);

    // The last stroke gone: the image goes, and the whole canvas repaints.
    EXPECT_EQ(cache.sync({}, {}), QRegion(0, 0, 400, 300));
    EXPECT_TRUE(cache.image().isNull());
    cache.sync(pointers(strokes), {});
    EXPECT_GT(alphaAt(cache.image(), 80, 60), 0);
}
