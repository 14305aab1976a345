// perf_probe: the measurements tools/perf-report takes of the running game.
//
//   perf_probe first-frame EXE
//       starts EXE and reports when its window appears and when the first
//       640x480 frame with something drawn on it is on screen
//   perf_probe cpu PID SECONDS LABEL BUDGET_PERCENT
//       CPU time of each thread of PID over SECONDS, as a share of one core
//   perf_probe latency KEYS
//       key-to-screen latency of KEYS letters typed at the game's prompt
//   perf_probe window
//       prints the id of the game's window
//
// The window is found by its title, "Untitled", among the top-level windows
// of the X server named by DISPLAY (a private Xvfb without a window manager).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

double now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void sleep_us(long us) {
    timespec ts{us / 1000000, (us % 1000000) * 1000};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "perf_probe: %s\n", what);
    std::exit(1);
}

Display* open_display() {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) fail("cannot open the X display (is DISPLAY set?)");
    return d;
}

// The game's window: a top-level window titled "Untitled"; 0 when none.
Window find_window(Display* d) {
    Window root_return, parent, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root_return, &parent, &children, &count) == 0) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(d, children[i], &name) != 0 && name != nullptr) {
            if (std::strcmp(name, "Untitled") == 0) found = children[i];
            XFree(name);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

// Tells X errors (a window that went away between two requests) apart from
// fatal ones: they only make the current capture fail.
int x_error_seen = 0;
int on_x_error(Display*, XErrorEvent*) {
    x_error_seen = 1;
    return 0;
}

// The pixels of a rectangle of the window as 0xRRGGBB values; empty when
// the window could not be read. The server's 24-bit visuals keep a pixel in
// 32 bits, which are read straight out of the image.
std::vector<uint32_t> capture(Display* d, Window w, int x, int y, int width, int height) {
    x_error_seen = 0;
    XImage* image = XGetImage(d, w, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                              ZPixmap);
    std::vector<uint32_t> pixels;
    if (image == nullptr || x_error_seen) {
        if (image != nullptr) XDestroyImage(image);
        return pixels;
    }
    pixels.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        uint32_t* out = &pixels[static_cast<size_t>(row) * width];
        if (image->bits_per_pixel == 32) {
            std::memcpy(out, image->data + static_cast<size_t>(row) * image->bytes_per_line, width * 4u);
            for (int col = 0; col < width; ++col) out[col] &= 0xFFFFFF;
        } else {
            for (int col = 0; col < width; ++col) out[col] = XGetPixel(image, col, row) & 0xFFFFFF;
        }
    }
    XDestroyImage(image);
    return pixels;
}

bool window_size(Display* d, Window w, int* width, int* height) {
    XWindowAttributes a{};
    x_error_seen = 0;
    if (XGetWindowAttributes(d, w, &a) == 0 || x_error_seen) return false;
    *width = a.width;
    *height = a.height;
    return a.map_state == IsViewable;
}

// ---- first-frame -------------------------------------------------------------------

int first_frame(const char* exe) {
    Display* d = open_display();
    XSetErrorHandler(on_x_error);
    timespec wall{};
    clock_gettime(CLOCK_REALTIME, &wall);
    const double start = now_ms();
    const pid_t child = fork();
    if (child < 0) fail("fork failed");
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execl(exe, exe, static_cast<char*>(nullptr));
        _exit(127);
    }
    double window_at = -1, frame_at = -1;
    Window w = 0;
    while (now_ms() - start < 15000 && frame_at < 0) {
        if (w == 0) {
            w = find_window(d);
            if (w != 0) window_at = now_ms() - start;
        }
        int width = 0, height = 0;
        if (w != 0 && window_size(d, w, &width, &height) && width == 640 && height == 480) {
            // Without a window manager the window sits at (-1, -1); only the
            // part on the screen can be read.
            int x = 0, y = 0;
            Window child_return;
            XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child_return);
            const int left = std::max(0, -x), top = std::max(0, -y);
            const std::vector<uint32_t> pixels = capture(d, w, left, top, 640 - left, 480 - top);
            if (std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; }))
                frame_at = now_ms() - start;
        }
        sleep_us(1000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    XCloseDisplay(d);
    if (frame_at < 0) fail("no 640x480 frame appeared within 15 s");
    // Start-up waits for the next calendar second before it starts the
    // threads; how long depends on when in its second the process started.
    const double into_second = static_cast<double>(wall.tv_nsec) / 1e6;
    std::printf("window_ms=%.0f frame_ms=%.0f second_wait_ms=%.0f\n", window_at, frame_at, 1000.0 - into_second);
    return 0;
}

