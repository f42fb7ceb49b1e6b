#include "model/DrawingState.h"

#include "platform/Dispatch.h"
#include "platform/Xdg.h"

#include <QFontDatabase>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Index of the newest operation that `accept` takes, or -1.
template <typename Pred>
std::ptrdiff_t newestIndex(const std::vector<DrawingOp>& stack, Pred accept) {
    for (auto i = static_cast<std::ptrdiff_t>(stack.size()) - 1; i >= 0; --i) {
        if (accept(stack[static_cast<std::size_t>(i)])) return i;
    }
    return -1;
}

// Applies `change` to the first stroke named by each record of a pass, in
// place; records whose stroke is gone are skipped, and when none is found
// the strokes are left alone.
template <typename Change>
void changeRecordedStrokes(StrokeList& strokes, const DrawingOp::Erase& pass, Change change) {
    std::vector<std::pair<std::size_t, const ErasureRecord*>> found;
    const auto& list = strokes.get();
    for (const auto& record : pass.records) {
        const auto it = std::find_if(list.begin(), list.end(), [&](const auto& s) { return s.id == record.strokeID; });
        if (it != list.end()) found.emplace_back(static_cast<std::size_t>(it - list.begin()), &record);
    }
    if (found.empty()) return;
    strokes.edit([&](StrokeList::Editor& e) {
        for (const auto& [index, record] : found) {
            DrawingStroke s = e.list()[index];
            change(s, *record);
            e.replace(index, std::move(s));
        }
    });
}

void pushBounded(std::vector<DrawingOp>& stack, const DrawingOp& op) {
    if (static_cast<std::int64_t>(stack.size()) >= DrawingState::kMaxStackDepth) stack.erase(stack.begin());
    stack.push_back(op);
}

} // namespace

std::shared_ptr<DrawingState> DrawingState::create(DrawingStateEnvironment environment) {
    platform::assertMainThread("DrawingState::create");
    // Background brush work holds the state weakly, so it must be owned by a
    // shared pointer before the initialiser starts any.
    std::shared_ptr<DrawingState> state(new DrawingState(std::move(environment)));
    state->initialise();
    return state;
}

DrawingState::DrawingState(DrawingStateEnvironment environment) : env_(std::move(environment)) {
    if (!env_.defaults || !env_.screens || !env_.mouse || !env_.loginItem) {
        std::fprintf(stderr, "overink: DrawingState needs defaults, screens, mouse and login item\n");
        std::abort();
    }
    if (!env_.fontExists) env_.fontExists = [](const QString& family) { return QFontDatabase::hasFamily(family); };
    if (env_.brushStoreDirectory.isEmpty())
        env_.brushStoreDirectory = platform::xdg::dataHome() + QStringLiteral("/Overink/gimp-brushes");
}

DrawingState::~DrawingState() = default;

void DrawingState::initialise() {
    const QString preferred = QString::fromLatin1(kPreferredTextFont);
    textFontName.setSilently(env_.fontExists(preferred) ? preferred : QString());
    // Observers run only on assignments; the read-back below stores values
    // silently, so nothing is written back at start.
    installChangeObservers();
    readPreferences();
    loadBrushIndex();

    std::weak_ptr<DrawingState> weak = weak_from_this();
    screensChangedSubscription_ = env_.screens->screensChanged.connect([weak] {
        platform::assertMainThread("display change");
        if (auto state = weak.lock()) state->screensDidChange();
    });
}

std::vector<DrawingTool> DrawingState::defaultPenOrder() {
    return {DrawingTool::pen, DrawingTool::bezierPen, DrawingTool::calligraphyBrush, DrawingTool::brushPen,
            DrawingTool::airbrush};
}

std::vector<DrawingTool> DrawingState::defaultShapeOrder() {
    return {DrawingTool::rectangle, DrawingTool::ellipse,  DrawingTool::triangle,
            DrawingTool::diamond,   DrawingTool::pentagon, DrawingTool::hexagon,
            DrawingTool::octagon,   DrawingTool::seal,     DrawingTool::star};
}

QStringList DrawingState::smoothingToolRawValues(const DrawingToolSet& tools) {
    QStringList raw;
    for (DrawingTool t : tools) raw.append(rawValueText(t));
    return raw;
}

// ---- Brush index ----

QString DrawingState::gimpBrushesDirectory() const { return env_.brushStoreDirectory; }

// ---- Displays ----

DrawingState::DisplayID DrawingState::firstScreenDisplayID() const {
    const auto screens = env_.screens->screens();
    return screens.empty() ? 0 : screens.front().displayID;
}

bool DrawingState::displayMatches(DisplayID item, DisplayID target) const {
    if (item == target) return true;
    if (item != 0) return false;
    return target == firstScreenDisplayID();
}

DrawingState::DisplayID DrawingState::displayIDUnderMouse() const {
    const platform::Point location = env_.mouse->location();
    const auto screens = env_.screens->screens();
    for (const auto& s : screens) {
        if (s.frame.contains(location)) return s.displayID;
    }
    return screens.empty() ? 0 : screens.front().displayID;
}

// ---- History ----

void DrawingState::addStroke(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingState::addStroke");
    DrawingStroke copy = stroke;
    if (copy.displayID == 0) copy.displayID = currentDrawingDisplayID.get();
    // In place: the cost of an addition must not grow with the drawing.
    strokes.append(copy);
    lastPlacedStrokeID = copy.id;
    redoStack.set({});
    pushUndo(DrawingOp::add(copy));
}

