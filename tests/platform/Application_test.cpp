#include "platform/Application.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using platform::Application;
using platform::EditAction;

TEST(Application, EditActionsGoToTheFocusedTextWidgetOnly) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit("drawing");
    auto* spin = new QSpinBox;
    auto* plain = new QWidget;
    plain->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(edit);
    layout->addWidget(spin);
    layout->addWidget(plain);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(testing_support::waitUntil([&] { return window.isActiveWindow(); }));

    auto& app = Application::shared();
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    EXPECT_TRUE(app.sendEditAction(EditAction::selectAll));
    EXPECT_EQ(edit->selectedText(), "drawing");
    EXPECT_TRUE(app.sendEditAction(EditAction::cut));
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_TRUE(app.sendEditAction(EditAction::paste));
    EXPECT_EQ(edit->text(), "drawing");

    spin->setValue(42);
    spin->setFocus();
    EXPECT_TRUE(app.sendEditAction(EditAction::selectAll));

    // Nothing there edits text: the action is not handled.
    plain->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), plain);
    EXPECT_FALSE(app.sendEditAction(EditAction::copy));
}
