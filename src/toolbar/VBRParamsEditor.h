#pragma once

// The parametric brush editor: a divider, then for radius, spikes,
// hardness, aspect ratio and angle a header (name and value) over a slider.
// It shows the active brush's parameters when that brush is parametric and
// nothing otherwise; its widgets stay while it is hidden, so a drag never
// loses its slider.

#include "toolbar/VBRParamsEditorModel.h"
#include "ui/Bindings.h"
#include "ui/DeferredRefresh.h"

#include <QWidget>

#include <array>
#include <memory>

class PanelSlider;
class QLabel;

class VBRParamsEditor : public QWidget {
public:
    static constexpr int kSpacing = 10;
    static constexpr double kDividerPadding = 2;

    explicit VBRParamsEditor(std::shared_ptr<DrawingState> state, QWidget* parent = nullptr);
    ~VBRParamsEditor() override;

    VBRParamsEditorModel& model() { return model_; }
    // Derives everything from the state now (otherwise done on the turn
    // after each change).
    void refresh();

    using Parameter = VBRParamsEditorModel::Parameter;
    PanelSlider* slider(Parameter parameter) const { return sliders_[index(parameter)]; }
    QLabel* label(Parameter parameter) const { return labels_[index(parameter)]; }
    QLabel* valueLabel(Parameter parameter) const { return values_[index(parameter)]; }

protected:
    void changeEvent(QEvent* event) override;

private:
    static std::size_t index(Parameter parameter) { return static_cast<std::size_t>(parameter); }
    void applyStyle();

    VBRParamsEditorModel model_;
    ui::DeferredRefresh refreshLater_{this, [this] { refresh(); }};
    ui::Bindings bindings_;
    std::array<QLabel*, 5> labels_{};
    std::array<QLabel*, 5> values_{};
    std::array<PanelSlider*, 5> sliders_{};
};
