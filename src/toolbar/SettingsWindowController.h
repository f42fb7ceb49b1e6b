#pragma once

// The settings panel, dropped down under the tray icon: 210 points wide and
// as high as its content, centred 6 points under the icon and kept inside
// the visible frame of the screen that holds the icon. Without the icon's
// frame it opens at the top centre of the main screen. Esc, a click outside
// it (in this application or another) or its content close it.

#include "toolbar/SettingsPanelModel.h"
#include "ui/AnchoredPanelController.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DrawingState;
class SettingsPanelRoot;

class SettingsWindowController : public ui::AnchoredPanelController {
public:
    static constexpr double kWidth = SettingsPanelModel::kWidth;
    // Between the tray icon and the panel.
    static constexpr double kGap = 6;

    // `isOpen` receives false on a later turn after the panel closed.
    // `anchoredToStatusItem`: the anchor is the tray icon. Not shown.
    SettingsWindowController(const std::shared_ptr<DrawingState>& state, std::function<void(bool)> isOpen,
                             std::shared_ptr<AnchorRef> anchorRef, bool anchoredToStatusItem,
                             SettingsPanelServices services = SettingsPanelServices::standard());

    SettingsPanelRoot* root() const { return root_; }
    // The content's height when the panel was made.
    double fittedHeight() const { return fittedHeight_; }

    void place() override;

    // The origin of a panel `height` high under the icon at `anchor`: on the
    // first screen whose frame holds the icon completely, kept inside its
    // visible frame (its left and bottom edges win when it does not fit);
    // unclamped when no screen holds it.
    static platform::Point originUnderStatusItem(const platform::Rect& anchor, double height,
                                                 const std::vector<platform::Screen>& screens);

private:
    std::weak_ptr<DrawingState> state_;
    bool anchoredToStatusItem_;
    SettingsPanelRoot* root_ = nullptr;
    double fittedHeight_ = 0;
};
