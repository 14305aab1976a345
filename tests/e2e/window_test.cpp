// The real window under an X server: its title, its snapping to the frame
// size, its pixels read back from the screen, no drawing while nothing
// changes, and a user's resize undone. Each test starts the window probe
// (tests/e2e/probe) and drives it with xdotool and ImageMagick's import.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/run_command.h"
#include "tests/support/child_process.h"
#include "tests/support/runtime_harness.h"

extern char** environ;

namespace {

const std::string kProbe = std::string(TOL_BINARY_DIR) + "/tests/e2e/window_probe";

// Polls condition every 50 ms (it runs xdotool or reads the probe's files);
// false after timeout_ms. A guard against hangs, not a timing assertion.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = 20000) {
    return harness_wait_until(condition, timeout_ms, 50);
}

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

// A binary PPM (P6, maxval 255), as the probe and import write them.
Image read_ppm(const std::string& path) {
    Image img;
    std::ifstream f(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    f >> magic >> img.width >> img.height >> maxval;
    f.get();
    if (magic != "P6" || maxval != 255 || img.width <= 0 || img.height <= 0) return Image{};
    img.rgb.resize(size_t(img.width) * img.height * 3);
    f.read(reinterpret_cast<char*>(img.rgb.data()), std::streamsize(img.rgb.size()));
    if (!f) return Image{};
    return img;
}

::testing::AssertionResult same_image(const Image& actual, const Image& expected) {
    if (actual.width != expected.width || actual.height != expected.height)
        return ::testing::AssertionFailure() << "image " << actual.width << "x" << actual.height
                                             << ", expected " << expected.width << "x"
                                             << expected.height;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (actual.at(x, y) != expected.at(x, y))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << actual.at(x, y)
                       << ", expected " << expected.at(x, y);
    return ::testing::AssertionSuccess();
}

struct Stats {
    unsigned long long calls = 0, draws = 0, swaps = 0;
};

class WindowProbe : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY is not set)";
        dir_ = make_scratch_dir("window_test");
        ASSERT_FALSE(dir_.empty());
        expected_path_ = dir_ + "/expected.ppm";
        stats_path_ = dir_ + "/stats.txt";
        std::vector<char*> argv = {const_cast<char*>(kProbe.c_str()),
                                   const_cast<char*>(expected_path_.c_str()),
                                   const_cast<char*>(stats_path_.c_str()), nullptr};
        ASSERT_EQ(posix_spawn(&pid_, kProbe.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        ASSERT_TRUE(wait_until([&] {
            window_ = run_command("xdotool search --name '^Untitled$' | head -n 1");
            return !window_.empty();
        })) << "the probe's window did not appear";
        ASSERT_TRUE(wait_until([&] { return read_ppm(expected_path_).width == 640; }))
            << "the probe did not draw its screen";
        expected_ = read_ppm(expected_path_);
    }

    void TearDown() override {
        stop_child(pid_);
        remove_scratch_dir(dir_);
    }

    std::pair<int, int> geometry() {
        std::istringstream in(run_command("xdotool getwindowgeometry --shell " + window_));
        std::string line;
        int w = 0, h = 0;
        while (std::getline(in, line)) {
            if (line.rfind("WIDTH=", 0) == 0) w = std::atoi(line.c_str() + 6);
            if (line.rfind("HEIGHT=", 0) == 0) h = std::atoi(line.c_str() + 7);
        }
        return {w, h};
    }

    Stats stats() {
        Stats s;
        std::ifstream f(stats_path_);
        f >> s.calls >> s.draws >> s.swaps;
        return s;
    }

    Image screenshot() {
        const std::string path = dir_ + "/shot.ppm";
        run_command("import -window " + window_ + " -depth 8 ppm:" + path);
        return read_ppm(path);
    }

    // Waits until the window is 640x480 at the top left of the screen and
    // shows the expected picture; returns the last screenshot.
    Image settled_screenshot() {
        Image shot;
        wait_until([&] { return geometry() == std::make_pair(640, 480); });
        run_command("xdotool windowmove --sync " + window_ + " 0 0");
        wait_until([&] {
            shot = screenshot();
            return same_image(shot, expected_);
        });
        return shot;
    }

    pid_t pid_ = 0;
    std::string dir_, expected_path_, stats_path_, window_;
    Image expected_;
};

TEST_F(WindowProbe, WindowIsTitledUntitledAndSnapsToTheFrame) {
    EXPECT_EQ(run_command("xdotool getwindowname " + window_), "Untitled");
    EXPECT_TRUE(wait_until([&] { return geometry() == std::make_pair(640, 480); }))
        << "window is " << geometry().first << "x" << geometry().second;
}

TEST_F(WindowProbe, WindowShowsTheFramePixelForPixel) {
    const Image shot = settled_screenshot();
    EXPECT_TRUE(same_image(shot, expected_));
    // The stripe band, checked against the 16 colours themselves.
    static const uint32_t colours[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA,
                                         0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                                         0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                         0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
    ASSERT_EQ(shot.width, 640);
    for (int y = 448; y < 480; y += 3)
        for (int x = 0; x < 640; x += 5)
            ASSERT_EQ(shot.at(x, y), colours[(x / 8 + y / 4) % 16]) << x << "," << y;
    // Text in its colours: the yellow-on-blue line has both colours in it.
    int yellow = 0, blue = 0;
    for (int y = 32; y < 48; ++y)
        for (int x = 32; x < 32 + 14 * 8; ++x) {
            yellow += shot.at(x, y) == 0xFFFF55;
            blue += shot.at(x, y) == 0x0000AA;
        }
    EXPECT_GT(yellow, 100);
    EXPECT_GT(blue, 100);
}

TEST_F(WindowProbe, UnchangedScreenIsNotDrawnAgain) {
    settled_screenshot();
    // Let any last frames of start-up land, then watch the display callback.
    Stats before;
    wait_until([&] {
        before = stats();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const Stats now = stats();
        return now.draws == before.draws && now.calls > before.calls;
    });
    before = stats();
    ASSERT_TRUE(wait_until([&] { return stats().calls >= before.calls + 40; }))
        << "the display callback is not called";
    const Stats after = stats();
    EXPECT_EQ(after.draws, before.draws);
    EXPECT_EQ(after.swaps, before.swaps);
    EXPECT_GT(before.draws, 0u);
}

TEST_F(WindowProbe, UserResizeIsUndone) {
    settled_screenshot();
    const Stats before = stats();
    run_command("xdotool windowsize " + window_ + " 800 600");
    EXPECT_TRUE(wait_until([&] { return geometry() == std::make_pair(640, 480); }))
        << "window stays " << geometry().first << "x" << geometry().second;
    EXPECT_TRUE(wait_until([&] { return stats().draws > before.draws; }))
        << "the frame was not drawn again after the reshape";
    EXPECT_TRUE(same_image(settled_screenshot(), expected_));
}

}  // namespace
