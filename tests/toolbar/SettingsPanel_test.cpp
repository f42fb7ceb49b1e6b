// The settings panel's content offscreen: the position diagram, the
// smoothing section, the switches and the footer's actions.
#include "panels/UpdatesSettingsRows.h"
#include "toolbar/SettingsControls.h"
#include "toolbar/SettingsPanelRoot.h"
#include "toolbar/ToolbarPositionDiagramView.h"
#include "ui/TooltipChipModifier.h"

#include "ToolbarTestSupport.h"
#include "support/FakeDialogs.h"

#include <QComboBox>
#include <QFile>
#include <QLayout>

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using P = ToolbarDockPosition;
using T = DrawingTool;

namespace {

// A screen whose bottom 70 points a desktop panel reserves.
platform::Screen screenWithBottomPanel() {
    platform::Screen s = TestDrawingState::defaultScreen();
    s.visibleFrame = Rect(s.frame.minX(), s.frame.minY() + 70, s.frame.width(), s.frame.height() - 70);
    return s;
}

// The content shown on its own, as the panel would host it, with a record
// of what it asked of its panel and of the program.
struct Settings {
    explicit Settings(std::vector<platform::Screen> screens = {TestDrawingState::defaultScreen()})
        : t(std::move(screens)), box(std::make_shared<DismissBox>()) {
        box->dismiss = [this] {
            ++dismissed;
            calls.push_back("dismiss");
        };
        SettingsPanelServices services;
        services.activate = [this] { ++activated; };
        services.terminate = [this] { ++terminated; };
        services.openHelp = [this] { calls.push_back("help"); };
        services.openAbout = [this] { calls.push_back("about"); };
        // A manager of its own without a feed, rather than the program's.
        root = std::make_unique<SettingsPanelRoot>(t.state, box, services, [this] { return updates; });
        root->show();
        drainEvents();
    }
    ~Settings() {
        root.reset();
        drainEvents();
    }
    ToolbarPositionDiagramView& diagram() const { return *root->diagram(); }
    std::vector<P> bars() const {
        std::vector<P> positions;
        for (DockSpotButton* b : diagram().buttons()) positions.push_back(b->position());
        return positions;
    }
    DockSpotButton* bar(P position) const {
        for (DockSpotButton* b : diagram().buttons())
            if (b->position() == position) return b;
        return nullptr;
    }
    void openSmoothing() {
        click(root->smoothingHeader());
        waitUntil([&] { return root->smoothingHeader()->chevronAngle() == 90; });
        drainEvents();
    }

    TestDrawingState t;
    std::shared_ptr<DismissBox> box;
    std::shared_ptr<UpdateManager> updates =
        UpdateManager::create(std::make_shared<platform::Updater>(platform::UpdaterEnvironment{}), {});
    std::unique_ptr<SettingsPanelRoot> root;
    int dismissed = 0;
    int activated = 0;
    int terminated = 0;
    // Closing the panel and opening the help or about panel, in order.
    std::vector<std::string> calls;
};

// Counts the assignments of a published field.
template <typename Field>
struct Writes {
    explicit Writes(Field& field)
        : sub(field.sink([this](const auto&) { ++count; }, platform::Delivery::Immediate, platform::Initial::Skip)) {}
    int count = 0;
    platform::Subscription sub;
};

} // namespace

// ---- Position diagram ----

TEST(PositionDiagram, ABottomPanelLeavesSevenBarsAndTheCurrentOneIsLit) {
    Settings s({screenWithBottomPanel()});
    EXPECT_EQ(s.bars(), (std::vector<P>{P::topLeftH, P::topCenterH, P::topRightH, P::topLeftV, P::topRightV,
                                        P::middleLeftV, P::middleRightV}));
    EXPECT_TRUE(s.bar(P::topCenterH)->isCurrent());
    EXPECT_FALSE(s.bar(P::topLeftH)->isCurrent());
    EXPECT_EQ(s.diagram().caption(), "Top Center");

    // A blocked current position: no bar lit, the caption still names it.
    s.t->toolbarDockPosition = P::bottomCenterH;
    drainEvents();
    for (DockSpotButton* b : s.diagram().buttons()) EXPECT_FALSE(b->isCurrent());
    EXPECT_EQ(s.diagram().caption(), "Bottom Center");

    // The panel goes away: on the next look all twelve are offered.
    s.t.screens->setScreens({TestDrawingState::defaultScreen()});
    drainEvents();
    EXPECT_EQ(s.bars().size(), 12u);
    EXPECT_TRUE(s.bar(P::bottomCenterH)->isCurrent());
}

