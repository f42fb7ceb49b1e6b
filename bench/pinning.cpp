// Pinning: how far the predicted origin of a moving window lands from where
// the window really is when the frame is shown, against simply using the
// last measurement (60 and 120 Hz; constant, circular and stop-and-go
// drags), and what watching a window's frame costs per refresh on a real X
// server. Runs itself inside a private X session (scripts/x11-session).
#include "capture/WindowAttachManager.h"
#include "platform/X11.h"
#include "platform/X11ScreenProvider.h"
#include "platform/X11WindowList.h"
#include "support/FakePlatform.h"
#include "support/FakeWindowList.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unistd.h>
#include <vector>

namespace {

using platform::Point;
using platform::Rect;

enum Motion { constant, circular, stopAndGo };

// The window's true origin at t seconds, screen points.
Point truth(Motion m, double t) {
    switch (m) {
    case constant: return Point(100 + 600 * t, 100 + 200 * t);
    case circular: {
        const double a = 2 * std::numbers::pi * t / 2.0; // a turn in 2 s
        return Point(800 + 200 * std::cos(a), 500 + 200 * std::sin(a));
    }
    case stopAndGo: {
        // Half a second at 800 points/s, half a second still, and again.
        const double period = std::floor(t);
        const double within = t - period;
        return Point(100 + 400 * period + 800 * std::min(within, 0.5), 300);
    }
    }
    return {};
}

struct Errors {
    // What is shown (predicted and smoothed), the prediction alone, and the
    // last measurement.
    std::vector<double> predicted, unsmoothed, last;
};

double mean(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return v.empty() ? 0 : s / static_cast<double>(v.size());
}
double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))];
}

// Four seconds of a drag through the attach manager, refreshed at `rate`
// Hz; the window list reports whole points, as X does. Each frame is judged
// where it is aimed: at the moment it is shown plus the margin.
Errors simulate(Motion m, double rate) {
    const double interval = 1 / rate;
    double now = 0;
    auto screens = std::make_shared<testing_support::FakeScreenProvider>(
        std::vector<platform::Screen>{testing_support::FakeScreenProvider::makeScreen(1, Rect(0, 0, 1920, 1080))});
    auto windows = std::make_shared<testing_support::FakeWindowList>();
    testing_support::FakeDisplayLinks links;
    WindowAttachManager manager(WindowAttachServices{windows, screens, links.factory(), [&] { return now; }});
    const auto listed = [](Point p) { return Rect(std::round(p.x), std::round(1080 - p.y - 300), 400, 300); };
    windows->list = {testing_support::FakeWindowList::window(1, listed(truth(m, 0)))};
    Point shown = manager.flipToScreen(windows->list.front().bounds).origin;
    manager.attach(1, AttachEdge::top, manager.flipToScreen(windows->list.front().bounds),
                   [&](const Rect& r) { shown = r.origin; });

    Errors e;
    const double tau = WindowAttachManager::lookAhead(interval);
    for (int k = 1; now < 4; ++k) {
        now = k * interval;
        windows->list.front().bounds = listed(truth(m, now));
        const Point measured = manager.flipToScreen(windows->list.front().bounds).origin;
        links.tick(now + interval, interval);
        if (now < 0.25) continue; // the filter settling after the pin
        const Point real = truth(m, now + tau);
        e.predicted.push_back(std::hypot(shown.x - real.x, shown.y - real.y));
        const Mat ahead = UKFPredictor::transition(tau).multiplied(manager.predictor().x);
        e.unsmoothed.push_back(std::hypot(ahead(0, 0) - real.x, ahead(1, 0) - real.y));
        e.last.push_back(std::hypot(measured.x - real.x, measured.y - real.y));
    }
    return e;
}

