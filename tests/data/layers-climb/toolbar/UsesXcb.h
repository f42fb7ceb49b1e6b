#pragma once
// A planted fault for the layer check: xcb above the platform layer.

#include <xcb/shape.h>
