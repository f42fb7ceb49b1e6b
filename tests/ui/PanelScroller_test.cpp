// The panels' scrolling: the wheel, over the content and over its menus and
// sliders, the indicator, and the chrome's corners at the panel's edges.
#include "ui/PanelScroller.h"

#include "support/TestUtil.h"
#include "ui/ScrollIndicator.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace testing_support;
using D = PanelOpenDirection;

namespace {

// A chrome hanging under a toolbar (square top corners) holding a slider, a
// menu, a tall stretch of nothing and a button, 240 × 800 in all.
struct TallPanel {
    TallPanel() : chrome(new ui::PanelChrome(10, D::below)) {
        auto* v = new QVBoxLayout(chrome);
        v->setContentsMargins(12, 12, 12, 12);
        slider = new QSlider(Qt::Horizontal, chrome);
        slider->setRange(0, 100);
        slider->setValue(50);
        menu = new QComboBox(chrome);
        menu->addItems({"a", "b", "c"});
        v->addWidget(slider);
        v->addWidget(menu);
        v->addSpacing(700);
        last = new QPushButton(QStringLiteral("Last"), chrome);
        v->addWidget(last);
        chrome->setFixedWidth(240);
        scroller = std::make_unique<ui::PanelScroller>(chrome, [this] { return chrome->corners(); });
    }
    // The scroller `height` high, shown and laid out, on a clear window as
    // a panel's.
    void show(int height) {
        scroller->setAttribute(Qt::WA_TranslucentBackground);
        scroller->resize(240, height);
        scroller->show();
        drainEvents();
    }
    // A wheel notch down over `target`, delivered as the window system does.
    static void wheelDown(QWidget* target) {
        const QPointF at = QRectF(target->rect()).center();
        QWheelEvent e(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    }
    int scrolled() const { return scroller->verticalScrollBar()->value(); }

    ui::PanelChrome* chrome;
    QSlider* slider;
    QComboBox* menu;
    QPushButton* last;
    std::unique_ptr<ui::PanelScroller> scroller;
};

} // namespace

TEST(PanelScroller, AsTallAsItsRootItShowsItAllAndTheControlsKeepTheWheel) {
    TallPanel p;
    EXPECT_EQ(p.scroller->sizeHint(), p.chrome->sizeHint()) << "a window sized by it takes the root's size";
    p.show(p.chrome->sizeHint().height());
    EXPECT_FALSE(p.scroller->scrolls());
    EXPECT_FALSE(p.scroller->indicator()->isVisible());
    EXPECT_EQ(p.chrome->geometry(), QRect(0, 0, 240, p.chrome->sizeHint().height()));
    TallPanel::wheelDown(p.slider);
    EXPECT_NE(p.slider->value(), 50) << "nothing to scroll: the slider's own wheel";
}

TEST(PanelScroller, ShorterItScrollsByTheWheelAlsoOverMenusAndSliders) {
    TallPanel p;
    p.show(300);
    ASSERT_TRUE(p.scroller->scrolls());
    EXPECT_TRUE(p.scroller->indicator()->isVisible());
    EXPECT_EQ(p.chrome->height(), p.chrome->sizeHint().height()) << "the root keeps its size";

    TallPanel::wheelDown(p.slider);
    EXPECT_GT(p.scrolled(), 0);
    EXPECT_EQ(p.slider->value(), 50) << "passing under the pointer, the slider keeps its value";
    const int afterSlider = p.scrolled();
    TallPanel::wheelDown(p.menu);
    EXPECT_GT(p.scrolled(), afterSlider);
    EXPECT_EQ(p.menu->currentIndex(), 0);
    // Over the chrome itself (its wheel goes on to the scroller's view), down
    // to the end: the last control shows whole.
    for (int i = 0; i < 40; ++i) TallPanel::wheelDown(p.scroller->viewport());
    EXPECT_EQ(p.scrolled(), p.scroller->verticalScrollBar()->maximum());
    const QRect last(p.last->mapTo(p.scroller->viewport(), QPoint()), p.last->size());
    EXPECT_TRUE(p.scroller->viewport()->rect().contains(last));
    // The indicator's thumb went down with it.
    EXPECT_EQ(p.scroller->indicator()->thumbRect().bottom(), p.scroller->indicator()->height());
}

TEST(PanelScroller, ScrolledTheChromesRoundedCornersAreCutAtThePanelsEdges) {
    TallPanel p;
    p.show(300);
    p.scroller->verticalScrollBar()->setValue(200);
    drainEvents();
    const QImage image = p.scroller->grab().toImage();
    ASSERT_EQ(image.height(), 300);
    // The chrome's own bottom corners are 500 points further down: the
    // panel's are rounded all the same.
    EXPECT_EQ(qAlpha(image.pixel(0, 299)), 0);
    EXPECT_EQ(qAlpha(image.pixel(239, 299)), 0);
    EXPECT_GT(qAlpha(image.pixel(5, 295)), 0) << "only the corner";
    // The corners on the toolbar's side stay square.
    EXPECT_GT(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_GT(qAlpha(image.pixel(239, 0)), 0);
    EXPECT_GT(qAlpha(image.pixel(120, 150)), 0);
}

TEST(PanelScroller, TheIndicatorLeavesTheBarOfAViewThatScrollsOnItsOwnInReach) {
    TallPanel p;
    // A list of its own along the trailing edge, its bar showing.
    auto* list = new QScrollArea(p.chrome);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setFixedHeight(120);
    static_cast<QVBoxLayout*>(p.chrome->layout())->insertWidget(0, list);
    p.chrome->layout()->setContentsMargins(0, 12, 0, 12);
    p.show(300);
    ASSERT_TRUE(p.scroller->scrolls());
    QScrollBar* bar = list->verticalScrollBar();
    const QPoint onBar = bar->mapTo(p.scroller.get(), QPoint(bar->width() - 4, bar->height() / 2));
    ASSERT_TRUE(p.scroller->indicator()->geometry().contains(onBar)) << "the two lie at the same edge";
    EXPECT_EQ(p.scroller->childAt(onBar), bar) << "the list's bar takes its clicks";
    // Below the list the indicator is there, and follows as the panel scrolls.
    const QPoint below(onBar.x(), 250);
    EXPECT_EQ(p.scroller->childAt(below), p.scroller->indicator());
    p.scroller->verticalScrollBar()->setValue(p.scroller->verticalScrollBar()->maximum());
    drainEvents();
    EXPECT_EQ(p.scroller->childAt(onBar), p.scroller->indicator()) << "the list has scrolled away";
}
