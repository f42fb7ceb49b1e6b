// The brush store operations of the drawing state.

#include "model/DrawingState.h"

std::vector<ImportedGIMPBrush> DrawingState::sortedGIMPBrushes() const { return importedGIMPBrushes.get(); }

bool DrawingState::isActiveGIMPBrushLoaded() const { return false; }

void DrawingState::loadGIMPBrushStamps(std::optional<QUuid> id) { (void)id; }

void DrawingState::deleteGIMPBrush(const ImportedGIMPBrush& brush) { (void)brush; }

void DrawingState::saveGIMPBrushManifest() {}

void DrawingState::importGIMPBrushes(const QStringList& paths, bool bundled) {
    (void)paths;
    (void)bundled;
}

void DrawingState::installBundledGIMPBrushes() {}

void DrawingState::rerenderVBRBrush(const QUuid& id, const VBRParams& params, bool write) {
    (void)id;
    (void)params;
    (void)write;
}

std::vector<QImage> DrawingState::tintedStamps(const QUuid& brushID, const Color& color, double size) {
    (void)brushID;
    (void)color;
    (void)size;
    return {};
}
