#pragma once
// A planted fault for the layer check: xcb in the header every window user includes.

#include <xcb/xcb.h>
