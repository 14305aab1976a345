// Keyboard events and key state: key codes, the window callbacks, key press
// and release, the KeyRing in ConvMemory, the KeyHitQueue, the HeldKeyList,
// the BIOS shift-flag bytes, the ScanCodeBuffer and key_wake.
#pragma once
#include <atomic>
#include <cstdint>

// Key codes beyond the character range.
constexpr int32_t KEY_PAUSE = 100019;
constexpr int32_t KEY_NUM_LOCK_STATE = 100300;
constexpr int32_t KEY_CAPS_LOCK_STATE = 100301;
constexpr int32_t KEY_SCROLL_LOCK = 100302;
constexpr int32_t KEY_RIGHT_SHIFT = 100303;
constexpr int32_t KEY_LEFT_SHIFT = 100304;
constexpr int32_t KEY_RIGHT_CTRL = 100305;
constexpr int32_t KEY_LEFT_CTRL = 100306;
constexpr int32_t KEY_RIGHT_ALT = 100307;
constexpr int32_t KEY_LEFT_ALT = 100308;
constexpr int32_t KEY_BREAK = 100318;
constexpr int32_t KEY_SCROLL_LOCK_STATE = 200011;
constexpr int32_t KEY_INSERT_MODE = 200012;
constexpr int32_t KEY_CHAR_ZERO = 200013;

// BIOS extended codes: the scan code in the high byte.
constexpr int32_t KEY_F1 = 0x3B00;  // F1 to F10 follow in steps of 0x100
constexpr int32_t KEY_F10 = 0x4400;
constexpr int32_t KEY_F11 = 0x8500;
constexpr int32_t KEY_F12 = 0x8600;
constexpr int32_t KEY_HOME = 0x4700;
constexpr int32_t KEY_UP = 0x4800;
constexpr int32_t KEY_PAGE_UP = 0x4900;
constexpr int32_t KEY_LEFT = 0x4B00;
constexpr int32_t KEY_RIGHT = 0x4D00;
constexpr int32_t KEY_END = 0x4F00;
constexpr int32_t KEY_DOWN = 0x5000;
constexpr int32_t KEY_PAGE_DOWN = 0x5100;
constexpr int32_t KEY_INSERT = 0x5200;
constexpr int32_t KEY_DELETE = 0x5300;

// Modifier bits passed to rt_on_char_key (the values of GLUT_ACTIVE_SHIFT,
// GLUT_ACTIVE_CTRL and GLUT_ACTIVE_ALT).
constexpr int32_t KEY_MOD_SHIFT = 1;
constexpr int32_t KEY_MOD_CTRL = 2;
constexpr int32_t KEY_MOD_ALT = 4;

// Kinds of rt_window_hook calls.
constexpr int32_t HOOK_CLOSE_REQUEST = 1;
constexpr int32_t HOOK_PAUSE_BREAK = 2;
constexpr int32_t HOOK_RAW_MOUSE = 3;

// Window-layer entry points (display thread). modifiers: GLUT_ACTIVE_* bits
// as glutGetModifiers reports them; the GLUT callbacks pass it in.
void rt_on_char_key(int32_t key, bool pressed, int32_t modifiers);
void rt_on_special_key(int32_t key, bool pressed);
int32_t rt_window_hook(int32_t kind, int32_t a, int32_t b);

void rt_key_press(int32_t code);
void rt_key_release(int32_t code);
int32_t rt_key_is_down(int32_t code);
void rt_held_add(int32_t code);
void rt_held_remove(int32_t code);
void rt_update_shift_flags();
void rt_poll_lock_keys();
void rt_keyboard_init();

// Set at the end of every key press; cleared by rt_sleep.
extern std::atomic<int32_t> key_wake;

// KeyHitQueue read side (rt_keyhit): returns 0 when empty.
int32_t key_hit_queue_pop();

// GLUT callback adapters (registered by the window): they read
// glutGetModifiers and pass key & 0xFF on to rt_on_char_key / rt_on_special_key.
void rt_glut_keyboard(unsigned char key, int x, int y);
void rt_glut_keyboard_up(unsigned char key, int x, int y);
void rt_glut_special(int key, int x, int y);
void rt_glut_special_up(int key, int x, int y);
