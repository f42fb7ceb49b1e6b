// Snapping, texts and re-rendering of the parametric brush editor.
#include "toolbar/VBRParamsEditorModel.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <algorithm>
#include <cmath>

VBRParamsEditorModel::VBRParamsEditorModel(std::shared_ptr<DrawingState> state) : state_(std::move(state)) {}

namespace {

std::optional<VBRParams> storedParams(const DrawingState& state, const QUuid& id) {
    for (const auto& b : state.importedGIMPBrushes.get())
        if (b.id == id) return b.vbr;
    return std::nullopt;
}

} // namespace

std::optional<VBRParamsEditorModel::ActiveBrush> VBRParamsEditorModel::activeBrush() const {
    const auto& id = state_->activeGIMPBrushID.get();
    if (!id) return std::nullopt;
    const auto params = storedParams(*state_, *id);
    if (!params) return std::nullopt;
    return ActiveBrush{*id, *params};
}

double VBRParamsEditorModel::snap(double value, double step) { return std::round(value / step) * step; }

const VBRParamsEditorModel::Row& VBRParamsEditorModel::row(Parameter parameter) {
    return kRows[static_cast<std::size_t>(parameter)];
}

double VBRParamsEditorModel::value(const VBRParams& params, Parameter parameter) {
    switch (parameter) {
    case Parameter::radius: return params.radius;
    case Parameter::spikes: return params.spikes;
    case Parameter::hardness: return params.hardness;
    case Parameter::aspectRatio: return params.aspectRatio;
    case Parameter::angle: return params.angle;
    }
    return 0;
}

QString VBRParamsEditorModel::valueText(const VBRParams& params, Parameter parameter) {
    switch (parameter) {
    case Parameter::radius: return QString::asprintf("%.0f px", params.radius);
    case Parameter::spikes: return QString::number(params.spikes);
    case Parameter::hardness: return QString::asprintf("%.2f", params.hardness);
    case Parameter::aspectRatio: return QString::asprintf("%.1f", params.aspectRatio);
    case Parameter::angle: return QString::asprintf("%.0f°", params.angle);
    }
    return QString();
}

void VBRParamsEditorModel::write(Parameter parameter, double value) {
    platform::assertMainThread("VBRParamsEditorModel::write");
    const auto brush = activeBrush();
    if (!brush || !std::isfinite(value)) return;
    if (!editedBrush_) editedBrush_ = brush->id;
    const double snapped = snap(value, row(parameter).step);
    VBRParams params = brush->params;
    switch (parameter) {
    case Parameter::radius: params.radius = snapped; break;
    case Parameter::spikes: params.spikes = static_cast<int>(std::lround(std::clamp(snapped, -1e6, 1e6))); break;
    case Parameter::hardness: params.hardness = snapped; break;
    case Parameter::aspectRatio: params.aspectRatio = snapped; break;
    case Parameter::angle: params.angle = snapped; break;
    }
    // Most pointer moves land on the value the last one snapped to.
    if (params == brush->params) return;
    state_->rerenderVBRBrush(brush->id, params, false);
}

void VBRParamsEditorModel::editingChanged(bool editing) {
    platform::assertMainThread("VBRParamsEditorModel::editingChanged");
    if (editing) {
        const auto brush = activeBrush();
        editedBrush_ = brush ? std::optional<QUuid>(brush->id) : std::nullopt;
        return;
    }
    const auto id = std::exchange(editedBrush_, std::nullopt);
    if (!id) return;
    // The brush may have been deleted while the slider was held.
    if (const auto params = storedParams(*state_, *id)) state_->rerenderVBRBrush(*id, *params, true);
}
