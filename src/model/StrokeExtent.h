#pragma once

// How far a stroke's pixels can reach: the drawn extent every stroke kind
// answers. The eraser tests it (so what the live eraser visibly cut is kept
// on the stroke), and the canvas's cached renderer repaints within it.
//
// Contract: drawnExtent(s) is a rectangle in the stroke's own coordinates
// (its pending offset not applied) outside which its painter changes no
// pixel, antialiasing aside (allow one pixel around it). It is the null
// QRectF when the stroke paints nothing. Erasures only take pixels away and
// never enlarge it. It must not depend on anything but the stroke, and every
// painter is tested to stay inside it.
//
// Each kind's extent is built beside the outline its painter draws, in
// geometry/ (geometry/ExtentBuilder.h says what an outline's extent
// promises); this file turns a stroke into those calls.

#include <QRectF>

struct DrawingStroke;

QRectF drawnExtent(const DrawingStroke& stroke);

// Where the stroke is shown: its drawn extent moved by its offset.
QRectF shownDrawnExtent(const DrawingStroke& stroke);

// What an eraser dab's square must meet for the dab to be kept on the
// stroke: the bounding rectangle united with the drawn extent.
QRectF eraserTestExtent(const DrawingStroke& stroke);
