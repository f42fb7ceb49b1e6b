// Test entry for the `unit` label: no display, Qt renders offscreen.
#include "support/TestMain.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return testing_support::runTests(argc, argv);
}
