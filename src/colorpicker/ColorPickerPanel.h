#pragma once

// The colour picker's content: harmony and code-format menus, the colour
// wheel, the harmony's swatches with their codes, the stroke opacity and
// the saved harmonies. Every edit reaches the drawing state at once.

#include "colorpicker/ColorPickerModel.h"
#include "model/SavedHarmony.h"
#include "platform/Signal.h"
#include "ui/Bindings.h"
#include "ui/DismissBox.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ColorWheelView;
class DrawingState;
class HarmonySwatchRowView;
class OpacityPreviewView;
class QComboBox;
class QLabel;
class QSlider;
class QVBoxLayout;
class SavedHarmonyRow;
class SymbolButton;

class ColorPickerPanel : public QWidget {
public:
    static constexpr int kPanelWidth = 246;
    static constexpr int kPadding = 12;
    static constexpr int kSpacing = 10;
    static constexpr int kWheelSide = 222;
    // The slider works in thousandths of full opacity.
    static constexpr int kSliderScale = 1000;

    // `dismissBox` closes the window that hosts the content; no control of the
    // content closes it today (the host's Esc and outside-click monitors
    // do). The content takes the keyboard only while a harmony's name is
    // edited, through the "ColorPickerRequestKey"/"ColorPickerResignKey"
    // notifications.
    ColorPickerPanel(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                     QWidget* parent = nullptr);
    ~ColorPickerPanel() override;

    ColorPickerModel& model() { return model_; }

    // The harmony name field has the keyboard: Esc and Delete belong to it,
    // and the host's Esc monitor lets them through.
    bool isRenameFieldFocused() const;

    // The content fits its height to what it shows; the host follows.
    platform::Signal<int> heightChanged;

    // Parts, for the host and for tests.
    QComboBox* harmonyMenu() const { return harmonyMenu_; }
    QComboBox* formatMenu() const { return formatMenu_; }
    ColorWheelView* wheel() const { return wheel_; }
    HarmonySwatchRowView* swatchRow() const { return swatchRow_; }
    QSlider* opacitySlider() const { return opacitySlider_; }
    QLabel* opacityPercent() const { return opacityPercent_; }
    SymbolButton* saveButton() const { return saveButton_; }
    QLabel* emptyHarmoniesText() const { return emptyText_; }
    const std::vector<SavedHarmonyRow*>& harmonyRows() const { return rows_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildMenuRow();
    QWidget* buildOpacity();
    QWidget* buildSavedHarmonies();
    void bindModel();
    void applyStyle();
    void showSavedHarmonies(const std::vector<SavedHarmony>& list, const std::optional<QUuid>& renaming);
    void updateSaveButton(std::size_t savedCount);

    ColorPickerModel model_;
    std::shared_ptr<DismissBox> dismissBox_;
    ui::Bindings bindings_;

    QComboBox* harmonyMenu_ = nullptr;
    QComboBox* formatMenu_ = nullptr;
    ColorWheelView* wheel_ = nullptr;
    HarmonySwatchRowView* swatchRow_ = nullptr;
    QLabel* opacityLabel_ = nullptr;
    OpacityPreviewView* opacityPreview_ = nullptr;
    QLabel* opacityPercent_ = nullptr;
    QSlider* opacitySlider_ = nullptr;
    QWidget* divider_ = nullptr;
    QLabel* savedHeader_ = nullptr;
    SymbolButton* saveButton_ = nullptr;
    QLabel* emptyText_ = nullptr;
    QWidget* rowsBox_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;

    // The list the rows show (the drawing state's, as last announced).
    std::vector<SavedHarmony> shownHarmonies_;
    std::vector<SavedHarmonyRow*> rows_;
};
