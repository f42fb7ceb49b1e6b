// The click rule of the overlay's content view.
#include "app/PassthroughHostingView.h"

#include "OverlayTestSupport.h"

#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A canvas that counts the presses that reach it.
class CountingCanvas : public QWidget {
public:
    int presses = 0;
    int moves = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void mouseMoveEvent(QMouseEvent*) override { ++moves; }
};

struct HostHarness {
    HostHarness() : canvas(new CountingCanvas), view(canvas, t.state, 1) {
        view.resize(1440, 900);
        t->addStroke(penStrokeOn(1, {{100, 100}, {300, 100}}));
    }
    bool hits(QPointF p) const { return view.hitTest(p) != nullptr; }

    TestDrawingState t;
    CountingCanvas* canvas;
    PassthroughHostingView view;
};

} // namespace

TEST(HostingView, PassthroughTakesOnlyClicksOnPlacedStrokes) {
    HostHarness h;
    h.t->selectedTool = std::nullopt;
    EXPECT_FALSE(h.hits({200, 400}));
    EXPECT_EQ(h.view.hitTest({200, 100}), h.canvas);
    // Another display's stroke at the same point does not count.
    PassthroughHostingView second(new CountingCanvas, h.t.state, 2);
    second.resize(1440, 900);
    EXPECT_EQ(second.hitTest({200, 100}), nullptr);
}

TEST(HostingView, DrawEditAndDragModesTakeEveryClick) {
    HostHarness h;
    EXPECT_TRUE(h.hits({200, 400})) << "draw mode";
    h.t->captureAll = true;
    EXPECT_FALSE(h.hits({200, 400})) << "the lock drops draw mode";
    EXPECT_TRUE(h.hits({200, 100})) << "a stroke under the lock is still hit";
    h.t->selectedTool = DrawingTool::text;
    EXPECT_TRUE(h.hits({200, 400}));
    h.t->selectedTool = std::nullopt;
    EXPECT_FALSE(h.hits({200, 400}));
    h.t->isLineEditing = true;
    EXPECT_TRUE(h.hits({200, 400}));
    h.t->isLineEditing = false;
    // A drag that began on a stroke keeps hitting wherever it goes.
    h.t->currentStroke = penStrokeOn(1, {{200, 100}});
    EXPECT_TRUE(h.hits({900, 700}));
    EXPECT_FALSE(h.hits({1500, 700})) << "outside the view nothing is hit";
}

TEST(HostingView, APinnedWindowsTitleStripIsNeverHit) {
    HostHarness h;
    h.t->overlayPassthroughRects = {QRectF(50, 90, 400, 26)};
    for (auto setUp : std::vector<std::function<void(DrawingState&)>>{[](DrawingState&) {},
                                                                      [](DrawingState& s) { s.isTextEditing = true; },
                                                                      [](DrawingState& s) {
                                                                          s.currentStroke = penStrokeOn(1, {{1, 1}});
                                                                      }}) {
        setUp(*h.t.state);
        EXPECT_FALSE(h.hits({200, 100}));
        EXPECT_TRUE(h.hits({200, 116}));
    }
}

TEST(HostingView, APressTurnedAwayTakesItsMovesAndReleaseWithIt) {
    HostHarness h;
    h.t->selectedTool = std::nullopt;
    h.view.show();
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, h.canvas->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(h.canvas, &e);
    };
    send(QEvent::MouseButtonPress, {200, 400}, Qt::LeftButton);
    send(QEvent::MouseMove, {200, 100}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {200, 100}, Qt::NoButton);
    EXPECT_EQ(h.canvas->presses, 0);
    EXPECT_EQ(h.canvas->moves, 0);

    send(QEvent::MouseButtonPress, {200, 100}, Qt::LeftButton);
    send(QEvent::MouseMove, {220, 400}, Qt::LeftButton);
    EXPECT_EQ(h.canvas->presses, 1);
    EXPECT_EQ(h.canvas->moves, 1);

    // Gone drawing state: no view is hit.
    h.t.state.reset();
    EXPECT_FALSE(h.hits({200, 100}));
}
