#include "model/StrokeHitIndex.h"
#include "model/StrokeList.h"
#include "support/RandomStrokes.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace testing_support;

namespace {

std::vector<QUuid> idsOf(const std::vector<DrawingStroke>& list) {
    std::vector<QUuid> ids;
    for (const auto& s : list) ids.push_back(s.id);
    return ids;
}

DrawingStroke strokeOn(platform::DisplayID display) {
    DrawingStroke s = penStroke({{0, 0}, {10, 10}});
    s.displayID = display;
    return s;
}

// Something kept per stroke elsewhere: the ids in list order, kept up by
// the changes alone while they are known.
struct Follower {
    std::vector<QUuid> ids;
    std::uint64_t revision = 0;
    int resyncs = 0;

    void catchUp(const StrokeList& list) {
        const auto changes = list.changesSince(revision);
        if (!changes) {
            ids = idsOf(list.get());
            ++resyncs;
        } else {
            for (const StrokeChange& c : *changes) {
                if (c.kind == StrokeChange::Kind::removed) {
                    ASSERT_LT(c.index, ids.size());
                    EXPECT_EQ(ids[c.index], c.id);
                    EXPECT_EQ(c.atEnd, c.index + 1 == ids.size());
                    ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(c.index));
                } else {
                    ASSERT_LE(c.index, ids.size());
                    EXPECT_EQ(c.atEnd, c.index == ids.size());
                    ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(c.index), c.id);
                }
            }
        }
        revision = list.revision();
    }
};

} // namespace

TEST(StrokeList, ChangesInPlaceAreAnnouncedOnceWithTheNewListInTheField) {
    platform::ObservableObject owner;
    StrokeList list({}, &owner);
    int willChange = 0;
    auto w = owner.willChange.connect([&] { ++willChange; });
    std::vector<std::size_t> seenInField, seenInArgument;
    auto sub = list.sink(
        [&](const std::vector<DrawingStroke>& v) {
            seenInField.push_back(list->size());
            seenInArgument.push_back(v.size());
        },
        platform::Delivery::Immediate, platform::Initial::Skip);
    const DrawingStroke a = strokeOn(1), b = strokeOn(2);
    list.edit([&](StrokeList::Editor& e) {
        e.append(a);
        e.append(b);
        e.insert(0, strokeOn(3));
    });
    EXPECT_EQ(willChange, 1);
    EXPECT_EQ(seenInField, (std::vector<std::size_t>{3}));
    EXPECT_EQ(seenInArgument, (std::vector<std::size_t>{3}));
    list.remove(1);
    EXPECT_EQ(idsOf(list.get())[1], b.id);
    // Out of range: nothing changes, though the assignment is still announced.
    const auto revision = list.revision();
    list.remove(7);
    list.replace(9, a);
    EXPECT_EQ(list.revision(), revision);
    EXPECT_EQ(list->size(), 2u);

    // A whole-list assignment keeps the old list in the field during its
    // notice, and nobody catches up across it change by change.
    seenInField.clear();
    list = {a};
    EXPECT_EQ(seenInField, (std::vector<std::size_t>{2}));
    EXPECT_FALSE(list.changesSince(revision));
    EXPECT_TRUE(list.changesSince(list.revision())->empty());
    list.setSilently({a, b});
    EXPECT_FALSE(list.changesSince(revision));
}

TEST(StrokeList, AFollowerReplayingTheChangesAlwaysMatchesTheList) {
    platform::ObservableObject owner;
    StrokeList list({}, &owner);
    std::mt19937 rng(11);
    Follower near, far;
    for (int step = 0; step < 3000; ++step) {
        const std::size_t n = list->size();
        const int op = std::uniform_int_distribution<int>(0, 19)(rng);
        const auto at = [&](std::size_t size) { return std::uniform_int_distribution<std::size_t>(0, size)(rng); };
        if (op < 7) {
            list.append(strokeOn(1));
        } else if (op < 11 && n > 0) {
            list.remove(n - 1);
        } else if (op < 14 && n > 0) {
            list.remove(at(n - 1));
        } else if (op < 16 && n > 0) {
            DrawingStroke s = list->at(at(n - 1));
            s.offset = QSizeF(step, 0);
            list.replace(at(n - 1), s);
        } else if (op < 18) {
            list.edit([&](StrokeList::Editor& e) {
                for (int k = 0; k < 5; ++k) {
                    if (!e.list().empty() && k % 2) e.remove(at(e.list().size() - 1));
                    else e.insert(at(e.list().size()), strokeOn(2));
                }
            });
        } else if (op == 18) {
            list.modify([](auto& v) { std::reverse(v.begin(), v.end()); });
        } else {
            list = {strokeOn(1)};
        }
        near.catchUp(list);
        ASSERT_EQ(near.ids, idsOf(list.get())) << "step " << step;
        // One that looks only now and then, sometimes after the log moved on.
        if (step % 97 == 0) {
            far.catchUp(list);
            ASSERT_EQ(far.ids, idsOf(list.get())) << "step " << step;
        }
    }
    // Whole-list changes force a start over; most steps are followed change by change.
    EXPECT_LT(near.resyncs, 400);
}

