// The open-file table and closing every open file at the end.
#include "runtime/core/files.h"

OpenFile rt_open_files[FILE_HANDLE_COUNT];

void rt_files_init() {
    for (OpenFile& f : rt_open_files) f.stream = nullptr;
}

void rt_close_all_files() {
    for (OpenFile& f : rt_open_files) {
        if (f.stream != nullptr) {
            std::fclose(f.stream);
            f.stream = nullptr;
        }
    }
}
