// Threads: detached POSIX threads that run a function with no arguments
// under a name that shows in ps, top and debuggers.
#include "platform/plat_thread.h"

#include <cstdio>
#include <new>
#include <pthread.h>

namespace {

struct ThreadStart {
    PlatThreadFunc func;
    char name[16];
};

void* thread_trampoline(void* arg) {
    ThreadStart start = *static_cast<ThreadStart*>(arg);
    delete static_cast<ThreadStart*>(arg);
    plat_set_thread_name(start.name);
    start.func();
    return nullptr;
}

}  // namespace

bool plat_start_thread(PlatThreadFunc func, const char* name) {
    auto* start = new (std::nothrow) ThreadStart{func, {}};
    if (start == nullptr) return false;
    std::snprintf(start->name, sizeof start->name, "%s", name ? name : "");

    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) {
        delete start;
        return false;
    }
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int rc = pthread_create(&thread, &attr, thread_trampoline, start);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete start;
        return false;
    }
    return true;
}

void plat_set_thread_name(const char* name) {
    // The kernel keeps at most 15 characters and refuses longer names.
    char short_name[16];
    std::snprintf(short_name, sizeof short_name, "%s", name ? name : "");
    pthread_setname_np(pthread_self(), short_name);
}
