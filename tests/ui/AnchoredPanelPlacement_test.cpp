// Where anchored panels open and how they grow, and their chrome's corners.
#include "ui/AnchoredPanelPlacement.h"
#include "ui/PanelChrome.h"

#include "support/FakePlatform.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using platform::Point;
using platform::Rect;
using platform::Size;
using testing_support::FakeScreenProvider;
using ui::PanelAlignment;
using D = PanelOpenDirection;

namespace {
// A horizontal toolbar window across y 900…936 with a 34-point control at
// x 500…534; a vertical one across x 1800…1836 with its control at y 400…424.
const Rect kTopToolbar(300, 900, 700, 36);
const Rect kTopControl(500, 906, 34, 24);
const Rect kSideToolbar(1800, 200, 36, 700);
const Rect kSideControl(1806, 400, 34, 24);

// A frame kept on its display by the panels' rule.
Rect keptOnPanelDisplay(const Rect& frame, const Rect& visible) {
    return platform::keptInside(frame, visible, ui::kPanelKeptEdges);
}
} // namespace

TEST(AnchoredPanelPlacement, BesideAHorizontalToolbarItTouchesTheWindowAndLinesUpWithTheControl) {
    // A submenu as wide as its control hangs exactly under it, its top on
    // the toolbar window's bottom edge.
    const Point submenu =
        ui::anchoredPanelOrigin(D::below, Size(34, 122), kTopControl, kTopToolbar, PanelAlignment::centred());
    EXPECT_EQ(submenu, Point(500, 900 - 122));
    // The font picker starts 10 points left of its control.
    const Point font = ui::anchoredPanelOrigin(D::below, Size(260, 300), Rect(600, 906, 24, 24), kTopToolbar,
                                               PanelAlignment::fromAnchorMinX(-10));
    EXPECT_EQ(font, Point(590, 600));
    // At the bottom of the screen the panel stands on the toolbar window.
    const Point above =
        ui::anchoredPanelOrigin(D::above, Size(34, 122), kTopControl, kTopToolbar, PanelAlignment::centred());
    EXPECT_EQ(above, Point(500, 936));
    // A wider panel centred on its control (the colour picker's way).
    EXPECT_EQ(ui::anchoredPanelOrigin(D::below, Size(246, 100), kTopControl, kTopToolbar, PanelAlignment::centred()).x,
              517 - 123);
}

TEST(AnchoredPanelPlacement, BesideAVerticalToolbarItTouchesTheWindowsSideCentredOnTheControl) {
    const Point left = ui::anchoredPanelOrigin(D::toLeft, Size(260, 100), kSideControl, kSideToolbar,
                                               PanelAlignment::fromAnchorMinX(-10));
    EXPECT_EQ(left.x + 260, kSideToolbar.minX()) << "its right edge on the toolbar's left edge";
    EXPECT_EQ(left.y + 50, kSideControl.midY()) << "its middle at the control's middle";
    const Point right = ui::anchoredPanelOrigin(D::toRight, Size(34, 60), Rect(6, 400, 34, 24), Rect(0, 200, 36, 700),
                                                PanelAlignment::centred());
    EXPECT_EQ(right, Point(36, 412 - 30));
    // Centred on the toolbar window instead (the colour picker's way).
    const Point onToolbar = ui::anchoredPanelOrigin(D::toLeft, Size(246, 100), kSideControl, kSideToolbar,
                                                    PanelAlignment{std::nullopt, true});
    EXPECT_EQ(onToolbar, Point(1800 - 246, 550 - 50));
}

TEST(AnchoredPanelPlacement, WithoutAnAnchorItOpensCentredBelowTheTopOfTheVisibleFrame) {
    const Rect visible(0, 0, 1440, 876);
    EXPECT_EQ(ui::fallbackPanelOrigin(Size(34, 100), visible), Point(720 - 17, 876 - 100 - 60));
    EXPECT_EQ(ui::fallbackPanelOrigin(Size(260, 200), Rect(1440, 100, 1920, 1000)), Point(2400 - 130, 1100 - 260));
}

