// Scripted pointer input for bench/shell_vs_gromit.sh, sent through XTest at
// precise times, and what the screen shows of it:
//   pointer_bench scene <strokes> <moves> <x> <y> <w> <h> <move-us> <seed>
//       draws strokes (press, moves, release) inside a box
//   pointer_bench drag <x> <y> <w> <moves> <move-us> [pid...]
//       one paced stroke of <moves> moves along a zigzag in rows; prints the
//       CPU per move of each pid (from the press to the frame after the
//       release), then how many of the moves the picture shows
//   pointer_bench latency <x> <y> <dx> <moves> <move-us>
//       one stroke along a horizontal line, <dx> pixels a move; after each
//       move the pixel at the new position is polled until it changes;
//       prints the input-to-pixel latencies' p50, p99 and max in ms
// Needs a running X server with XTest.
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <random>
#include <string>
#include <vector>

namespace {

xcb_connection_t* conn = nullptr;
xcb_window_t root = 0;

double now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

void sleepUntil(double t) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(t);
    ts.tv_nsec = static_cast<long>((t - double(ts.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void fake(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0) {
    xcb_test_fake_input(conn, type, detail, XCB_CURRENT_TIME, root, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
}
void moveTo(int x, int y) { fake(XCB_MOTION_NOTIFY, 0, x, y); }
void press() { fake(XCB_BUTTON_PRESS, 1); }
void release() { fake(XCB_BUTTON_RELEASE, 1); }
void send() { xcb_flush(conn); }
// Waits until the server has handled everything sent so far.
void sync() { std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }

// The screen's pixels (RGB, alpha dropped) of a rectangle of the root.
struct Pixels {
    int x = 0, y = 0, w = 0, h = 0;
    std::vector<std::uint32_t> data;
    std::uint32_t at(int px, int py) const { return data[std::size_t((py - y) * w + (px - x))]; }
};
Pixels grab(int x, int y, int w, int h) {
    Pixels p{x, y, w, h, {}};
    auto* r = xcb_get_image_reply(
        conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                            static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h),
                            ~0u),
        nullptr);
    if (!r) return p;
    const auto* bytes = xcb_get_image_data(r);
    const int length = xcb_get_image_data_length(r);
    if (length >= w * h * 4) {
        p.data.resize(std::size_t(w * h));
        for (int i = 0; i < w * h; ++i) {
            std::uint32_t v;
            std::memcpy(&v, bytes + 4 * i, 4);
            p.data[std::size_t(i)] = v & 0xffffff;
        }
    }
    std::free(r);
    return p;
}

// CPU time of a process and all its threads, in nanoseconds.
long long cpuNs(int pid) {
    long long sum = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        FILE* f = std::fopen((dir + "/" + e->d_name + "/schedstat").c_str(), "r");
        if (!f) continue;
        long long run = 0;
        if (std::fscanf(f, "%lld", &run) == 1) sum += run;
        std::fclose(f);
    }
    closedir(d);
    return sum;
}

int scene(int strokes, int moves, int x, int y, int w, int h, int moveUs, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    const double step = moveUs * 1e-6;
    for (int s = 0; s < strokes; ++s) {
        // A wandering curve of `moves` steps of about 3 pixels.
        double px = x + 20 + unit(rng) * (w - 40), py = y + 20 + unit(rng) * (h - 40);
        double heading = unit(rng) * 2 * M_PI;
        moveTo(int(px), int(py));
        send();
        double t = now() + 0.004;
        sleepUntil(t);
        press();
        send();
        for (int i = 0; i < moves; ++i) {
            heading += (unit(rng) - 0.5) * 0.5;
            px = std::clamp(px + 3 * std::cos(heading), double(x), double(x + w - 1));
            py = std::clamp(py + 3 * std::sin(heading), double(y), double(y + h - 1));
            t += step;
            sleepUntil(t);
            moveTo(int(std::lround(px)), int(std::lround(py)));
            send();
        }
        sleepUntil(t + step);
        release();
        send();
        sleepUntil(t + step + 0.004);
    }
    sync();
    return 0;
}

// The zigzag: samples alternate between a row's top and bottom, `kStep`
// pixels apart, rows run left to right and back. A sample a program skipped
// leaves its column empty near its own peak: the line from the sample
// before to the one after runs along the other edge of the row.
constexpr int kStep = 8, kAmplitude = 50, kPitch = 80;

struct Sample {
    int x, y;
    bool top;
    bool checked;
};

std::vector<Sample> zigzag(int x, int y, int w, int moves) {
    std::vector<Sample> path;
    const int perRow = w / kStep;
    for (int i = 0; i <= moves; ++i) {
        const int row = i / perRow, k = i % perRow;
        const int col = row % 2 == 0 ? k : perRow - 1 - k;
        const bool top = i % 2 == 1;
        const int base = y + row * kPitch + kAmplitude;
        // The first and last sample of a row lie on the line to the next row.
        path.push_back({x + col * kStep, top ? base - kAmplitude : base, top, i > 0 && k != 0 && k != perRow - 1});
    }
    return path;
}

int drag(int x, int y, int w, int moves, int moveUs, const std::vector<int>& pids) {
    const auto path = zigzag(x, y, w, moves);
    int bottom = 0;
    for (const Sample& s : path) bottom = std::max(bottom, s.y);
    const Pixels before = grab(x - 10, y - 10, w + 20, bottom - y + 20);
    moveTo(path[0].x, path[0].y);
    send();
    sync();
    double t = now() + 0.05;
    sleepUntil(t);
    std::vector<long long> cpu0;
    for (int pid : pids) cpu0.push_back(cpuNs(pid));
    press();
    send();
    const double step = moveUs * 1e-6;
    for (std::size_t i = 1; i < path.size(); ++i) {
        t += step;
        sleepUntil(t);
        moveTo(path[i].x, path[i].y);
        send();
    }
    const double sent = now() - (t - moves * step);
    t += step;
    sleepUntil(t);
    release();
    send();
    sync();
    // A frame or two for the last move to reach the screen.
    sleepUntil(now() + 0.1);
    std::printf("rate=%.0f", moves / sent);
    for (std::size_t i = 0; i < pids.size(); ++i)
        std::printf(" cpu%zu=%.1f", i, double(cpuNs(pids[i]) - cpu0[i]) / moves / 1000.0);
    sleepUntil(now() + 0.4);
    const Pixels after = grab(before.x, before.y, before.w, before.h);
    int checked = 0, shown = 0;
    for (const Sample& s : path) {
        if (!s.checked) continue;
        ++checked;
        const int y0 = s.top ? s.y : s.y - kAmplitude / 2;
        const int y1 = s.top ? s.y + kAmplitude / 2 : s.y;
        bool painted = false;
        for (int px = s.x - 1; px <= s.x + 1 && !painted; ++px)
            for (int py = y0; py <= y1 && !painted; ++py)
                painted = !after.data.empty() && !before.data.empty() && after.at(px, py) != before.at(px, py);
        shown += painted;
    }
    std::printf(" checked=%d shown=%d\n", checked, shown);
    return 0;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(std::ceil(p * double(v.size())) - 1));
    return v[i];
}

int latency(int x, int y, int dx, int moves, int moveUs) {
    const int x1 = x + dx * moves;
    const Pixels baseline = grab(x, y, x1 - x + 1, 1);
    moveTo(x, y);
    send();
    sync();
    sleepUntil(now() + 0.05);
    press();
    send();
    sleepUntil(now() + 0.1);
    struct Pending {
        int x;
        double sentAt;
    };
    std::vector<Pending> pending;
    std::vector<double> seen;
    int lost = 0;
    const double step = moveUs * 1e-6;
    double next = now();
    int sentCount = 0;
    constexpr double kGiveUp = 0.25;
    while (sentCount < moves || !pending.empty()) {
        if (sentCount < moves && now() >= next) {
            ++sentCount;
            moveTo(x + dx * sentCount, y);
            send();
            pending.push_back({x + dx * sentCount, now()});
            next += step;
            continue;
        }
        if (pending.empty()) {
            sleepUntil(next);
            continue;
        }
        int lo = pending.front().x, hi = pending.back().x;
        const Pixels row = grab(lo, y, hi - lo + 1, 1);
        const double at = now();
        if (row.data.empty()) break;
        std::erase_if(pending, [&](const Pending& p) {
            if (row.at(p.x, y) != baseline.at(p.x, y)) {
                seen.push_back((at - p.sentAt) * 1000);
                return true;
            }
            if (at - p.sentAt > kGiveUp) {
                ++lost;
                return true;
            }
            return false;
        });
        // Polls leave the server some room.
        sleepUntil(std::min(next, now() + 0.0001));
    }
    release();
    send();
    sync();
    std::printf("p50=%.2f p99=%.2f max=%.2f seen=%zu lost=%d\n", percentile(seen, 0.5), percentile(seen, 0.99),
                percentile(seen, 1.0), seen.size(), lost);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    auto arg = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };
    if (argc < 2) {
        std::fprintf(stderr, "usage: pointer_bench scene|drag|latency ...\n");
        return 2;
    }
    conn = xcb_connect(nullptr, nullptr);
    if (!conn || xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "pointer_bench: no X display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    const std::string cmd = argv[1];
    if (cmd == "scene" && argc >= 10)
        return scene(arg(2), arg(3), arg(4), arg(5), arg(6), arg(7), arg(8), unsigned(arg(9)));
    if (cmd == "drag" && argc >= 7) {
        std::vector<int> pids;
        for (int i = 7; i < argc; ++i) pids.push_back(arg(i));
        return drag(arg(2), arg(3), arg(4), arg(5), arg(6), pids);
    }
    if (cmd == "latency" && argc >= 7) return latency(arg(2), arg(3), arg(4), arg(5), arg(6));
    std::fprintf(stderr, "pointer_bench: bad arguments\n");
    return 2;
}
