// Test entry for the `x11` label: a real X server from scripts/x11-session.
#include "support/TestMain.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    return testing_support::runTests(argc, argv);
}