void BM_PredictorError(benchmark::State& state) {
    const auto motion = static_cast<Motion>(state.range(0));
    const double rate = static_cast<double>(state.range(1));
    Errors e;
    for (auto _ : state) {
        e = simulate(motion, rate);
        benchmark::DoNotOptimize(e.predicted.data());
    }
    state.counters["predicted_mean_pt"] = mean(e.predicted);
    state.counters["predicted_p95_pt"] = percentile(e.predicted, 0.95);
    state.counters["unsmoothed_mean_pt"] = mean(e.unsmoothed);
    state.counters["last_mean_pt"] = mean(e.last);
    state.counters["last_p95_pt"] = percentile(e.last, 0.95);
    state.SetLabel(motion == constant ? "constant" : motion == circular ? "circular" : "stop-and-go");
}
BENCHMARK(BM_PredictorError)->ArgsProduct({{constant, circular, stopAndGo}, {60, 120}})->Unit(benchmark::kMillisecond);

// One tracking step on the CPU: the filter, prediction and smoothing.
void BM_TrackingStep(benchmark::State& state) {
    double now = 0;
    auto screens = std::make_shared<testing_support::FakeScreenProvider>(
        std::vector<platform::Screen>{testing_support::FakeScreenProvider::makeScreen(1, Rect(0, 0, 1920, 1080))});
    auto windows = std::make_shared<testing_support::FakeWindowList>();
    testing_support::FakeDisplayLinks links;
    WindowAttachManager manager(WindowAttachServices{windows, screens, links.factory(), [&] { return now; }});
    windows->list = {testing_support::FakeWindowList::window(1, Rect(100, 100, 400, 300))};
    manager.attach(1, AttachEdge::top, Rect(100, 680, 400, 300), [](const Rect&) {});
    int k = 0;
    for (auto _ : state) {
        now = ++k / 60.0;
        windows->list.front().bounds.origin.x = 100 + (k % 600);
        links.tick(now + 1 / 60.0);
    }
}
BENCHMARK(BM_TrackingStep);

// A decorated window of no process of ours, made on the X connection.
std::uint32_t makeWindow() {
    xcb_connection_t* c = platform::x11::connection();
    const std::uint32_t id = xcb_generate_id(c);
    const auto* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, id, platform::x11::root(), 300, 300, 600, 400, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c, id);
    xcb_flush(c);
    return id;
}

// What each refresh costs while pinned: the window's bounds from the server.
void BM_WatchFrame(benchmark::State& state) {
    auto screens = std::make_shared<platform::X11ScreenProvider>();
    platform::X11WindowList list(screens);
    std::vector<std::uint32_t> others;
    for (int i = 0; i < state.range(0); ++i) others.push_back(makeWindow());
    const std::uint32_t window = makeWindow();
    QElapsedTimer t;
    t.start();
    while (!list.bounds(window) && t.elapsed() < 5000) QCoreApplication::processEvents();
    for (auto _ : state) benchmark::DoNotOptimize(list.bounds(window));
    state.SetLabel(std::to_string(state.range(0) + 1) + " windows listed");
    for (std::uint32_t w : others) xcb_destroy_window(platform::x11::connection(), w);
    xcb_destroy_window(platform::x11::connection(), window);
    xcb_flush(platform::x11::connection());
}
BENCHMARK(BM_WatchFrame)->Arg(0)->Arg(200)->Unit(benchmark::kMicrosecond);

// For comparison: the whole list, as picking reads it on a click.
void BM_ReadWholeList(benchmark::State& state) {
    auto screens = std::make_shared<platform::X11ScreenProvider>();
    platform::X11WindowList list(screens);
    std::vector<std::uint32_t> windows;
    for (int i = 0; i < state.range(0); ++i) windows.push_back(makeWindow());
    QElapsedTimer t;
    t.start();
    while (list.windows().size() < windows.size() && t.elapsed() < 5000) QCoreApplication::processEvents();
    for (auto _ : state) benchmark::DoNotOptimize(list.windows());
    for (std::uint32_t w : windows) xcb_destroy_window(platform::x11::connection(), w);
    xcb_flush(platform::x11::connection());
}
BENCHMARK(BM_ReadWholeList)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("OVERINK_BENCH_SESSION")) {
        qputenv("OVERINK_BENCH_SESSION", "1");
        std::vector<char*> args{const_cast<char*>(OVERINK_X11_SESSION), const_cast<char*>("--")};
        for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
        args.push_back(nullptr);
        execv(OVERINK_X11_SESSION, args.data());
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
