// Placeholders for runtime operations whose subsystem is still being built.
// Every definition is weak, so the real one replaces it at link time; each
// aborts with its name if it is ever reached. This file goes away once
// every subsystem is complete.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <cstdio>
#include <cstdlib>
#include "game/game.h"
#include "platform/plat_keys.h"
#include "platform/plat_window.h"
#include "platform/plat_msgbox.h"
#include "platform/plat_process.h"
#include "platform/plat_thread.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/core/return_stack.h"
#include "runtime/core/runtime.h"
#include "runtime/core/timing.h"
#include "runtime/core/var_storage.h"
#include "runtime/display/frame_composer.h"
#include "runtime/display/window.h"
#include "runtime/input/key_reading.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/line_input.h"
#include "runtime/input/mouse.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_statements.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/number_format.h"
#include "runtime/strings/rt_string.h"
#include "runtime/strings/string_ops.h"

[[noreturn]] static void not_yet_built(const char* name) {
    std::fprintf(stderr, "not built yet: %s\n", name);
    std::abort();
}

__attribute__((weak)) RuntimeControl rt_control;
__attribute__((weak)) uint8_t ConvMemory[CONV_MEMORY_SIZE];
__attribute__((weak)) uint16_t rt_peek_segment;
__attribute__((weak)) ReturnStack rt_return_stack;
__attribute__((weak)) ClockBase rt_clock_base;
__attribute__((weak)) uint32_t rt_rnd_state;
__attribute__((weak)) uint32_t rt_rnd_reset_value;
__attribute__((weak)) VarStorage rt_vars;
__attribute__((weak)) FrameRing frame_ring;
__attribute__((weak)) std::atomic<int32_t> frame_count;       // counted by the frame thread every second pass
__attribute__((weak)) std::atomic<int32_t> screen_handshake;  // 0 idle, 1 keep away, 2 seen
__attribute__((weak)) std::atomic<int32_t> prev_frame_valid;  // cleared by rt_screen on page changes
__attribute__((weak)) std::atomic<int32_t> frame_done;        // set at the end of every call
__attribute__((weak)) std::atomic<int32_t> frame_size_width;  // size of the display page in pixels
__attribute__((weak)) std::atomic<int32_t> frame_size_height;
__attribute__((weak)) std::atomic<int32_t> screen_hidden;
__attribute__((weak)) std::atomic<int32_t> key_wake;
__attribute__((weak)) InputTarget rt_input_targets[RT_INPUT_MAX_TARGETS];
__attribute__((weak)) FontTable rt_fonts;
__attribute__((weak)) uint8_t font_glyphs_8x8[256 * 64];
__attribute__((weak)) uint8_t font_glyphs_8x16[256 * 128];
__attribute__((weak)) uint32_t palette_256[256];
__attribute__((weak)) uint32_t palette_64[64];
__attribute__((weak)) PageList rt_pages;
__attribute__((weak)) int32_t default_screen_untouched;
__attribute__((weak)) int32_t control_chars_off;
__attribute__((weak)) int32_t labels_drawing;
__attribute__((weak)) RtString* rts_empty_string;  // shared empty string (ends printed lines)
__attribute__((weak)) RtString* rts_space_string;  // shared one-space string
__attribute__((weak)) PlatKeyState plat_read_key_state() { not_yet_built("plat_read_key_state"); }
__attribute__((weak)) void plat_set_key_state_hook(PlatKeyStateHook hook) { not_yet_built("plat_set_key_state_hook"); }
__attribute__((weak)) PlatMsgBoxResult plat_message_box(const char* text, const char* caption, PlatMsgBoxButtons buttons) { not_yet_built("plat_message_box"); }
__attribute__((weak)) size_t plat_executable_path(char* buf, size_t size) { not_yet_built("plat_executable_path"); }
__attribute__((weak)) bool plat_change_directory(const char* path) { not_yet_built("plat_change_directory"); }
__attribute__((weak)) [[noreturn]] void plat_exit(int status) { not_yet_built("plat_exit"); }
__attribute__((weak)) void plat_set_exit_hook(PlatExitHook hook) { not_yet_built("plat_set_exit_hook"); }
__attribute__((weak)) void plat_set_extended_precision() { not_yet_built("plat_set_extended_precision"); }
__attribute__((weak)) void plat_install_fpe_handler(void (*handler)()) { not_yet_built("plat_install_fpe_handler"); }
__attribute__((weak)) bool plat_display_available() { not_yet_built("plat_display_available"); }
__attribute__((weak)) bool plat_start_thread(PlatThreadFunc func, const char* name) { not_yet_built("plat_start_thread"); }
__attribute__((weak)) void plat_set_thread_name(const char* name) { not_yet_built("plat_set_thread_name"); }
__attribute__((weak)) int64_t plat_clock_ms() { not_yet_built("plat_clock_ms"); }
__attribute__((weak)) void plat_sleep_ms(int32_t ms) { not_yet_built("plat_sleep_ms"); }
__attribute__((weak)) int64_t plat_calendar_time() { not_yet_built("plat_calendar_time"); }
__attribute__((weak)) bool plat_local_time_of_day(int64_t calendar_time, int* hours, int* minutes, int* seconds) { not_yet_built("plat_local_time_of_day"); }
__attribute__((weak)) void plat_set_clock_hooks(const PlatClockHooks* hooks) { not_yet_built("plat_set_clock_hooks"); }
__attribute__((weak)) void conv_memory_clear() { not_yet_built("conv_memory_clear"); }
__attribute__((weak)) void rt_def_seg(int32_t segment) { not_yet_built("rt_def_seg"); }
__attribute__((weak)) void rt_error(ErrorCode code) { not_yet_built("rt_error"); }
__attribute__((weak)) [[noreturn]] void rt_fatal(const char* text, const char* caption) { not_yet_built("rt_fatal"); }
__attribute__((weak)) void rt_check_statement(uint32_t line) { not_yet_built("rt_check_statement"); }
__attribute__((weak)) void rt_report_error() { not_yet_built("rt_report_error"); }
__attribute__((weak)) void rt_dispatch_events() { not_yet_built("rt_dispatch_events"); }
__attribute__((weak)) const char* rt_error_message(ErrorCode code) { not_yet_built("rt_error_message"); }
__attribute__((weak)) bool rt_error_critical(ErrorCode code, const char** text, char* caption) { not_yet_built("rt_error_critical"); }
__attribute__((weak)) void rt_grow_return_stack() { not_yet_built("rt_grow_return_stack"); }
__attribute__((weak)) int rt_main(int argc, char** argv, ProgramEntry program) { not_yet_built("rt_main"); }
__attribute__((weak)) void rt_start_runtime(int argc, char** argv, ProgramEntry program) { not_yet_built("rt_start_runtime"); }
__attribute__((weak)) [[noreturn]] void rt_end() { not_yet_built("rt_end"); }
__attribute__((weak)) [[noreturn]] void rt_park_program_thread() { not_yet_built("rt_park_program_thread"); }
__attribute__((weak)) void rt_display() { not_yet_built("rt_display"); }
__attribute__((weak)) void rt_auto_display() { not_yet_built("rt_auto_display"); }
__attribute__((weak)) const char* rt_command_line() { not_yet_built("rt_command_line"); }
__attribute__((weak)) int64_t rt_clock_ms() { not_yet_built("rt_clock_ms"); }
__attribute__((weak)) uint32_t rt_time_of_day_ms() { not_yet_built("rt_time_of_day_ms"); }
__attribute__((weak)) double rt_timer(double accuracy, int32_t accuracy_given) { not_yet_built("rt_timer"); }
__attribute__((weak)) void rt_sleep(int32_t seconds, int32_t seconds_given) { not_yet_built("rt_sleep"); }
__attribute__((weak)) void rt_delay(double seconds) { not_yet_built("rt_delay"); }
__attribute__((weak)) void rt_limit(double rate) { not_yet_built("rt_limit"); }
__attribute__((weak)) void rt_randomize(double seed, int32_t mode) { not_yet_built("rt_randomize"); }
__attribute__((weak)) float rt_rnd(float argument, int32_t argument_given) { not_yet_built("rt_rnd"); }
__attribute__((weak)) void rt_var_init() { not_yet_built("rt_var_init"); }
__attribute__((weak)) void* rt_var_alloc(int32_t n) { not_yet_built("rt_var_alloc"); }
__attribute__((weak)) void rt_var_restore(void* p) { not_yet_built("rt_var_restore"); }
__attribute__((weak)) void compose_frame() { not_yet_built("compose_frame"); }
__attribute__((weak)) [[noreturn]] void rt_window_run(int argc, char** argv) { not_yet_built("rt_window_run"); }
__attribute__((weak)) void rt_register_window_callbacks() { not_yet_built("rt_register_window_callbacks"); }
__attribute__((weak)) void on_display() { not_yet_built("on_display"); }
__attribute__((weak)) void on_redisplay_timer(int value) { not_yet_built("on_redisplay_timer"); }
__attribute__((weak)) void on_reshape(int width, int height) { not_yet_built("on_reshape"); }
__attribute__((weak)) void rt_title(RtString* s) { not_yet_built("rt_title"); }
__attribute__((weak)) void rt_screen_show() { not_yet_built("rt_screen_show"); }
__attribute__((weak)) void rt_screen_hide() { not_yet_built("rt_screen_hide"); }
__attribute__((weak)) void rt_fullscreen(int32_t kind, int32_t options) { not_yet_built("rt_fullscreen"); }
__attribute__((weak)) void rt_resize_mode(int32_t kind, int32_t value) { not_yet_built("rt_resize_mode"); }
__attribute__((weak)) RtString* rt_inkey() { not_yet_built("rt_inkey"); }
__attribute__((weak)) int32_t rt_keyhit() { not_yet_built("rt_keyhit"); }
__attribute__((weak)) int32_t rt_keydown(int32_t code) { not_yet_built("rt_keydown"); }
__attribute__((weak)) void rt_wait_any_key() { not_yet_built("rt_wait_any_key"); }
__attribute__((weak)) void rt_on_char_key(int32_t key, bool pressed, int32_t modifiers) { not_yet_built("rt_on_char_key"); }
__attribute__((weak)) void rt_on_special_key(int32_t key, bool pressed) { not_yet_built("rt_on_special_key"); }
__attribute__((weak)) int32_t rt_window_hook(int32_t kind, int32_t a, int32_t b) { not_yet_built("rt_window_hook"); }
__attribute__((weak)) void rt_key_press(int32_t code) { not_yet_built("rt_key_press"); }
__attribute__((weak)) void rt_key_release(int32_t code) { not_yet_built("rt_key_release"); }
__attribute__((weak)) int32_t rt_key_is_down(int32_t code) { not_yet_built("rt_key_is_down"); }
__attribute__((weak)) void rt_held_add(int32_t code) { not_yet_built("rt_held_add"); }
__attribute__((weak)) void rt_held_remove(int32_t code) { not_yet_built("rt_held_remove"); }
__attribute__((weak)) void rt_update_shift_flags() { not_yet_built("rt_update_shift_flags"); }
__attribute__((weak)) void rt_poll_lock_keys() { not_yet_built("rt_poll_lock_keys"); }
__attribute__((weak)) void rt_keyboard_init() { not_yet_built("rt_keyboard_init"); }
__attribute__((weak)) int32_t key_hit_queue_pop() { not_yet_built("key_hit_queue_pop"); }
__attribute__((weak)) void rt_input(int32_t count, int32_t newline) { not_yet_built("rt_input"); }
__attribute__((weak)) void rt_on_mouse_button(int button, int state, int x, int y) { not_yet_built("rt_on_mouse_button"); }
__attribute__((weak)) void rt_on_mouse_wheel(int wheel, int direction, int x, int y) { not_yet_built("rt_on_mouse_wheel"); }
__attribute__((weak)) void rt_on_mouse_motion(int x, int y) { not_yet_built("rt_on_mouse_motion"); }
__attribute__((weak)) void rt_mouse_raw_move(int32_t dx, int32_t dy) { not_yet_built("rt_mouse_raw_move"); }
__attribute__((weak)) void fonts_palettes_init() { not_yet_built("fonts_palettes_init"); }
__attribute__((weak)) void page_ensure(int32_t page) { not_yet_built("page_ensure"); }
__attribute__((weak)) void rt_screen(int32_t mode, int32_t active, int32_t visual, int32_t flags) { not_yet_built("rt_screen"); }
__attribute__((weak)) void rt_pcopy(int32_t from, int32_t to) { not_yet_built("rt_pcopy"); }
__attribute__((weak)) void rt_width(int32_t columns, int32_t rows) { not_yet_built("rt_width"); }
__attribute__((weak)) ScreenImage* img_get(int32_t index) { not_yet_built("img_get"); }
__attribute__((weak)) int32_t img_new_index() { not_yet_built("img_new_index"); }
__attribute__((weak)) int32_t img_free_index(int32_t index) { not_yet_built("img_free_index"); }
__attribute__((weak)) int32_t img_wrap(uint8_t* data, int32_t width, int32_t height, int32_t mode) { not_yet_built("img_wrap"); }
__attribute__((weak)) int32_t img_create(int32_t width, int32_t height, int32_t mode) { not_yet_built("img_create"); }
__attribute__((weak)) void img_reset_palette(ScreenImage* image) { not_yet_built("img_reset_palette"); }
__attribute__((weak)) void img_set_font(int32_t font, ScreenImage* image) { not_yet_built("img_set_font"); }
__attribute__((weak)) void img_reset_colours() { not_yet_built("img_reset_colours"); }
__attribute__((weak)) bool img_handle_valid(int32_t handle) { not_yet_built("img_handle_valid"); }
__attribute__((weak)) int32_t img_next_index() { not_yet_built("img_next_index"); }
__attribute__((weak)) int32_t img_capacity() { not_yet_built("img_capacity"); }
__attribute__((weak)) void img_table_init() { not_yet_built("img_table_init"); }
__attribute__((weak)) int32_t img_text_rows(const ScreenImage* image) { not_yet_built("img_text_rows"); }
__attribute__((weak)) int32_t img_text_columns(const ScreenImage* image) { not_yet_built("img_text_columns"); }
__attribute__((weak)) void rt_cls(int32_t kind, uint32_t fill, int32_t flags) { not_yet_built("rt_cls"); }
__attribute__((weak)) void rt_color(uint32_t fg, uint32_t bg, uint32_t border, int32_t flags) { not_yet_built("rt_color"); }
__attribute__((weak)) void rt_locate(int32_t row, int32_t col, int32_t cursor, int32_t start, int32_t stop, int32_t flags) { not_yet_built("rt_locate"); }
__attribute__((weak)) int32_t rt_csrlin() { not_yet_built("rt_csrlin"); }
__attribute__((weak)) int32_t rt_pos() { not_yet_built("rt_pos"); }
__attribute__((weak)) void rt_view_print(int32_t top, int32_t bottom, int32_t given) { not_yet_built("rt_view_print"); }
__attribute__((weak)) int32_t rt_image_width(int32_t handle, int32_t use_handle) { not_yet_built("rt_image_width"); }
__attribute__((weak)) void rt_control_chars(int32_t setting) { not_yet_built("rt_control_chars"); }
__attribute__((weak)) void rt_print(RtString* s, int32_t line_end) { not_yet_built("rt_print"); }
__attribute__((weak)) void rt_print_fit(RtString* s) { not_yet_built("rt_print_fit"); }
__attribute__((weak)) void text_newline() { not_yet_built("text_newline"); }
__attribute__((weak)) void text_put_char(uint32_t code) { not_yet_built("text_put_char"); }
__attribute__((weak)) void rt_print_zone() { not_yet_built("rt_print_zone"); }
__attribute__((weak)) int32_t rt_print_width(RtString* s, int32_t handle, int32_t use_handle) { not_yet_built("rt_print_width"); }
__attribute__((weak)) RtString* rts_str_int(int32_t value) { not_yet_built("rts_str_int"); }
__attribute__((weak)) RtString* rts_str_int64(int64_t value) { not_yet_built("rts_str_int64"); }
__attribute__((weak)) RtString* rts_str_uint(uint32_t value) { not_yet_built("rts_str_uint"); }
__attribute__((weak)) RtString* rts_str_uint64(uint64_t value) { not_yet_built("rts_str_uint64"); }
__attribute__((weak)) RtString* rts_str_single(float value) { not_yet_built("rts_str_single"); }
__attribute__((weak)) RtString* rts_str_double(double value) { not_yet_built("rts_str_double"); }
__attribute__((weak)) RtString* rts_str_extended(long double value) { not_yet_built("rts_str_extended"); }
__attribute__((weak)) int32_t rt_using_single(RtString* format, float value, int32_t position, RtString* output) { not_yet_built("rt_using_single"); }
__attribute__((weak)) int32_t rt_using_double(RtString* format, double value, int32_t position, RtString* output) { not_yet_built("rt_using_double"); }
__attribute__((weak)) int32_t rt_using_extended(RtString* format, long double value, int32_t position, RtString* output) { not_yet_built("rt_using_extended"); }
__attribute__((weak)) int32_t rt_using_int64(RtString* format, int64_t value, int32_t position, RtString* output) { not_yet_built("rt_using_int64"); }
__attribute__((weak)) int32_t rt_using_uint64(RtString* format, uint64_t value, int32_t position, RtString* output) { not_yet_built("rt_using_uint64"); }
__attribute__((weak)) int32_t rt_using_format(RtString* format, int32_t position, RtString* output, RtString* value) { not_yet_built("rt_using_format"); }
__attribute__((weak)) long double rts_val(RtString* s) { not_yet_built("rts_val"); }
__attribute__((weak)) void rts_init() { not_yet_built("rts_init"); }
__attribute__((weak)) RtString* rts_new(uint32_t length, int32_t temporary) { not_yet_built("rts_new"); }
__attribute__((weak)) RtString* rts_new_in_data_block(uint32_t length, int32_t temporary) { not_yet_built("rts_new_in_data_block"); }
__attribute__((weak)) RtString* rts_from_literal(const void* bytes, int32_t length) { not_yet_built("rts_from_literal"); }
__attribute__((weak)) RtString* rts_from_cstring(const char* text) { not_yet_built("rts_from_cstring"); }
__attribute__((weak)) RtString* rts_wrap_fixed(void* storage, int32_t length, int32_t temporary) { not_yet_built("rts_wrap_fixed"); }
__attribute__((weak)) RtString* rts_make_temp(RtString* s) { not_yet_built("rts_make_temp"); }
__attribute__((weak)) RtString* rts_assign(RtString* destination, RtString* source) { not_yet_built("rts_assign"); }
__attribute__((weak)) void rts_free(RtString* s) { not_yet_built("rts_free"); }
__attribute__((weak)) uint32_t rts_temp_mark() { not_yet_built("rts_temp_mark"); }
__attribute__((weak)) int32_t rts_release_temps(uint32_t mark, int32_t value) { not_yet_built("rts_release_temps"); }
__attribute__((weak)) bool rts_is_reusable_temp(const RtString* s) { not_yet_built("rts_is_reusable_temp"); }
__attribute__((weak)) uint16_t rts_data_block_top() { not_yet_built("rts_data_block_top"); }
__attribute__((weak)) void rts_set_data_block_top(uint16_t top) { not_yet_built("rts_set_data_block_top"); }
__attribute__((weak)) RtString* rts_concat(RtString* left, RtString* right) { not_yet_built("rts_concat"); }
__attribute__((weak)) RtString* rts_ucase(RtString* s) { not_yet_built("rts_ucase"); }
__attribute__((weak)) RtString* rts_lcase(RtString* s) { not_yet_built("rts_lcase"); }
__attribute__((weak)) RtString* rts_ltrim(RtString* s) { not_yet_built("rts_ltrim"); }
__attribute__((weak)) RtString* rts_rtrim(RtString* s) { not_yet_built("rts_rtrim"); }
__attribute__((weak)) RtString* rts_left(RtString* s, int32_t count) { not_yet_built("rts_left"); }
__attribute__((weak)) RtString* rts_right(RtString* s, int32_t count) { not_yet_built("rts_right"); }
__attribute__((weak)) RtString* rts_mid(RtString* s, int32_t start, int32_t count, int32_t count_given) { not_yet_built("rts_mid"); }
__attribute__((weak)) void rts_mid_assign(RtString* destination, int32_t start, int32_t count, RtString* source, int32_t count_given) { not_yet_built("rts_mid_assign"); }
__attribute__((weak)) RtString* rts_space(int32_t count) { not_yet_built("rts_space"); }
__attribute__((weak)) RtString* rts_string(int32_t count, int32_t code) { not_yet_built("rts_string"); }
__attribute__((weak)) RtString* rts_chr(int32_t code) { not_yet_built("rts_chr"); }
__attribute__((weak)) int32_t rts_asc(RtString* s) { not_yet_built("rts_asc"); }
__attribute__((weak)) int32_t rts_asc_at(RtString* s, int32_t position) { not_yet_built("rts_asc_at"); }
__attribute__((weak)) int32_t rts_len(RtString* s) { not_yet_built("rts_len"); }
__attribute__((weak)) int32_t rts_instr(int32_t start, RtString* haystack, RtString* needle, int32_t start_given) { not_yet_built("rts_instr"); }
__attribute__((weak)) int32_t rts_equal(RtString* left, RtString* right) { not_yet_built("rts_equal"); }
__attribute__((weak)) int32_t rts_not_equal(RtString* left, RtString* right) { not_yet_built("rts_not_equal"); }
__attribute__((weak)) int32_t rts_less(RtString* left, RtString* right) { not_yet_built("rts_less"); }
__attribute__((weak)) int32_t rts_greater(RtString* left, RtString* right) { not_yet_built("rts_greater"); }
__attribute__((weak)) int32_t rts_less_equal(RtString* left, RtString* right) { not_yet_built("rts_less_equal"); }
__attribute__((weak)) int32_t rts_greater_equal(RtString* left, RtString* right) { not_yet_built("rts_greater_equal"); }
__attribute__((weak)) void rts_lset(RtString* destination, RtString* source) { not_yet_built("rts_lset"); }
__attribute__((weak)) void rts_rset(RtString* destination, RtString* source) { not_yet_built("rts_rset"); }
__attribute__((weak)) void game_program() { not_yet_built("game_program"); }
__attribute__((weak)) void rt_glut_keyboard(unsigned char key, int x, int y) { not_yet_built("rt_glut_keyboard"); }
__attribute__((weak)) void rt_glut_keyboard_up(unsigned char key, int x, int y) { not_yet_built("rt_glut_keyboard_up"); }
__attribute__((weak)) void rt_glut_special(int key, int x, int y) { not_yet_built("rt_glut_special"); }
__attribute__((weak)) void rt_glut_special_up(int key, int x, int y) { not_yet_built("rt_glut_special_up"); }
__attribute__((weak)) void plat_run_event_loop(PlatWindowHook hook) { not_yet_built("plat_run_event_loop"); }
