// The C library's clocks as a steered run's program sees them: time,
// gettimeofday, clock_gettime and clock follow the headless backend's
// virtual clock from a fixed start (STANDIN_HEADLESS_TIME), so a program
// that seeds or paces itself by the time runs alike every time. They are
// defined here, in the executable (the process entry links the automation
// into every program), so they come before the C library's; outside such a
// run each calls the C library's own, found once with dlsym(RTLD_NEXT).
// They are weak, so a program that names something of its own `time` or
// `clock` (a student's global counter) still links, and keeps its own.
//
// Our own interposition rather than libfaketime: that library can only
// offset or scale the real clock, while the virtual clock stands still
// between waits and jumps at each; only a hook inside the process can follow it.
#include "automation.h"

#include <dlfcn.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

using TimeFn = time_t (*)(time_t *);
using GettimeofdayFn = int (*)(struct timeval *, void *);
using ClockGettimeFn = int (*)(clockid_t, struct timespec *);
using ClockFn = clock_t (*)();

// Monotonic clocks start here rather than at 0: some programs take 0 for
// "never happened".
constexpr int64_t kMonotonicStartNs = 1000'000'000'000;
constexpr int64_t kNsPerSecond = 1'000'000'000;

std::atomic<bool> g_virtual{false};
std::atomic<int64_t> g_start_seconds{0};

std::atomic<TimeFn> g_time{nullptr};
std::atomic<GettimeofdayFn> g_gettimeofday{nullptr};
std::atomic<ClockGettimeFn> g_clock_gettime{nullptr};
std::atomic<ClockFn> g_clock{nullptr};

// Looked up once; a racing second lookup finds the same address. Lookups are
// made at start-up (below), so a call from a signal handler finds them done.
template <typename Fn>
Fn real(std::atomic<Fn> *slot, const char *name) {
    Fn fn = slot->load(std::memory_order_acquire);
    if (!fn) {
        fn = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
        slot->store(fn, std::memory_order_release);
    }
    return fn;
}

// The kernel's clock, for the unlikely case that the C library's cannot be found.
int kernel_clock_gettime(clockid_t id, struct timespec *ts) {
    return static_cast<int>(syscall(SYS_clock_gettime, id, ts));
}

int real_clock_gettime(clockid_t id, struct timespec *ts) {
    if (ClockGettimeFn fn = real(&g_clock_gettime, "clock_gettime")) return fn(id, ts);
    return kernel_clock_gettime(id, ts);
}

const bool g_resolved = [] {
    real(&g_time, "time");
    real(&g_gettimeofday, "gettimeofday");
    real(&g_clock_gettime, "clock_gettime");
    real(&g_clock, "clock");
    return true;
}();

bool virtual_now(int64_t *ns) {
    if (!g_virtual.load(std::memory_order_acquire)) return false;
    *ns = standin::headless_now_ns();
    return true;
}

void store(struct timespec *ts, int64_t ns) {
    ts->tv_sec = static_cast<time_t>(ns / kNsPerSecond);
    ts->tv_nsec = static_cast<long>(ns % kNsPerSecond);
}

}  // namespace

namespace standin {

void start_virtual_time(int64_t start_seconds) {
    (void)g_resolved;
    g_start_seconds.store(start_seconds, std::memory_order_relaxed);
    g_virtual.store(true, std::memory_order_release);
}

}  // namespace standin

extern "C" {

__attribute__((weak)) time_t time(time_t *out) noexcept {
    int64_t ns = 0;
    time_t now;
    if (virtual_now(&ns)) {
        now = static_cast<time_t>(g_start_seconds.load(std::memory_order_relaxed) + ns / kNsPerSecond);
    } else if (TimeFn fn = real(&g_time, "time")) {
        return fn(out);
    } else {
        struct timespec ts {};
        real_clock_gettime(CLOCK_REALTIME, &ts);
        now = ts.tv_sec;
    }
    if (out) *out = now;
    return now;
}

__attribute__((weak)) int gettimeofday(struct timeval *__restrict tv, void *__restrict tz) noexcept {
    int64_t ns = 0;
    if (!virtual_now(&ns)) {
        if (GettimeofdayFn fn = real(&g_gettimeofday, "gettimeofday")) return fn(tv, tz);
        struct timespec ts {};
        real_clock_gettime(CLOCK_REALTIME, &ts);
        ns = static_cast<int64_t>(ts.tv_sec) * kNsPerSecond + ts.tv_nsec;
    } else {
        ns += g_start_seconds.load(std::memory_order_relaxed) * kNsPerSecond;
    }
    tv->tv_sec = static_cast<time_t>(ns / kNsPerSecond);
    tv->tv_usec = static_cast<suseconds_t>(ns % kNsPerSecond / 1000);
    // The obsolete time zone argument gets zeros, as the C library gives it.
    if (tz) *static_cast<struct timezone *>(tz) = {};
    return 0;
}

__attribute__((weak)) int clock_gettime(clockid_t id, struct timespec *ts) noexcept {
    int64_t ns = 0;
    if (!virtual_now(&ns)) return real_clock_gettime(id, ts);
    int64_t value = ns;
    switch (id) {
        case CLOCK_REALTIME:
        case CLOCK_REALTIME_COARSE: value += g_start_seconds.load(std::memory_order_relaxed) * kNsPerSecond; break;
        case CLOCK_MONOTONIC:
        case CLOCK_MONOTONIC_RAW:
        case CLOCK_MONOTONIC_COARSE:
        case CLOCK_BOOTTIME: value += kMonotonicStartNs; break;
        case CLOCK_PROCESS_CPUTIME_ID:
        case CLOCK_THREAD_CPUTIME_ID: break;
        // Other clocks (another process's CPU time, alarms) stay real.
        default: return real_clock_gettime(id, ts);
    }
    store(ts, value);
    return 0;
}

__attribute__((weak)) clock_t clock(void) noexcept {
    int64_t ns = 0;
    if (virtual_now(&ns)) return static_cast<clock_t>(ns / (kNsPerSecond / CLOCKS_PER_SEC));
    if (ClockFn fn = real(&g_clock, "clock")) return fn();
    struct timespec ts {};
    if (real_clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts) != 0) return static_cast<clock_t>(-1);
    return static_cast<clock_t>(ts.tv_sec * CLOCKS_PER_SEC + ts.tv_nsec / (kNsPerSecond / CLOCKS_PER_SEC));
}

}  // extern "C"
