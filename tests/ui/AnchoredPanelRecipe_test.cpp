// The anchored panel recipe offscreen: the panel window, fitting and
// following the content's height, placement against a real control, and
// the keyboard hand-off for the panel's fields.
#include "ui/AnchoredPanelController.h"

#include "platform/EventMonitor.h"
#include "support/FakeEventMonitor.h"
#include "support/FakePlatform.h"
#include "support/TestUtil.h"
#include "ui/OpenPanelRegistry.h"
#include "ui/PanelScroller.h"
#include "ui/ScrollIndicator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using D = PanelOpenDirection;

namespace {

// A column whose body is as high as asked.
class Column : public QWidget {
public:
    explicit Column(int height) : body(new QWidget) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        body->setFixedHeight(height);
        layout->addWidget(body);
    }
    QWidget* body;
};

class RecipePanel : public ui::AnchoredPanelController {
public:
    RecipePanel(std::shared_ptr<AnchorRef> anchor, QWidget* root, double width)
        : AnchoredPanelController(makePanelWindow(QStringLiteral("Test panel"), width), std::move(anchor), nullptr,
                                  Options{}) {
        fitted = setContent(root, width);
    }
    void place() override {}
    using AnchoredPanelController::followContentHeight;
    using AnchoredPanelController::placeBesideAnchor;
    double fitted = 0;
    // Where the test has the pointer.
    bool pointerIn = false;

protected:
    bool pointerInside() const override { return pointerIn; }
};

struct Finish {
    ~Finish() {
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST(AnchoredPanelRecipe, ThePanelWindowFloatsWithoutTakingTheKeyboardOrThePointer) {
    Finish finish;
    const auto window = ui::AnchoredPanelController::makePanelWindow(QStringLiteral("Test panel"), 34);
    EXPECT_EQ(window->frame().size, platform::Size(34, 100));
    EXPECT_EQ(window->stacking().level(), platform::WindowLevel::panel);
    EXPECT_TRUE(window->keyboard().isNonActivatingPanel()) << "key only on request";
    EXPECT_FALSE(window->keyboard().canBecomeMain());
    EXPECT_FALSE(window->hasShadow());
    EXPECT_FALSE(window->isOpaque());
    EXPECT_EQ(window->backgroundColor(), Color::clear());
    EXPECT_FALSE(window->isVisible());
}

TEST(AnchoredPanelRecipe, FittedOnceToItsContentThenFollowingItAwayFromTheToolbar) {
    Finish finish;
    for (D growth : {D::above, D::below, D::toLeft}) {
        SCOPED_TRACE(int(growth));
        auto* column = new Column(300);
        RecipePanel panel(std::make_shared<AnchorRef>(), column, 260);
        EXPECT_EQ(panel.fitted, 300);
        EXPECT_EQ(panel.window()->frame().size, platform::Size(260, 300));
        panel.followContentHeight(growth);
        panel.window()->setFrame(Rect(590, 600, 260, 300));

        // Not shown yet: nothing follows.
        column->body->setFixedHeight(350);
        drainEvents();
        EXPECT_EQ(panel.window()->frame(), Rect(590, 600, 260, 300));

        panel.showWindow();
        column->body->setFixedHeight(420);
        const Rect grown = growth == D::above ? Rect(590, 600, 260, 420) : Rect(590, 480, 260, 420);
        EXPECT_TRUE(waitUntil([&] { return panel.window()->frame() == grown; }, 2000));

        // A height of 10 or less is a content not laid out yet: ignored.
        column->body->setFixedHeight(8);
        drainEvents();
        EXPECT_EQ(panel.window()->frame().height(), 420);

        panel.closePanel();
        column->body->setFixedHeight(200);
        drainEvents();
        panel.resizeToContent(100);
        EXPECT_EQ(panel.window()->frame(), grown) << "a closed panel keeps its frame";
    }
}

TEST(AnchoredPanelRecipe, PlacedAgainstTheToolbarWindowAndAtTheFallbackWithoutAUsableAnchor) {
    Finish finish;
    // A screen with room for the panel on either side of the toolbar.
    FakeScreenProvider screens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 1000))});
    // A toolbar window across y 800…836 with a 34-point control at x 500.
    auto toolbar = platform::makeWindow(Rect(300, 800, 700, 36));
    auto* content = new QWidget;
    toolbar->setContentView(content);
    auto* control = new QWidget(content);
    control->setGeometry(200, 6, 34, 24);
    auto anchor = std::make_shared<AnchorRef>();
    anchor->nsView = control;

    RecipePanel panel(anchor, new Column(122), 34);
    const auto frames = panel.anchorFrames();
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->anchor, Rect(500, 806, 34, 24));
    EXPECT_EQ(frames->window, Rect(300, 800, 700, 36));
    panel.placeBesideAnchor(D::below, ui::PanelAlignment::centred(), screens);
    EXPECT_EQ(panel.window()->frame(), Rect(500, 800 - 122, 34, 122));
    panel.placeBesideAnchor(D::above, ui::PanelAlignment::centred(), screens);
    EXPECT_EQ(panel.window()->frame(), Rect(500, 836, 34, 122));

    // A control in no window of ours, or gone: the top of the main screen.
    QWidget stray;
    anchor->nsView = &stray;
    EXPECT_FALSE(panel.anchorFrames());
    panel.placeBesideAnchor(D::below, ui::PanelAlignment::centred(), screens);
    EXPECT_EQ(panel.window()->frame(), Rect(720 - 17, 1000 - 122 - 60, 34, 122));
    anchor->nsView = control;
    delete control;
    EXPECT_FALSE(panel.anchorFrames());
    // Without a main screen either, the panel stays where it is.
    FakeScreenProvider none;
    panel.placeBesideAnchor(D::below, ui::PanelAlignment::centred(), none);
    EXPECT_EQ(panel.window()->frame(), Rect(720 - 17, 1000 - 122 - 60, 34, 122));
}

