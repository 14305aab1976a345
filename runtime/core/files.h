// The table of open file handles. The game opens no files, but every ending
// closes whatever is open, so the table and its close-all step exist.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr int32_t FILE_HANDLE_COUNT = 256;  // handles 1 to 255

struct OpenFile {
    std::FILE* stream;  // null when the handle is free
};

extern OpenFile rt_open_files[FILE_HANDLE_COUNT];

// Start-up: every handle free.
void rt_files_init();

// Close every open file (the END statement and the exit sequence).
void rt_close_all_files();