// ---- cpu ---------------------------------------------------------------------------

struct ThreadTimes {
    std::string name;
    double ticks = 0;     // utime + stime, in clock ticks
    double runtime_ns = 0;  // the scheduler's exact run time
};

std::string read_file(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return "";
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

std::map<long, ThreadTimes> thread_times(long pid) {
    std::map<long, ThreadTimes> times;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* tasks = opendir(dir.c_str());
    if (tasks == nullptr) return times;
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.') continue;
        const long tid = std::strtol(entry->d_name, nullptr, 10);
        const std::string base = dir + "/" + entry->d_name;
        const std::string stat = read_file(base + "/stat");
        // The name is in parentheses and may hold spaces; the fields after
        // it start with the state (field 3); utime and stime are 14 and 15.
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        ThreadTimes t;
        t.name = stat.substr(open + 1, close - open - 1);
        std::vector<std::string> fields;
        size_t p = close + 2;
        while (p < stat.size()) {
            size_t q = stat.find(' ', p);
            if (q == std::string::npos) q = stat.size();
            fields.push_back(stat.substr(p, q - p));
            p = q + 1;
        }
        if (fields.size() < 13) continue;
        t.ticks = std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr);
        t.runtime_ns = std::strtod(read_file(base + "/schedstat").c_str(), nullptr);
        times[tid] = t;
    }
    closedir(tasks);
    return times;
}

int cpu(long pid, double seconds, const char* label, double budget) {
    const double ticks_per_second = static_cast<double>(sysconf(_SC_CLK_TCK));
    const std::map<long, ThreadTimes> before = thread_times(pid);
    const double start = now_ms();
    sleep_us(static_cast<long>(seconds * 1e6));
    const std::map<long, ThreadTimes> after = thread_times(pid);
    const double elapsed_s = (now_ms() - start) / 1e3;
    if (before.empty() || after.empty()) fail("cannot read the game's threads");

    // Shares of one core by thread role: ticks (utime + stime) and the
    // scheduler's run time as a cross-check.
    struct Share {
        double ticks = 0, runtime_ns = 0;
    };
    std::map<std::string, Share> roles;
    for (const auto& [tid, t] : after) {
        auto b = before.find(tid);
        const double ticks = t.ticks - (b != before.end() ? b->second.ticks : 0);
        const double ns = t.runtime_ns - (b != before.end() ? b->second.runtime_ns : 0);
        std::string role = tid == pid ? "display" : t.name;
        if (role != "display" && role != "program" && role != "frame" && role != "event") role = "other";
        roles[role].ticks += ticks;
        roles[role].runtime_ns += ns;
    }
    auto pct = [&](const Share& s) { return 100.0 * s.ticks / ticks_per_second / elapsed_s; };
    auto exact = [&](const Share& s) { return 100.0 * s.runtime_ns / 1e9 / elapsed_s; };
    Share ours;
    for (const char* r : {"program", "frame", "event"}) {
        ours.ticks += roles[r].ticks;
        ours.runtime_ns += roles[r].runtime_ns;
    }
    std::printf("CPU while %s (%.1f s, share of one core, utime+stime; scheduler run time in brackets):\n", label,
                elapsed_s);
    std::printf("  program %.1f%% [%.2f%%], frame %.1f%% [%.2f%%], event %.1f%% [%.2f%%]\n", pct(roles["program"]),
                exact(roles["program"]), pct(roles["frame"]), exact(roles["frame"]), pct(roles["event"]),
                exact(roles["event"]));
    std::printf("  program + frame + event: %.1f%% [%.2f%%]", pct(ours), exact(ours));
    if (budget > 0)
        std::printf(" (budget %.0f%%): %s\n", budget, pct(ours) <= budget ? "met" : "MISSED");
    else
        std::printf(" (no budget)\n");
    std::printf("  display thread %.1f%% [%.2f%%] (presents frames through the software OpenGL of Xvfb)\n",
                pct(roles["display"]), exact(roles["display"]));
    std::printf("  other threads of the process %.1f%% [%.2f%%] (the OpenGL driver's llvmpipe workers and the like)\n",
                pct(roles["other"]), exact(roles["other"]));
    return 0;
}

// ---- latency -----------------------------------------------------------------------

constexpr int kWidth = 640, kHeight = 480, kCellHeight = 16;
constexpr int kCountdownTop = 16;  // text row 2 holds the countdown, which changes all the time

bool differs(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width, int skip_top, int skip_bottom,
             int* first_row) {
    if (a.size() != b.size() || a.empty()) return false;
    const int height = static_cast<int>(a.size()) / width;
    for (int y = 0; y < height; ++y) {
        if (y >= skip_top && y < skip_bottom) continue;
        if (std::memcmp(&a[static_cast<size_t>(y) * width], &b[static_cast<size_t>(y) * width], width * 4) != 0) {
            *first_row = y;
            return true;
        }
    }
    return false;
}

