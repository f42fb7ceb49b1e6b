// The help panel's content: its fixed size, its sections, wrapping bullets
// and both close controls.
#include "panels/HelpView.h"

#include "support/TestUtil.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScrollArea>

#include <gtest/gtest.h>

using namespace testing_support;

TEST(HelpView, FiveSectionsWithTheirBulletsAndEmDashes) {
    const auto& sections = HelpView::sections();
    EXPECT_EQ(sections[0].line, "Overink operates in one of two modes at any time.");
    EXPECT_TRUE(sections[0].bullets.empty());
    const QStringList titles = {sections[1].title, sections[2].title, sections[3].title};
    EXPECT_EQ(titles, (QStringList{"Draw mode", "Passthrough mode", "Attach mode"}));
    for (std::size_t i = 1; i < sections.size(); ++i) {
        EXPECT_EQ(sections[i].bullets.size(), 3u);
        EXPECT_TRUE(sections[i].line.isEmpty());
    }
    EXPECT_EQ(sections[2].bullets[1],
              QStringLiteral("Apps and windows underneath are fully interactive \u2014 click, scroll, and type "
                             "through the overlay."));
    EXPECT_EQ(sections[4].bullets[2], "Press Esc at any time to cancel a capture.");
}

TEST(HelpView, FixedSizeWrappedBulletsAndBothCloseControls) {
    int closed = 0;
    auto dismiss = std::make_shared<DismissRef>();
    dismiss->dismiss = [&] { ++closed; };
    HelpView view(dismiss);
    view.show();
    drainEvents();
    EXPECT_EQ(view.size(), QSize(360, 470));
    ASSERT_EQ(view.bulletLabels().size(), 12u);

    // A long bullet wraps onto more lines within the width, and its lines
    // start at the text, right of the mark.
    QLabel* longest = view.bulletLabels()[4];
    EXPECT_TRUE(longest->wordWrap());
    EXPECT_GT(longest->height(), longest->fontMetrics().height() * 3 / 2);
    EXPECT_LE(longest->mapTo(&view, QPoint(longest->width(), 0)).x(), 360);
    EXPECT_GT(longest->mapTo(&view, QPoint(0, 0)).x(), 12);
    for (QLabel* bullet : view.bulletLabels())
        EXPECT_EQ(bullet->mapTo(&view, QPoint()).x(), longest->mapTo(&view, QPoint()).x());
    // A one-line bullet takes one line: the rows stand 4 points apart.
    QLabel* oneLine = view.bulletLabels()[1];
    ASSERT_EQ(oneLine->text(), "Clicks and drags draw on the overlay.");
    EXPECT_EQ(oneLine->height(), oneLine->fontMetrics().height());
    const QLabel* next = view.bulletLabels()[2];
    EXPECT_EQ(next->mapTo(&view, QPoint()).y() - oneLine->mapTo(&view, QPoint(0, oneLine->height())).y(), 4);

    view.headerCloseButton()->click();
    view.footerCloseButton()->click();
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(view.footerCloseButton()->text(), "Close");
    EXPECT_EQ(view.size(), QSize(360, 470));
}