TEST(StrokeList, NetChangeOfARunNamesWhatLeftAndWhereTheNewcomersAre) {
    platform::ObservableObject owner;
    StrokeList list({}, &owner);
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        if (list->size() > 40) list = std::vector<DrawingStroke>(list->begin(), list->begin() + 20);
        const std::vector<DrawingStroke> before = list.get();
        const auto revision = list.revision();
        const int steps = std::uniform_int_distribution<int>(1, 8)(rng);
        for (int k = 0; k < steps; ++k) {
            const std::size_t n = list->size();
            const int op = std::uniform_int_distribution<int>(0, 3)(rng);
            const auto at = [&](std::size_t size) { return std::uniform_int_distribution<std::size_t>(0, size)(rng); };
            if (op == 0 || n == 0) list.edit([&](StrokeList::Editor& e) { e.insert(at(n), strokeOn(1)); });
            else if (op == 1) list.remove(at(n - 1));
            else if (op == 2) list.replace(at(n - 1), strokeOn(3));
            else list.append(strokeOn(4));
        }
        const auto changes = list.changesSince(revision);
        ASSERT_TRUE(changes);
        const StrokeNetChange net = StrokeList::net(*changes);
        // The strokes kept are the ones before less the ones removed, in
        // order, at every index but the newcomers'.
        std::vector<QUuid> kept = idsOf(before);
        for (const StrokeChange& r : net.removed) {
            const auto it = std::find(kept.begin(), kept.end(), r.id);
            ASSERT_NE(it, kept.end());
            kept.erase(it);
        }
        std::vector<QUuid> others;
        for (std::size_t i = 0; i < list->size(); ++i)
            if (!std::binary_search(net.added.begin(), net.added.end(), i)) others.push_back(list.get()[i].id);
        EXPECT_EQ(others, kept) << "round " << round;
        EXPECT_EQ(before.size() - net.removed.size() + net.added.size(), list->size());
    }
}

TEST(StrokeHitIndex, ExtentsFollowedChangeByChangeEqualAFreshOnesAfterAnyEdit) {
    TestDrawingState t;
    std::mt19937 rng(3);
    const QSizeF area(1440, 900);
    // Asked after every step, so each catch-up is change by change.
    for (int step = 0; step < 400; ++step) {
        DrawingState& s = *t.state;
        const std::size_t n = s.strokes->size();
        const int op = std::uniform_int_distribution<int>(0, 9)(rng);
        if (op < 4 || n == 0) {
            s.addStroke(randomStroke(mixedTool(step), rng, area, 20));
        } else if (op < 6) {
            s.undo();
        } else if (op < 7) {
            s.redo();
        } else if (op < 8) {
            DrawingStroke moved = s.strokes->at(n / 2);
            moved.offset = QSizeF(40, -30);
            s.strokes.replace(n / 2, moved);
        } else if (op < 9) {
            s.applyEraserStamps({ErasureStamp{s.strokes->back().points.get().front(), 30, QUuid()}}, 1);
        } else if (step % 50 == 9) {
            s.clearAll();
        }
        // The state's index, followed since the start, answers as a test of
        // every stroke does: near a stroke (where a stale extent would miss
        // it) and anywhere.
        std::vector<QPointF> probes{QPointF(std::uniform_real_distribution<double>(0, 1440)(rng),
                                            std::uniform_real_distribution<double>(0, 900)(rng))};
        for (const auto& stroke : s.strokes.get())
            if (!stroke.points.empty() && probes.size() < 6)
                probes.push_back(stroke.points.get().back() + QPointF(stroke.offset.width(), stroke.offset.height()));
        for (const QPointF& p : probes) {
            bool any = false;
            for (const auto& stroke : s.strokes.get()) any = any || strokeHitTest(stroke, p);
            ASSERT_EQ(s.hasStroke(p, 1), any) << "step " << step;
        }
    }
}
