#pragma once

// The one drawing state: strokes, history, tools and preferences, published to every view.

#include "model/BrushRecords.h"
#include "model/DrawingOp.h"
#include "model/DrawingStroke.h"
#include "model/DrawingTool.h"
#include "model/FontPreset.h"
#include "model/OverlayController.h"
#include "model/SavedHarmony.h"
#include "model/SmoothingAlgorithm.h"
#include "model/StrokeHitIndex.h"
#include "model/StrokeList.h"
#include "model/TintedStampCache.h"
#include "model/ToolbarDockPosition.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/LoginItem.h"
#include "platform/Mouse.h"
#include "platform/Published.h"
#include "platform/ScreenProvider.h"
#include "platform/Signal.h"
#include "platform/ThrottledFileWriter.h"
#include "platform/UserDefaults.h"

#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class DrawingState;

// What the drawing state needs from the outside world, injected so that it
// runs without any window in tests.
struct DrawingStateEnvironment {
    std::shared_ptr<platform::UserDefaults> defaults;
    std::shared_ptr<platform::ScreenProvider> screens;
    std::shared_ptr<platform::Mouse> mouse;
    std::shared_ptr<platform::LoginItem> loginItem;
    // The brush store folder; empty: $XDG_DATA_HOME/Overink/gimp-brushes.
    QString brushStoreDirectory;
    // The brush files shipped with the program; empty: the ".vbr" files of
    // the resources' "brushes" folder.
    std::function<QStringList()> bundledBrushFiles;
    // Whether a font family of exactly this name is installed; empty:
    // QFontDatabase::hasFamily.
    std::function<bool(const QString&)> fontExists;
    // Makes the overlay controller of a screen (the application shell's);
    // empty: no overlays are made.
    std::function<std::shared_ptr<OverlayController>(DrawingState&, const platform::Screen&)> overlayControllerFactory;
};

// The one shared drawing state: tool and style, the strokes of every display
// and the live stroke, the history, the editing, pinning and visibility
// flags, the imported brushes, the text font, the toolbar and settings
// choices, and the overlay controllers per display.
//
// Published fields notify on every assignment (willChange first, then their
// subscribers with the new value, then the value is stored, then the field's
// own change observer runs). Assign through `field = value` or
// `field.modify(...)`; read with `field.get()`. Everything belongs to the
// main thread. Create it with create(); background work holds it weakly.
class DrawingState : public platform::ObservableObject, public std::enable_shared_from_this<DrawingState> {
public:
    using DrawingOp = ::DrawingOp;
    using ErasureRecord = ::ErasureRecord;
    using DisplayID = platform::DisplayID;

    static constexpr std::int64_t kMaxStackDepth = 50;
    static constexpr const char* kPreferredTextFont = "Arial Rounded MT Bold";
    // A stored line width is brought into the toolbar's range when read back.
    static constexpr double kMinStoredLineWidth = 1;
    static constexpr double kMaxStoredLineWidth = 100;

    // Builds the state, reads the preferences back, loads the brush index
    // (starting the stamp loading of every brush in it) and follows display
    // changes. Writes nothing back.
    static std::shared_ptr<DrawingState> create(DrawingStateEnvironment environment);
    ~DrawingState() override;

    // ---- Tool and style ----
    platform::Published<std::optional<DrawingTool>> selectedTool{DrawingTool::pen, this};
    platform::Published<Color> selectedColor{Color::red(), this};
    platform::Published<double> lineWidth{11, this};
    platform::Published<double> strokeOpacity{1, this};

    // ---- Strokes and live stroke ----
    // Every placed stroke of every display, in drawing order (later on top).
    StrokeList strokes{{}, this};
    // The live stroke of the drag in progress.
    platform::Published<std::optional<DrawingStroke>> currentStroke{std::nullopt, this};

