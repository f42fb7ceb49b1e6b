// Screenshot cost: reading a 1920×1080 and a 3840×2160 display from the X
// server and writing it as a JPEG, beside a plain QScreen::grabWindow +
// QImageWriter baseline, on a busy desktop picture. Also how long a window
// left out of the image is hidden, and the program's own road from the
// countdown's end to the image in memory and to the file on disk, beside
// whole runs of scrot and maim (to their file). Runs itself inside a
// private 3840×2160 X session
// (scripts/x11-session, with its compositing manager, or without one when
// given --without-compositor).
#include "capture/CountdownOverlayController.h"
#include "capture/ScreenCaptureCoordinator.h"
#include "capture/ScreenshotFile.h"
#include "model/DrawingState.h"
#include "platform/SavePanel.h"
#include "platform/Window.h"
#include "platform/X11RootImage.h"
#include "platform/X11ScreenGrabber.h"
#include "platform/X11ScreenProvider.h"
#include "support/TestDrawingState.h"
#include "toolbar/ToolbarWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <thread>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

QTemporaryDir& outDir() {
    static QTemporaryDir dir;
    return dir;
}

QRect area(int height) { return QRect(0, 0, height * 16 / 9, height); }

// A desktop-like picture: gradients, text, photos of noise, window frames.
class Desktop : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient g(0, 0, width(), height());
        g.setColorAt(0, QColor(30, 60, 120));
        g.setColorAt(1, QColor(200, 120, 60));
        p.fillRect(rect(), g);
        std::mt19937 rng(3);
        std::uniform_int_distribution<int> pos(0, 3700), len(200, 900), col(0, 255);
        for (int i = 0; i < 40; ++i) {
            const QRect w(pos(rng), pos(rng) / 2, len(rng), len(rng) / 2);
            p.fillRect(w, QColor(240, 240, 240));
            p.fillRect(w.adjusted(0, 0, 0, -w.height() + 28), QColor(60, 60, 70));
            p.setPen(Qt::black);
            for (int y = w.top() + 46; y < w.bottom(); y += 18)
                p.drawText(w.left() + 8, y, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"));
        }
        QImage noise(640, 400, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb((x + col(rng) / 4) % 256, (y + col(rng) / 4) % 256, col(rng) / 2));
        for (int i = 0; i < 6; ++i) p.drawImage(QPoint(pos(rng), pos(rng) / 2), noise);
    }
};

void settleEvents(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

platform::X11ScreenGrabber& grabber() {
    static platform::X11ScreenGrabber g(false);
    return g;
}

// The display of that height, as the grabber lists it.
std::optional<platform::CapturableDisplay> display(int height) {
    std::optional<platform::ShareableContent> content;
    grabber().shareableContent([&](auto r) { content = r.content; });
    while (!content) QCoreApplication::processEvents();
    for (const auto& d : content->displays)
        if (int(d.frame.height()) == height) return d;
    return std::nullopt;
}

QImage captureNow(const platform::ContentFilter& filter, QSize size) {
    std::optional<QImage> image;
    grabber().captureImage(filter, {size.width(), size.height()}, [&](auto r) { image = r.image; });
    while (!image) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return *image;
}

// The program's own road from display to file, nothing left out.
void BM_GrabAndEncode(benchmark::State& state) {
    const auto d = display(int(state.range(0)));
    if (!d) return state.SkipWithError("no such display");
    const QString path = outDir().filePath("shot.jpg");
    for (auto _ : state) {
        const QImage image = captureNow({*d, {}}, area(int(state.range(0))).size());
        if (auto error = writeJPEG(image, path)) state.SkipWithError(error->toUtf8().constData());
    }
    state.counters["jpeg_kB"] = QFileInfo(path).size() / 1024.0;
}

void BM_BaselineGrabWindowAndImageWriter(benchmark::State& state) {
    const QRect r = area(int(state.range(0)));
    const QString path = outDir().filePath("baseline.jpg");
    for (auto _ : state) {
        const QImage image =
            QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
        QImageWriter writer(path, "jpeg");
        if (!writer.write(image)) state.SkipWithError("write failed");
    }
}

// The read alone, as a capture makes it once an excluded window is hidden:
// with shared memory set up beforehand, or through the reply.
void BM_GrabOnly(benchmark::State& state) {
    const QRect r = area(int(state.range(0)));
    const auto method =
        state.range(1) ? platform::x11::RootReadMethod::sharedMemory : platform::x11::RootReadMethod::request;
    platform::x11::RootImageReader reader(r.size(), method);
    for (auto _ : state) benchmark::DoNotOptimize(reader.read(r));
    state.SetLabel(state.range(1) ? "MIT-SHM" : "GetImage reply");
}

// Setting up the shared memory, as each capture does before hiding anything.
void BM_SharedMemorySetUp(benchmark::State& state) {
    const QRect r = area(int(state.range(0)));
    for (auto _ : state) platform::x11::RootImageReader reader(r.size(), platform::x11::RootReadMethod::sharedMemory);
}

void BM_EncodeOnly(benchmark::State& state) {
    const QImage image = platform::x11::readRootImage(area(int(state.range(0))));
    const QString path = outDir().filePath("encode.jpg");
    for (auto _ : state) writeJPEG(image, path);
}

// Watches one root pixel through a connection of its own, on a thread of
// its own, and measures the longest time it was not the given colour.
class PixelWatch {
public:
    PixelWatch(QPoint at, std::uint32_t rgb) : at_(at), rgb_(rgb & 0xFFFFFF) {
        thread_ = std::thread([this] { run(); });
    }
    ~PixelWatch() {
        stop_ = true;
        thread_.join();
    }
    void reset() { longestUs_ = 0; }
    double longestAbsenceMs() const { return longestUs_ / 1000.0; }

private:
    void run() {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        using Clock = std::chrono::steady_clock;
        std::optional<Clock::time_point> gone;
        while (!stop_) {
            auto* r = xcb_get_image_reply(c,
                                          xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(at_.x()),
                                                        std::int16_t(at_.y()), 1, 1, ~0u),
                                          nullptr);
            if (!r) break;
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, xcb_get_image_data(r), 4);
            std::free(r);
            const auto now = Clock::now();
            if ((pixel & 0xFFFFFF) != rgb_) {
                if (!gone) gone = now;
                const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - *gone).count();
                if (us > longestUs_) longestUs_ = us;
            } else {
                gone.reset();
            }
        }
        xcb_disconnect(c);
    }

    QPoint at_;
    std::uint32_t rgb_;
    std::atomic<bool> stop_{false};
    std::atomic<long long> longestUs_{0};
    std::thread thread_;
};

