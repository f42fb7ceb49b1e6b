// The colour picker's panel offscreen: where it opens for each side, its
// chrome, growing from the toolbar's edge, Esc and clicks, edits reaching
// the drawing state at once, and the keyboard for a harmony's name.
#include "colorpicker/ColorPickerWindowController.h"

#include "colorpicker/ColorPickerPanel.h"
#include "colorpicker/ColorPickerRoot.h"
#include "colorpicker/ColorValues.h"
#include "colorpicker/ColorWheelView.h"
#include "colorpicker/SavedHarmonyRow.h"
#include "model/DrawingState.h"
#include "platform/EventMonitor.h"
#include "platform/NotificationCenter.h"
#include "support/FakeEventMonitor.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "ui/NotificationNames.h"
#include "ui/OpenPanelRegistry.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>
#include <QWindow>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;
using platform::Rect;
using D = PanelOpenDirection;
namespace Key = platform::KeyCode;

namespace {

// A toolbar window with a 16-point swatch on the edge of the screen whose
// panels open to `direction`: across the top or the bottom, down the left
// or the right edge.
struct Toolbar {
    explicit Toolbar(D direction = D::below) : window(platform::makeWindow(frameFor(direction))) {
        auto* content = new QWidget;
        window->setContentView(content);
        swatch = new QWidget(content);
        const bool vertical = direction == D::toRight || direction == D::toLeft;
        swatch->setGeometry(vertical ? QRect(12, 400, 16, 16) : QRect(400, 10, 16, 16));
        anchor->nsView = swatch;
    }
    Rect frame() const { return window->frame(); }
    Rect swatchFrame() const { return *anchor->frameOnScreen(); }
    static Rect frameFor(D direction) {
        switch (direction) {
        case D::below: return Rect(300, 800, 700, 36);
        case D::above: return Rect(300, 8, 700, 36);
        case D::toRight: return Rect(8, 200, 40, 600);
        case D::toLeft: return Rect(1380, 200, 40, 600);
        }
        return Rect(300, 800, 700, 36);
    }

    platform::WindowPtr<> window;
    QWidget* swatch = nullptr;
    std::shared_ptr<AnchorRef> anchor = std::make_shared<AnchorRef>();
};

struct Picker {
    explicit Picker(D direction, std::shared_ptr<AnchorRef> anchor = std::make_shared<AnchorRef>()) {
        t->selectedColor = Color{1, 0, 0, 1};
        open(direction, std::move(anchor));
    }
    // A new picker on the same state, as the swatch makes at each opening.
    void open(D direction, std::shared_ptr<AnchorRef> anchor) {
        controller.reset();
        controller = std::make_unique<ColorPickerWindowController>(
            t.state, std::move(anchor), [this](bool open) { reported.push_back(open); }, direction);
    }
    ~Picker() {
        controller.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ColorPickerPanel& panel() const { return *controller->panel(); }
    Rect frame() const { return controller->window()->frame(); }
    bool shown() const { return controller->window()->isVisible(); }
    bool listed() const {
        const auto& open = OpenPanelRegistry::shared().openPanels();
        return std::find(open.begin(), open.end(), controller.get()) != open.end();
    }
    // A saved harmony more: the content grows by a row.
    void saveHarmony() { panel().model().saveCurrentHarmony(); }

    TestDrawingState t;
    std::vector<bool> reported;
    std::unique_ptr<ColorPickerWindowController> controller;
};

void click(QWidget* w, QPointF at) {
    const QPointF global = w->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, global, Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
}
void click(QWidget* w) { click(w, QRectF(w->rect()).center()); }

// The offscreen platform activates every window it shows, where X leaves a
// panel that only takes the keyboard on request alone: the window that had
// the keyboard takes it back.
void keepKeyWindow(platform::Window& window) {
    drainEvents();
    window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return window.keyboard().isKeyWindow(); }, 2000));
}

void letTimePass(double seconds) {
    bool done = false;
    platform::dispatchMainAfter(seconds, [&done] { done = true; });
    ASSERT_TRUE(waitUntil([&done] { return done; }));
}

} // namespace