    platform::Published<bool> isOverlayVisible{false, this};
    platform::Published<std::vector<SavedHarmony>> savedHarmonies{{}, this};
    // Lets a termination request go ahead instead of clearing and hiding.
    bool isQuittingIntentionally = false;
    // The toolbar's lock: every click passes through the overlays.
    platform::Published<bool> captureAll{false, this};
    platform::Published<bool> isToolbarVisible{false, this};
    // A bottom-row horizontal toolbar stands in the top row because the
    // bottom of its screen is taken: its panels and chips open below it, as
    // for the top row. Set by every placement of the toolbar.
    platform::Published<bool> isToolbarMovedToTopRow{false, this};

    // ---- Editing flags ----
    // A text box is open; turning false commits its text.
    platform::Published<bool> isTextEditing{false, this};
    // A placed stroke is open in an edit overlay; turning false writes it back.
    platform::Published<bool> isLineEditing{false, this};
    // The Delete key asks the canvas to delete the stroke under edit.
    platform::Published<bool> pendingDeleteEdit{false, this};

    // ---- Pinning ----
    platform::Published<bool> isPickingAttachWindow{false, this};
    platform::Published<bool> isAttachedToWindow{false, this};
    // While pinned, the window's area in canvas coordinates; none: everywhere.
    platform::Published<std::optional<QRectF>> canvasConstraintFrame{std::nullopt, this};
    // Canvas areas where clicks always pass through (a pinned window's title strip).
    std::vector<QRectF> overlayPassthroughRects;

    platform::Published<bool> isBezierEditing{false, this};
    // A right double-click left for the polygon edit overlay, which resets it.
    platform::Published<std::optional<QPointF>> rightDoubleClickLocation{std::nullopt, this};
    // Drags move placed strokes; cleared whenever a tool is selected.
    platform::Published<bool> isMoveMode{false, this};
    // Scrolling while a stroke is under edit moves it by ±1 per step.
    platform::Published<std::int64_t> editingLineWidthStep{0, this};
    // The stroke that width and colour changes restyle.
    platform::Published<std::optional<QUuid>> lastPlacedStrokeID{std::nullopt, this};
    // The user picked lastPlacedStrokeID by clicking; cleared when it changes.
    platform::Published<bool> isSelectionExplicit{false, this};
    // Font picker favourites, newest first, at most 12.
    platform::Published<std::vector<FontPreset>> fontPresets{{}, this};

    // ---- Imported brushes ----
    // The brush store's index, in index order; every assignment rewrites it.
    platform::Published<std::vector<ImportedGIMPBrush>> importedGIMPBrushes{{}, this};
    platform::Published<std::optional<QUuid>> activeGIMPBrushID{std::nullopt, this};
    // A modal open or save panel is up; overlays and toolbar step back.
    platform::Published<bool> isImportingBrushes{false, this};
    platform::Published<double> gimpBrushOpacity{1, this};
    // Always within 1…200 once an assignment has finished.
    platform::Published<double> gimpBrushSpacing{10, this};
    // Decoded cell masks per brush; an entry counts as loaded even when empty.
    QHash<QUuid, std::vector<QImage>> gimpStampCache;
    // Cells scaled and tinted per brush, size and colour; bounded in bytes.
    TintedStampCache tintedStampCache;

    // ---- Pinning (not published) ----
    std::vector<DrawingStroke> strokesHiddenForAttach;
    // Raised before strokes go away beneath open edits (setting them aside
    // for pinning, restoring them, closing overlays): the canvas of the
    // display (every canvas for none) ends its open edits as Esc would,
    // writing the stroke under edit back and committing its text box.
    platform::Signal<std::optional<DisplayID>> endOpenEditsRequested;
    // The frame of the pinned display's overlay, in screen space.
    std::optional<platform::Rect> currentOverlayFrame;

    // ---- Text ----
    // Empty: the system font.
    platform::Published<QString> textFontName{QString(), this};
    // 0: sized to the text box.
    platform::Published<double> textFontSize{0, this};

