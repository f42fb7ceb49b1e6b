// Scripted strokes, releases and undos for bench/stroke_growth.sh, sent
// through XTest, timed against the screen's pixels and the CPU time of the
// processes named:
//   stroke_probe scene <strokes> <moves> <x> <y> <w> <h> <move-us> <seed> <block> <pid>
//       draws strokes (press, moves, release) inside a box, at the pace the
//       moves give; prints the CPU per stroke of <pid> for each block of
//       <block> strokes, then how long after the last release the program
//       went quiet (its lag behind the input)
//   stroke_probe edit <x> <y> <w> <moves> <move-us> <pid> [pid...]
//       one paced stroke of <moves> moves along a zigzag, then its release
//       and an undo (Ctrl+Z); prints the CPU per move of each pid during
//       the drag, and for the release and the undo the wall time until
//       every pid went quiet, each pid's CPU meanwhile, and for the undo the
//       time from the key to the stroke's pixels gone (four on the stroke,
//       and every pixel of the area it covered)
// Processes are quiet once their CPU time has not grown for kQuiet seconds.
// When STROKE_PROBE_HOOK names a command, it runs with "release" or "undo"
// just before that input and with "release-done" or "undo-done" once all
// went quiet after it (bench/stroke_growth.sh starts and stops counting the
// program's instructions there); the hook's own time is outside the figures.
// Needs a running X server with XTest.
#include "FakePointer.h"

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

using namespace fake_pointer;
constexpr double kQuiet = 0.25;

// The keycode that gives `keysym` without modifiers; 0 when none does.
std::uint8_t keycodeOf(std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(conn);
    const int first = setup->min_keycode, count = setup->max_keycode - setup->min_keycode + 1;
    auto* r = xcb_get_keyboard_mapping_reply(
        conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr);
    if (!r) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
    std::uint8_t found = 0;
    for (int k = 0; k < count && !found; ++k)
        if (syms[k * r->keysyms_per_keycode] == keysym) found = static_cast<std::uint8_t>(first + k);
    std::free(r);
    return found;
}

// The screen's pixels (RGB) of a rectangle of the root.
std::vector<std::uint32_t> grab(int x, int y, int w, int h) {
    std::vector<std::uint32_t> out;
    auto* r = xcb_get_image_reply(conn,
                                  xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                                                static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                                                static_cast<std::uint16_t>(h), ~0u),
                                  nullptr);
    if (!r) return out;
    if (xcb_get_image_data_length(r) >= w * h * 4) {
        out.resize(std::size_t(w) * std::size_t(h));
        std::memcpy(out.data(), xcb_get_image_data(r), out.size() * 4);
        for (auto& v : out) v &= 0xffffff;
    }
    std::free(r);
    return out;
}

std::uint32_t pixelAt(int x, int y) {
    auto* r = xcb_get_image_reply(conn,
                                  xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                                                static_cast<std::int16_t>(y), 1, 1, ~0u),
                                  nullptr);
    if (!r) return 0;
    std::uint32_t v = 0;
    if (xcb_get_image_data_length(r) >= 4) std::memcpy(&v, xcb_get_image_data(r), 4);
    std::free(r);
    return v & 0xffffff;
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

// Waits until every pid is quiet; answers when their CPU time last grew.
// `atFrom`: their total CPU time at `from`, when it was read then (growth
// since is noticed at the call).
double quietSince(const std::vector<int>& pids, double from, long long atFrom = -1) {
    const auto total = [&] {
        long long sum = 0;
        for (int p : pids) sum += cpuNs(p);
        return sum;
    };
    long long last = total();
    double grew = atFrom >= 0 && last != atFrom ? now() : from;
    while (now() - grew < kQuiet) {
        sleepUntil(now() + 0.001);
        const long long c = total();
        if (c != last) {
            last = c;
            grew = now();
        }
    }
    return grew;
}