namespace {

// A 1024 × 600 screen whose top 24 points a tray panel takes, a toolbar
// window across y 532…568 (8 under the visible frame's top) and a 34-point
// control at x 500 on it.
struct ShortScreen {
    ShortScreen() : toolbar(platform::makeWindow(Rect(300, 532, 700, 36))) {
        platform::Screen screen = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1024, 600));
        screen.visibleFrame = Rect(0, 0, 1024, 576);
        screens.setScreens({screen});
        auto* content = new QWidget;
        toolbar->setContentView(content);
        auto* control = new QWidget(content);
        control->setGeometry(200, 6, 34, 24);
        anchor->nsView = control;
    }
    // A 240-point panel of a column `height` high, hanging under the
    // control, following its content.
    std::unique_ptr<RecipePanel> panel(int height) {
        auto* column = new Column(height);
        body = column->body;
        auto p = std::make_unique<RecipePanel>(anchor, column, 240);
        p->followContentHeight(D::below);
        p->placeBesideAnchor(D::below, ui::PanelAlignment::centred(), screens);
        return p;
    }

    Finish finish;
    FakeScreenProvider screens;
    platform::WindowPtr<> toolbar;
    std::shared_ptr<AnchorRef> anchor = std::make_shared<AnchorRef>();
    QWidget* body = nullptr;
};

} // namespace

TEST(AnchoredPanelRecipe, AContentTallerThanTheDisplayScrollsInAPanelAsTallAsTheVisibleFrame) {
    ShortScreen s;
    const auto tall = s.panel(900);
    EXPECT_EQ(tall->contentHeight(), 900);
    // Centred on the control, as tall as the visible frame and inside it
    // (over the toolbar, which left no room for it below).
    EXPECT_EQ(tall->window()->frame(), Rect(517 - 120, 0, 240, 576));
    EXPECT_TRUE(tall->isDisplaced());
    tall->showWindow();
    ASSERT_TRUE(waitUntil([&] { return tall->scroller()->viewport()->height() == 576; }, 2000));
    EXPECT_TRUE(tall->scroller()->scrolls());
    EXPECT_EQ(tall->scroller()->verticalScrollBar()->maximum(), 900 - 576);
    EXPECT_EQ(s.body->height(), 900) << "the content keeps its size";
    EXPECT_TRUE(tall->scroller()->indicator()->isVisible());

    // One that fits: exactly where and as tall as its rule says, nothing to
    // scroll.
    const auto fits = s.panel(300);
    EXPECT_EQ(fits->window()->frame(), Rect(517 - 120, 532 - 300, 240, 300));
    EXPECT_FALSE(fits->isDisplaced());
    fits->showWindow();
    ASSERT_TRUE(waitUntil([&] { return fits->scroller()->viewport()->height() == 300; }, 2000));
    EXPECT_FALSE(fits->scroller()->scrolls());
    EXPECT_FALSE(fits->scroller()->indicator()->isVisible());
}