TEST(AnchoredPanelPlacement, AGrowingPanelKeepsTheEdgeThatTouchesTheToolbar) {
    const Rect frame(590, 600, 260, 300);
    // Standing on a bottom toolbar: the bottom stays, it grows upwards.
    EXPECT_EQ(ui::resizedPanelFrame(frame, 420, D::above), Rect(590, 600, 260, 420));
    // Everywhere else the top stays, beside a vertical toolbar too.
    for (D d : {D::below, D::toLeft, D::toRight})
        EXPECT_EQ(ui::resizedPanelFrame(frame, 420, d), Rect(590, 480, 260, 420));
    EXPECT_EQ(ui::resizedPanelFrame(frame, 200, D::below), Rect(590, 700, 260, 200));
}

TEST(AnchoredPanelPlacement, AFrameOffItsDisplayIsMovedInsideAndOneThatFitsStaysExactly) {
    const Rect visible(0, 24, 1024, 576);
    // Inside, or touching the edges: left exactly as it is.
    EXPECT_EQ(keptOnPanelDisplay(Rect(36.5, 100.25, 260, 300), visible), Rect(36.5, 100.25, 260, 300));
    EXPECT_EQ(keptOnPanelDisplay(Rect(0, 24, 1024, 576), visible), Rect(0, 24, 1024, 576));
    // Partly off an edge: moved along that axis alone, just inside.
    EXPECT_EQ(keptOnPanelDisplay(Rect(900, 300, 260, 100), visible), Rect(764, 300, 260, 100));
    EXPECT_EQ(keptOnPanelDisplay(Rect(-30, 300, 260, 100), visible), Rect(0, 300, 260, 100));
    EXPECT_EQ(keptOnPanelDisplay(Rect(300, -109, 34, 242), visible), Rect(300, 24, 34, 242));
    EXPECT_EQ(keptOnPanelDisplay(Rect(300, 500, 34, 242), visible), Rect(300, 600 - 242, 34, 242));
    // Larger than the visible frame: its left and top edges win.
    EXPECT_EQ(keptOnPanelDisplay(Rect(-50, -50, 1100, 700), visible), Rect(0, 600 - 700, 1100, 700));
}

TEST(AnchoredPanelPlacement, APanelIsNeverTallerThanItsDisplaysVisibleFrame) {
    const Rect visible(0, 24, 1024, 576);
    EXPECT_EQ(ui::panelHeightOnDisplay(715, visible), 576) << "the content scrolls";
    EXPECT_EQ(ui::panelHeightOnDisplay(576, visible), 576);
    EXPECT_EQ(ui::panelHeightOnDisplay(300.5, visible), 300.5) << "a panel that fits is as tall as its content";
    EXPECT_EQ(ui::panelHeightOnDisplay(715, std::nullopt), 715) << "without a display, the content's";
}

TEST(AnchoredPanelPlacement, AMovedPanelGoesBackOnceItFitsAtItsPlaceButNotUnderThePointer) {
    using R = ui::PanelReturn;
    const Rect visible(0, 0, 1024, 576);
    // Its place: under a toolbar whose bottom edge is at y 520.
    const Rect home(100, 120, 240, 400);
    // Moved up over the toolbar while it was taller, now as tall as `home`.
    const Rect over(100, 176, 240, 400);
    EXPECT_EQ(ui::panelReturn(over, home, visible, false), R::returnsNow);
    EXPECT_EQ(ui::panelReturn(over, home, visible, true), R::returnsOncePointerLeaves);
    EXPECT_EQ(ui::panelReturn(home, home, visible, true), R::stays) << "already there";
    // Its place still runs off the display (the bottom edge by a point).
    EXPECT_EQ(ui::panelReturn(Rect(100, 0, 240, 521), Rect(100, -1, 240, 521), visible, false), R::stays);
    // Exactly as tall as the room under the toolbar: it fits.
    EXPECT_EQ(ui::panelReturn(Rect(100, 55, 240, 520), Rect(100, 0, 240, 520), visible, false), R::returnsNow);
}

