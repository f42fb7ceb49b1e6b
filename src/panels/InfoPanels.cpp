// Opening the help and about panels for the settings panel.
#include "panels/InfoPanels.h"

#include "panels/AboutView.h"
#include "panels/HelpView.h"
#include "platform/Dispatch.h"

InfoPanels::InfoPanels(platform::ScreenProvider& screens) : screens_(screens) {}

InfoPanels::~InfoPanels() {
    platform::assertMainThread("~InfoPanels");
    lifetime_.end();
    helpController_.reset();
    aboutController_.reset();
}

void InfoPanels::openHelp() { open(Kind::help); }

void InfoPanels::openAbout() { open(Kind::about); }

void InfoPanels::open(Kind kind) {
    platform::assertMainThread("InfoPanels::open");
    std::unique_ptr<InfoPanelWindowController>& held = controller(kind);
    if (held) held->closePanel();
    held.reset();

    unsigned& openings = kind == Kind::help ? helpOpenings_ : aboutOpenings_;
    const unsigned opening = ++openings;
    const auto weak = lifetime_.ref();
    // The close of the panel this one replaces reports on a later turn, when
    // the new panel is already open: only the newest panel sets the flag.
    auto isOpen = [weak, kind, opening](bool open) {
        InfoPanels* self = weak.get();
        if (!self) return;
        const unsigned latest = kind == Kind::help ? self->helpOpenings_ : self->aboutOpenings_;
        if (opening == latest) self->flag(kind) = open;
    };

    if (kind == Kind::help) {
        held = std::make_unique<InfoPanelWindowController>(
            platform::Size(HelpView::kWidth, HelpView::kHeight), isOpen, false, QStringLiteral("Overink Help"),
            screens_, [](std::shared_ptr<DismissRef> dismiss) { return new HelpView(std::move(dismiss)); });
    } else {
        held = std::make_unique<InfoPanelWindowController>(
            platform::Size(AboutView::kWidth, AboutView::kHeight), isOpen, false, QStringLiteral("Overink About"),
            screens_, [](std::shared_ptr<DismissRef> dismiss) { return new AboutView(std::move(dismiss)); });
    }
    held->showWindow();
    flag(kind) = true;
}
