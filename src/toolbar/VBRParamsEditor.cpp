// The parametric brush editor's headers and sliders.
#include "toolbar/VBRParamsEditor.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "ui/PanelDivider.h"
#include "ui/PanelSlider.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

VBRParamsEditor::VBRParamsEditor(std::shared_ptr<DrawingState> state, QWidget* parent)
    : QWidget(parent), model_(std::move(state)) {
    platform::assertMainThread("VBRParamsEditor");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    layout->addWidget(new PanelDivider(kDividerPadding, this));
    for (const auto& row : VBRParamsEditorModel::kRows) {
        const std::size_t i = index(row.parameter);
        auto* header = new QHBoxLayout();
        header->setContentsMargins(0, 0, 0, 0);
        labels_[i] = new QLabel(QString::fromUtf8(row.label), this);
        values_[i] = new QLabel(this);
        values_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        header->addWidget(labels_[i], 0, Qt::AlignVCenter);
        header->addStretch(1);
        header->addWidget(values_[i], 0, Qt::AlignVCenter);
        layout->addLayout(header);
        sliders_[i] = new PanelSlider(row.minimum, row.maximum, this);
        sliders_[i]->setAccessibleName(QString::fromUtf8(row.label));
        layout->addWidget(sliders_[i]);
        const Parameter parameter = row.parameter;
        bindings_.add(sliders_[i]->valueChanged.connect([this, parameter](double v) { model_.write(parameter, v); }));
        bindings_.add(sliders_[i]->editingChanged.connect([this](bool editing) { model_.editingChanged(editing); }));
    }
    applyStyle();

    DrawingState& s = model_.state();
    const auto watch = [&](auto& field) { bindings_.add(refreshLater_.schedulingOn(field)); };
    watch(s.importedGIMPBrushes);
    watch(s.activeGIMPBrushID);
    refresh();
}

VBRParamsEditor::~VBRParamsEditor() { bindings_.clear(); }

void VBRParamsEditor::refresh() {
    platform::assertMainThread("VBRParamsEditor::refresh");
    const auto brush = model_.activeBrush();
    setVisible(brush.has_value());
    if (!brush) return;
    for (const auto& row : VBRParamsEditorModel::kRows) {
        const std::size_t i = index(row.parameter);
        values_[i]->setText(VBRParamsEditorModel::valueText(brush->params, row.parameter));
        sliders_[i]->setValue(VBRParamsEditorModel::value(brush->params, row.parameter));
    }
}

void VBRParamsEditor::applyStyle() {
    const ui::Theme theme = ui::Theme::current(this);
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        for (QLabel* label : {labels_[i], values_[i]}) {
            label->setFont(ui::font(ui::TextStyle::caption));
            ui::setTextColor(label, theme.secondary);
        }
    }
}

void VBRParamsEditor::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
}