    // ---- Toolbar and settings ----
    platform::Published<std::vector<DrawingTool>> toolbarPenOrder{defaultPenOrder(), this};
    platform::Published<std::vector<DrawingTool>> toolbarShapeOrder{defaultShapeOrder(), this};
    platform::Published<DrawingToolSet> smoothingEnabledTools{DrawingToolSet{DrawingTool::pen}, this};
    platform::Published<SmoothingAlgorithm> smoothingAlgorithm{SmoothingAlgorithm::chaikin, this};
    platform::Published<ToolbarDockPosition> toolbarDockPosition{ToolbarDockPosition::topCenterH, this};
    platform::Published<bool> showTooltips{true, this};
    // Mirrors the login-item registration; assigning applies it.
    platform::Published<bool> launchAtLogin{false, this};

    // ---- History ----
    // Oldest first; at most kMaxStackDepth each.
    platform::Published<std::vector<DrawingOp>> undoStack{{}, this};
    platform::Published<std::vector<DrawingOp>> redoStack{{}, this};

    // ---- Displays and overlays ----
    std::map<DisplayID, std::shared_ptr<OverlayController>> overlayControllers;
    // The display whose overlay follows the pinned window; 0 when none.
    DisplayID attachedDisplayID = 0;
    // Displays whose overlay the user hid one by one.
    platform::Published<std::set<DisplayID>> hiddenDisplayIDs{{}, this};
    // The display of the drag in progress or of the latest drag.
    platform::Published<DisplayID> currentDrawingDisplayID{0, this};

    // ---- Preferences ----
    // Registers or unregisters the login item to match launchAtLogin.
    void applyLaunchAtLogin();

    // ---- Brush store (brushes/DrawingStateBrushes.cpp) ----
    QString gimpBrushesDirectory() const;
    std::vector<ImportedGIMPBrush> sortedGIMPBrushes() const;
    bool isActiveGIMPBrushLoaded() const;
    void loadGIMPBrushStamps(std::optional<QUuid> id);
    void deleteGIMPBrush(const ImportedGIMPBrush& brush);
    void saveGIMPBrushManifest();
    // Removes the store's images that no record of the index names (left by
    // a killed import, or by imports whose index could not be written), and
    // files whose writing was cut short. Only after an index read in which
    // every record decoded, and only before this run imports anything: the
    // program calls it once it knows no other copy of it uses the store.
    void removeUnrecordedBrushFiles();
    void importGIMPBrushes(const QStringList& paths, bool bundled);
    void installBundledGIMPBrushes();
    void rerenderVBRBrush(const QUuid& id, const VBRParams& params, bool write);
    // The brush's cells scaled so that the first one's larger side is the
    // size, tinted in the colour (its alpha left for drawing), cached per
    // brush, rounded size and colour. Empty while the brush is not loaded.
    std::vector<QImage> tintedStamps(const QUuid& brushID, const Color& color, double size);

    // ---- Hit testing (model/DrawingStateHitTesting.cpp) ----
    // Whether a placed stroke of `displayID` (display rule) lies under the
    // point, in that overlay's canvas coordinates.
    bool hasStroke(const QPointF& point, DisplayID displayID) const;
    // Whether one stroke contains the point, within its hit tolerance.
    bool strokeContains(const DrawingStroke& stroke, const QPointF& point) const;

    // ---- History ----
    // Commits a stroke: stamps display 0 with currentDrawingDisplayID,
    // appends it, makes it the last placed stroke, empties redoStack and
    // records the addition.
    void addStroke(const DrawingStroke& stroke);
    // Appends an operation, first dropping the oldest at the depth limit.
    void pushUndo(const DrawingOp& op);
    // Eraser pass (model/DrawingStateErasing.cpp).
    void applyEraserStamps(const std::vector<ErasureStamp>& stamps, DisplayID displayID);
    // The strokes of a display by the display rule, in drawing order.
    std::vector<DrawingStroke> strokesOnDisplay(DisplayID displayID) const;
    // Drops the deleted stroke's addition and leaves its restoration as the
    // only redo (model/DrawingStateErasing.cpp).
    void purgeHistory(const DrawingStroke& stroke);
    // Undo and redo act on the display under the pointer.
    void undo();
    void redo();
    void clearAll();