// Runs STROKE_PROBE_HOOK, when set, with `phase`.
void hook(const char* phase) {
    const char* command = std::getenv("STROKE_PROBE_HOOK");
    if (!command || !*command) return;
    const std::string line = std::string(command) + " " + phase;
    if (std::system(line.c_str()) != 0) std::fprintf(stderr, "stroke_probe: %s failed\n", line.c_str());
}

int scene(int strokes, int moves, int x, int y, int w, int h, int moveUs, unsigned seed, int block, int pid) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    const double step = moveUs * 1e-6;
    long long blockStart = cpuNs(pid);
    double t = now();
    const double began = t;
    for (int s = 0; s < strokes; ++s) {
        // A wandering curve of `moves` steps of about 3 pixels.
        double px = x + 20 + unit(rng) * (w - 40), py = y + 20 + unit(rng) * (h - 40);
        double heading = unit(rng) * 2 * M_PI;
        moveTo(int(px), int(py));
        send();
        t += 0.002;
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
        t += step;
        sleepUntil(t);
        release();
        send();
        t += 0.002;
        if ((s + 1) % block == 0 || s + 1 == strokes) {
            const long long c = cpuNs(pid);
            const int n = (s % block) + 1;
            std::printf("strokes=%d-%d cpu_ms_per_stroke=%.2f\n", s + 2 - n, s + 1, double(c - blockStart) / n / 1e6);
            std::fflush(stdout);
            blockStart = c;
        }
    }
    sync();
    const double sentAt = now();
    const double quiet = quietSince({pid}, sentAt);
    std::printf("sent_per_s=%.1f lag_ms=%.1f\n", strokes / (sentAt - began), (quiet - sentAt) * 1000);
    return 0;
}

// The zigzag of pointer_bench: rows of samples alternating between a row's
// top and bottom.
constexpr int kStep = 8, kAmplitude = 50, kPitch = 80;

struct Sample {
    int x, y;
};

std::vector<Sample> zigzag(int x, int y, int w, int moves) {
    std::vector<Sample> path;
    const int perRow = w / kStep;
    for (int i = 0; i <= moves; ++i) {
        const int row = i / perRow, k = i % perRow;
        const int col = row % 2 == 0 ? k : perRow - 1 - k;
        const int base = y + row * kPitch + kAmplitude;
        path.push_back({x + col * kStep, i % 2 == 1 ? base - kAmplitude : base});
    }
    return path;
}

std::vector<long long> cpuOf(const std::vector<int>& pids) {
    std::vector<long long> out;
    for (int p : pids) out.push_back(cpuNs(p));
    return out;
}

void printCpu(const char* what, const std::vector<int>& pids, const std::vector<long long>& before, double scale) {
    for (std::size_t i = 0; i < pids.size(); ++i)
        std::printf(" %s%zu=%.2f", what, i, double(cpuNs(pids[i]) - before[i]) * scale);
}