// The whole capture of a display with one of our windows left out, and
// how long that window was gone from the screen: the wait until the screen
// shows what it covered, and the shared-memory read.
void BM_CaptureLeavingAWindowOut(benchmark::State& state) {
    // At (640, 104) in the root: on both displays. (Placed in root
    // coordinates: which display counts as the primary depends on who
    // listed the displays last.)
    platform::Window toolbar(platform::toScreen(QRectF(640, 104, 640, 56)));
    toolbar.setBackgroundColor(Color::rgba(1, 0, 1));
    toolbar.setOpaque(true);
    toolbar.stacking().setLevel(platform::WindowLevel::panel);
    toolbar.orderFront();
    settleEvents(500);
    const int height = int(state.range(0));
    const auto d = display(height);
    if (!d) return state.SkipWithError("no such display");
    const platform::ContentFilter filter{*d, {toolbar.xid()}};
    PixelWatch watch(QPoint(940, 130), 0xFF00FF);
    double hidden = 0;
    for (auto _ : state) {
        watch.reset();
        QElapsedTimer t;
        t.start();
        const QImage image = captureNow(filter, area(height).size());
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        if (image.pixel(940, 130) == qRgb(255, 0, 255)) state.SkipWithError("the window is in the image");
        settleEvents(50);
        hidden += watch.longestAbsenceMs();
    }
    state.counters["hidden_ms"] = hidden / double(state.iterations());
}

// The real coordinator's displays narrowed to the one measured, so that the
// toolbar's display is that one.
class OneScreen : public platform::ScreenProvider {
public:
    explicit OneScreen(int height) : height_(height) {}
    std::vector<platform::Screen> screens() const override {
        std::vector<platform::Screen> out;
        for (const auto& s : real_.screens())
            if (int(s.frame.height()) == height_) out.push_back(s);
        return out;
    }
    std::optional<platform::Screen> mainScreen() const override {
        const auto all = screens();
        if (all.empty()) return std::nullopt;
        return all.front();
    }
    QRect primaryRootRect() const override { return real_.primaryRootRect(); }

private:
    platform::X11ScreenProvider real_;
    int height_;
};

