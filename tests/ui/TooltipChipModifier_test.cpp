// The modifiers that connect controls to the tooltip manager: the pointer
// coming and going, the hand-over between neighbours, the setting applied
// on screen and on change, explicit anchors, help texts without a setting,
// and controls that go away.
#include "support/FakePlatform.h"
#include "support/ManualTooltipClock.h"
#include "support/TestUtil.h"
#include "ui/TooltipChip.h"
#include "ui/TooltipChipModifier.h"
#include "ui/TooltipManager.h"
#include "ui/TooltipPanel.h"

#include <QCursor>
#include <QEnterEvent>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;

namespace {

const auto kAbove = TooltipPlacement::toolbar(PanelOpenDirection::above);

void enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(w, &e);
}
void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

struct Harness {
    Harness() {
        QCursor::setPos(0, 0);
        window->setFrame(Rect(100, 100, 300, 40));
        content = new QWidget;
        window->setContentView(content);
        undo = control(20);
        redo = control(60);
    }
    ~Harness() {
        window.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QWidget* control(int x) {
        auto* w = new QWidget(content);
        w->setGeometry(x, 8, 24, 24);
        return w;
    }
    TooltipChipModifier* attach(QWidget* w, const QString& text, bool show = true,
                                std::shared_ptr<AnchorRef> anchor = nullptr) {
        auto* m = TooltipChipModifier::attach(w, std::move(anchor), &manager);
        m->update(text, show, kAbove);
        return m;
    }
    void show() {
        window->orderFront();
        drainEvents();
    }
    QString shownText() const {
        return manager.panel() && manager.panel()->isVisible() ? manager.panel()->chip()->text() : QString();
    }

    std::shared_ptr<ManualTooltipClock> clock = std::make_shared<ManualTooltipClock>();
    std::shared_ptr<FakeScreenProvider> screens =
        std::make_shared<FakeScreenProvider>(std::vector{FakeScreenProvider::makeScreen(1, Rect(0, 0, 1920, 1080))});
    TooltipManager manager{screens, clock};
    platform::WindowPtr<> window = platform::makeWindow(Rect(0, 0, 300, 40));
    QWidget* content;
    QWidget* undo;
    QWidget* redo;
};

} // namespace

TEST(TooltipChipModifier, ThePointerRestingOnAControlShowsItsChipUntilItLeaves) {
    Harness h;
    TooltipChipModifier* chip = h.attach(h.undo, "Undo");
    EXPECT_EQ(TooltipChipModifier::of(h.undo), chip);
    EXPECT_EQ(chip->anchor()->nsView.data(), h.undo) << "its own anchor is the control";
    EXPECT_EQ(h.undo->accessibleName(), "Undo");
    h.show();

    enter(h.undo);
    h.clock->advance(0.4);
    EXPECT_EQ(h.shownText(), "Undo");
    EXPECT_EQ(h.manager.pendingPlacement(), kAbove);
    leave(h.undo);
    drainEvents();
    EXPECT_EQ(h.manager.currentID(), nullptr);
    h.clock->advance(0.2);
    EXPECT_EQ(h.shownText(), "");
    EXPECT_EQ(h.clock->runningTimers(), 0u);
}

TEST(TooltipChipModifier, MovingToTheNeighbourHandsTheChipOver) {
    Harness h;
    h.attach(h.undo, "Undo");
    h.attach(h.redo, "Redo");
    h.show();
    enter(h.undo);
    h.clock->advance(0.5);
    // One pointer move: the leave comes before the enter, as Qt sends them.
    leave(h.undo);
    enter(h.redo);
    drainEvents();
    EXPECT_EQ(h.manager.currentID(), TooltipChipModifier::of(h.redo)->anchor().get());
    // The old chip fades out quickly and the new one follows after the delay.
    h.clock->advance(0.13);
    EXPECT_EQ(h.shownText(), "");
    h.clock->advance(0.27);
    EXPECT_EQ(h.shownText(), "Redo");

    // Leaving and coming back within the same turn keeps the chip.
    leave(h.redo);
    enter(h.redo);
    drainEvents();
    h.clock->advance(0.5);
    EXPECT_EQ(h.shownText(), "Redo");
}

TEST(TooltipChipModifier, ALeaveWhileThePointerStillRestsOnTheControlIsNoLeave) {
    Harness h;
    h.attach(h.undo, "Undo");
    h.show();
    // What a pointer grab taken by another window of ours reports.
    QCursor::setPos(h.undo->mapToGlobal(h.undo->rect().center()));
    enter(h.undo);
    h.clock->advance(0.1);
    leave(h.undo);
    drainEvents();
    EXPECT_TRUE(TooltipChipModifier::of(h.undo)->isHovered());
    h.clock->advance(0.3);
    EXPECT_EQ(h.shownText(), "Undo");

    QCursor::setPos(0, 0);
    leave(h.undo);
    drainEvents();
    h.clock->advance(0.2);
    EXPECT_EQ(h.shownText(), "");
}

TEST(TooltipChipModifier, TheSettingIsAppliedOnScreenAndOnChange) {
    Harness h;
    TooltipChipModifier* undo = h.attach(h.undo, "Undo", false);
    EXPECT_TRUE(h.manager.enabled()) << "not on screen yet";
    h.show();
    EXPECT_FALSE(h.manager.enabled());
    enter(h.undo);
    h.clock->advance(1);
    EXPECT_EQ(h.shownText(), "");

    undo->update("Undo", true, kAbove);
    EXPECT_TRUE(h.manager.enabled());
    leave(h.undo);
    drainEvents();
    enter(h.undo);
    h.clock->advance(0.4);
    EXPECT_EQ(h.shownText(), "Undo");
    // Refreshing with the same value applies nothing; a change does, at once.
    undo->update("Undo", true, kAbove);
    undo->update("Undo", false, kAbove);
    EXPECT_EQ(h.shownText(), "");

    // A chip without text, and a help text carrying no setting, apply none.
    TooltipChipModifier* none = h.attach(h.redo, "", true);
    EXPECT_FALSE(h.manager.enabled());
    none->update("Rename", std::nullopt, TooltipPlacement::side());
    EXPECT_FALSE(none->carriesSetting());
    EXPECT_FALSE(h.manager.enabled());
}

