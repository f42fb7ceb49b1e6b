// Helper program for the quitting tests: imports the brush files given after
// the store folder into that store, as the program does, printing a line for
// each record as it is added, and quits as the program does on SIGTERM.
#include "platform/Application.h"
#include "platform/Dispatch.h"
#include "platform/ThrottledFileWriter.h"
#include "platform/UserDefaults.h"
#include "support/TestDrawingState.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { platform::UserDefaults::flushAll(); });
    auto& application = platform::Application::shared();

    testing_support::TestDrawingState t;
    t.brushStore = QString::fromLocal8Bit(argv[1]);
    t.state = t.makeAnother();
    QStringList files;
    for (int i = 2; i < argc; ++i) files.append(QString::fromLocal8Bit(argv[i]));
    auto subscription = t->importedGIMPBrushes.sink([](const std::vector<ImportedGIMPBrush>& list) {
        std::printf("records %zu\n", list.size());
        std::fflush(stdout);
    });
    t->importGIMPBrushes(files, false);
    std::printf("importing\n");
    std::fflush(stdout);
    const int status = application.run(nullptr);
    // Work still running now would race the teardown that follows.
    std::printf("ended with %d tasks running\n", platform::runningBackgroundWork());
    std::fflush(stdout);
    return status;
}
