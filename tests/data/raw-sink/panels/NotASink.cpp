// Planted for the layer check: "sink" in comments and text is no subscription.

#include <string>

// flag.sink(handler) would be a raw sink; this file only mentions it.
std::string describe() { return "field.sink(handler)"; }
/* field.sinkChange(handler) */
int sinkCount(int sink) { return sink; }
