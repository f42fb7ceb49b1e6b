#include "app/OverinkApp.h"

#include "app/AppDelegate.h"
#include "platform/Application.h"
#include "platform/UserDefaults.h"

#include <QApplication>

int OverinkApp::main(int argc, char** argv) {
    // Overink drives X11 directly (input shapes, pointer grabs, the tray), so
    // it always runs on Qt's xcb platform, under XWayland too.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // A stroke needs every pointer sample; the attribute only holds when set
    // after the application object exists.
    QApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("overink"));
    QApplication::setApplicationDisplayName(QStringLiteral("Overink"));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { platform::UserDefaults::flushAll(); });

    AppDelegate delegate(AppServices::standard());
    // SIGTERM and the session's end arrive as a power-off, which ends the run.
    return platform::Application::shared().run(&delegate);
}
