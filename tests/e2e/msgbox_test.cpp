// The message box on a real X server: its window, caption, lines of text and
// place on the screen, the keyboard focus, and the button chosen with a key,
// with a mouse click and with the window's close button. Needs DISPLAY (./test
// runs the e2e tests under tools/with-xvfb); without one the tests fail.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <atomic>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include "platform/plat_msgbox.h"
#include "tests/support/run_command.h"
#include "tests/support/runtime_harness.h"
#include "tests/support/x_close_request.h"

namespace {

std::string run(const std::string& command) { return run_command(command); }

bool wait_until(const std::function<bool()>& condition) { return harness_wait_until(condition, 20000); }

// Shows one box on a thread of its own and finds its window.
class MessageBoxOnX : public ::testing::Test {
protected:
    Display* display = nullptr;
    Window window = 0;
    std::thread box;
    std::atomic<int> result{-1};

    void SetUp() override {
        const char* name = std::getenv("DISPLAY");
        ASSERT_TRUE(name && *name) << "these tests need an X display (run them under tools/with-xvfb)";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "cannot open the X display " << name;
    }

    void TearDown() override {
        if (box.joinable()) {
            if (result.load() < 0 && window != 0) close_box();  // don't leave it hanging
            box.join();
        }
        if (display) XCloseDisplay(display);
    }

    void show(const std::string& text, const std::string& caption, PlatMsgBoxButtons buttons) {
        box = std::thread([this, text, caption, buttons] {
            result = plat_message_box(text.c_str(), caption.c_str(), buttons);
        });
        // xdotool matches names as regular expressions.
        std::string pattern = "^" + caption + "$";
        for (char special : std::string("#()")) {
            for (size_t at = pattern.find(special); at != std::string::npos; at = pattern.find(special, at + 2))
                pattern.insert(at, "\\");
        }
        std::string id;
        ASSERT_TRUE(wait_until([&] {
            id = run("xdotool search --onlyvisible --name '" + pattern + "'");
            return !id.empty();
        })) << "no visible window named " << caption;
        ASSERT_EQ(id.find('\n'), std::string::npos) << "one window only: " << id;
        window = static_cast<Window>(std::stoul(id));
        ASSERT_TRUE(wait_until([&] { return run("xdotool getwindowfocus") == id; }))
            << "the box takes the keyboard focus";
    }

    int wait_result() {
        wait_until([this] { return result.load() >= 0; });
        return result.load();
    }

    // The answer of the box, once it has closed; ready for the next show().
    int answer() {
        int r = wait_result();
        if (box.joinable()) box.join();
        result = -1;
        window = 0;
        return r;
    }

    XWindowAttributes attributes() {
        XWindowAttributes a{};
        XGetWindowAttributes(display, window, &a);
        return a;
    }

    void click(int x, int y) {
        run("xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
            std::to_string(y) + " click 1");
    }

    // Centre of button i of n.
    std::pair<int, int> button_centre(int i, int n) {
        XWindowAttributes a = attributes();
        int row = n * PLAT_MB_BUTTON_WIDTH + (n - 1) * PLAT_MB_BUTTON_GAP;
        int x = (a.width - row) / 2 + i * (PLAT_MB_BUTTON_WIDTH + PLAT_MB_BUTTON_GAP) + PLAT_MB_BUTTON_WIDTH / 2;
        int y = a.height - PLAT_MB_MARGIN - PLAT_MB_BUTTON_HEIGHT / 2;
        return {x, y};
    }

    void close_box() { ASSERT_TRUE(send_close_request(window)); }

