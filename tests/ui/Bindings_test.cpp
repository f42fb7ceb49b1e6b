// Bindings from published fields to widgets and to shared-owned objects.
#include "ui/Bindings.h"

#include "support/TestUtil.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace testing_support;

TEST(Bindings, AWidgetFollowsItsFieldUntilItIsGone) {
    platform::Published<int> width{3};
    ui::Bindings bindings;
    auto* label = new QLabel;
    bindings.bind(width, label, [](QLabel& l, int v) { l.setText(QString::number(v)); });
    EXPECT_EQ(label->text(), "3");
    width = 7;
    EXPECT_EQ(label->text(), "7");
    delete label;
    width = 9; // reaches no deleted widget
    EXPECT_EQ(bindings.size(), 1u);
}

TEST(Bindings, LaterReactionsSeeEveryFieldOfTheTurnAndStopWithTheirOwner) {
    struct Owner {
        platform::Published<bool>* a;
        platform::Published<bool>* b;
        std::vector<std::pair<bool, bool>> seen;
    };
    platform::Published<bool> a{false}, b{false};
    auto owner = std::make_shared<Owner>(Owner{&a, &b, {}});
    ui::Bindings bindings;
    auto react = [](Owner& o) { o.seen.emplace_back(o.a->get(), o.b->get()); };
    bindings.onChangeLater(a, std::weak_ptr<Owner>(owner), react, platform::Initial::Include);
    bindings.onChangeLater(b, std::weak_ptr<Owner>(owner), react);
    EXPECT_TRUE(owner->seen.empty()) << "nothing runs inside the call";
    drainEvents();
    EXPECT_EQ(owner->seen, (std::vector<std::pair<bool, bool>>{{false, false}})) << "the initial run";

    a = true;
    b = true;
    EXPECT_EQ(owner->seen.size(), 1u);
    drainEvents();
    EXPECT_EQ(owner->seen, (std::vector<std::pair<bool, bool>>{{false, false}, {true, true}, {true, true}}));

    // Gone before its turn: nothing runs, nothing crashes.
    a = false;
    owner.reset();
    drainEvents();
    bindings.clear();
    EXPECT_EQ(bindings.size(), 0u);
    EXPECT_EQ(a.subscriberCount(), 0u);
}
