// memcount: a preloaded library (LD_PRELOAD) with which tools/perf-report
// counts the heap memory that the game's own code allocates, apart from what
// the libraries it uses allocate (the OpenGL driver above all).
//
// Every allocation function of the C library and every operator new is
// wrapped. An allocation belongs to the game when the code that asked for it
// lies in the game's executable. The caller is the return address of the
// wrapper; when that lies in the C or C++ runtime libraries (strdup, fopen,
// std::string's out-of-line growth, thread start-up), the stack is walked to
// the first frame outside them, so memory those libraries allocate on the
// game's behalf counts as the game's, and on a library's behalf as that
// library's. The game's live allocations are kept in a table with their
// usable sizes. The game ends with _exit, which runs no destructors, so the
// figures are written to the file named by TOL_MEMCOUNT_OUT each time the
// peak grows:
//   ours_peak_bytes N      the most the game's code held at once
//   untracked N            game allocations the table had no room for (0)
#include <execinfo.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {

// ---- address ranges ----------------------------------------------------------------

enum class Owner { game, runtime_library, other };

struct Range {
    uintptr_t start, end;
    Owner owner;
};

constexpr int kMaxRanges = 256;
Range ranges[kMaxRanges];
int range_count = 0;
std::atomic<bool> ready{false};

bool is_runtime_library(const char* path) {
    const char* name = std::strrchr(path, '/');
    name = name ? name + 1 : path;
    return std::strncmp(name, "libc.so", 7) == 0 || std::strncmp(name, "libstdc++.so", 12) == 0 ||
           std::strncmp(name, "libgcc_s.so", 11) == 0 || std::strncmp(name, "libm.so", 7) == 0 ||
           std::strncmp(name, "ld-linux", 8) == 0 || std::strstr(name, "memcount") != nullptr;
}

// Reads the executable's and the runtime libraries' mappings. Called once,
// before anything is counted, with the allocation wrappers passing through.
void load_ranges() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    exe[n] = 0;
    FILE* maps = std::fopen("/proc/self/maps", "r");
    if (maps == nullptr) return;
    char line[8192];
    while (std::fgets(line, sizeof line, maps) != nullptr && range_count < kMaxRanges) {
        unsigned long start, end;
        char perms[8];
        int path_at = 0;
        if (std::sscanf(line, "%lx-%lx %7s %*s %*s %*s %n", &start, &end, perms, &path_at) < 3) continue;
        char* path = line + path_at;
        path[std::strcspn(path, "\n")] = 0;
        if (perms[2] != 'x' || path[0] != '/') continue;
        Owner owner;
        if (std::strcmp(path, exe) == 0)
            owner = Owner::game;
        else if (is_runtime_library(path))
            owner = Owner::runtime_library;
        else
            continue;
        ranges[range_count++] = {start, end, owner};
    }
    std::fclose(maps);
}

Owner owner_of(const void* address) {
    const auto a = reinterpret_cast<uintptr_t>(address);
    for (int i = 0; i < range_count; ++i)
        if (a >= ranges[i].start && a < ranges[i].end) return ranges[i].owner;
    return Owner::other;
}

// Set while this thread is inside the counting code: allocations made by the
// stack walk itself (its first use loads the unwinder) pass straight through.
thread_local bool inside __attribute__((tls_model("initial-exec"))) = false;

bool made_by_game(const void* caller) {
    if (!ready.load(std::memory_order_acquire) || inside) return false;
    const Owner direct = owner_of(caller);
    if (direct != Owner::runtime_library) return direct == Owner::game;
    inside = true;
    void* frames[48];
    const int depth = backtrace(frames, 48);
    inside = false;
    for (int i = 1; i < depth; ++i) {
        const Owner o = owner_of(frames[i]);
        if (o != Owner::runtime_library) return o == Owner::game;
    }
    return false;
}

// ---- the game's live allocations ---------------------------------------------------

constexpr size_t kSlots = size_t{1} << 18;
constexpr uintptr_t kTombstone = 1;
struct Slot {
    uintptr_t pointer;
    size_t bytes;
};
Slot table[kSlots];
std::atomic_flag table_lock = ATOMIC_FLAG_INIT;
size_t live_bytes = 0, peak_bytes = 0, untracked = 0, used_slots = 0;

