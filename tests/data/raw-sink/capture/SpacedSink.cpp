// A planted fault for the layer check: a raw sink written with a space.

#include "platform/Published.h"

platform::Subscription follow(platform::Published<bool>& flag) {
    return flag.sink([](bool) {});
}
