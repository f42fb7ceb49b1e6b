#pragma once

// What the parametric brush editor edits: the active imported brush's
// parameters, one slider per parameter snapped to its step. Each change of a
// drag re-renders the brush at once; the brush's stored cell is written once
// the drag ends.

#include "model/BrushRecords.h"

#include <QString>
#include <QUuid>

#include <array>
#include <memory>
#include <optional>

class DrawingState;

class VBRParamsEditorModel {
public:
    enum class Parameter { radius, spikes, hardness, aspectRatio, angle };

    struct Row {
        Parameter parameter;
        const char* label;
        double minimum;
        double maximum;
        double step;
    };
    // In display order.
    static constexpr std::array<Row, 5> kRows = {{
        {Parameter::radius, "Radius", 1, 250, 1},
        {Parameter::spikes, "Spikes", 2, 20, 1},
        {Parameter::hardness, "Hardness", 0, 1, 0.01},
        {Parameter::aspectRatio, "Aspect Ratio", 1, 20, 0.1},
        {Parameter::angle, "Angle", 0, 180, 1},
    }};

    struct ActiveBrush {
        QUuid id;
        VBRParams params;
    };

    explicit VBRParamsEditorModel(std::shared_ptr<DrawingState> state);

    DrawingState& state() const { return *state_; }

    // The active brush with its parameters; none when no brush is active,
    // when none has the active id, or when that brush is not parametric.
    std::optional<ActiveBrush> activeBrush() const;

    // v / step to the nearest whole number (halves away from zero) × step.
    static double snap(double value, double step);
    static double value(const VBRParams& params, Parameter parameter);
    // "37 px", "5", "0.50", "2.5", "45°".
    static QString valueText(const VBRParams& params, Parameter parameter);
    static const Row& row(Parameter parameter);

    // A slider moved to `value`: the active brush re-rendered with that
    // parameter snapped (spikes to a whole number), not yet written to its
    // file. A value that snaps to what the brush has already changes nothing.
    void write(Parameter parameter, double value);
    // A drag starts (true) or ends (false). At the end the brush the drag
    // edited, if it is still stored and parametric, is re-rendered with its
    // stored parameters and its cell file written.
    void editingChanged(bool editing);

private:
    std::shared_ptr<DrawingState> state_;
    // The brush the current drag edits.
    std::optional<QUuid> editedBrush_;
};