    // ---- Pinning (model/DrawingStatePinning.cpp) ----
    void hideStrokesForAttach();
    void restoreStrokesAfterAttach();
    void setAttachedOverlayFrame(const platform::Rect& frame, DisplayID displayID);
    void restoreOverlayFrames();

    // ---- Font presets ----
    // Inserts a preset at the front unless one of that name has a size
    // within 0.5; keeps the newest 12.
    void addFontPreset(const QString& name, double size);

    // ---- Overlays (app/DrawingStateOverlays.cpp) ----
    void lowerOverlaysForPanel();
    void raiseOverlaysAfterPanel();
    void showOverlays();
    void hideOverlays();
    void showOverlay(DisplayID displayID);
    void hideOverlay(DisplayID displayID);
    void toggleOverlay(DisplayID displayID);
    void screensDidChange();

    // ---- Displays ----
    // The first screen's display, 0 without screens; read afresh each time.
    DisplayID firstScreenDisplayID() const;
    // The display rule: an item of display `item` belongs to `target` when
    // they are equal, or when the item is 0 and the target is the first
    // screen's display.
    bool displayMatches(DisplayID item, DisplayID target) const;
    // The display whose frame holds the pointer, else the first screen's.
    DisplayID displayIDUnderMouse() const;

    // The raw values of a tool set, in the set's order.
    static QStringList smoothingToolRawValues(const DrawingToolSet& tools);
    static std::vector<DrawingTool> defaultPenOrder();
    static std::vector<DrawingTool> defaultShapeOrder();

    const DrawingStateEnvironment& environment() const { return env_; }
    platform::ScreenProvider& screenProvider() const { return *env_.screens; }
    platform::Mouse& mouse() const { return *env_.mouse; }
    platform::UserDefaults& defaults() const { return *env_.defaults; }

private:
    explicit DrawingState(DrawingStateEnvironment environment);
    void initialise();
    void installChangeObservers();
    void readPreferences();
    void loadBrushIndex();
    void readActiveBrushPreference();
    // Brush store (brushes/DrawingStateBrushes.cpp).
    // The loads of many brushes at once (the index at start), in chunks.
    void startStampLoads(std::vector<ImportedGIMPBrush> brushes);
    QString brushIndexPath() const;
    // Copies an index that cannot be used to "brushes.json.bad" before
    // anything writes over it; when that fails, the index is not written in
    // this run. What became of it, for the log.
    QString keepUnusedIndexAside(const QString& path);
    // An import writes cells before their record: the index must exist first.
    void writeBrushIndexBeforeImport();
    void finishStampLoad(const QUuid& id, std::uint64_t token, std::vector<QImage> cells);
    // Stores a load's result unless it was overtaken; whether it was stored.
    bool storeStampLoad(const QUuid& id, std::uint64_t token, std::vector<QImage> cells);
    void dropActiveBrush();

    DrawingStateEnvironment env_;
    // The load of each brush in flight; a result whose token is no longer
    // here was overtaken (a newer load, a re-render, a delete) and is dropped.
    QHash<QUuid, std::uint64_t> stampLoads_;
    std::uint64_t lastStampLoad_ = 0;
    std::unique_ptr<platform::ThrottledFileWriter> brushIndexWriter_;
    // Why the index file could not be read at start; empty when it was read
    // (or is missing).
    QString brushIndexUnreadable_;
    // The index could not be used nor copied aside: never written over.
    bool brushIndexKeptFromWrites_ = false;
    // Every record of the index decoded at start, and the store has not been
    // tidied since.
    bool brushIndexReadWhole_ = false;
    bool brushImportsStarted_ = false;
    platform::Subscription screensChangedSubscription_;
    // Hit extents of the strokes, kept until they change; after `strokes`.
    StrokeHitIndex hitIndex_{strokes};
};
