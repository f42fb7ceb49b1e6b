#pragma once
// A planted fault for the layer check: a climb spelt in angle brackets,
// among system and library headers, which are no layer's.

#include <QtCore/QString>
#include <sys/socket.h>
#include <toolbar/UsesXcb.h>
#include <vector>