TEST(PositionDiagram, BarsSitAtTheirFractionsOfTheMiniature) {
    Settings s;
    QWidget* mini = s.diagram().miniature();
    EXPECT_EQ(mini->width(), 182) << "as wide as the sections allow";
    EXPECT_EQ(mini->height(), 96);
    const auto barIn = [&](P position) {
        DockSpotButton* b = s.bar(position);
        return b->barRect().translated(QPointF(b->mapTo(mini, QPoint(0, 0))));
    };
    const QRectF topRightV = barIn(P::topRightV);
    EXPECT_EQ(topRightV.size(), QSizeF(4, 18));
    EXPECT_NEAR(topRightV.center().x(), 0.95 * 182, 0.5);
    EXPECT_NEAR(topRightV.center().y(), 0.22 * 96, 0.5);
    const QRectF topCenterH = barIn(P::topCenterH);
    EXPECT_EQ(topCenterH.size(), QSizeF(18, 4));
    EXPECT_NEAR(topCenterH.center().x(), 91, 0.5);
    EXPECT_NEAR(topCenterH.center().y(), 0.05 * 96, 0.5);
    EXPECT_EQ(s.bar(P::topRightV)->size(), QSize(28, 28));
}

TEST(PositionDiagram, PickingClosesThePanelFirstAndWritesEvenTheSamePosition) {
    Settings s;
    Writes writes(s.t->toolbarDockPosition);
    std::vector<int> dismissedWhenWritten;
    auto sub = s.t->toolbarDockPosition.sink([&](const P&) { dismissedWhenWritten.push_back(s.dismissed); },
                                             platform::Delivery::Immediate, platform::Initial::Skip);
    click(s.bar(P::bottomLeftH));
    EXPECT_EQ(s.t->toolbarDockPosition.get(), P::bottomLeftH);
    EXPECT_EQ(s.t.defaults->stringValue("overink.toolbarDockPosition"), "bottomLeftH");
    click(s.bar(P::bottomLeftH));
    EXPECT_EQ(writes.count, 2) << "the current position is written again";
    EXPECT_EQ(dismissedWhenWritten, (std::vector<int>{1, 2}));
}

TEST(PositionDiagram, WhilePinnedItIsDimmedSaysSoAndIgnoresClicks) {
    Settings s;
    s.t->isAttachedToWindow = true;
    drainEvents();
    EXPECT_TRUE(s.diagram().isDimmed());
    EXPECT_EQ(s.diagram().caption(), "Pinned to a window");
    const TooltipChipModifier* help = TooltipChipModifier::of(s.diagram().miniature());
    ASSERT_TRUE(help);
    EXPECT_EQ(help->text(), "Unpin from the window to change the toolbar position");
    click(s.bar(P::bottomLeftH));
    s.diagram().pick(P::bottomLeftH);
    EXPECT_EQ(s.t->toolbarDockPosition.get(), P::topCenterH);
    EXPECT_EQ(s.dismissed, 0);

    s.t->isAttachedToWindow = false;
    drainEvents();
    EXPECT_FALSE(s.diagram().isDimmed());
    EXPECT_EQ(s.diagram().caption(), "Top Center");
    EXPECT_TRUE(help->text().isEmpty());
    click(s.bar(P::bottomLeftH));
    EXPECT_EQ(s.t->toolbarDockPosition.get(), P::bottomLeftH);
}

// ---- Smoothing section ----

TEST(SettingsSmoothing, StartsClosedAndTheHeaderRowOpensAndClosesIt) {
    Settings s;
    EXPECT_FALSE(s.root->isSmoothingExpanded());
    EXPECT_FALSE(s.root->smoothingRowsShown());
    EXPECT_FALSE(s.root->algorithmPicker()->isVisible());
    EXPECT_EQ(s.root->smoothingHeader()->chevronAngle(), 0);
    const int closedHeight = s.root->sizeHint().height();

    // A click on the empty end of the row counts.
    QWidget* header = s.root->smoothingHeader();
    click(header, QPointF(header->width() - 2, header->height() / 2.0));
    EXPECT_TRUE(s.root->isSmoothingExpanded());
    EXPECT_TRUE(waitUntil([&] { return s.root->smoothingHeader()->chevronAngle() == 90; }));
    drainEvents();
    EXPECT_TRUE(s.root->algorithmPicker()->isVisible());
    EXPECT_GT(s.root->sizeHint().height(), closedHeight + 5 * 16) << "the picker and five checkboxes";

    click(header);
    EXPECT_FALSE(s.root->isSmoothingExpanded());
    EXPECT_TRUE(waitUntil([&] { return !s.root->smoothingRowsShown(); }));
    EXPECT_EQ(s.root->smoothingHeader()->chevronAngle(), 0);
    drainEvents();
    EXPECT_EQ(s.root->sizeHint().height(), closedHeight);
    EXPECT_EQ(s.dismissed, 0);
}

