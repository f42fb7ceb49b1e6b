// What the screen shows of translucent strokes drawn on an overlay over
// another program's window: without a compositing manager each pixel is the
// stroke's own colour at full intensity or the window beneath, with hard
// edges and nothing darkened; with one, the strokes blend with the window.
#include "app/RealShell.h"
#include "canvas/DrawingCanvasView.h"
#include "platform/X11.h"
#include "support/TestStrokes.h"
#include "support/X11TestUtil.h"

#include <QApplication>
#include <QPalette>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

const QRgb kGreen = qRgb(40, 160, 60); // the click recorder's window
const QRgb kRed = qRgb(255, 59, 48);   // Color::red()

int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

QRgb blend(QRgb over, QRgb under, double alpha) {
    const auto mix = [alpha](int a, int b) { return static_cast<int>(std::lround(a * alpha + b * (1 - alpha))); };
    return qRgb(mix(qRed(over), qRed(under)), mix(qGreen(over), qGreen(under)), mix(qBlue(over), qBlue(under)));
}

// The pixels of an area of the screen: the window beneath, the strokes'
// red at full intensity (within `tolerance`), blends of the red over the
// window, and the rest (a colour darkened toward black).
struct Pixels {
    int beneath = 0;
    int red = 0;
    int blends = 0;
    int dark = 0;
    std::vector<QPoint> redAt;
    QRgb centre = 0;
};
Pixels pixelsIn(const QImage& screen, const QRect& area, int tolerance = 10) {
    Pixels p;
    p.centre = screen.pixel(area.center());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = screen.pixel(x, y);
            const double alpha = std::clamp((qRed(c) - qRed(kGreen)) / double(qRed(kRed) - qRed(kGreen)), 0.0, 1.0);
            if (c == kGreen) {
                ++p.beneath;
            } else if (qRed(c) == 255 && distance(c, kRed) <= tolerance) {
                ++p.red;
                p.redAt.emplace_back(x, y);
            } else if (distance(c, blend(kRed, kGreen, alpha)) <= 12) {
                ++p.blends;
            } else {
                ++p.dark;
            }
        }
    return p;
}

// Looks at `area` of the screen until `ready` holds for its pixels and two
// looks in a row find the same: a look may catch a compositing manager or
// the program halfway through a repaint.
Pixels lookUntil(const QRect& area, const std::function<bool(const Pixels&)>& ready, int tolerance = 10) {
    Pixels p;
    QImage last;
    waitUntil([&] {
        QImage now = grabRoot();
        const bool steady = !last.isNull() && now.copy(area) == last.copy(area);
        last = std::move(now);
        p = pixelsIn(last, area, tolerance);
        return steady && ready(p);
    });
    return p;
}

// Runs xdotool while this process goes on with its own events, as the
// program does while a person draws.
bool xdotoolMeanwhile(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    return waitUntil([&] { return p.state() == QProcess::NotRunning; }, 10000) && p.exitCode() == 0;
}

// A press at `from` and a drag in steps to `to`, the button still held.
QStringList dragTo(QPoint from, QPoint to) {
    QStringList s{"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"};
    for (int k = 1; k <= 25; ++k) {
        const QPoint at = from + (to - from) * k / 25;
        s << "mousemove" << QString::number(at.x()) << QString::number(at.y()) << "sleep"
          << "0.01";
    }
    return s;
}

} // namespace

