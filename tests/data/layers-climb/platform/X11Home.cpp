// Planted for the layer check: the platform layer is xcb's home.

#include <xcb/xcb.h>