    // Bands of rows with dark pixels in the text area, above the buttons.
    int text_line_bands() {
        XWindowAttributes a = attributes();
        int bottom = a.height - PLAT_MB_MARGIN - PLAT_MB_BUTTON_HEIGHT;
        XImage* image = XGetImage(display, window, 0, 0, a.width, bottom, AllPlanes, ZPixmap);
        if (image == nullptr) return -1;
        int bands = 0;
        bool in_band = false;
        for (int y = 0; y < bottom; ++y) {
            bool ink = false;
            for (int x = 0; x < a.width && !ink; ++x) {
                unsigned long p = XGetPixel(image, x, y);
                ink = ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
            }
            if (ink && !in_band) ++bands;
            in_band = ink;
        }
        XDestroyImage(image);
        return bands;
    }
};

TEST_F(MessageBoxOnX, TitledWithTheCaptionAndShowingEachLine) {
    show("Line:54\nSubscript out of range\nContinue?", "Unhandled Error #9", PLAT_MB_YES_NO);

    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display, window, &name));
    EXPECT_STREQ(name, "Unhandled Error #9");
    XFree(name);
    EXPECT_EQ(run("xdotool getwindowname " + std::to_string(window)), "Unhandled Error #9");

    Atom type_atom = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(display, window, type_atom, 0, 1, False, XA_ATOM, &actual, &format, &count,
                                 &after, &data),
              Success);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(*reinterpret_cast<Atom*>(data), XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False));
    XFree(data);

    // Centred on the screen.
    XWindowAttributes a = attributes();
    int x, y;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    int screen_w = DisplayWidth(display, DefaultScreen(display));
    int screen_h = DisplayHeight(display, DefaultScreen(display));
    EXPECT_NEAR(x + a.width / 2, screen_w / 2, 2);
    EXPECT_NEAR(y + a.height / 2, screen_h / 2, 2);

    // Three lines of text drawn as three lines.
    EXPECT_TRUE(wait_until([this] { return text_line_bands() == 3; })) << text_line_bands();

    run("xdotool key Return");
    EXPECT_EQ(wait_result(), PLAT_MB_RESULT_YES);
}

TEST_F(MessageBoxOnX, KeysChooseTheButton) {
    struct Case {
        const char* key;
        PlatMsgBoxButtons buttons;
        PlatMsgBoxResult expected;
    };
    const Case cases[] = {
        {"Return", PLAT_MB_YES_NO, PLAT_MB_RESULT_YES}, {"y", PLAT_MB_YES_NO, PLAT_MB_RESULT_YES},
        {"Escape", PLAT_MB_YES_NO, PLAT_MB_RESULT_NO},  {"n", PLAT_MB_YES_NO, PLAT_MB_RESULT_NO},
        {"Tab Return", PLAT_MB_YES_NO, PLAT_MB_RESULT_NO}, {"Return", PLAT_MB_OK, PLAT_MB_RESULT_OK},
        {"Escape", PLAT_MB_OK, PLAT_MB_RESULT_OK},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string caption = "Key test " + std::to_string(i++);
        show("Line:1\nPress a key\nContinue?", caption, c.buttons);
        run(std::string("xdotool key ") + c.key);
        EXPECT_EQ(answer(), c.expected) << c.key;
        EXPECT_TRUE(wait_until([&] { return run("xdotool search --name '^" + caption + "$'").empty(); }))
            << "the box's window is gone after the answer";
    }
}

TEST_F(MessageBoxOnX, AClickChoosesTheButtonUnderThePointer) {
    show("Line:3\nOverflow\nContinue?", "Unhandled Error #6", PLAT_MB_YES_NO);
    auto [x, y] = button_centre(1, 2);
    click(x, y);
    EXPECT_EQ(answer(), PLAT_MB_RESULT_NO);

    show("Line:3\nOverflow\nContinue?", "Unhandled Error #6 again", PLAT_MB_YES_NO);
    auto [text_x, text_y] = std::pair<int, int>{PLAT_MB_MARGIN + 4, PLAT_MB_MARGIN + 4};
    click(text_x, text_y);  // not on a button: nothing
    auto [yes_x, yes_y] = button_centre(0, 2);
    click(yes_x, yes_y);
    EXPECT_EQ(answer(), PLAT_MB_RESULT_YES);

    show("Out of memory", "Critical Error #2", PLAT_MB_OK);
    auto [ok_x, ok_y] = button_centre(0, 1);
    click(ok_x, ok_y);
    EXPECT_EQ(wait_result(), PLAT_MB_RESULT_OK);
}

TEST_F(MessageBoxOnX, TheCloseButtonAnswersNo) {
    show("Line:8\nType mismatch\nContinue?", "Unhandled Error #13", PLAT_MB_YES_NO);
    close_box();
    EXPECT_EQ(wait_result(), PLAT_MB_RESULT_NO);
}

}  // namespace