TEST(AnchoredPanelRecipe, AMovedPanelGoesBackUnderTheToolbarOnceItFitsAndThePointerHasLeft) {
    ShortScreen s;
    const auto panel = s.panel(300);
    const Rect home300(397, 232, 240, 300);
    ASSERT_EQ(panel->window()->frame(), home300);
    panel->showWindow();
    const auto frameIs = [&](const Rect& r) { return waitUntil([&] { return panel->window()->frame() == r; }, 2000); };

    // Grown past the room under the toolbar: capped, and moved up over it.
    s.body->setFixedHeight(700);
    ASSERT_TRUE(frameIs(Rect(397, 0, 240, 576)));
    EXPECT_TRUE(panel->isDisplaced());

    // Shrunk while the pointer is in it: its top edge stays, for now.
    panel->pointerIn = true;
    s.body->setFixedHeight(400);
    ASSERT_TRUE(frameIs(Rect(397, 176, 240, 400)));
    EXPECT_TRUE(panel->returnsOncePointerLeaves());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(panel->window()->widget(), &leave);
    drainEvents();
    EXPECT_EQ(panel->window()->frame(), Rect(397, 176, 240, 400)) << "the pointer came back in at once";

    // Once the pointer is out, it goes back under the toolbar.
    panel->pointerIn = false;
    QCoreApplication::sendEvent(panel->window()->widget(), &leave);
    drainEvents();
    EXPECT_EQ(panel->window()->frame(), Rect(397, 132, 240, 400));
    EXPECT_FALSE(panel->isDisplaced());
    EXPECT_FALSE(panel->returnsOncePointerLeaves());

    // Back at its place it keeps its top edge as before.
    s.body->setFixedHeight(450);
    EXPECT_TRUE(frameIs(Rect(397, 82, 240, 450)));

    // Moved up again and shrunk with the pointer elsewhere: back at once.
    s.body->setFixedHeight(800);
    ASSERT_TRUE(frameIs(Rect(397, 0, 240, 576)));
    s.body->setFixedHeight(300);
    EXPECT_TRUE(frameIs(home300));
}

namespace {

// A panel with a text field and a button, and a window that had the keyboard
// before (an overlay).
struct FieldPanel {
    FieldPanel() : before(platform::makeWindow(Rect(0, 0, 400, 300))) {
        auto* root = new QWidget;
        auto* layout = new QVBoxLayout(root);
        field = new QLineEdit(root);
        button = new QPushButton(QStringLiteral("B"), root);
        layout->addWidget(field);
        layout->addWidget(button);
        panel = std::make_unique<RecipePanel>(std::make_shared<AnchorRef>(), root, 200);
        panel->window()->setFrame(Rect(500, 400, 200, panel->fitted));
        before->makeKeyAndOrderFront();
        EXPECT_TRUE(waitUntil([&] { return before->keyboard().isKeyWindow(); }, 2000));
        panel->showWindow();
    }
    ~FieldPanel() {
        panel.reset();
        before.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A click as the window system delivers it: to the panel's native window.
    void clickOn(QWidget* w) {
        const QPointF at = w->mapTo(panel->window()->widget(), QRectF(w->rect()).center());
        QWindow* native = panel->window()->windowHandle();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, w->mapToGlobal(QRectF(w->rect()).center()), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(native, &e);
        }
        drainEvents();
    }
    // Esc through the monitors, then to the focused widget as dispatched.
    bool escape(std::uint64_t modifiers = 0) {
        const bool passed = injectLocal(keyEvent(platform::KeyCode::escape, modifiers)).has_value();
        if (passed) {
            if (QWidget* focus = QApplication::focusWidget()) {
                QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(focus, &e);
            }
        }
        drainEvents();
        return passed;
    }
    bool shown() const { return panel->window()->isVisible(); }