// The X11 grabber, noting when each image reached memory.
class TimedGrabber : public platform::ScreenGrabber {
public:
    void shareableContent(std::function<void(ContentResult)> done) override {
        grabber().shareableContent(std::move(done));
    }
    void captureImage(const platform::ContentFilter& filter, const platform::CaptureConfiguration& configuration,
                      std::function<void(ImageResult)> done) override {
        grabber().captureImage(filter, configuration, [this, done = std::move(done)](ImageResult r) {
            imageAt = std::chrono::steady_clock::now();
            image = r.image;
            done(std::move(r));
        });
    }
    void prepare(QSize size) override { grabber().prepare(size); }
    // Runs as the countdown completes, before its panel closes.
    void windowClosing(std::uint32_t windowID) override {
        const auto start = std::chrono::steady_clock::now();
        grabber().windowClosing(windowID);
        closingMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    std::optional<std::chrono::steady_clock::time_point> imageAt;
    double closingMs = 0;
    QImage image;
};

// Notes when a widget is hidden.
class HideWatch : public QObject {
public:
    HideWatch(QWidget* widget, std::optional<std::chrono::steady_clock::time_point>* at) : widget_(widget), at_(at) {
        widget_->installEventFilter(this);
    }
    ~HideWatch() override {
        if (widget_) widget_->removeEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide && !*at_) *at_ = std::chrono::steady_clock::now();
        return false;
    }

private:
    QPointer<QWidget> widget_;
    std::optional<std::chrono::steady_clock::time_point>* at_;
};

double msBetween(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void minMaxStatistics(benchmark::internal::Benchmark* b) {
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    b->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

// Notes when a file of the given name is renamed into a folder, as the
// screenshot's file is once written, on a thread of its own that sleeps in
// inotify until then.
class FileWatch {
public:
    FileWatch(const QString& folder, const QString& name) : name_(QFile::encodeName(name)) {
        fd_ = inotify_init1(IN_CLOEXEC);
        if (fd_ >= 0) inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
        if (::pipe(stop_) == 0) thread_ = std::thread([this] { run(); });
    }
    ~FileWatch() {
        if (thread_.joinable()) {
            const char c = 0;
            (void)!::write(stop_[1], &c, 1);
            thread_.join();
        }
        for (int fd : {fd_, stop_[0], stop_[1]})
            if (fd >= 0) ::close(fd);
    }
    void reset() { at_ = Clock::time_point{}; }
    std::optional<std::chrono::steady_clock::time_point> at() const {
        const auto t = at_.load();
        return t == Clock::time_point{} ? std::nullopt : std::optional(t);
    }

private:
    using Clock = std::chrono::steady_clock;
    void run() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents) return;
            const auto now = Clock::now();
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + i);
                if (e->len && name_ == e->name && at_.load() == Clock::time_point{}) at_ = now;
                i += ssize_t(sizeof(inotify_event) + e->len);
            }
        }
    }

    QByteArray name_;
    int fd_ = -1;
    int stop_[2] = {-1, -1};
    std::atomic<Clock::time_point> at_{};
    std::thread thread_;
};