TEST(SettingsSmoothing, ToolsLineUpWithTheCentredPicker) {
    EXPECT_EQ(SettingsPanelModel::smoothingToolIndent(96), 43);
    EXPECT_EQ(SettingsPanelModel::smoothingToolIndent(110), 36);
    EXPECT_EQ(SettingsPanelModel::smoothingToolIndent(182), 0);
    EXPECT_EQ(SettingsPanelModel::smoothingToolIndent(250), 0);

    Settings s;
    EXPECT_EQ(s.root->pickerWidth(), 96) << "not measured yet";
    EXPECT_EQ(s.root->toolList()->layout()->contentsMargins().left(), 43);
    s.openSmoothing();
    QComboBox* picker = s.root->algorithmPicker();
    EXPECT_EQ(s.root->pickerWidth(), picker->width());
    const int pickerLeft = picker->mapTo(s.root.get(), QPoint(0, 0)).x();
    const int toolsLeft = s.root->toolCheckbox(T::pen)->mapTo(s.root.get(), QPoint(0, 0)).x();
    EXPECT_NEAR(toolsLeft, pickerLeft, 1);
    EXPECT_NEAR(pickerLeft + picker->width() / 2.0, 105, 1) << "centred in the panel";
}

TEST(SettingsSmoothing, OffersExactlyFiveToolsByTheirNames) {
    Settings s;
    std::vector<std::pair<QString, QString>> shown;
    for (SettingsCheckbox* box : s.root->toolCheckboxes()) shown.emplace_back(box->text(), box->symbol());
    EXPECT_EQ(shown, (std::vector<std::pair<QString, QString>>{{"Pen", "scribble"},
                                                               {"Bezier", "beziercurve"},
                                                               {"Brush Pen", "paintbrush"},
                                                               {"Calligraphy", "paintbrush.pointed"},
                                                               {"Airbrush", "wand.and.sparkles"}}));
    std::vector<QString> algorithms;
    for (int i = 0; i < s.root->algorithmPicker()->count(); ++i)
        algorithms.push_back(s.root->algorithmPicker()->itemText(i));
    EXPECT_EQ(algorithms, (std::vector<QString>{"Chaikin's", "Cubic B", "Catmull-Rom"}));
}

TEST(SettingsSmoothing, EachToolClickWritesTheSetOnceAndKeepsOtherMembers) {
    Settings s;
    s.t->smoothingEnabledTools = DrawingToolSet{T::pen, T::chalk};
    drainEvents();
    s.openSmoothing();
    EXPECT_TRUE(s.root->toolCheckbox(T::pen)->isChecked());
    EXPECT_FALSE(s.root->toolCheckbox(T::airbrush)->isChecked());

    Writes writes(s.t->smoothingEnabledTools);
    click(s.root->toolCheckbox(T::airbrush));
    EXPECT_EQ(writes.count, 1);
    EXPECT_EQ(s.t->smoothingEnabledTools.get(), (DrawingToolSet{T::pen, T::airbrush, T::chalk}));
    click(s.root->toolCheckbox(T::pen));
    EXPECT_EQ(writes.count, 2);
    EXPECT_EQ(s.t->smoothingEnabledTools.get(), (DrawingToolSet{T::airbrush, T::chalk}));
    const QStringList saved = s.t.defaults->stringArray("overink.smoothingEnabledTools").value_or(QStringList());
    EXPECT_TRUE(saved.contains(rawValueText(T::airbrush)) && !saved.contains(rawValueText(T::pen)));
    EXPECT_FALSE(s.root->toolCheckbox(T::pen)->isChecked());

    // The picker writes its choice; the panel stays open throughout.
    Q_EMIT s.root->algorithmPicker()->activated(2);
    EXPECT_EQ(s.t->smoothingAlgorithm.get(), SmoothingAlgorithm::catmullRom);
    s.t->smoothingAlgorithm = SmoothingAlgorithm::bSpline;
    EXPECT_EQ(s.root->algorithmPicker()->currentText(), "Cubic B");
    EXPECT_EQ(s.dismissed, 0);
}

// ---- Switches ----

