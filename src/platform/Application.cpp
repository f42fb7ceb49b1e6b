#include "platform/Application.h"

#include "platform/Dispatch.h"
#include "platform/SystemLog.h"
#include "platform/ThrottledFileWriter.h"
#include "platform/UnixSignals.h"
#include "platform/UserDefaults.h"
#include "platform/Window.h"
#include "platform/WindowActivation.h"
#include "platform/X11ConnectionWatch.h"
#include "platform/X11StartupGuard.h"
#include "platform/Xdg.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSessionManager>
#include <QSysInfo>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QPointer<QWindow> lastKey;

// ":0", ":0.0" and "unix:0" name the same display.
QString displayName() {
    QString d = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    if (d.startsWith(QLatin1String("unix:"))) d = d.mid(4);
    const int colon = d.lastIndexOf(':');
    const int dot = d.indexOf('.', colon);
    if (colon >= 0 && dot > colon) d.truncate(dot);
    return d;
}

// A folder of this user's that no other user may enter: a directory, not a
// symbolic link, owned by us, with no access for group or others.
bool isPrivateFolder(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

struct LockFolder {
    QString path;
    // A folder in the home folder may be shared with other machines.
    bool shared = false;
};

// $XDG_RUNTIME_DIR (made by the session for this user, cleared at logout);
// without one, "overink-<uid>" in the temporary folder, made private here;
// when another user holds that name, our own configuration folder.
LockFolder privateLockFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime)) return {QDir::cleanPath(runtime)};
    const QString temporary = QDir::tempPath() + QStringLiteral("/overink-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(temporary).constData(), 0700);
    if (isPrivateFolder(temporary)) return {temporary};
    const QString config = xdg::configHome() + QStringLiteral("/overink/instance");
    QDir().mkpath(config);
    ::chmod(QFile::encodeName(config).constData(), 0700);
    if (isPrivateFolder(config)) return {config, true};
    return {};
}

const char* actionName(EditAction a) {
    switch (a) {
    case EditAction::copy: return "copy";
    case EditAction::paste: return "paste";
    case EditAction::cut: return "cut";
    case EditAction::selectAll: return "selectAll";
    }
    return "";
}

} // namespace

Application& Application::shared() {
    static Application app;
    return app;
}

Application::Application() {
    if (auto* app = qGuiApp) {
        QObject::connect(app, &QGuiApplication::applicationStateChanged, app, [this](Qt::ApplicationState s) {
            if (s == Qt::ApplicationActive) didBecomeActive.emit();
            else didResignActive.emit();
        });
        QObject::connect(app, &QGuiApplication::focusWindowChanged, app, [](QWindow* w) {
            if (w) lastKey = w;
        });
        // Logging out: the session manager asks us to save first.
        QObject::connect(app, &QGuiApplication::commitDataRequest, app,
                         [this](QSessionManager&) { willPowerOff.emit(); });
    }
    auto& signals = UnixSignals::instance();
    signals.install();
    subscriptions_.push_back(signals.received.connect([this](int) { powerOff(); }));
}

