#pragma once

// What the test entry points share: the application the tests run in, made
// only when tests run, so that CTest can list the cases without a display.
#include "platform/Dispatch.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstring>

namespace testing_support {

inline int runTests(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    ::testing::InitGoogleTest(&argc, argv);
    if (listing) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication::setQuitOnLastWindowClosed(false);
    const int result = RUN_ALL_TESTS();
    // Background work still running gets to end before the application object goes.
    platform::waitForBackgroundWork(30000);
    return result;
}

} // namespace testing_support