TEST(ColorPickerWindow, OpensAgainstTheToolbarOnEachSideWithItsCornersSquareThere) {
    struct Case {
        D direction;
        ui::PanelChrome::Corners corners;
    };
    for (const Case& c : {Case{D::below, {0, 0, 10, 10}}, Case{D::above, {10, 10, 0, 0}},
                          Case{D::toRight, {0, 10, 10, 0}}, Case{D::toLeft, {10, 0, 0, 10}}}) {
        SCOPED_TRACE(int(c.direction));
        Toolbar toolbar(c.direction);
        Picker p(c.direction, toolbar.anchor);
        const Rect f = p.frame();
        const Rect w = toolbar.frame();
        const Rect r = toolbar.swatchFrame();
        const double h = f.height();
        EXPECT_EQ(f.width(), 246);
        EXPECT_EQ(h, p.controller->root()->sizeHint().height()) << "fitted to its content";
        EXPECT_GT(h, 400);
        switch (c.direction) {
        case D::below: EXPECT_EQ(f.origin, Point(r.midX() - 123, w.minY() - h)); break;
        case D::above: EXPECT_EQ(f.origin, Point(r.midX() - 123, w.maxY())); break;
        // Whole points: an odd height centres half a point off.
        case D::toRight:
            EXPECT_EQ(f.minX(), w.maxX());
            EXPECT_NEAR(f.minY(), w.midY() - h / 2, 0.5);
            break;
        case D::toLeft:
            EXPECT_EQ(f.minX(), w.minX() - 246);
            EXPECT_NEAR(f.minY(), w.midY() - h / 2, 0.5);
            break;
        }
        EXPECT_EQ(p.controller->root()->corners(), c.corners);
        EXPECT_EQ(p.controller->direction(), c.direction);
        EXPECT_FALSE(p.shown()) << "built and placed, not shown";
        EXPECT_FALSE(p.listed());
    }
}

TEST(ColorPickerWindow, WithoutAUsableAnchorItOpensNearTheTopOfTheMainScreen) {
    Picker p(D::below);
    const double h = p.frame().height();
    EXPECT_EQ(p.frame().origin, Point(720 - 123, 900 - h - 60));

    // A swatch in no window of ours: the same place; no main screen: where
    // the window was made.
    QWidget stray;
    auto anchor = std::make_shared<AnchorRef>();
    anchor->nsView = &stray;
    Picker strayed(D::toLeft, anchor);
    EXPECT_EQ(strayed.frame().origin, Point(720 - 123, 900 - h - 60));
    strayed.t.screens->setScreens({});
    strayed.controller->place();
    EXPECT_EQ(strayed.frame().origin, Point(720 - 123, 900 - h - 60));
}

TEST(ColorPickerWindow, GrowsAwayFromTheToolbarKeepingTheEdgeThatTouchesIt) {
    for (D direction : {D::above, D::below, D::toRight}) {
        SCOPED_TRACE(int(direction));
        Toolbar toolbar(direction);
        Picker p(direction, toolbar.anchor);
        p.controller->showWindow();
        const Rect before = p.frame();
        p.saveHarmony();
        p.saveHarmony();
        ASSERT_TRUE(waitUntil([&] { return p.frame().height() > before.height(); }, 2000));
        EXPECT_TRUE(waitUntil([&] { return p.frame().height() == p.controller->root()->height(); }, 2000));
        const Rect after = p.frame();
        if (direction == D::above) EXPECT_EQ(after.minY(), before.minY()) << "stands on the toolbar";
        else EXPECT_EQ(after.maxY(), before.maxY()) << "hangs from its top edge";
        EXPECT_EQ(after.minX(), before.minX());
        EXPECT_EQ(after.width(), 246);

        // Shrinking follows the same way.
        p.t->savedHarmonies = std::vector<SavedHarmony>{};
        ASSERT_TRUE(waitUntil([&] { return p.frame().height() == before.height(); }, 2000));
        EXPECT_EQ(p.frame(), before);
    }
}