TEST(OverlayOnX11, TranslucentStrokesShowInTheirOwnColourWithoutACompositor) {
    ExternalWindow recorder(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(recorder.ready());
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    ASSERT_TRUE(waitUntilPlaced(shell.overlay()->xid(), QRect(0, 0, 1920, 1079)));
    ASSERT_TRUE(waitUntil([&] { return shell.overlay()->keyboard().isKeyWindow(); }));
    ASSERT_TRUE(settle());
    const bool solid = !platform::x11::compositingManagerRunning();
    ASSERT_EQ(shell.overlay()->shape().isShapedToPaintedPixels(), solid);
    DrawingState& s = shell.state();
    const std::uint32_t overlay = shell.overlay()->xid();

    // A red line at 51 %, 12 px wide: looked at while it is drawn and once
    // placed.
    s.selectedTool = DrawingTool::pen;
    s.selectedColor = Color::red();
    s.strokeOpacity = 0.51;
    s.lineWidth = 12;
    ASSERT_TRUE(pointerReaches(QPoint(400, 420), overlay));
    ASSERT_TRUE(xdotoolMeanwhile(dragTo(QPoint(400, 420), QPoint(900, 420))));
    const QRect lineBand(450, 400, 400, 40);
    const auto lineShown = [&](const Pixels& p) { return (solid ? p.red : p.blends) >= 400 * 10; };
    for (const char* when : {"while drawn", "once placed"}) {
        const Pixels line = lookUntil(lineBand, lineShown);
        if (solid) {
            // Hard edges: the window beneath or the line's own red, nothing
            // in between and nothing dark.
            EXPECT_GE(line.red, 400 * 10) << when;
            EXPECT_LE(line.red, 400 * 13) << when;
            EXPECT_EQ(line.dark, 0) << when;
            EXPECT_EQ(line.blends, 0) << when;
        } else {
            // Blended with the window, with soft edges, as ever.
            EXPECT_EQ(line.red, 0) << when;
            EXPECT_EQ(line.dark, 0) << when;
            EXPECT_GE(line.blends, 400 * 10) << when;
            EXPECT_LE(distance(line.centre, blend(kRed, kGreen, 0.51)), 4) << when;
        }
        if (std::string(when) == "while drawn") {
            ASSERT_TRUE(xdotool({"mouseup", "1"}));
            ASSERT_TRUE(waitUntil([&] { return s.strokes->size() == 1; }));
        }
    }

    // An airbrush stroke at full opacity: a soft spray.
    s.selectedTool = DrawingTool::airbrush;
    s.strokeOpacity = 1;
    s.lineWidth = 20;
    ASSERT_TRUE(xdotoolMeanwhile(dragTo(QPoint(400, 560), QPoint(900, 560)) << "mouseup"
                                                                            << "1"));
    ASSERT_TRUE(waitUntil([&] { return s.strokes->size() == 2; }));
    const QRect sprayBand(450, 520, 400, 80);
    const Pixels spray =
        lookUntil(sprayBand, [&](const Pixels& p) { return p.beneath < sprayBand.width() * sprayBand.height(); });
    EXPECT_EQ(spray.dark, 0);
    if (solid) {
        EXPECT_GE(spray.red, 400 * 4);
        EXPECT_EQ(spray.blends, 0);
    } else {
        // Never as strong as the colour itself.
        EXPECT_EQ(spray.red, 0);
        EXPECT_GE(spray.blends, 400 * 4);
    }

    // A line at the sliders' least, 5 %: shown, and taking the pointer
    // wherever it is shown.
    DrawingStroke faint = penStroke({QPointF(400, 750), QPointF(900, 750)}, 12);
    faint.color = Color::red().opacity(0.05);
    s.addStroke(faint);
    s.selectedTool = std::nullopt;
    s.isMoveMode = true;
    const QRect faintBand(450, 730, 400, 40);
    if (solid) {
        // As exact in its colour as 13 levels of alpha keep it.
        const Pixels p = lookUntil(
            faintBand, [](const Pixels& q) { return q.red >= 400 * 10; }, 40);
        EXPECT_EQ(p.dark, 0);
        EXPECT_EQ(p.blends, 0);
        ASSERT_TRUE(waitUntil([&] {
            const auto region = shell.overlay()->shape().mouseRegion();
            return region &&
                   std::all_of(p.redAt.begin(), p.redAt.end(), [&](QPoint at) { return region->contains(at); });
        }));
    } else {
        const Pixels p = lookUntil(
            faintBand, [](const Pixels& q) { return q.blends >= 400 * 10; }, 40);
        EXPECT_EQ(p.red, 0);
    }
    EXPECT_TRUE(pointerReaches(QPoint(650, 750), overlay));
    EXPECT_TRUE(pointerReaches(QPoint(650, 790), recorder.window()));
}

TEST(OverlayOnX11, StrokesBlendOnceACompositorStartsAndTurnSolidOnceItStops) {
    if (platform::x11::compositingManagerRunning()) GTEST_SKIP() << "needs a session without a compositor";
    ExternalWindow recorder(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(recorder.ready());
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    DrawingStroke line = penStroke({QPointF(400, 420), QPointF(900, 420)}, 12);
    line.color = Color::red().opacity(0.51);
    shell.state().addStroke(line);
    const QRect band(450, 400, 400, 40);
    const auto solidLine = [](const Pixels& p) { return p.red >= 400 * 10 && p.blends == 0 && p.dark == 0; };
    const auto blendedLine = [](const Pixels& p) { return p.blends >= 400 * 10 && p.red == 0 && p.dark == 0; };
    EXPECT_TRUE(solidLine(lookUntil(band, solidLine)));

    QProcess compositor;
    compositor.start("xcompmgr", QStringList());
    ASSERT_TRUE(compositor.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return !shell.overlay()->shape().isShapedToPaintedPixels(); }));
    EXPECT_TRUE(blendedLine(lookUntil(band, blendedLine)));

    compositor.terminate();
    ASSERT_TRUE(compositor.waitForFinished());
    ASSERT_TRUE(waitUntil([&] { return shell.overlay()->shape().isShapedToPaintedPixels(); }));
    EXPECT_TRUE(solidLine(lookUntil(band, solidLine)));
}

