#pragma once

// What the settings panel shows and does, without its widgets: the smoothing
// choices, the switches, the footer's actions and the quit confirmation.

#include "model/DrawingTool.h"
#include "model/SmoothingAlgorithm.h"
#include "ui/DismissBox.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>

class DrawingState;

// A tool whose freehand strokes can be smoothed, with its icon.
struct SmoothableTool {
    DrawingTool tool;
    const char* symbol;
};

// The only tools the panel offers for smoothing, in their order; any other
// member of the saved set is left as it is.
inline constexpr std::array<SmoothableTool, 5> kSmoothableTools = {{
    {DrawingTool::pen, "scribble"},
    {DrawingTool::bezierPen, "beziercurve"},
    {DrawingTool::calligraphyBrush, "paintbrush"},
    {DrawingTool::brushPen, "paintbrush.pointed"},
    {DrawingTool::airbrush, "wand.and.sparkles"},
}};

// What the panel asks of the running program; tests bring their own.
struct SettingsPanelServices {
    // Brings the program forward.
    std::function<void()> activate;
    // Asks the application to terminate (the delegate decides).
    std::function<void()> terminate;
    // Open the help or the about panel, which the application delegate keeps
    // (they outlive this panel); none: nothing opens.
    std::function<void()> openHelp;
    std::function<void()> openAbout;

    static SettingsPanelServices standard();
};

class SettingsPanelModel {
public:
    static constexpr double kWidth = 210;
    static constexpr double kSectionsPadding = 14;
    // The sections' width inside their padding.
    static constexpr double kSectionsInnerWidth = kWidth - 2 * kSectionsPadding;
    // The algorithm picker's width until it has been measured.
    static constexpr double kInitialPickerWidth = 96;

    static inline const QString kQuitMessage = QStringLiteral("Close Overink?");
    static inline const QString kQuitInformation = QStringLiteral(
        "This will close and remove Overink from the system tray. If you just want to close it but keep it in "
        "the tray, simply click the Overink icon in the tray again.");

    // The tool checkboxes' indent, which lines them up with the left edge of
    // the centred picker of that width.
    static double smoothingToolIndent(double pickerWidth);

    SettingsPanelModel(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                       SettingsPanelServices services);

    DrawingState& state() const { return *state_; }
    const std::shared_ptr<DrawingState>& sharedState() const { return state_; }
    // Closes the panel (nothing without a closure in the box).
    void dismiss() const;

    bool isSmoothed(DrawingTool tool) const;
    // Adds or removes the tool: the set is assigned exactly once.
    void setSmoothed(DrawingTool tool, bool on);
    void selectAlgorithm(SmoothingAlgorithm algorithm);
    void setShowTooltips(bool on);
    // The state's observer registers or unregisters the login item.
    void setLaunchAtLogin(bool on);

    // Close this panel, then open the help or the about panel.
    void openHelp();
    void openAbout();
    // Closes the panel, then asks for confirmation on the next turn (the
    // panel and its content may be gone by the time the alert returns, so
    // the confirmation holds nothing of them).
    void quit();
    // The confirmation: our high windows step down while the alert is up;
    // "Close" marks the quit as intended and asks for termination.
    static void confirmQuit(DrawingState& state, const SettingsPanelServices& services);

private:
    std::shared_ptr<DrawingState> state_;
    std::shared_ptr<DismissBox> dismissBox_;
    SettingsPanelServices services_;
};