TEST(SettingsSwitches, EachClickWritesOnceAndTheLoginSwitchManagesTheAutostartFile) {
    Settings s;
    Writes tooltipWrites(s.t->showTooltips);
    click(s.root->showTooltipsCheckbox());
    EXPECT_EQ(tooltipWrites.count, 1);
    EXPECT_FALSE(s.t->showTooltips.get());
    EXPECT_EQ(s.t.defaults->boolValue("overink.showTooltips"), false);

    const QString autostart = s.t.loginItem->filePath();
    ASSERT_FALSE(QFile::exists(autostart));
    Writes loginWrites(s.t->launchAtLogin);
    click(s.root->launchAtLoginCheckbox());
    EXPECT_EQ(loginWrites.count, 1);
    EXPECT_TRUE(QFile::exists(autostart));
    click(s.root->launchAtLoginCheckbox());
    EXPECT_EQ(loginWrites.count, 2);
    EXPECT_FALSE(QFile::exists(autostart));
    EXPECT_FALSE(s.root->launchAtLoginCheckbox()->isChecked());
    EXPECT_EQ(s.dismissed, 0);
}

// ---- Footer ----

TEST(SettingsFooter, HelpAndAboutCloseThePanelThenOpenTheirs) {
    Settings s;
    EXPECT_EQ(s.root->helpButton()->symbol(), "questionmark.circle");
    EXPECT_EQ(s.root->helpButton()->chip()->text(), "Help");
    EXPECT_EQ(s.root->aboutButton()->symbol(), "info.circle");
    EXPECT_EQ(s.root->aboutButton()->chip()->text(), "About Overink");
    EXPECT_EQ(s.root->quitButton()->symbol(), "power");
    EXPECT_EQ(s.root->quitButton()->chip()->text(), "Quit Overink");
    click(s.root->helpButton());
    click(s.root->aboutButton());
    drainEvents();
    EXPECT_EQ(s.calls, (std::vector<std::string>{"dismiss", "help", "dismiss", "about"}));
    EXPECT_EQ(s.terminated, 0);
    // The update rows sit in their place, under its divider.
    ASSERT_NE(s.root->updateRows(), nullptr);
    EXPECT_TRUE(s.root->updateRowsSlot()->isVisible());
    EXPECT_TRUE(s.root->updateRowsSlot()->isAncestorOf(s.root->updateRows()));
    EXPECT_EQ(&s.root->updateRows()->model().updater(), s.updates.get());
}

TEST(SettingsUpdateRows, CheckNowClosesThePanelAndTheCheckFollows) {
    Settings s;
    FakeAlerts alerts;
    click(s.root->updateRows()->checkNowButton());
    EXPECT_EQ(s.dismissed, 1);
    EXPECT_TRUE(alerts.shown.empty()) << "the check waits for the panel to go";
    ASSERT_TRUE(waitUntil([&] { return alerts.shown.size() == 1u; }));
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "Updates are not configured.");
}

TEST(SettingsQuit, TheAlertCancelsByDefaultAndCloseEndsTheProgram) {
    Settings s;
    FakeAlerts alerts;
    auto toolbar = platform::makeWindow(Rect(100, 100, 300, 40));
    toolbar->stacking().setLevel(platform::WindowLevel::panel);
    std::vector<int> levelsDuringAlert;
    std::vector<int> dismissedDuringAlert;
    alerts.whileShown = [&](const platform::Alert&) {
        levelsDuringAlert.push_back(toolbar->stacking().level());
        dismissedDuringAlert.push_back(s.dismissed);
    };

    click(s.root->quitButton());
    drainEvents();
    ASSERT_EQ(alerts.shown.size(), 1u);
    const platform::Alert& alert = alerts.shown.front();
    EXPECT_EQ(alert.messageText, "Close Overink?");
    EXPECT_EQ(alert.informativeText,
              "This will close and remove Overink from the system tray. If you just want to close it but keep it in "
              "the tray, simply click the Overink icon in the tray again.");
    EXPECT_EQ(alert.alertStyle, platform::Alert::Style::warning);
    EXPECT_EQ(alert.buttons(), (std::vector<QString>{"Cancel", "Close"})) << "Cancel first: the default";
    EXPECT_EQ(s.terminated, 0);
    EXPECT_FALSE(s.t->isQuittingIntentionally);

    alerts.answer(platform::Alert::kSecondButtonReturn);
    click(s.root->quitButton());
    drainEvents();
    EXPECT_TRUE(s.t->isQuittingIntentionally);
    EXPECT_EQ(s.terminated, 1);
    EXPECT_EQ(s.activated, 2);
    EXPECT_EQ(levelsDuringAlert, (std::vector<int>{platform::WindowLevel::normal, platform::WindowLevel::normal}));
    EXPECT_EQ(dismissedDuringAlert, (std::vector<int>{1, 2})) << "the panel closes before the alert";
    EXPECT_EQ(toolbar->stacking().level(), platform::WindowLevel::panel);
}
