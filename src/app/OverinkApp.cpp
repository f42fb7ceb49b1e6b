#include "app/OverinkApp.h"

#include "app/AppDelegate.h"
#include "panels/ApplicationIcon.h"
#include "platform/Application.h"
#include "platform/Bundle.h"
#include "platform/DisplayCheck.h"
#include "platform/UserDefaults.h"
#include "platform/X11StartupGuard.h"

#include <QApplication>

#include <cstdio>

#include <malloc.h>

void OverinkApp::configureProcess() {
    // Every commit copies the stroke list, a buffer of megabytes with many
    // strokes. The allocator would raise its threshold for mapping such
    // buffers after the first is freed and carve the next ones from the
    // heap, which then keeps growing with holes; a fixed threshold maps and
    // unmaps them.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

int OverinkApp::main(int argc, char** argv) {
    // A server that goes away from here on, while Qt connects to it, ends
    // the program as a lost connection does later, not in Qt's abort.
    platform::X11StartupGuard::arm([] { platform::Application::endWithLostConnection(); });
    // Without an X display Qt aborts deep inside its start-up; say what is
    // wrong before any window or tray work.
    const platform::DisplayCheck display(qgetenv("DISPLAY"));
    if (const auto& problem = display.problem()) {
        std::fprintf(stderr, "%s\n", qPrintable(platform::noDisplayMessage(*problem)));
        return 1;
    }
    platform::X11StartupGuard::judgeBy(&display);
    configureProcess();
    // Overink drives X11 directly (input shapes, pointer grabs, the tray), so
    // it always runs on Qt's xcb platform, under XWayland too.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // A stroke needs every pointer sample; the attribute only holds when set
    // after the application object exists.
    QApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own windows (the tray icon, dialogs) take their X class and
    // their default title from it. No separate display name: Qt would append
    // it to every window's title.
    QApplication::setApplicationName(QStringLiteral("Overink"));
    // Every window's icon (window lists, task switchers) and the about panel's.
    QApplication::setWindowIcon(ApplicationIcon::icon(platform::Bundle::main()));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { platform::UserDefaults::flushAll(); });

    AppDelegate delegate(AppServices::standard());
    // SIGTERM and the session's end arrive as a power-off, which ends the run.
    return platform::Application::shared().run(&delegate);
}
