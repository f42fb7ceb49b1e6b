// Scripted input for bench/shell_vs_gromit.sh, sent through XTest at precise
// times, and what the screen shows of it:
//   pointer_bench scene <strokes> <moves> <x> <y> <w> <h> <move-us> <seed> [pid...]
//       draws strokes (press, moves, release) inside a box; prints the rate
//       they were sent at, each pid's CPU per stroke (up to when the first
//       pid has gone quiet), how long after the last release that was (the
//       lag) and a pixel the last stroke painted
//   pointer_bench drag <x> <y> <w> <moves> <move-us> <probe-x> <probe-y> [pid...]
//       one paced stroke of <moves> moves along a zigzag in rows; prints the
//       CPU per move of each pid (from the press to the frame after the
//       release), how many of the moves the picture shows, a pixel the
//       stroke painted, and the release's cost: a click at the probe follows
//       the release at once, timed to its pixel
//   pointer_bench key <keysym> <modifier-keysym|0> <probe-x> <probe-y>
//   pointer_bench click <x> <y> <probe-x> <probe-y>
//       a key (with a modifier held) or a click, timed to the probe pixel's
//       change; keysyms are numbers (0x7a is z)
//   pointer_bench red <x> <y> <w>
//       the middle of the rightmost run of red pixels on a row
//   pointer_bench latency <x> <y> <w> <dx> <moves> <move-us> [closed]
//       one stroke along horizontal rows <w> wide and kRowPitch apart, <dx>
//       pixels a move, there and back; the pixel at each move's position is
//       polled until it changes; prints how many latencies were seen, their
//       p50 and max in ms, their p99 only from 100 or more (below that it
//       would be the maximum), and all of them (ms=, for pooling runs).
//       Open loop, moves go out every <move-us> whatever is shown; closed
//       loop, each move waits for the last one's pixel (and <move-us> after
//       it was sent)
// Needs a running X server with XTest.
#include "FakePointer.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
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
#include <utility>
#include <vector>