TEST(OverlayOnX11, TheEditingChromeIsNeverDarkenedOverAnotherWindow) {
    ExternalWindow recorder(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(recorder.ready());
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    ASSERT_TRUE(waitUntilPlaced(shell.overlay()->xid(), QRect(0, 0, 1920, 1079)));
    ASSERT_TRUE(waitUntil([&] { return shell.overlay()->keyboard().isKeyWindow(); }));
    ASSERT_TRUE(settle());
    auto* canvas = shell.overlay()->widget()->findChild<DrawingCanvasView*>();
    ASSERT_TRUE(canvas);
    DrawingState& s = shell.state();
    const std::uint32_t overlay = shell.overlay()->xid();
    s.selectedColor = Color::red();
    s.strokeOpacity = 0.5;
    const QRgb accent = QApplication::palette().color(QPalette::Highlight).rgb();

    // Pixels of an area: of the accent, drawn (not the window beneath) and
    // dark (every channel below 70: nothing here is drawn that dark, so a
    // colour darkened toward black).
    struct Chrome {
        int accent = 0, drawn = 0, dark = 0;
    };
    const auto chromeIn = [&](const QImage& screen, const QRect& area) {
        Chrome c;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb p = screen.pixel(x, y);
                c.accent += distance(p, accent) <= 8;
                c.drawn += p != kGreen;
                c.dark += qRed(p) < 70 && qGreen(p) < 70 && qBlue(p) < 70;
            }
        return c;
    };
    // Looks at `area` until three looks in a row agree and the chrome shows
    // there (at least `accentLeast` pixels of the accent, and `drawnLeast`
    // drawn within `drawnIn`, an area of its own): a look may catch a repaint
    // whose new shape the X server has not taken yet, showing the pixels it
    // cleared black for that moment. Then the dark pixels of the last look.
    const auto darkAround = [&](const QRect& area, int accentLeast, int drawnLeast, const QRect& drawnIn) {
        std::vector<QImage> looks;
        const bool shown = waitUntil([&] {
            looks.push_back(grabRoot());
            if (looks.size() > 3) looks.erase(looks.begin());
            return looks.size() == 3 && looks[0].copy(area) == looks[1].copy(area) &&
                   looks[1].copy(area) == looks[2].copy(area) && chromeIn(looks[2], area).accent >= accentLeast &&
                   chromeIn(looks[2], drawnIn).drawn >= drawnLeast;
        });
        return shown ? chromeIn(looks.back(), area).dark : -1;
    };

    // An open text box with a word typed in: its frame's dashes, its
    // handles and the caret.
    s.selectedTool = DrawingTool::text;
    ASSERT_TRUE(pointerReaches(QPoint(600, 420), overlay));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(waitUntil([&] { return canvas->textBox().isActive(); }));
    ASSERT_TRUE(xdotoolMeanwhile({"type", "--delay", "30", "Corner"}));
    ASSERT_TRUE(waitUntil([&] { return canvas->textBox().pendingText() == QStringLiteral("Corner"); }));
    const QRect box = canvas->textBox().frame().toAlignedRect().adjusted(-14, -44, 14, 14);
    EXPECT_EQ(darkAround(box, 100, 600, box), 0) << "around the text box";
    s.isTextEditing = false;
    ASSERT_TRUE(waitUntil([&] { return s.strokes->size() == 1 && !canvas->textBox().isActive(); }));

    // The bezier pen's dashed guide from its first vertex to the pointer,
    // looked at once it reaches the pointer.
    s.selectedTool = DrawingTool::bezierPen;
    ASSERT_TRUE(pointerReaches(QPoint(450, 800), overlay));
    ASSERT_TRUE(xdotoolMeanwhile({"click", "1", "mousemove", "900", "850"}));
    ASSERT_TRUE(waitUntil([&] { return s.isBezierEditing.get(); }));
    const QRect guide(QPoint(436, 786), QPoint(914, 864));
    EXPECT_EQ(darkAround(guide, 5, 30, QRect(QPoint(840, 836), QPoint(914, 864))), 0) << "around the bezier guide";
    s.isBezierEditing = false;
    s.selectedTool = DrawingTool::line;
    // The change of tool has ended any edit before one is opened.
    drainEvents();

    // A line's edit handles, at its ends and its middle.
    s.addStroke(framedStroke(DrawingTool::line, QPointF(500, 600), QPointF(900, 660), 4));
    s.strokes.modify([&](auto& list) { list.back().color = Color::red().opacity(0.5); });
    canvas->openEdit(s.strokes->size() - 1);
    ASSERT_TRUE(s.isLineEditing.get());
    const QRect line(QPoint(486, 586), QPoint(914, 674));
    EXPECT_EQ(darkAround(line, 3 * 5, 1000, line), 0) << "around the line's handles";
    s.isLineEditing = false;
}
