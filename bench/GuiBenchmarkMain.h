#pragma once

// The entry points of benchmarks that paint or measure text, which need a
// GUI application, and of benchmarks that drive widgets. Both render
// offscreen.

#include <QApplication>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

inline int runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline int runGuiBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}

inline int runWidgetBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Every pointer sample counts, as in the program.
    QApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    return runBenchmarks(argc, argv);
}
