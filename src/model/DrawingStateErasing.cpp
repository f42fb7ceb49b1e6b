// Eraser passes and the purge of a deleted stroke's history.

#include "model/DrawingState.h"

void DrawingState::applyEraserStamps(const std::vector<ErasureStamp>& stamps, DisplayID displayID) {
    (void)stamps;
    (void)displayID;
}

void DrawingState::purgeHistory(const DrawingStroke& stroke) { (void)stroke; }
