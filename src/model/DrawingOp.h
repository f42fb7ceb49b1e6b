#pragma once

// One undoable change of the drawing, and what an eraser pass added to a stroke.

#include "model/DrawingStroke.h"
#include "model/ErasureStamp.h"
#include "platform/ScreenProvider.h"

#include <QUuid>

#include <variant>
#include <vector>

// What one eraser pass added to one stroke: that stroke's identifier and the
// pass's dabs on it, in pass order.
struct ErasureRecord {
    QUuid strokeID;
    SharedVector<ErasureStamp> stamps;

    friend bool operator==(const ErasureRecord&, const ErasureRecord&) = default;
};

// One undoable operation: a stroke was added, or one eraser pass cut strokes
// of one display.
class DrawingOp {
public:
    struct Add {
        // As committed, with its display stamped.
        DrawingStroke stroke;
        friend bool operator==(const Add&, const Add&) = default;
    };
    struct Erase {
        QUuid passID;
        platform::DisplayID displayID = 0;
        // One per stroke the pass cut, in the order of the strokes.
        SharedVector<ErasureRecord> records;
        friend bool operator==(const Erase&, const Erase&) = default;
    };

    static DrawingOp add(DrawingStroke stroke) { return DrawingOp(Add{std::move(stroke)}); }
    static DrawingOp erase(QUuid passID, platform::DisplayID displayID, std::vector<ErasureRecord> records) {
        return DrawingOp(Erase{passID, displayID, std::move(records)});
    }

    bool isAdd() const { return std::holds_alternative<Add>(value_); }
    bool isErase() const { return std::holds_alternative<Erase>(value_); }
    // The payload of the case this operation is; null for the other case.
    const Add* asAdd() const { return std::get_if<Add>(&value_); }
    const Erase* asErase() const { return std::get_if<Erase>(&value_); }

    // The stroke's display for an addition, the pass's for an erasure.
    platform::DisplayID displayID() const {
        if (const Add* a = asAdd()) return a->stroke.displayID;
        return std::get<Erase>(value_).displayID;
    }

    friend bool operator==(const DrawingOp&, const DrawingOp&) = default;

private:
    explicit DrawingOp(std::variant<Add, Erase> v) : value_(std::move(v)) {}
    std::variant<Add, Erase> value_;
};
