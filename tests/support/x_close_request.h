// Test helper: asks a window to close the way a window manager does, with
// the WM_PROTOCOLS / WM_DELETE_WINDOW client message (xdotool's windowclose
// destroys the window instead, which is not the same).
#pragma once

// Sends the close request to `window` on the display named by DISPLAY;
// false when the display cannot be opened.
bool send_close_request(unsigned long window);
