// Test helper: the headless game. The real game program runs on the real
// runtime (harness_start_runtime, runtime_harness.h), without a window:
//
// - the clock is the harness's fake clock in its manual mode, moved on by a
//   pump at `clock_rate` fake milliseconds per real millisecond, or held
//   still so that a test sets the time exactly (game_hold_clock,
//   game_advance_clock); while it is held the command editor runs one pass
//   per clock step of at least one frame period (34 ms);
// - keys are injected where the window's callbacks deliver them
//   (rt_on_char_key with pressed true and false and GLUT modifier bits;
//   rt_window_hook for Break and the close button);
// - a stand-in for the display thread takes every composed frame from the
//   frame ring (so the ring never fills), keeps a copy of the newest, and
//   the screen is read back from that copy as text (frame_text.h): what the
//   player would see.
//
// The runtime can be started once per process; ctest runs every test in a
// process of its own. All functions are for the test's own thread.
//
//     game_start();
//     ASSERT_TRUE(game_wait_text(7, "The trees watch."));
//     game_type("x");                 // dismiss the introduction
//     ASSERT_TRUE(game_wait_prompt());
//     game_command("west");
//     ASSERT_TRUE(game_wait_prompt());
//     EXPECT_EQ(game_screen().row(20, true), "Being barefoot and ...");
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include "tests/support/frame_text.h"

// Modifier bits as glutGetModifiers reports them.
constexpr int32_t GAME_SHIFT = 1;  // GLUT_ACTIVE_SHIFT
constexpr int32_t GAME_CTRL = 2;   // GLUT_ACTIVE_CTRL
constexpr int32_t GAME_ALT = 4;    // GLUT_ACTIVE_ALT

struct GameStartOptions {
    int hours = 10, minutes = 0, seconds = 0, ms = 0;  // wall clock at start
    bool hold_clock = false;  // start with the clock held still
    int clock_rate = 4;       // fake ms per real ms while the clock runs
};

// Start the runtime with the game program, the clock pump and the frame taker.
void game_start(const GameStartOptions& options = {});

// ---- Keys --------------------------------------------------------------------

// One key pressed and released, as the character callbacks deliver it.
void game_key(int32_t key, int32_t modifiers = 0);
// Only the press, or only the release.
void game_key_down(int32_t key, int32_t modifiers = 0);
void game_key_up(int32_t key, int32_t modifiers = 0);
// Each character pressed and released; upper-case letters come with Shift.
void game_type(std::string_view text);
void game_enter();
// The Break key (press and release) and the window's close button.
void game_break();
void game_close_window();

// ---- Clock -------------------------------------------------------------------

void game_hold_clock();
void game_run_clock();
void game_advance_clock(int64_t ms);
// Seconds since midnight as the game's timer reads them now (ms accuracy).
double game_timer_now();

// ---- Screen ------------------------------------------------------------------

// The newest composed frame taken so far, as text (an empty FrameText before
// the first).
FrameText game_screen();
// The number of frames published so far (taken or not yet).
uint64_t game_frame_number();
// Wait for a frame published after frame number `after` that satisfies `pred`.
bool game_wait_screen(const std::function<bool(const FrameText&)>& pred, uint64_t after = 0,
                      int timeout_ms = 20000);
// Wait until the screen shows `text` (trailing spaces ignored) on `row`.
bool game_wait_text(int row, std::string_view text, uint64_t after = 0, int timeout_ms = 20000);

// ---- Synchronisation --------------------------------------------------------

// True when the keyboard ring holds no unread key.
bool game_ring_empty();
// Wait until every key in the keyboard ring has been read or thrown away.
bool game_wait_ring_empty(int timeout_ms = 20000);
// Wait until the command editor has started and shown its first pass: every
// key typed before has left the keyboard ring (the editor throws away what
// is waiting when it starts), and automatic display is off (the editor's
// first pass switches it off). Keys typed from then on are read. Returns the
// number of the newest frame published at that moment, 0 on timeout; every
// frame after it is a whole pass of the editor.
uint64_t game_wait_editor(int timeout_ms = 20000);
// game_wait_editor, then a frame of a later pass with the countdown: the
// screen then shows the prompt as it is. Needs the clock to run.
bool game_wait_prompt(int timeout_ms = 20000);
// At the prompt: type the line, then Enter.
void game_command(std::string_view line);
// Wait until the program thread waits for something: it goes round a
// key-reading loop (many reads of an empty keyboard ring in a row) or sits in
// a runtime wait that sleeps in 9 ms slices (rt_sleep, the editor's frame
// pacing); then until the frame thread has had two chances to compose what
// the page shows by then. Used before asserting that a screen is still
// there after a key, and before answering a page or the end prompt, which
// throw away the keys waiting when they are drawn.
bool game_wait_settled(int timeout_ms = 20000);

// Wait until the program thread is inside a runtime wait that sleeps in 9 ms
// slices: the key wait of rt_sleep, or, with the clock held, the command
// editor's frame pacing (its pass is complete and its temporaries released).
bool game_wait_program_sleeping(int timeout_ms = 20000);

// Wait for the process exit; its status, or -1.
int game_wait_exit(int timeout_ms = 20000);