TEST(AnchoredPanelPlacement, ThePanelsDisplayIsTheOneHoldingItsAnchor) {
    platform::Screen left = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1920, 1080));
    left.visibleFrame = Rect(0, 0, 1920, 1050);
    platform::Screen right = FakeScreenProvider::makeScreen(2, Rect(1920, 0, 1024, 600));
    right.visibleFrame = Rect(1920, 0, 1024, 576);
    FakeScreenProvider screens({left, right});
    EXPECT_EQ(ui::visibleFrameHolding(screens, Rect(2000, 300, 34, 24)), right.visibleFrame);
    // Across the seam: the screen holding its centre.
    EXPECT_EQ(ui::visibleFrameHolding(screens, Rect(1900, 300, 60, 24)), right.visibleFrame);
    // Its centre on no screen: the first it meets, else the main screen.
    EXPECT_EQ(ui::visibleFrameHolding(screens, Rect(2900, 590, 100, 100)), right.visibleFrame);
    EXPECT_EQ(ui::visibleFrameHolding(screens, Rect(5000, 5000, 10, 10)), left.visibleFrame);
    EXPECT_EQ(ui::visibleFrameHolding(FakeScreenProvider(), Rect(0, 0, 10, 10)), std::nullopt);
}

TEST(AnchoredPanelPlacement, TheToolbarsMenuOpensClearOfTheToolbarAndOnItsDisplay) {
    const Size menu(180, 90);
    // Under the toolbar window, not under the control inside its padding.
    const Rect below = ui::toolbarMenuFrame(D::below, menu, kTopControl, kTopToolbar, std::nullopt);
    EXPECT_EQ(below, Rect(500, 900 - 90, 180, 90));
    EXPECT_EQ(ui::toolbarMenuFrame(D::above, menu, kTopControl, kTopToolbar, std::nullopt).minY(), 936);
    const Rect left = ui::toolbarMenuFrame(D::toLeft, menu, kSideControl, kSideToolbar, std::nullopt);
    EXPECT_EQ(left.maxX(), kSideToolbar.minX());
    EXPECT_EQ(left.midY(), kSideControl.midY());
    // A control near the display's edge: the menu is moved onto it.
    const Rect kept =
        ui::toolbarMenuFrame(D::below, menu, Rect(1880, 906, 24, 24), Rect(1300, 900, 620, 36), Rect(0, 0, 1920, 1050));
    EXPECT_EQ(kept, Rect(1920 - 180, 810, 180, 90));
}

TEST(PanelChrome, TheCornersOnTheToolbarsSideAreSquare) {
    using C = ui::PanelChrome::Corners;
    EXPECT_EQ(ui::PanelChrome::corners(D::below, 4), (C{0, 0, 4, 4}));
    EXPECT_EQ(ui::PanelChrome::corners(D::above, 4), (C{4, 4, 0, 0}));
    EXPECT_EQ(ui::PanelChrome::corners(D::toRight, 10), (C{0, 10, 10, 0}));
    EXPECT_EQ(ui::PanelChrome::corners(D::toLeft, 10), (C{10, 0, 0, 10}));

    // Painted: the square corners' pixels are covered, the rounded ones' not.
    ui::PanelChrome chrome(10, D::above);
    chrome.resize(60, 40);
    QImage image(60, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    chrome.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "top-left rounded";
    EXPECT_EQ(qAlpha(image.pixel(59, 0)), 0) << "top-right rounded";
    EXPECT_GT(qAlpha(image.pixel(0, 39)), 200) << "bottom-left square";
    EXPECT_GT(qAlpha(image.pixel(59, 39)), 200) << "bottom-right square";
    EXPECT_GT(qAlpha(image.pixel(30, 20)), 200);

    chrome.setDirection(D::toRight);
    image.fill(Qt::transparent);
    chrome.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    EXPECT_GT(qAlpha(image.pixel(0, 0)), 200) << "left side square";
    EXPECT_GT(qAlpha(image.pixel(0, 39)), 200);
    EXPECT_EQ(qAlpha(image.pixel(59, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(59, 39)), 0);
}
