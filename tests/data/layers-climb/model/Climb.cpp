#include "canvas/Painter.h"
