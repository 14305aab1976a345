// The message box: a blocking X11 dialog on its own display connection, so
// the window's event loop keeps running on the display thread meanwhile.
#pragma once

enum PlatMsgBoxButtons { PLAT_MB_OK = 0, PLAT_MB_YES_NO = 4 };
enum PlatMsgBoxResult { PLAT_MB_FAILED = 0, PLAT_MB_RESULT_OK = 1, PLAT_MB_RESULT_YES = 6, PLAT_MB_RESULT_NO = 7 };

// Show the text (line feeds start new lines) under the caption; returns the
// button chosen, or PLAT_MB_FAILED when no dialog could be shown. The caption
// and text are always written to standard error as well.
PlatMsgBoxResult plat_message_box(const char* text, const char* caption, PlatMsgBoxButtons buttons);
