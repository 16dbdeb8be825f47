// Chooses the display backend once per process: STANDIN_BACKEND=headless, or
// a test's use_headless_backend(), selects the in-memory backend; x11 (or
// nothing) selects the X11 backend, and a display that cannot be opened ends
// the program with one clear line instead of falling back silently.
#include "backends/backend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace standin {

namespace {

const BackendDriver *g_active = nullptr;
bool g_headless_requested = false;

constexpr const char *kHint = "set DISPLAY, or STANDIN_BACKEND=headless for a display-less run";

[[noreturn]] void fail(const std::string &reason) {
    std::fprintf(stderr, "standin: %s\n", reason.c_str());
    std::exit(1);
}

void shutdown_active() {
    if (g_active && g_active->shutdown) g_active->shutdown();
}

}  // namespace

const BackendDriver &backend() {
    if (g_active) return *g_active;
    const char *env = std::getenv("STANDIN_BACKEND");
    const BackendDriver *driver = nullptr;
    if (g_headless_requested || (env && std::strcmp(env, "headless") == 0)) {
        driver = &kHeadlessDriver;
    } else if (!env || !*env || std::strcmp(env, "x11") == 0) {
        driver = &kX11Driver;
    } else {
        fail(std::string("unknown STANDIN_BACKEND '") + env + "' (use x11 or headless)");
    }
    std::string error;
    if (!driver->init(&error)) {
        if (error.empty()) error = std::string("the ") + driver->name + " backend failed to start";
        fail(driver == &kHeadlessDriver ? error : error + "; " + kHint);
    }
    g_active = driver;
    std::atexit(shutdown_active);
    return *g_active;
}

bool use_headless_backend() {
    if (g_active) return g_active == &kHeadlessDriver;
    g_headless_requested = true;
    return true;
}

bool headless_backend_active() { return g_active == &kHeadlessDriver; }

}  // namespace standin