void DrawingState::pushUndo(const DrawingOp& op) {
    platform::assertMainThread("DrawingState::pushUndo");
    undoStack.modify([&](auto& stack) { pushBounded(stack, op); });
}

std::vector<DrawingStroke> DrawingState::strokesOnDisplay(DisplayID displayID) const {
    platform::assertMainThread("DrawingState::strokesOnDisplay");
    const DisplayID first = firstScreenDisplayID();
    std::vector<DrawingStroke> result;
    for (const auto& s : strokes.get()) {
        if (s.displayID == displayID || (s.displayID == 0 && displayID == first)) result.push_back(s);
    }
    return result;
}

void DrawingState::undo() {
    platform::assertMainThread("DrawingState::undo");
    const DisplayID target = displayIDUnderMouse();
    const auto& undoOps = undoStack.get();

    // An eraser pass on the last placed stroke is undone before anything
    // newer, so the stroke the user is looking at gets its dabs back first.
    std::ptrdiff_t index = -1;
    if (const auto lastID = lastPlacedStrokeID.get()) {
        // From the top, where the last placed stroke usually is.
        const auto& list = strokes.get();
        const auto it = std::find_if(list.rbegin(), list.rend(), [&](const auto& s) { return s.id == *lastID; });
        if (it != list.rend() && displayMatches(it->displayID, target) && !it->erasures.empty()) {
            index = newestIndex(undoOps, [&](const DrawingOp& op) {
                const auto* e = op.asErase();
                return e && std::any_of(e->records.begin(), e->records.end(),
                                        [&](const ErasureRecord& r) { return r.strokeID == *lastID; });
            });
        }
    }
    if (index < 0) {
        index = newestIndex(undoOps, [&](const DrawingOp& op) { return displayMatches(op.displayID(), target); });
    }
    if (index < 0) return;

    const DrawingOp op = undoOps[static_cast<std::size_t>(index)];
    undoStack.modify([index](auto& stack) { stack.erase(stack.begin() + index); });

    if (const auto* add = op.asAdd()) {
        const auto& list = strokes.get();
        const auto it = std::find_if(list.rbegin(), list.rend(), [&](const auto& s) { return s.id == add->stroke.id; });
        if (it != list.rend()) strokes.remove(static_cast<std::size_t>(std::next(it).base() - list.begin()));
        if (lastPlacedStrokeID.get() == add->stroke.id) lastPlacedStrokeID = std::nullopt;
    } else if (const auto* erase = op.asErase()) {
        // Every dab of the pass goes; the record's own list is not consulted.
        changeRecordedStrokes(strokes, *erase, [&](DrawingStroke& s, const ErasureRecord&) {
            if (std::any_of(s.erasures.begin(), s.erasures.end(),
                            [&](const ErasureStamp& e) { return e.passID == erase->passID; }))
                std::erase_if(s.erasures.mutableVector(),
                              [&](const ErasureStamp& e) { return e.passID == erase->passID; });
        });
    }

    redoStack.modify([&](auto& stack) { pushBounded(stack, op); });
}

void DrawingState::redo() {
    platform::assertMainThread("DrawingState::redo");
    const DisplayID target = displayIDUnderMouse();
    const auto index =
        newestIndex(redoStack.get(), [&](const DrawingOp& op) { return displayMatches(op.displayID(), target); });
    if (index < 0) return;

    const DrawingOp op = redoStack.get()[static_cast<std::size_t>(index)];
    redoStack.modify([index](auto& stack) { stack.erase(stack.begin() + index); });

    if (const auto* add = op.asAdd()) {
        // A stroke is never in the list twice: a copy still there (the same
        // stroke re-added after an edit) gives way to the restored one.
        strokes.edit([&](StrokeList::Editor& e) {
            for (std::size_t i = e.list().size(); i-- > 0;)
                if (e.list()[i].id == add->stroke.id) e.remove(i);
            e.append(add->stroke);
        });
        lastPlacedStrokeID = add->stroke.id;
    } else if (const auto* erase = op.asErase()) {
        changeRecordedStrokes(strokes, *erase, [](DrawingStroke& s, const ErasureRecord& record) {
            s.erasures.insert(s.erasures.end(), record.stamps.begin(), record.stamps.end());
        });
    }
    pushUndo(op);
}

void DrawingState::clearAll() {
    platform::assertMainThread("DrawingState::clearAll");
    strokes.set({});
    currentStroke = std::nullopt;
    redoStack.set({});
    undoStack.set({});
    lastPlacedStrokeID = std::nullopt;
}

// ---- Font presets ----

void DrawingState::addFontPreset(const QString& name, double size) {
    platform::assertMainThread("DrawingState::addFontPreset");
    const auto& presets = fontPresets.get();
    const bool duplicate = std::any_of(presets.begin(), presets.end(), [&](const FontPreset& p) {
        return p.name == name && std::abs(p.size - size) < 0.5;
    });
    if (duplicate) return;
    fontPresets.modify([&](auto& list) { list.insert(list.begin(), FontPreset{QUuid::createUuid(), name, size}); });
    if (fontPresets.get().size() >= 13) fontPresets.modify([](auto& list) { list.pop_back(); });
}
