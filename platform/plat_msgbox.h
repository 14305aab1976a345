// The message box: a blocking X11 dialog on its own display connection, so
// the window's event loop keeps running on the display thread meanwhile.
#pragma once

enum PlatMsgBoxButtons { PLAT_MB_OK = 0, PLAT_MB_YES_NO = 4 };
enum PlatMsgBoxResult { PLAT_MB_FAILED = 0, PLAT_MB_RESULT_OK = 1, PLAT_MB_RESULT_YES = 6, PLAT_MB_RESULT_NO = 7 };

// Show the text (line feeds start new lines) under the caption; returns the
// button chosen, or PLAT_MB_FAILED when no dialog could be shown. The caption
// and text are always written to standard error as well.
//
// The dialog is centred on the screen, titled with the caption (WM_NAME and
// _NET_WM_NAME) and typed as a dialog; it takes the keyboard focus when it
// appears. Keys: Enter or Space press the focused button (Yes or OK at
// first), Tab and the arrow keys move the focus, Y chooses Yes and N No;
// Escape and the window's close button choose No (OK for an OK box). A click
// chooses the button it was pressed and released on.
PlatMsgBoxResult plat_message_box(const char* text, const char* caption, PlatMsgBoxButtons buttons);

// Layout of the dialog in pixels: the buttons sit in one row, centred,
// PLAT_MB_MARGIN above the bottom edge; the text lines start at the top left
// margin. Tests use these to click the buttons.
constexpr int PLAT_MB_MARGIN = 16;
constexpr int PLAT_MB_BUTTON_WIDTH = 80;
constexpr int PLAT_MB_BUTTON_HEIGHT = 26;
constexpr int PLAT_MB_BUTTON_GAP = 12;
constexpr int PLAT_MB_MIN_TEXT_WIDTH = 240;

// Test seam: a hook that answers in place of the dialog (null restores the
// dialog). The caption and text still go to standard error. The shipped
// executable never installs one.
using PlatMsgBoxHook = PlatMsgBoxResult (*)(const char* text, const char* caption, PlatMsgBoxButtons buttons);
void plat_set_msgbox_hook(PlatMsgBoxHook hook);
