// Chooses the display backend once per process: STANDIN_BACKEND names one of
// the backends this build has, nothing picks the first of them (x11 natively,
// web in the browser build), and a test's use_headless_backend() selects the
// in-memory one (the driver whose kind is Memory). A display that cannot be
// opened ends the program with plain words on how to get a display instead
// of falling back silently.
#include "backends/backend.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace standin {

namespace {

// The first entry is the default. The browser build links only its own.
const BackendDriver *const kChoices[] = {
#ifdef __wasi__
    &kWebDriver,
#else
    &kX11Driver,
    &kHeadlessDriver,
#endif
};

const BackendDriver *g_active = nullptr;
CoreCalls g_core;  // constant-initialised, so a registration made during start-up stays
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

const BackendDriver *driver_named(const char *name) {
    for (const BackendDriver *d : kChoices)
        if (std::strcmp(d->name, name) == 0) return d;
    return nullptr;
}

// The in-memory backend, if this build has one.
const BackendDriver *memory_driver() {
    for (const BackendDriver *d : kChoices)
        if (d->kind == BackendDriver::Kind::Memory) return d;
    return nullptr;
}

std::string known_names() {
    std::string names;
    for (const BackendDriver *d : kChoices) names += names.empty() ? d->name : std::string(" or ") + d->name;
    return names;
}

}  // namespace

const BackendDriver &backend() {
    if (g_active) return *g_active;
    const char *env = std::getenv("STANDIN_BACKEND");
    const BackendDriver *driver = nullptr;
    if (g_headless_requested) {
        driver = memory_driver();
    } else if (!env || !*env) {
        driver = kChoices[0];
    } else if (!(driver = driver_named(env))) {
        fail(std::string("unknown STANDIN_BACKEND '") + env + "' (use " + known_names() + ")");
    }
    std::string error;
    if (!driver->init(&error)) {
        if (error.empty()) error = std::string("the ") + driver->name + " backend failed to start";
        if (driver->kind == BackendDriver::Kind::Display) fail_without_display(error);
        fail(error);
    }
    g_active = driver;
    std::atexit(shutdown_active);
    return *g_active;
}

void set_core_calls(const CoreCalls &calls) { g_core = calls; }

void core_input(const InputEvent &event) {
    if (g_core.input) {
        g_core.input(event);
        return;
    }
    static bool warned = false;
    if (!warned) std::fprintf(stderr, "standin: input arrived before the window core was there; dropped\n");
    warned = true;
}

bool use_headless_backend() {
    const BackendDriver *headless = memory_driver();
    if (g_active) return headless && g_active == headless;
    if (!headless) return false;  // not in this build
    g_headless_requested = true;
    return true;
}

bool headless_backend_active() { return g_active && g_active->kind == BackendDriver::Kind::Memory; }

}  // namespace standin