TEST(ColorPickerWindow, EscClosesItAndGoesNoFurtherAndTheOwnerHearsLater) {
    Toolbar across;
    Picker p(D::below, across.anchor);
    const std::size_t localMonitors = platform::EventMonitor::shared().localMonitorCount();
    p.controller->showWindow();
    EXPECT_TRUE(p.shown());
    EXPECT_TRUE(p.listed());
    EXPECT_FALSE(p.controller->window()->keyboard().isKeyWindow()) << "shown without the keyboard";
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), localMonitors + 2) << "Esc and clicks";
    letTimePass(0.25);

    // Other keys pass.
    EXPECT_TRUE(injectLocal(keyEvent(Key::z)).has_value());
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape)).has_value());
    EXPECT_TRUE(p.shown()) << "the close is scheduled, not done in the monitor";
    drainEvents();
    EXPECT_FALSE(p.shown());
    EXPECT_FALSE(p.listed());
    EXPECT_EQ(p.reported, std::vector<bool>{false});
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), localMonitors);
    EXPECT_TRUE(injectLocal(keyEvent(Key::escape)).has_value()) << "a closed picker takes no Esc";

    // Closing a closed picker does nothing, not even the flag.
    p.controller->closePanel();
    drainEvents();
    EXPECT_EQ(p.reported, std::vector<bool>{false});
}

// Once the picker is gone from the screen its click monitor lets every
// click through, also when it closed within the 0.2 s hold.
TEST(ColorPickerWindow, ClicksElsewhereCloseItAndAClosedPickerKeepsNoClick) {
    Toolbar across;
    const std::size_t localMonitors = platform::EventMonitor::shared().localMonitorCount();
    {
        Picker p(D::below, across.anchor);
        p.controller->showWindow();
        p.controller->closePanel();
        EXPECT_TRUE(injectLocal(mouseEvent(platform::EventType::leftMouseDown, Point(100, 100))).has_value());
        letTimePass(0.25);
        EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), localMonitors)
            << "no click monitor left behind";
    }

    Picker p(D::below, across.anchor);
    p.controller->showWindow();
    letTimePass(0.25);
    const Rect f = p.frame();
    const Rect swatch = across.swatchFrame();
    auto clickAt = [](Point at, platform::EventType type = platform::EventType::leftMouseDown) {
        const bool passed = injectLocal(mouseEvent(type, at)).has_value();
        drainEvents();
        return passed;
    };
    EXPECT_TRUE(clickAt(Point(f.midX(), f.midY()))) << "inside";
    EXPECT_TRUE(clickAt(Point(swatch.maxX() + 5, swatch.minY() - 5))) << "within 6 points of the swatch";
    EXPECT_TRUE(p.shown());
    EXPECT_FALSE(clickAt(Point(swatch.maxX() + 7, swatch.midY()), platform::EventType::rightMouseDown));
    EXPECT_FALSE(p.shown());
    EXPECT_TRUE(clickAt(Point(100, 100))) << "closed: clicks pass";
}

