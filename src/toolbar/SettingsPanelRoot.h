#pragma once

// The settings panel's content, 210 points wide on a rounded background:
// the toolbar-position diagram, the collapsible "Stroke Smoothing" section
// (algorithm and smoothed tools), the tooltip and login switches, the update
// rows, and a footer with Help, About and Quit. Controls that lead elsewhere
// close the panel first.

#include "panels/UpdateManager.h"
#include "toolbar/SettingsPanelModel.h"
#include "ui/Bindings.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QVariantAnimation;
class QVBoxLayout;
class SettingsCheckbox;
class SettingsSectionHeader;
class SymbolButton;
class ToolbarPositionDiagramView;
class UpdatesSettingsRows;

class SettingsPanelRoot : public QWidget {
public:
    static constexpr double kCornerRadius = 10;
    // The section opens and closes over this long.
    static constexpr int kSectionAnimationMs = 150;

    // Where the update rows find their manager: the program's shared one,
    // which the first content built in a run thus creates. Tests bring
    // their own; an empty source leaves the rows out.
    using UpdateManagerSource = std::function<std::shared_ptr<UpdateManager>()>;

    SettingsPanelRoot(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                      SettingsPanelServices services = SettingsPanelServices::standard(),
                      UpdateManagerSource updateManager = &UpdateManager::shared, QWidget* parent = nullptr);
    ~SettingsPanelRoot() override;

    SettingsPanelModel& model() { return model_; }

    // ---- The stroke-smoothing section ----
    bool isSmoothingExpanded() const { return smoothingExpanded_; }
    // Opens or closes it, animated.
    void toggleSmoothing();
    // Whether the section's rows are on screen (false once it has closed).
    bool smoothingRowsShown() const;
    // The picker's rendered width as last measured.
    double pickerWidth() const { return pickerWidth_; }
    // The tool checkboxes' indent now.
    double smoothingToolIndent() const;

    // The update rows, built with the content, if it has them.
    UpdatesSettingsRows* updateRows() const { return updateRows_; }

    ToolbarPositionDiagramView* diagram() const { return diagram_; }
    SettingsSectionHeader* smoothingHeader() const { return smoothingHeader_; }
    QComboBox* algorithmPicker() const { return algorithmPicker_; }
    SettingsCheckbox* toolCheckbox(DrawingTool tool) const;
    const std::vector<SettingsCheckbox*>& toolCheckboxes() const { return toolCheckboxes_; }
    QWidget* toolList() const { return toolList_; }
    SettingsCheckbox* showTooltipsCheckbox() const { return showTooltips_; }
    SettingsCheckbox* launchAtLoginCheckbox() const { return launchAtLogin_; }
    QWidget* updateRowsSlot() const { return updateSlot_; }
    SymbolButton* helpButton() const { return help_; }
    SymbolButton* aboutButton() const { return about_; }
    SymbolButton* quitButton() const { return quit_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildSections();
    QWidget* buildSmoothingRows(QWidget* parent);
    QWidget* buildFooter();
    void bindState();
    // The rows go in their place; the divider above them shows with them.
    void setUpdateRows(UpdatesSettingsRows* rows);
    void setSectionProgress(double progress);
    void measurePicker();

    SettingsPanelModel model_;
    bool smoothingExpanded_ = false;
    double pickerWidth_ = SettingsPanelModel::kInitialPickerWidth;

    ToolbarPositionDiagramView* diagram_ = nullptr;
    SettingsSectionHeader* smoothingHeader_ = nullptr;
    QWidget* smoothingRows_ = nullptr;
    QComboBox* algorithmPicker_ = nullptr;
    QWidget* toolList_ = nullptr;
    std::vector<SettingsCheckbox*> toolCheckboxes_;
    SettingsCheckbox* showTooltips_ = nullptr;
    SettingsCheckbox* launchAtLogin_ = nullptr;
    QWidget* updateSlot_ = nullptr;
    QVBoxLayout* updateRowsLayout_ = nullptr;
    UpdatesSettingsRows* updateRows_ = nullptr;
    SymbolButton* help_ = nullptr;
    SymbolButton* about_ = nullptr;
    SymbolButton* quit_ = nullptr;
    QVariantAnimation* sectionAnimation_ = nullptr;
    ui::Bindings bindings_;
};
