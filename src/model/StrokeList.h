#pragma once

// The placed strokes as a published list that remembers its recent changes,
// stroke by stroke, so that what is kept per stroke elsewhere (hit extents,
// a canvas's image, an overlay's input region) catches up with what changed
// instead of comparing every stroke again.

#include "model/DrawingStroke.h"
#include "platform/Published.h"

#include <QUuid>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// One stroke added to or removed from the list; a stroke changed in place
// is its removal followed by its addition at the same index.
struct StrokeChange {
    enum class Kind { added, removed };
    Kind kind = Kind::added;
    // Where the stroke is (added) or was (removed) in the list.
    std::size_t index = 0;
    // Whether it is, or was, the last stroke.
    bool atEnd = false;
    // The stroke's id and display, as it was when removed.
    QUuid id;
    platform::DisplayID displayID = 0;
};

// What a run of changes amounts to: the strokes that left the list (as
// their removal records them) and the indices, in the list after the run,
// of the strokes that joined it. A stroke changed in place is in both; one
// added and removed again within the run in neither.
struct StrokeNetChange {
    std::vector<StrokeChange> removed;
    std::vector<std::size_t> added;
};

class StrokeList : public platform::Published<std::vector<DrawingStroke>> {
public:
    using Base = platform::Published<std::vector<DrawingStroke>>;
    using Base::Base;

    // The most changes remembered; anyone further behind starts over.
    static constexpr std::size_t kRemembered = 256;

    // Whole-list assignments notify as any published field's do (handlers
    // see the old list in the field); nobody can catch up across one
    // change by change.
    StrokeList& operator=(std::vector<DrawingStroke> list) {
        set(std::move(list));
        return *this;
    }
    void set(std::vector<DrawingStroke> list);
    template <typename F>
    void modify(F&& change) {
        forget();
        Base::modify(std::forward<F>(change));
        forget();
    }
    void setSilently(std::vector<DrawingStroke> list);
    // Its changes are made in place, where no old list is left to hand over.
    void setDidSet(DidSet) = delete;

    // Changes made through an editor are made in place and announced as one
    // assignment once they are all made; handlers see the new list.
    class Editor {
    public:
        const std::vector<DrawingStroke>& list() const { return list_; }
        void append(DrawingStroke stroke);
        void insert(std::size_t index, DrawingStroke stroke);
        void remove(std::size_t index);
        void replace(std::size_t index, DrawingStroke stroke);

    private:
        friend class StrokeList;
        Editor(std::vector<DrawingStroke>& list, std::vector<StrokeChange>& changes) : list_(list), changes_(changes) {}
        std::vector<DrawingStroke>& list_;
        std::vector<StrokeChange>& changes_;
    };
    template <typename F>
    void edit(F&& change) {
        std::vector<StrokeChange> changes;
        modifyInPlace([&](std::vector<DrawingStroke>& list) {
            Editor editor(list, changes);
            std::forward<F>(change)(editor);
            remember(changes);
        });
    }
    void append(DrawingStroke stroke);
    void remove(std::size_t index);
    void replace(std::size_t index, DrawingStroke stroke);

    // Counts every change, whole-list assignments included.
    std::uint64_t revision() const { return revision_; }
    // The changes after `revision`, oldest first (empty when there were
    // none); none when they are not all known: a whole-list assignment came
    // after it, or it lies too far back.
    std::optional<std::span<const StrokeChange>> changesSince(std::uint64_t revision) const;
    static StrokeNetChange net(std::span<const StrokeChange> changes);

private:
    void forget();
    void remember(const std::vector<StrokeChange>& changes);

    std::uint64_t revision_ = 0;
    // log_[k] took the list from revision first_ + k to first_ + k + 1.
    std::uint64_t first_ = 0;
    std::vector<StrokeChange> log_;
};
