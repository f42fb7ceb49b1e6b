#pragma once

// The brush panel's content: the brush library above a settings section
// with the opacity and spacing of imported-brush strokes and the parametric
// brush editor, on the panel chrome with corners of radius 10, square on the
// toolbar's side.

#include "ui/Bindings.h"
#include "ui/PanelChrome.h"

#include <memory>

class DismissBox;
class DrawingState;
class GIMPBrushLibraryPanel;
class PanelSlider;
class QLabel;
class VBRParamsEditor;

class GIMPBrushPanelRoot : public ui::PanelChrome {
public:
    static constexpr int kWidth = 240;
    static constexpr double kCornerRadius = 10;
    static constexpr int kSettingsSpacing = 10;
    static constexpr int kSettingsHorizontalPadding = 14;
    static constexpr int kSettingsVerticalPadding = 12;
    static constexpr double kMinimumOpacity = 0.05;
    static constexpr double kMinimumSpacing = 1;
    static constexpr double kMaximumSpacing = 200;

    // `dismissBox` closes the panel; the library's import uses it.
    GIMPBrushPanelRoot(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                       QWidget* parent = nullptr);
    ~GIMPBrushPanelRoot() override;

    // The integer part of opacity × 100, then "%" (0.999 shows 99%).
    static QString opacityText(double opacity);
    // The integer part of the spacing, then "%".
    static QString spacingText(double spacing);
    GIMPBrushLibraryPanel* library() const { return library_; }
    PanelSlider* opacitySlider() const { return opacitySlider_; }
    QLabel* opacityValue() const { return opacityValue_; }
    PanelSlider* spacingSlider() const { return spacingSlider_; }
    QLabel* spacingValue() const { return spacingValue_; }
    VBRParamsEditor* editor() const { return editor_; }
    QWidget* settings() const { return settings_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildSettings();
    QLabel* addHeader(QWidget* parent, const QString& title, QLabel** value);
    void applyStyle();

    std::shared_ptr<DrawingState> state_;
    ui::Bindings bindings_;
    GIMPBrushLibraryPanel* library_ = nullptr;
    QWidget* settings_ = nullptr;
    QLabel* opacityTitle_ = nullptr;
    QLabel* opacityValue_ = nullptr;
    PanelSlider* opacitySlider_ = nullptr;
    QLabel* spacingTitle_ = nullptr;
    QLabel* spacingValue_ = nullptr;
    PanelSlider* spacingSlider_ = nullptr;
    VBRParamsEditor* editor_ = nullptr;
};
