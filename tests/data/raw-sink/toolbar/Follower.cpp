// A planted fault for the layer check: a raw sink above the panel kit.

#include "platform/Published.h"

platform::Subscription follow(platform::Published<bool>& flag) {
    return flag.sink([](bool) {});
}
