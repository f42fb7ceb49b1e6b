#include "platform/Application.h"

#include "platform/Dispatch.h"
#include "platform/SystemLog.h"
#include "platform/UnixSignals.h"
#include "platform/Window.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
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
            if (s == Qt::ApplicationActive)
                didBecomeActive.emit();
            else
                didResignActive.emit();
        });
        QObject::connect(app, &QGuiApplication::focusWindowChanged, app, [](QWindow* w) {
            if (w) lastKey = w;
        });
        // Logging out: the session manager asks us to save first.
        QObject::connect(app, &QGuiApplication::commitDataRequest, app, [this](QSessionManager&) {
            willPowerOff.emit();
        });
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
    return QCoreApplication::exec();
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

void Application::activate() {
    if (Window::keyWindow()) return;
    if (Window* last = Window::fromQWindow(lastKey.data());
        last && last->isVisible() && last->canBecomeKey() && !last->isNonActivatingPanel()) {
        last->makeKey();
        return;
    }
    for (Window* w : Window::all()) {
        if (w->isVisible() && w->canBecomeKey() && !w->isNonActivatingPanel()) {
            w->makeKey();
            return;
        }
    }
}

bool Application::isActive() const { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

bool Application::claimSingleInstance(const QString& identifier) {
    if (instanceSocket_ >= 0) return true;
    // An abstract socket name: bind() is atomic, and the name goes away with
    // the last descriptor, so a crashed copy leaves no stale claim.
    const QByteArray key = QCryptographicHash::hash(
                               QStringLiteral("%1\n%2\n%3").arg(identifier).arg(::getuid()).arg(displayName()).toUtf8(),
                               QCryptographicHash::Sha256)
                               .toHex()
                               .left(40);
    const QByteArray name = "overink-instance-" + key;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true; // cannot tell: rather run than refuse
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + 1, name.constData(), static_cast<std::size_t>(name.size()));
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
        ::close(fd);
        return false;
    }
    instanceSocket_ = fd;
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
        if (target->metaObject()->indexOfMethod(signature.constData()) >= 0 && QMetaObject::invokeMethod(target, method))
            return true;
    }
    return false;
}

} // namespace platform