    platform::WindowPtr<> before;
    QLineEdit* field = nullptr;
    QPushButton* button = nullptr;
    std::unique_ptr<RecipePanel> panel;
};

} // namespace

TEST(AnchoredPanelKeyboard, AClickIntoAFieldMakesThePanelKeyAndTheFieldKeepsEsc) {
    FieldPanel p;
    EXPECT_FALSE(p.panel->window()->keyboard().isKeyWindow()) << "shown without the keyboard";
    p.clickOn(p.field);
    ASSERT_TRUE(waitUntil([&] { return p.panel->window()->keyboard().isKeyWindow() && p.field->hasFocus(); }, 2000));
    EXPECT_TRUE(p.panel->keyboard().fieldHasKeyboard());

    // The field's Esc: the typing ends and the keyboard goes back; the panel
    // stays open, even with Shift held.
    EXPECT_TRUE(p.escape(platform::ModifierFlags::shift));
    EXPECT_TRUE(p.shown());
    EXPECT_TRUE(waitUntil([&] { return p.before->keyboard().isKeyWindow(); }, 2000));
    EXPECT_FALSE(p.field->hasFocus());
    EXPECT_FALSE(p.panel->keyboard().holdsKeyboard());

    // The next Esc is the panel's.
    EXPECT_FALSE(p.escape());
    EXPECT_FALSE(p.shown());
}

TEST(AnchoredPanelKeyboard, TheKeyboardGoesBackWhenTheFieldLetsGoOrThePanelCloses) {
    {
        FieldPanel p;
        p.clickOn(p.field);
        ASSERT_TRUE(waitUntil([&] { return p.field->hasFocus(); }, 2000));
        // Focus moves to another control of the panel: the field let go.
        p.button->setFocus();
        EXPECT_TRUE(waitUntil([&] { return p.before->keyboard().isKeyWindow(); }, 2000));
        EXPECT_TRUE(p.shown());
    }
    FieldPanel p;
    p.clickOn(p.field);
    ASSERT_TRUE(waitUntil([&] { return p.field->hasFocus(); }, 2000));
    p.panel->closePanel();
    EXPECT_TRUE(waitUntil([&] { return p.before->keyboard().isKeyWindow(); }, 2000));
}

TEST(AnchoredPanelRecipe, ClicksInThePanelsOwnPopUpsAreThePanels) {
    Finish finish;
    auto* root = new Column(100);
    RecipePanel panel(std::make_shared<AnchorRef>(), root, 200);
    panel.window()->setFrame(Rect(500, 400, 200, 100));
    panel.showWindow();
    // A menu of the panel's content opens beside it, as a window of its own.
    QMenu menu(root);
    menu.addAction(QStringLiteral("Hex"));
    menu.popup(root->mapToGlobal(QPoint(190, 90)));
    ASSERT_TRUE(waitUntil([&] { return menu.isVisible() && menu.windowHandle(); }));
    const platform::Point outside(900, 100);
    auto onMenu = mouseEvent(platform::EventType::leftMouseDown, outside);
    onMenu.qtWindow = menu.windowHandle();
    EXPECT_TRUE(injectLocal(onMenu).has_value());
    drainEvents();
    EXPECT_TRUE(panel.window()->isVisible());
    menu.hide();

    // Another window's click at the same place closes the panel.
    QWidget other;
    other.show();
    ASSERT_TRUE(waitUntil([&] { return other.windowHandle() != nullptr; }));
    auto elsewhere = mouseEvent(platform::EventType::leftMouseDown, outside);
    elsewhere.qtWindow = other.windowHandle();
    EXPECT_FALSE(injectLocal(elsewhere).has_value());
    drainEvents();
    EXPECT_FALSE(panel.window()->isVisible());
}