// A screenshot as the toolbar's camera button takes it, from the moment the
// countdown completes (its panel closed): the pause that lets the countdown
// leave the screen, the grab with the toolbar left out and the read, to the
// image in memory or on to the JPEG file on disk, as scrot's and maim's runs
// are timed. The save panel is answered at once
// with a path, and the little time it takes is left out; the time from the
// countdown's end to the panel is reported too, and the time the grabber
// takes as it is told of the countdown closing, just before.
void countdownEnd(benchmark::State& state, bool toFile) {
    const int height = int(state.range(0));
    testing_support::TestDrawingState t;
    auto toolbar = std::make_unique<ToolbarWindowController>(t.state);
    // At (640, 104) in the root: on both displays.
    toolbar->window()->setFrame(
        platform::toScreen(QRectF(640, 104, toolbar->window()->frame().width(), toolbar->window()->frame().height())));
    toolbar->window()->orderFront();
    settleEvents(500);
    auto grabber = std::make_shared<TimedGrabber>();
    ScreenCaptureCoordinator coordinator(
        t.state, {}, [&] { return toolbar.get(); }, std::make_shared<OneScreen>(height), grabber, 0.01);
    const QString path = outDir().filePath("countdown.jpg");
    FileWatch file(outDir().path(), "countdown.jpg");
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> panelAt;
    Clock::duration inPanel{};
    platform::SavePanel::setRunnerForTesting([&](const platform::SavePanel&) {
        panelAt = Clock::now();
        platform::SavePanel::Result r;
        if (toFile) {
            r.response = platform::ModalResponse::ok;
            r.path = path;
        }
        inPanel = Clock::now() - *panelAt;
        return r;
    });
    const QRect bar = toolbar->window()->widget()->geometry();
    if (!area(height).contains(bar)) return state.SkipWithError("the toolbar is not on the display");
    double toPanel = 0;
    for (auto _ : state) {
        grabber->imageAt.reset();
        panelAt.reset();
        QFile::remove(path);
        file.reset();
        coordinator.startCapture();
        if (!coordinator.countdownController()) return state.SkipWithError("no countdown");
        // The countdown ends as its panel closes, just before it says so.
        std::optional<Clock::time_point> endAt;
        HideWatch watch(coordinator.countdownController()->window()->widget(), &endAt);
        while (!endAt) QCoreApplication::processEvents();
        const auto end = *endAt;
        while (!panelAt) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (!grabber->imageAt) return state.SkipWithError("no image");
        if (toFile) {
            QElapsedTimer waited;
            waited.start();
            while (!file.at() && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (!file.at() || !QFileInfo(path).size()) return state.SkipWithError("no file");
            state.SetIterationTime(std::chrono::duration<double>(*file.at() - end - inPanel).count());
        } else {
            state.SetIterationTime(msBetween(end, *grabber->imageAt) / 1000);
        }
        toPanel += msBetween(end, *panelAt);
        if (grabber->image.size() != area(height).size()) state.SkipWithError("an image of another size");
        else if (grabber->image.pixel(bar.center()) == qRgb(255, 0, 255))
            state.SkipWithError("the toolbar is in the image");
        // The toolbar back on screen before the next one.
        settleEvents(100);
    }
    platform::SavePanel::setRunnerForTesting(nullptr);
    state.counters["to_save_panel_ms"] = toPanel / double(state.iterations());
    if (toFile) state.counters["jpeg_kB"] = QFileInfo(path).size() / 1024.0;
    // Spent as the countdown completes, before its panel closes: not in the
    // time measured.
    state.counters["closing_ms"] = grabber->closingMs / double(state.iterations());
    // Off the screen before the next benchmark looks at it.
    toolbar.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settleEvents(200);
}
// The two figures under names that say where they stop.
void BM_CountdownEndToImage(benchmark::State& state) { countdownEnd(state, false); }
void BM_CountdownEndToFile(benchmark::State& state) { countdownEnd(state, true); }

// A whole run of another screenshot program (grab, JPEG, file) on the same
// display.
void runTool(benchmark::State& state, const QString& program, const QStringList& wholeScreen,
             const QStringList& region1080) {
    const int height = int(state.range(0));
    const QString path = outDir().filePath(program + ".jpg");
    QStringList args = height == 1080 ? region1080 : wholeScreen;
    args << path;
    for (auto _ : state) {
        QFile::remove(path);
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0 || !QFileInfo::exists(path))
            return state.SkipWithError((program + " failed: " + p.readAllStandardError()).toUtf8().constData());
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
}
void BM_Scrot(benchmark::State& state) { runTool(state, "scrot", {}, {"-a", "0,0,1920,1080"}); }
void BM_Maim(benchmark::State& state) { runTool(state, "maim", {}, {"-g", "1920x1080+0+0"}); }

BENCHMARK(BM_CountdownEndToImage)
    ->Arg(1080)
    ->Arg(2160)
    ->Iterations(5)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(minMaxStatistics);
BENCHMARK(BM_CountdownEndToFile)
    ->Arg(1080)
    ->Arg(2160)
    ->Iterations(5)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(minMaxStatistics);
BENCHMARK(BM_Scrot)
    ->Arg(1080)
    ->Arg(2160)
    ->Iterations(5)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(minMaxStatistics);
BENCHMARK(BM_Maim)
    ->Arg(1080)
    ->Arg(2160)
    ->Iterations(5)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(minMaxStatistics);
BENCHMARK(BM_GrabAndEncode)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_BaselineGrabWindowAndImageWriter)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_GrabOnly)
    ->Args({1080, 1})
    ->Args({1080, 0})
    ->Args({2160, 1})
    ->Args({2160, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SharedMemorySetUp)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOnly)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureLeavingAWindowOut)
    ->Arg(1080)
    ->Arg(2160)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("OVERINK_BENCH_SESSION")) {
        // Into a private X session of the size measured.
        qputenv("OVERINK_BENCH_SESSION", "1");
        std::vector<char*> args{const_cast<char*>(OVERINK_X11_SESSION), const_cast<char*>("--size"),
                                const_cast<char*>("3840x2160")};
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], "--without-compositor") == 0) args.push_back(const_cast<char*>("--no-compositor"));
        args.push_back(const_cast<char*>("--"));
        for (int i = 0; i < argc; ++i)
            if (std::strcmp(argv[i], "--without-compositor") != 0) args.push_back(argv[i]);
        args.push_back(nullptr);
        execv(OVERINK_X11_SESSION, args.data());
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // A 1920×1080 display at the top-left of the 3840×2160 one.
    QProcess::execute("xrandr", {"--setmonitor", "bench1080", "1920/508x1080/286+0+0", "none"});
    Desktop desktop;
    desktop.setWindowFlags(Qt::FramelessWindowHint);
    // A row short of the screen: the window manager lifts a focused
    // screen-sized window above every other.
    desktop.setGeometry(0, 0, 3840, 2159);
    desktop.show();
    settleEvents(1500);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
