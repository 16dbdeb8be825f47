// Chooses the display backend once per process: STANDIN_BACKEND=headless, or
// a test's use_headless_backend(), selects the in-memory backend; x11 (or
// nothing) selects the X11 backend, and a display that cannot be opened ends
// the program with plain words on how to get a display instead of falling
// back silently.
#include "backends/backend.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace standin {

namespace {

const BackendDriver *g_active = nullptr;
bool g_headless_requested = false;

// The name the user started the program by, for messages they can act on.
const char *program_name() {
#ifdef __GLIBC__
    if (program_invocation_name && *program_invocation_name) return program_invocation_name;
#endif
    return "PROGRAM";
}

[[noreturn]] void fail(const std::string &reason) {
    std::fprintf(stderr, "%s: %s\n", program_name(), reason.c_str());
    std::exit(1);
}

// A learner's first run may be on a machine without a desktop: say what is
// missing and the two ways to get a display. The headless runner is only for
// programs that end by themselves (an interactive one would wait for ever).
[[noreturn]] void fail_without_display(const std::string &reason) {
    const char *name = program_name();
    std::fprintf(stderr,
                 "%s: this program needs a graphical display, and none could be opened (%s).\n"
                 "  Run it from a desktop session, or on a virtual display: xvfb-run %s\n"
                 "  A program that ends by itself can also run without a display: telka-run PROGRAM"
                 " (see docs/headless.md)\n",
                 name, reason.c_str(), name);
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
        if (driver == &kHeadlessDriver) fail(error);
        fail_without_display(error);
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
