#include "platform/StatusItem.h"

#include "platform/SymbolIcon.h"
#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"

#include <QApplication>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace platform {

namespace {

constexpr int kLauncherSize = 32;
constexpr int kLauncherMargin = 4;

// The tray icon: the symbol in white on a dark disc, legible on light and
// dark panels alike.
QIcon trayIcon(const QString& symbol) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 30, 30, 200));
        p.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
        const double inset = size * 0.12;
        drawSymbol(p, QRectF(inset, inset, size - 2 * inset, size - 2 * inset), symbol, Qt::white);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

class LauncherButton : public QWidget {
public:
    LauncherButton(QString symbol, Signal<>& left, Signal<>& right)
        : symbol_(std::move(symbol)), left_(left), right_(right) {
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(underMouse() ? QColor(60, 60, 60, 235) : QColor(30, 30, 30, 220));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
        drawSymbol(p, QRectF(rect()).adjusted(6, 6, -6, -6), symbol_, Qt::white);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) left_.emit();
        if (e->button() == Qt::RightButton) right_.emit();
    }
    // The second press of a quick pair arrives as a double click.
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }

private:
    QString symbol_;
    Signal<>& left_;
    Signal<>& right_;
};

} // namespace

StatusItem::StatusItem(const QString& symbolName, const QString& description, ScreenProvider& screens)
    : screens_(screens), symbol_(symbolName), description_(description) {
    trayWatch_ = X11EventSource::instance().trayHostChanged.connect([this](bool) {
        // Qt notices the new host on its own connection; look a little later.
        QTimer::singleShot(300, this, [this] { place(); });
    });
    screensWatch_ = screens_.screensChanged.connect([this] { placeLauncher(); });
    place();
}

StatusItem::~StatusItem() = default;

void StatusItem::place() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available) {
        if (!tray_) {
            tray_ = std::make_unique<QSystemTrayIcon>();
            tray_->setIcon(trayIcon(symbol_));
            tray_->setToolTip(description_);
            QObject::connect(tray_.get(), &QSystemTrayIcon::activated, this,
                             [this](QSystemTrayIcon::ActivationReason r) {
                                 switch (r) {
                                 case QSystemTrayIcon::Trigger:
                                 case QSystemTrayIcon::DoubleClick: leftClicked.emit(); break;
                                 case QSystemTrayIcon::Context: rightClicked.emit(); break;
                                 default: break;
                                 }
                             });
        }
        tray_->show();
        // The icon's window, which Qt makes as it shows the icon, is named
        // like the program's other windows.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->inherits("QSystemTrayIconSys") || !w->internalWinId() || !x11::available()) continue;
            x11::setWindowName(static_cast<xcb_window_t>(w->internalWinId()), description_);
            x11::setWindowClass(static_cast<xcb_window_t>(w->internalWinId()));
            x11::flush();
        }
        if (launcher_) launcher_->orderOut();
        inTray_ = true;
    } else {
        if (tray_) tray_->hide();
        inTray_ = false;
        showLauncher();
    }
}

void StatusItem::showLauncher() {
    if (!launcher_) {
        launcher_ = std::make_unique<Window>(Rect(0, 0, kLauncherSize, kLauncherSize));
        launcher_->setContentView(new LauncherButton(symbol_, leftClicked, rightClicked));
        launcher_->keyboard().setCanBecomeKey(false);
        launcher_->keyboard().setNonActivatingPanel(true);
        launcher_->setHasShadow(false);
        launcher_->stacking().setLevel(WindowLevel::panel);
        launcher_->widget()->setToolTip(description_);
        launcher_->widget()->setAccessibleName(description_);
    }
    placeLauncher();
    launcher_->orderFront();
}

void StatusItem::placeLauncher() {
    if (!launcher_) return;
    const auto all = screens_.screens();
    if (all.empty()) return;
    const Rect v = all.front().visibleFrame;
    launcher_->setFrame(Rect(v.maxX() - kLauncherSize - kLauncherMargin, v.maxY() - kLauncherSize - kLauncherMargin,
                             kLauncherSize, kLauncherSize));
}

std::optional<Rect> StatusItem::buttonFrame() const {
    if (inTray_ && tray_) {
        // The icon is a window of ours embedded in the tray host's; Qt cannot
        // see where that host put it, the X server can.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->inherits("QSystemTrayIconSys") || !w->internalWinId() || !x11::available()) continue;
            auto* c = x11::connection();
            auto r = x11::reply(xcb_translate_coordinates_reply(
                c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(w->internalWinId()), x11::root(), 0, 0),
                nullptr));
            if (!r) return std::nullopt;
            const double dpr = w->devicePixelRatioF();
            return toScreen(QRectF(r->dst_x / dpr, r->dst_y / dpr, w->width(), w->height()));
        }
        return std::nullopt;
    }
    if (launcher_ && launcher_->isVisible()) return launcher_->frame();
    return std::nullopt;
}

} // namespace platform