TEST(ColorPickerWindow, EditsReachTheDrawingStateAtOnceAndAReopeningStartsFromThem) {
    Toolbar across;
    Picker p(D::below, across.anchor);
    p.t->strokeOpacity = 0.5;
    p.controller->showWindow();
    drainEvents();
    EXPECT_EQ(p.t->selectedColor.get(), (Color{1, 0, 0, 1})) << "opening on red writes nothing";

    // The bottom of the disc, 60 points out: cyan at saturation 60/87.
    ColorWheelView* wheel = p.panel().wheel();
    const QPointF at = QRectF(wheel->rect()).center() + QPointF(0, 60);
    QMouseEvent press(QEvent::MouseButtonPress, at, wheel->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(wheel, &press);
    const Color cyan = colorFromHSB(0.5, 60.0 / 87, 1);
    EXPECT_EQ(p.t->selectedColor.get(), cyan) << "written during the drag, not at its end";
    EXPECT_EQ(p.t.defaults->numberArray("overink.selectedColor"), (std::vector<double>{cyan.r, cyan.g, cyan.b, 1}));
    QMouseEvent release(QEvent::MouseButtonRelease, at, wheel->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(wheel, &release);

    p.panel().opacitySlider()->setValue(250);
    EXPECT_EQ(p.t->strokeOpacity.get(), 0.25);
    EXPECT_EQ(p.t.defaults->doubleValue("overink.strokeOpacity"), 0.25);
    click(p.panel().saveButton());
    ASSERT_EQ(p.t->savedHarmonies->size(), 1u);
    EXPECT_NEAR(p.t->savedHarmonies.get()[0].hue, 0.5, 1e-12);
    EXPECT_TRUE(p.t.defaults->data("overink.savedHarmonies")) << "stored with the edit";

    // Closed and opened anew: the new picker reads the state as it is now.
    p.controller->closePanel();
    drainEvents();
    p.open(D::below, across.anchor);
    p.controller->showWindow();
    drainEvents();
    EXPECT_NEAR(p.panel().model().hue, 0.5, 1e-9);
    EXPECT_NEAR(p.panel().model().saturation, 60.0 / 87, 1e-9);
    EXPECT_EQ(p.panel().wheel()->hue(), p.panel().model().hue);
    EXPECT_EQ(p.panel().opacitySlider()->value(), 250);
    EXPECT_EQ(p.panel().harmonyRows().size(), 1u);
    EXPECT_EQ(p.t->selectedColor.get(), cyan) << "read back, written back the same";
}

// Through the picker: the harmony name field takes the keyboard on its
// request, keeps Esc and Delete, and gives the keyboard back.
TEST(ColorPickerWindow, TheNameFieldTakesTheKeyboardAndTheFirstEscIsItsOwn) {
    Toolbar across;
    auto before = platform::makeWindow(Rect(0, 0, 400, 300));
    before->makeKeyAndOrderFront();
    ASSERT_TRUE(waitUntil([&] { return before->keyboard().isKeyWindow(); }, 2000));
    Picker p(D::below, across.anchor);
    p.t->savedHarmonies = {SavedHarmony{QUuid::createUuid(), QStringLiteral("old"), HarmonyType::triadic, 0.1, 1, 1}};
    p.controller->showWindow();
    EXPECT_FALSE(p.controller->window()->keyboard().isKeyWindow());
    keepKeyWindow(*before);

    SavedHarmonyRow* row = p.panel().harmonyRows().at(0);
    click(row->renameButton());
    ASSERT_TRUE(waitUntil(
        [&] { return p.controller->window()->keyboard().isKeyWindow() && p.panel().isRenameFieldFocused(); }, 2000));
    EXPECT_TRUE(p.controller->keyboard().fieldHasKeyboard());
    EXPECT_TRUE(p.controller->keyboard().holdsKeyboard());

    // Delete is the field's: the picker's monitors let it through.
    QWidget* field = row->renameField();
    ASSERT_TRUE(field);
    EXPECT_TRUE(injectLocal(keyEvent(Key::deleteKey)).has_value());
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &backspace);
    EXPECT_EQ(p.t->savedHarmonies.get()[0].name, "ol");

    // Esc too: it ends the renaming, the keyboard goes back, the picker stays.
    ASSERT_TRUE(injectLocal(keyEvent(Key::escape)).has_value());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &esc);
    drainEvents();
    EXPECT_TRUE(waitUntil([&] { return before->keyboard().isKeyWindow(); }, 2000));
    EXPECT_FALSE(p.controller->keyboard().holdsKeyboard());
    EXPECT_FALSE(p.panel().model().renamingHarmonyID.get());
    EXPECT_TRUE(p.shown());

    // The next Esc is the picker's.
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape)).has_value());
    drainEvents();
    EXPECT_FALSE(p.shown());
}

TEST(ColorPickerWindow, ClosingWhileANameIsTypedGivesTheKeyboardBackAndKeepsTheName) {
    Toolbar across;
    auto before = platform::makeWindow(Rect(0, 0, 400, 300));
    before->makeKeyAndOrderFront();
    ASSERT_TRUE(waitUntil([&] { return before->keyboard().isKeyWindow(); }, 2000));
    Picker p(D::below, across.anchor);
    p.t->savedHarmonies = {SavedHarmony{QUuid::createUuid(), {}, HarmonyType::square, 0.3, 1, 1}};
    p.controller->showWindow();
    keepKeyWindow(*before);
    SavedHarmonyRow* row = p.panel().harmonyRows().at(0);
    click(row->renameButton());
    ASSERT_TRUE(waitUntil([&] { return p.panel().isRenameFieldFocused(); }, 2000));
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(row->renameField(), &a);

    EXPECT_FALSE(injectLocal(mouseEvent(platform::EventType::leftMouseDown, Point(100, 100))).has_value());
    drainEvents();
    EXPECT_FALSE(p.shown());
    EXPECT_TRUE(waitUntil([&] { return before->keyboard().isKeyWindow(); }, 2000));
    EXPECT_EQ(p.t->savedHarmonies.get()[0].name, "a");

    // A request after closing takes no keyboard.
    platform::NotificationCenter::defaultCenter().post(Notifications::colorPickerRequestKey);
    drainEvents();
    EXPECT_FALSE(p.controller->keyboard().holdsKeyboard());
    EXPECT_TRUE(before->keyboard().isKeyWindow());
}