struct TableLock {
    TableLock() {
        while (table_lock.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~TableLock() { table_lock.clear(std::memory_order_release); }
};

size_t slot_of(uintptr_t p) { return (p >> 4) * 0x9E3779B97F4A7C15ull >> 46; }

// The report file, and the peak last written to it.
int report_fd = -1;
std::atomic_flag report_lock = ATOMIC_FLAG_INIT;
size_t reported_peak = 0;

// Writes the figures over the start of the report file, in fields of fixed
// width so that a shorter number leaves nothing of a longer one behind. Only
// system calls and a stack buffer: this runs inside the wrappers.
void report(size_t peak, size_t untracked_count) {
    if (report_fd < 0) return;
    while (report_lock.test_and_set(std::memory_order_acquire)) {
    }
    if (peak >= reported_peak) {
        reported_peak = peak;
        char text[96];
        const int n = std::snprintf(text, sizeof text, "ours_peak_bytes %20zu\nuntracked %20zu\n", peak,
                                    untracked_count);
        if (n > 0 && pwrite(report_fd, text, static_cast<size_t>(n), 0) < 0) report_fd = -1;
    }
    report_lock.clear(std::memory_order_release);
}

void remember(void* pointer) {
    if (pointer == nullptr) return;
    const auto p = reinterpret_cast<uintptr_t>(pointer);
    const size_t bytes = malloc_usable_size(pointer);
    size_t peak = 0, untracked_now = 0;
    bool grew = false;
    {
        TableLock lock;
        if (used_slots >= kSlots / 2) {
            ++untracked;
            grew = true;
        } else {
            for (size_t i = slot_of(p);; i = (i + 1) & (kSlots - 1)) {
                if (table[i].pointer == 0 || table[i].pointer == kTombstone) {
                    if (table[i].pointer == 0) ++used_slots;
                    table[i] = {p, bytes};
                    break;
                }
            }
            live_bytes += bytes;
            if (live_bytes > peak_bytes) {
                peak_bytes = live_bytes;
                grew = true;
            }
        }
        peak = peak_bytes;
        untracked_now = untracked;
    }
    if (grew) report(peak, untracked_now);
}

void forget(void* pointer) {
    if (pointer == nullptr) return;
    const auto p = reinterpret_cast<uintptr_t>(pointer);
    TableLock lock;
    for (size_t i = slot_of(p); table[i].pointer != 0; i = (i + 1) & (kSlots - 1)) {
        if (table[i].pointer == p) {
            live_bytes -= table[i].bytes;
            table[i].pointer = kTombstone;
            return;
        }
    }
}

void* counted(void* pointer, const void* caller) {
    if (pointer != nullptr && made_by_game(caller)) remember(pointer);
    return pointer;
}

__attribute__((constructor)) void start_counting() {
    inside = true;
    load_ranges();
    void* warm_up[4];
    backtrace(warm_up, 4);  // loads the unwinder now, not inside a wrapper
    if (const char* path = std::getenv("TOL_MEMCOUNT_OUT"))
        report_fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    report(0, 0);
    inside = false;
    ready.store(true, std::memory_order_release);
}

void* aligned(size_t alignment, size_t bytes) { return __libc_memalign(alignment, bytes); }

}  // namespace

// ---- the wrapped functions -----------------------------------------------------------

#define CALLER __builtin_return_address(0)

extern "C" {

void* malloc(size_t bytes) { return counted(__libc_malloc(bytes), CALLER); }

void* calloc(size_t count, size_t bytes) { return counted(__libc_calloc(count, bytes), CALLER); }

void free(void* pointer) {
    forget(pointer);
    __libc_free(pointer);
}

void* realloc(void* pointer, size_t bytes) {
    forget(pointer);
    return counted(__libc_realloc(pointer, bytes), CALLER);
}

void* memalign(size_t alignment, size_t bytes) { return counted(aligned(alignment, bytes), CALLER); }

void* aligned_alloc(size_t alignment, size_t bytes) { return counted(aligned(alignment, bytes), CALLER); }

void* valloc(size_t bytes) { return counted(aligned(4096, bytes), CALLER); }

void* pvalloc(size_t bytes) { return counted(aligned(4096, (bytes + 4095) & ~size_t{4095}), CALLER); }

int posix_memalign(void** out, size_t alignment, size_t bytes) {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = aligned(alignment, bytes);
    if (p == nullptr) return ENOMEM;
    *out = counted(p, CALLER);
    return 0;
}

}  // extern "C"

namespace {
void* new_bytes(size_t bytes, const void* caller) {
    void* p = __libc_malloc(bytes == 0 ? 1 : bytes);
    if (p == nullptr) throw std::bad_alloc();
    return counted(p, caller);
}
void* new_aligned(size_t bytes, std::align_val_t alignment, const void* caller) {
    void* p = aligned(static_cast<size_t>(alignment), bytes == 0 ? 1 : bytes);
    if (p == nullptr) throw std::bad_alloc();
    return counted(p, caller);
}
}  // namespace

void* operator new(size_t bytes) { return new_bytes(bytes, CALLER); }
void* operator new[](size_t bytes) { return new_bytes(bytes, CALLER); }
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    return counted(__libc_malloc(bytes == 0 ? 1 : bytes), CALLER);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    return counted(__libc_malloc(bytes == 0 ? 1 : bytes), CALLER);
}
void* operator new(size_t bytes, std::align_val_t alignment) { return new_aligned(bytes, alignment, CALLER); }
void* operator new[](size_t bytes, std::align_val_t alignment) { return new_aligned(bytes, alignment, CALLER); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
void operator delete(void* p, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { free(p); }
