#include "model/DrawingStroke.h"
#include "model/SharedVector.h"

#include <gtest/gtest.h>

TEST(SharedVector, CopiesShareUntilOneChangesAndNeverSeeEachOthersWrites) {
    SharedVector<int> a{1, 2, 3};
    SharedVector<int> b = a;
    EXPECT_TRUE(a.sharesWith(b));
    b.push_back(4);
    EXPECT_FALSE(a.sharesWith(b));
    EXPECT_EQ(a.get(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(b.get(), (std::vector<int>{1, 2, 3, 4}));

    SharedVector<int> c = b;
    c.mutableVector()[0] = 9;
    c.erase(c.begin() + 1);
    c.insert(c.begin(), {7, 8});
    EXPECT_EQ(b.get(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(c.get(), (std::vector<int>{7, 8, 9, 3, 4}));

    // Equal contents compare equal whether shared or not; empties are equal.
    EXPECT_EQ(c, SharedVector<int>(std::vector<int>{7, 8, 9, 3, 4}));
    SharedVector<int> e;
    e.push_back(1);
    e.clear();
    EXPECT_EQ(e, SharedVector<int>());
    EXPECT_TRUE(e.empty());
    EXPECT_EQ(e.data(), nullptr);
}

TEST(SharedVector, ACopiedStrokeKeepsItsOwnPointsWhenTheOtherIsMoved) {
    DrawingStroke s;
    s.points = {QPointF(0, 0), QPointF(10, 0)};
    s.erasures.push_back(ErasureStamp{QPointF(5, 0), 3, QUuid::createUuid()});
    DrawingStroke moved = s;
    EXPECT_TRUE(moved.points.sharesWith(s.points));
    moved.offset = QSizeF(4, 2);
    moved.bakeOffset();
    EXPECT_EQ(s.points[1], QPointF(10, 0));
    EXPECT_EQ(s.erasures[0].center, QPointF(5, 0));
    EXPECT_EQ(moved.points[1], QPointF(14, 2));
    EXPECT_EQ(moved.erasures[0].center, QPointF(9, 2));
}
