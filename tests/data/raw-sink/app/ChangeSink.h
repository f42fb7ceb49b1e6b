#pragma once
// A planted fault for the layer check: a raw change subscription in a header,
// broken over two lines.

#include "platform/Published.h"

inline platform::Subscription followChanges(platform::Published<int>* count) {
    return count->sinkChange([] {});
}