// Presses and releases a key through the XTEST extension, as a real keyboard
// does (xdotool key does the same). Returns the time the press was sent.
double press(Display* d, KeyCode code) {
    const double sent = now_ms();
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XFlush(d);
    return sent;
}

void release(Display* d, KeyCode code) {
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

// A fixed pseudo-random pause of 40 to 140 ms between keys, so that presses
// land at every phase of the game's 30-per-second editor loop.
long pause_us(uint32_t* seed) {
    *seed = *seed * 1103515245u + 12345u;
    return 40000 + static_cast<long>((*seed >> 8) % 100000);
}

int latency(int keys) {
    Display* d = open_display();
    XSetErrorHandler(on_x_error);
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(d, &event_base, &error_base, &major, &minor)) fail("the X server has no XTEST");
    const Window w = find_window(d);
    if (w == 0) fail("the game's window was not found");
    const KeyCode backspace = XKeysymToKeycode(d, XK_BackSpace);

    const std::vector<uint32_t> base = capture(d, w, 0, 0, kWidth, kHeight);
    if (base.empty()) fail("cannot read the window");
    int band_top = -1;  // the prompt's text row, found at the first key
    std::vector<uint32_t> band_base;
    std::vector<double> samples;
    uint32_t seed = 12345;
    for (int k = 0; k < keys; ++k) {
        sleep_us(pause_us(&seed));
        const KeyCode letter = XKeysymToKeycode(d, XK_a + k % 26);
        const double sent = press(d, letter);
        double seen = -1;
        while (now_ms() - sent < 2000) {
            int row = 0;
            if (band_top < 0) {
                const std::vector<uint32_t> now = capture(d, w, 0, 0, kWidth, kHeight);
                if (differs(now, base, kWidth, kCountdownTop, kCountdownTop + kCellHeight, &row)) {
                    seen = now_ms();
                    band_top = row / kCellHeight * kCellHeight;
                    band_base.assign(base.begin() + static_cast<long>(band_top) * kWidth,
                                     base.begin() + static_cast<long>(band_top + kCellHeight) * kWidth);
                    break;
                }
            } else {
                const std::vector<uint32_t> now = capture(d, w, 0, band_top, kWidth, kCellHeight);
                if (differs(now, band_base, kWidth, 0, 0, &row)) {
                    seen = now_ms();
                    break;
                }
            }
            sleep_us(250);
        }
        release(d, letter);
        if (seen < 0) fail("a typed letter did not appear within 2 s");
        samples.push_back(seen - sent);

        // Take the letter away again, so that every letter lands in the same cell.
        sleep_us(pause_us(&seed));
        press(d, backspace);
        const double erase_sent = now_ms();
        for (;;) {
            int row = 0;
            const std::vector<uint32_t> now = capture(d, w, 0, band_top, kWidth, kCellHeight);
            if (!now.empty() && !differs(now, band_base, kWidth, 0, 0, &row)) break;
            if (now_ms() - erase_sent > 2000) fail("a Backspace did not take the letter away within 2 s");
            sleep_us(1000);
        }
        release(d, backspace);
    }
    XCloseDisplay(d);

    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    auto rank = [&](double p) {  // nearest-rank percentile
        size_t i = static_cast<size_t>(p * static_cast<double>(n) + 0.999999);
        return samples[std::min(n, std::max<size_t>(i, 1)) - 1];
    };
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    std::printf("median_ms=%.1f p95_ms=%.1f min_ms=%.1f max_ms=%.1f keys=%zu\n", median, rank(0.95), samples.front(),
                samples.back(), n);
    return 0;
}

int window() {
    Display* d = open_display();
    const Window w = find_window(d);
    XCloseDisplay(d);
    if (w == 0) return 1;
    std::printf("%lu\n", static_cast<unsigned long>(w));
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: perf_probe first-frame EXE | cpu PID SECONDS LABEL BUDGET_PERCENT | latency KEYS | window\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "first-frame" && argc == 3) return first_frame(argv[2]);
    if (command == "cpu" && argc == 6)
        return cpu(std::strtol(argv[2], nullptr, 10), std::strtod(argv[3], nullptr), argv[4],
                   std::strtod(argv[5], nullptr));
    if (command == "latency" && argc == 3) return latency(static_cast<int>(std::strtol(argv[2], nullptr, 10)));
    if (command == "window" && argc == 2) return window();
    return usage();
}