int Application::run(ApplicationDelegate* delegate) {
    assertMainThread("Application::run");
    delegate_ = delegate;
    QTimer::singleShot(0, qApp, [this] {
        if (delegate_) delegate_->applicationDidFinishLaunching();
    });
    X11ConnectionWatch::start([] { endWithLostConnection(); });
    // The watch takes over from the start-up guard, if the program armed one.
    X11StartupGuard::disarm();
    const int status = QCoreApplication::exec();
    X11ConnectionWatch::stop();
    // Quitting gave running background work its grace (and asked long work
    // to stop). Work still running would meet the teardown that follows (the
    // application object, the statics) half way and crash: the stored files
    // are flushed and the process ends here instead.
    if (!waitForBackgroundWork(100)) {
        UserDefaults::flushAll();
        ThrottledFileWriter::flushAll();
        SystemLog::warning(QStringLiteral("%1 background tasks still running at quit: ending at once, leaving what "
                                          "they were writing unrecorded")
                               .arg(runningBackgroundWork()));
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

void Application::terminate() {
    assertMainThread("Application::terminate");
    if (terminating_) return;
    if (delegate_ && delegate_->applicationShouldTerminate() == TerminateReply::cancel) return;
    terminating_ = true;
    if (delegate_) delegate_->applicationWillTerminate();
    // Leaves the loop once it runs (a request during launch included).
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

void Application::powerOff() {
    willPowerOff.emit();
    terminate();
    if (!terminating_) {
        SystemLog::info(QStringLiteral("Overink ends with the session although termination was refused"));
        terminating_ = true;
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    }
}

void Application::endWithLostConnection() {
    // The server is gone: no window, no delegate and no observer may run
    // now, only the work and the stored files, as at any other quit.
    const bool ended = stopBackgroundWork();
    UserDefaults::flushAll();
    ThrottledFileWriter::flushAll();
    if (ended) {
        SystemLog::warning(QStringLiteral("The X server is gone: preferences saved, ending"));
    } else {
        SystemLog::warning(QStringLiteral("The X server is gone: preferences saved, ending with %1 background tasks "
                                          "still running, what they were writing left unrecorded")
                               .arg(runningBackgroundWork()));
    }
    std::fflush(nullptr);
    // Not exit(): the statics' teardown would run under the work still
    // running.
    std::_Exit(1);
}

void Application::activate(Window* shown) {
    assertMainThread("Application::activate");
    if (isActive()) return;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible() && modal->windowHandle()) {
        WindowActivation::activate(modal->windowHandle());
        return;
    }
    auto holds = [](Window* w) { return w && w->isVisible() && w->keyboard().canBecomeKey(); };
    Window* target = holds(shown) ? shown : nullptr;
    if (!target) {
        if (Window* last = Window::fromQWindow(lastKey.data()); holds(last)) target = last;
    }
    if (!target) {
        for (Window* w : Window::all())
            if (holds(w)) {
                target = w;
                break;
            }
    }
    if (target) target->keyboard().makeKey();
}

bool Application::isActive() const { return WindowActivation::holdsFocus(); }

bool Application::claimSingleInstance(const QString& identifier) {
    if (instanceLock_ >= 0) return true;
    // A lock on a file in a folder only this user can enter: another user can
    // neither take nor block it. flock() is atomic, and the lock goes with the
    // last descriptor, so a crashed copy leaves no stale claim.
    const LockFolder folder = privateLockFolder();
    if (folder.path.isEmpty()) {
        SystemLog::error(QStringLiteral("No private folder for the single-instance lock; this copy runs anyway"));
        return true; // cannot tell: rather run than refuse
    }
    QString name = identifier + QLatin1Char('-') + displayName();
    if (folder.shared) name += QLatin1Char('-') + QSysInfo::machineHostName();
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-')) c = QLatin1Char('_');
    const QString path = folder.path + QLatin1Char('/') + name + QStringLiteral(".lock");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        SystemLog::error(QStringLiteral("Cannot open the single-instance lock %1: %2; this copy runs anyway")
                             .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return true;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return false;
        SystemLog::error(QStringLiteral("Cannot lock %1: %2; this copy runs anyway")
                             .arg(path, QString::fromLocal8Bit(std::strerror(error))));
        return true;
    }
    instanceLock_ = fd;
    return true;
}

bool Application::sendEditAction(EditAction action) {
    QWidget* w = QApplication::focusWidget();
    const char* method = actionName(action);
    for (; w; w = w->parentWidget()) {
        QObject* target = w;
        // A spin box edits through its line edit.
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
            if (auto* edit = spin->findChild<QLineEdit*>()) target = edit;
        }
        const QByteArray signature = QByteArray(method) + "()";
        if (target->metaObject()->indexOfMethod(signature.constData()) >= 0 &&
            QMetaObject::invokeMethod(target, method))
            return true;
    }
    return false;
}

} // namespace platform