int edit(int x, int y, int w, int moves, int moveUs, const std::vector<int>& pids) {
    const auto path = zigzag(x, y, w, moves);
    // Pixels on the stroke, away from its ends, and what they showed before:
    // the middles of segments, which smoothing leaves on the stroke.
    std::vector<Sample> probes;
    for (std::size_t i : {path.size() / 4, path.size() / 2, path.size() * 3 / 4, path.size() - 3})
        probes.push_back({(path[i].x + path[i + 1].x) / 2, (path[i].y + path[i + 1].y) / 2});
    std::vector<std::uint32_t> before;
    for (const Sample& s : probes) before.push_back(pixelAt(s.x, s.y));
    // And the whole area the stroke covers.
    int bottom = 0;
    for (const Sample& s : path) bottom = std::max(bottom, s.y);
    const int ax = x - 10, ay = y - 10, aw = w + 20, ah = bottom - y + 20;
    const std::vector<std::uint32_t> area = grab(ax, ay, aw, ah);

    moveTo(path[0].x, path[0].y);
    send();
    sync();
    double t = now() + 0.05;
    sleepUntil(t);
    auto cpu = cpuOf(pids);
    press();
    send();
    const double step = moveUs * 1e-6;
    for (std::size_t i = 1; i < path.size(); ++i) {
        t += step;
        sleepUntil(t);
        moveTo(path[i].x, path[i].y);
        send();
    }
    sync();
    quietSince(pids, now());
    std::printf("drag");
    printCpu("move_us", pids, cpu, 1e-3 / moves);

    hook("release");
    cpu = cpuOf(pids);
    double t0 = now();
    release();
    send();
    double quiet = quietSince(pids, t0);
    const auto releaseCpu = cpuOf(pids);
    hook("release-done");
    std::printf(" release_ms=%.1f", (quiet - t0) * 1000);
    // The clock's own times, for cutting a profile to the release and undo.
    if (std::getenv("STROKE_PROBE_TIMES")) std::printf(" release_at=%.6f,%.6f", t0, quiet);
    for (std::size_t i = 0; i < pids.size(); ++i)
        std::printf(" release_cpu_ms%zu=%.2f", i, double(releaseCpu[i] - cpu[i]) * 1e-6);

    int painted = 0;
    for (std::size_t i = 0; i < probes.size(); ++i) painted += pixelAt(probes[i].x, probes[i].y) != before[i];
    std::printf(" painted=%d/%zu", painted, probes.size());

    const std::uint8_t control = keycodeOf(0xffe3), z = keycodeOf('z');
    if (!control || !z) {
        std::printf("\nstroke_probe: no keycode for Control_L or z\n");
        return 1;
    }
    hook("undo");
    cpu = cpuOf(pids);
    t0 = now();
    fake(XCB_KEY_PRESS, control);
    fake(XCB_KEY_PRESS, z);
    fake(XCB_KEY_RELEASE, z);
    fake(XCB_KEY_RELEASE, control);
    send();
    double shown = -1;
    while (now() - t0 < 5) {
        bool all = true;
        for (std::size_t i = 0; i < probes.size() && all; ++i) all = pixelAt(probes[i].x, probes[i].y) == before[i];
        if (all) {
            shown = now();
            break;
        }
    }
    // Every pixel of the area as it was before the stroke.
    double whole = -1;
    while (now() - t0 < 5) {
        if (grab(ax, ay, aw, ah) == area) {
            whole = now();
            break;
        }
    }
    long long atKey = 0;
    for (long long c : cpu) atKey += c;
    quiet = quietSince(pids, t0, atKey);
    std::printf(" undo_pixels_ms=%.1f undo_all_pixels_ms=%.1f undo_ms=%.1f", shown < 0 ? -1.0 : (shown - t0) * 1000,
                whole < 0 ? -1.0 : (whole - t0) * 1000, (quiet - t0) * 1000);
    if (std::getenv("STROKE_PROBE_TIMES")) std::printf(" undo_at=%.6f,%.6f", t0, quiet);
    printCpu("undo_cpu_ms", pids, cpu, 1e-6);
    hook("undo-done");
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    auto arg = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };
    if (argc < 2) {
        std::fprintf(stderr, "usage: stroke_probe scene|edit ...\n");
        return 2;
    }
    conn = xcb_connect(nullptr, nullptr);
    if (!conn || xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "stroke_probe: no X display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    const std::string cmd = argv[1];
    if (cmd == "scene" && argc >= 12)
        return scene(arg(2), arg(3), arg(4), arg(5), arg(6), arg(7), arg(8), unsigned(arg(9)), std::max(1, arg(10)),
                     arg(11));
    if (cmd == "edit" && argc >= 8) {
        std::vector<int> pids;
        for (int i = 7; i < argc; ++i) pids.push_back(arg(i));
        return edit(arg(2), arg(3), arg(4), arg(5), arg(6), pids);
    }
    std::fprintf(stderr, "stroke_probe: bad arguments\n");
    return 2;
}