namespace {

using namespace fake_pointer;

// The screen's pixels (RGB, alpha dropped) of a rectangle of the root.
struct Pixels {
    int x = 0, y = 0, w = 0, h = 0;
    std::vector<std::uint32_t> data;
    std::uint32_t at(int px, int py) const { return data[std::size_t((py - y) * w + (px - x))]; }
};
Pixels grab(int x, int y, int w, int h) {
    Pixels p{x, y, w, h, {}};
    auto* r = xcb_get_image_reply(conn,
                                  xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                                                static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                                                static_cast<std::uint16_t>(h), ~0u),
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
std::uint32_t pixel(int x, int y) {
    const Pixels p = grab(x, y, 1, 1);
    return p.data.empty() ? 0xffffffffu : p.data[0];
}

// Polls a pixel until it is no longer `from`; the seconds that took from
// `since`, or a negative number after `giveUp` seconds.
double waitChange(int x, int y, std::uint32_t from, double since, double giveUp) {
    for (;;) {
        const std::uint32_t v = pixel(x, y);
        const double at = now();
        if (v != from) return at - since;
        if (at - since > giveUp) return -1;
        // Polls leave the server some room.
        sleepUntil(at + 0.0002);
    }
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

// Waits until `pid` uses less than a tenth of a core over 100 ms (or 120 s
// have passed); answers when that quiet stretch began.
double waitQuiet(int pid) {
    constexpr double kWindow = 0.1;
    const double start = now();
    double t0 = now();
    long long c0 = cpuNs(pid);
    for (;;) {
        sleepUntil(t0 + kWindow);
        const double t1 = now();
        const long long c1 = cpuNs(pid);
        if (double(c1 - c0) * 1e-9 < 0.1 * (t1 - t0) || t1 - start > 120) return t0;
        t0 = t1;
        c0 = c1;
    }
}

int scene(int strokes, int moves, int x, int y, int w, int h, int moveUs, unsigned seed, const std::vector<int>& pids) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    const double step = moveUs * 1e-6;
    constexpr double kGap = 0.002;
    std::vector<long long> cpu0;
    for (int pid : pids) cpu0.push_back(cpuNs(pid));
    const double start = now();
    double t = start;
    int lastX = 0, lastY = 0;
    for (int s = 0; s < strokes; ++s) {
        // A wandering curve of `moves` steps of about 3 pixels.
        double px = x + 20 + unit(rng) * (w - 40), py = y + 20 + unit(rng) * (h - 40);
        double heading = unit(rng) * 2 * M_PI;
        moveTo(int(px), int(py));
        send();
        t += kGap;
        sleepUntil(t);
        press();
        send();
        for (int i = 0; i < moves; ++i) {
            heading += (unit(rng) - 0.5) * 0.5;
            px = std::clamp(px + 3 * std::cos(heading), double(x), double(x + w - 1));
            py = std::clamp(py + 3 * std::sin(heading), double(y), double(y + h - 1));
            lastX = int(std::lround(px));
            lastY = int(std::lround(py));
            t += step;
            sleepUntil(t);
            moveTo(lastX, lastY);
            send();
        }
        t += step;
        sleepUntil(t);
        release();
        send();
        t += kGap;
        sleepUntil(t);
    }
    sync();
    const double sent = now();
    const double quiet = pids.empty() ? sent : waitQuiet(pids[0]);
    std::printf("strokes=%d rate=%.1f lag=%.2f", strokes, strokes / (sent - start), std::max(0.0, quiet - sent));
    for (std::size_t i = 0; i < pids.size(); ++i)
        std::printf(" cpu%zu=%.3f", i, double(cpuNs(pids[i]) - cpu0[i]) / std::max(strokes, 1) * 1e-6);
    std::printf(" pixel=%d,%d\n", lastX, lastY);
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

int drag(int x, int y, int w, int moves, int moveUs, int probeX, int probeY, const std::vector<int>& pids) {
    const auto path = zigzag(x, y, w, moves);
    int bottom = 0;
    for (const Sample& s : path) bottom = std::max(bottom, s.y);
    const Pixels before = grab(x - 10, y - 10, w + 20, bottom - y + 20);
    const std::uint32_t probeBefore = pixel(probeX, probeY);
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
    std::vector<long long> cpu1;
    for (int pid : pids) cpu1.push_back(cpuNs(pid));
    // The release, and at once a click elsewhere: its dot shows once the
    // release has been dealt with.
    release();
    moveTo(probeX, probeY);
    press();
    moveTo(probeX + 1, probeY);
    const double released = now();
    send();
    const double releaseSeconds = waitChange(probeX, probeY, probeBefore, released, 5);
    fake(XCB_BUTTON_RELEASE, 1);
    send();
    sync();
    const double releaseCpu = pids.empty() ? 0 : double(cpuNs(pids[0]) - cpu1[0]) * 1e-6;
    // A frame or two for the last move to reach the screen.
    sleepUntil(now() + 0.1);
    std::printf("rate=%.0f", moves / sent);
    for (std::size_t i = 0; i < pids.size(); ++i)
        std::printf(" cpu%zu=%.1f", i, double(cpu1[i] - cpu0[i]) / moves / 1000.0);
    std::printf(" release=%.1f releasecpu=%.1f", releaseSeconds * 1000, releaseCpu);
    sleepUntil(now() + 0.4);
    const Pixels after = grab(before.x, before.y, before.w, before.h);
    int checked = 0, shown = 0;
    int pixelX = -1, pixelY = -1;
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
        // Smoothing rounds the peaks off; the middle of the segment from the
        // sample before is on the stroke.
        const int midX = s.x - kStep / 2, midY = s.top ? s.y + kAmplitude / 2 : s.y - kAmplitude / 2;
        if (pixelX < 0 && !after.data.empty() && after.at(midX, midY) != before.at(midX, midY)) {
            pixelX = midX;
            pixelY = midY;
        }
    }
    std::printf(" checked=%d shown=%d pixel=%d,%d\n", checked, shown, pixelX, pixelY);
    return 0;
}

xcb_keycode_t keycodeOf(std::uint32_t keysym) {
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(conn);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const xcb_keycode_t code = codes ? codes[0] : 0;
    std::free(codes);
    xcb_key_symbols_free(symbols);
    return code;
}

int key(std::uint32_t keysym, std::uint32_t modifier, int probeX, int probeY) {
    const xcb_keycode_t k = keycodeOf(keysym), m = modifier ? keycodeOf(modifier) : 0;
    if (!k || (modifier && !m)) {
        std::fprintf(stderr, "pointer_bench: no key for keysym 0x%x\n", k ? modifier : keysym);
        return 1;
    }
    const std::uint32_t from = pixel(probeX, probeY);
    if (m) fake(XCB_KEY_PRESS, m);
    fake(XCB_KEY_PRESS, k);
    const double pressed = now();
    send();
    const double seconds = waitChange(probeX, probeY, from, pressed, 5);
    fake(XCB_KEY_RELEASE, k);
    if (m) fake(XCB_KEY_RELEASE, m);
    send();
    sync();
    std::printf("ms=%.1f\n", seconds * 1000);
    return 0;
}

int click(int x, int y, int probeX, int probeY) {
    const std::uint32_t from = pixel(probeX, probeY);
    moveTo(x, y);
    send();
    sync();
    sleepUntil(now() + 0.1);
    press();
    release();
    const double clicked = now();
    send();
    const double seconds = waitChange(probeX, probeY, from, clicked, 5);
    std::printf("ms=%.1f\n", seconds * 1000);
    return 0;
}

int red(int x, int y, int w) {
    const Pixels row = grab(x, y, w, 1);
    int end = -1, begin = -1;
    for (int px = x + w - 1; px >= x && !row.data.empty(); --px) {
        const std::uint32_t v = row.at(px, y);
        const bool isRed = (v >> 16 & 0xff) > 220 && (v >> 8 & 0xff) < 110 && (v & 0xff) < 100;
        if (isRed && end < 0) end = px;
        if (isRed) begin = px;
        if (!isRed && end >= 0) break;
    }
    if (end < 0) return 1;
    std::printf("%d\n", (begin + end) / 2);
    return 0;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(std::ceil(p * double(v.size())) - 1));
    return v[i];
}

// Rows of the latency stroke: far enough apart that a row's ink (11 px
// wide) never touches the next row's pixels.
constexpr int kRowPitch = 30;

int latency(int x, int y, int w, int dx, int moves, int moveUs, bool closed) {
    // Move k's position: rows there and back, the step to the next row
    // straight down, so no stroke crosses a pixel before its move is sent.
    const int perRow = std::max(1, w / dx);
    const auto position = [&](int k) {
        const int row = k / (perRow + 1), col = k % (perRow + 1);
        return std::pair{x + (row % 2 == 0 ? col : perRow - col) * dx, y + row * kRowPitch};
    };
    const int rows = moves / (perRow + 1) + 1;
    const Pixels baseline = grab(x, y, perRow * dx + 1, (rows - 1) * kRowPitch + 1);
    moveTo(x, y);
    send();
    sync();
    sleepUntil(now() + 0.05);
    press();
    send();
    sleepUntil(now() + 0.1);
    struct Pending {
        int x, y;
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
        if (sentCount < moves && now() >= next && (!closed || pending.empty())) {
            ++sentCount;
            const auto [px, py] = position(sentCount);
            moveTo(px, py);
            send();
            pending.push_back({px, py, now()});
            next = closed ? now() + step : next + step;
            continue;
        }
        if (pending.empty()) {
            sleepUntil(next);
            continue;
        }
        int x0 = pending.front().x, x1 = x0, y0 = pending.front().y, y1 = y0;
        for (const Pending& p : pending) {
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
        const Pixels shown = grab(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
        const double at = now();
        if (shown.data.empty()) break;
        std::erase_if(pending, [&](const Pending& p) {
            if (shown.at(p.x, p.y) != baseline.at(p.x, p.y)) {
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
        sleepUntil(closed || pending.empty() ? now() + 0.0001 : std::min(next, now() + 0.0001));
    }
    release();
    send();
    sync();
    std::printf("seen=%zu lost=%d p50=%.2f", seen.size(), lost, percentile(seen, 0.5));
    if (seen.size() >= 100) std::printf(" p99=%.2f", percentile(seen, 0.99));
    std::printf(" max=%.2f ms=", percentile(seen, 1.0));
    for (std::size_t i = 0; i < seen.size(); ++i) std::printf("%s%.2f", i ? "," : "", seen[i]);
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    auto arg = [&](int i) { return i < argc ? int(std::strtol(argv[i], nullptr, 0)) : 0; };
    auto pidsFrom = [&](int first) {
        std::vector<int> pids;
        for (int i = first; i < argc; ++i) pids.push_back(arg(i));
        return pids;
    };
    if (argc < 2) {
        std::fprintf(stderr, "usage: pointer_bench scene|drag|key|click|red|latency ...\n");
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
        return scene(arg(2), arg(3), arg(4), arg(5), arg(6), arg(7), arg(8), unsigned(arg(9)), pidsFrom(10));
    if (cmd == "drag" && argc >= 9) return drag(arg(2), arg(3), arg(4), arg(5), arg(6), arg(7), arg(8), pidsFrom(9));
    if (cmd == "key" && argc >= 6) return key(std::uint32_t(arg(2)), std::uint32_t(arg(3)), arg(4), arg(5));
    if (cmd == "click" && argc >= 6) return click(arg(2), arg(3), arg(4), arg(5));
    if (cmd == "red" && argc >= 5) return red(arg(2), arg(3), arg(4));
    if (cmd == "latency" && argc >= 8)
        return latency(arg(2), arg(3), arg(4), arg(5), arg(6), arg(7), argc >= 9 && std::string(argv[8]) == "closed");
    std::fprintf(stderr, "pointer_bench: bad arguments\n");
    return 2;
}