TEST(TooltipChipModifier, AHelpTextFollowsTheSettingOfTheControlsAroundIt) {
    Harness h;
    h.attach(h.undo, "Undo", true);
    TooltipChipModifier* help = h.attach(h.redo, "");
    help->update("Save current harmony", std::nullopt, TooltipPlacement::side());
    h.show();
    enter(h.redo);
    h.clock->advance(0.4);
    EXPECT_EQ(h.shownText(), "Save current harmony");
    // Beside the window: to its right, where there is room.
    EXPECT_EQ(h.manager.panel()->frame().minX(), h.window->frame().maxX() + 4);
    leave(h.redo);
    drainEvents();

    TooltipChipModifier::of(h.undo)->update("Undo", false, kAbove);
    enter(h.redo);
    h.clock->advance(1);
    EXPECT_EQ(h.shownText(), "");
}

TEST(TooltipChipModifier, AnExplicitAnchorPlacesTheChipAgainstItsView) {
    Harness h;
    auto swatchRef = std::make_shared<AnchorRef>();
    QWidget* swatch = h.control(120);
    QWidget* behind = h.control(110);
    behind->resize(44, 24);
    swatchRef->nsView = behind;
    TooltipChipModifier* chip = h.attach(swatch, "Color", true, swatchRef);
    EXPECT_NE(dynamic_cast<ExplicitAnchorTooltipChipModifier*>(chip), nullptr);
    EXPECT_EQ(chip->anchor(), swatchRef);
    h.show();
    enter(swatch);
    h.clock->advance(0.4);
    ASSERT_EQ(h.shownText(), "Color");
    EXPECT_NEAR(h.manager.panel()->frame().midX(), swatchRef->frameOnScreen()->midX(), 0.5);
    EXPECT_EQ(h.manager.currentID(), swatchRef.get());
}

TEST(TooltipChipModifier, AControlDestroyedWhileItsChipShowsTakesItAlong) {
    Harness h;
    h.attach(h.undo, "Undo");
    h.show();
    enter(h.undo);
    h.clock->advance(0.5);
    ASSERT_EQ(h.shownText(), "Undo");
    delete h.undo;
    EXPECT_EQ(h.manager.currentID(), nullptr);
    h.clock->advance(0.2);
    EXPECT_EQ(h.shownText(), "");
    EXPECT_EQ(h.clock->runningTimers(), 0u);

    // Destroyed between its leave and the turn that handles it.
    h.attach(h.redo, "Redo");
    enter(h.redo);
    leave(h.redo);
    delete h.redo;
    drainEvents();
    EXPECT_EQ(h.manager.currentID(), nullptr);
    h.clock->advance(1);
    EXPECT_EQ(h.shownText(), "");
}

TEST(TooltipChipModifier, AControlThatLosesItsTextLosesItsChip) {
    Harness h;
    TooltipChipModifier* chip = h.attach(h.undo, "Show Canvas");
    h.show();
    enter(h.undo);
    h.clock->advance(0.5);
    ASSERT_EQ(h.shownText(), "Show Canvas");
    chip->update("", true, kAbove);
    h.clock->advance(0.2);
    EXPECT_EQ(h.shownText(), "");
    leave(h.undo);
    enter(h.undo);
    h.clock->advance(1);
    EXPECT_EQ(h.shownText(), "");
}

TEST(TooltipChipModifier, AControlThatOpensAPanelTakesItsChipDownAtOnce) {
    Harness h;
    TooltipChipModifier* undo = h.attach(h.undo, "Undo");
    TooltipChipModifier* redo = h.attach(h.redo, "Redo");
    h.show();
    enter(h.undo);
    h.clock->advance(0.6);
    ASSERT_EQ(h.shownText(), "Undo");

    // Another control's withdrawal leaves the chip alone.
    redo->withdraw();
    EXPECT_EQ(h.shownText(), "Undo");
    // Gone without a fade, and no timer left to bring it back while the
    // pointer rests on the control.
    undo->withdraw();
    EXPECT_EQ(h.shownText(), "");
    EXPECT_EQ(h.manager.currentID(), nullptr);
    EXPECT_EQ(h.clock->runningTimers(), 0u);
    h.clock->advance(3.5);
    EXPECT_EQ(h.shownText(), "");
    // The panel's window coming up reports a leave and an enter while the
    // pointer rests on the control: the chip stays away.
    QCursor::setPos(h.undo->mapToGlobal(h.undo->rect().center()));
    leave(h.undo);
    drainEvents();
    enter(h.undo);
    h.clock->advance(0.5);
    EXPECT_EQ(h.shownText(), "");

    // Back after the pointer leaves and comes again.
    QCursor::setPos(0, 0);
    leave(h.undo);
    drainEvents();
    enter(h.undo);
    h.clock->advance(0.4);
    EXPECT_EQ(h.shownText(), "Undo");

    // A chip still waiting for its delay is called off as well.
    leave(h.undo);
    drainEvents();
    h.clock->advance(0.3);
    enter(h.redo);
    h.clock->advance(0.1);
    redo->withdraw();
    h.clock->advance(1);
    EXPECT_EQ(h.shownText(), "");
    EXPECT_EQ(h.clock->runningTimers(), 0u);
}
