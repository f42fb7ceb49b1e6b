// The hook the tooltip module fills: it hears the pointer come to and leave
// each control, and finds there the text, setting and placement to show.
#include "toolbar/SymbolButton.h"
#include "toolbar/TooltipChip.h"

#include <QCoreApplication>
#include <QEnterEvent>

#include <gtest/gtest.h>

namespace {

struct Recorder : TooltipChip::Presenter {
    void pointerEntered(TooltipChip& chip) override { log.push_back("enter " + chip.text()); }
    void pointerLeft(TooltipChip& chip) override { log.push_back("leave " + chip.text()); }
    QStringList log;
};

void enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST(TooltipChip, ThePresenterHearsThePointerComeAndGo) {
    Recorder recorder;
    SymbolButton undo;
    // Nobody listening yet: the text is carried and nothing happens.
    undo.chip()->update("Undo", false, TooltipPlacement::toolbar(PanelOpenDirection::above));
    enter(&undo);

    TooltipChip::setPresenter(&recorder);
    enter(&undo);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&undo, &leave);
    EXPECT_EQ(recorder.log, (QStringList{"enter Undo", "leave Undo"}));
    // The setting travels with the chip; whether to show is the module's call.
    EXPECT_FALSE(TooltipChip::of(&undo)->showTooltips());
    EXPECT_EQ(undo.chip()->placement(), TooltipPlacement::toolbar(PanelOpenDirection::above));
    EXPECT_EQ(undo.chip()->anchor()->nsView.data(), &undo) << "its own anchor is the control";

    {
        // A control going away while the pointer rests on it takes its chip down.
        SymbolButton redo;
        redo.chip()->update("Redo", true, TooltipPlacement::side());
        enter(&redo);
    }
    EXPECT_EQ(recorder.log.back(), "leave Redo");
    TooltipChip::setPresenter(nullptr);
}
