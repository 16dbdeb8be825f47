// The x11 backend's driver table, connection set-up and tear-down, X error
// reporting, screen size and clock. Relies on Xlib, XKB (auto-repeat) and the
// MIT-SHM extension query; the other x11_*.cpp files do hosts, present, input.
#include "backends/x11/x11_internal.h"

#include <X11/XKBlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace standin {

namespace {

X11State g_state;

int on_x_error(Display *display, XErrorEvent *event) {
    X11State &st = x11();
    if (st.trapping) {
        if (st.trapped_error == 0) st.trapped_error = event->error_code;
        return 0;
    }
    // Reported and survived: a late request on a window the server already
    // dropped must not end the program, as Xlib's default handler would.
    ++st.reported_errors;
    char text[160];
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fprintf(stderr, "x11: X error: %s (request %d.%d)\n", text, event->request_code, event->minor_code);
    return 0;
}

// SHM needs the server on this machine: "host:N" may name this machine over
// TCP, but over a forwarded connection the segment id would mean nothing.
bool display_is_local(const char *name) {
    if (name == nullptr) return false;
    return name[0] == ':' || name[0] == '/' || std::strncmp(name, "unix:", 5) == 0;
}

bool shm_disabled_by_environment() {
    const char *v = std::getenv("STANDIN_X11_NO_SHM");
    return v != nullptr && v[0] != '\0' && std::strcmp(v, "0") != 0;
}

// Our pixels are 0x00RRGGBB in 32-bit words: a 24-bit TrueColor visual with
// those masks takes them as they are.
bool pick_visual(X11State &st) {
    XVisualInfo info{};
    if (!XMatchVisualInfo(st.display, st.screen, 24, TrueColor, &info)) return false;
    if (info.red_mask != 0xFF0000 || info.green_mask != 0xFF00 || info.blue_mask != 0xFF) return false;
    st.depth = 24;
    Visual *def = DefaultVisual(st.display, st.screen);
    if (DefaultDepth(st.display, st.screen) == 24 && def->c_class == TrueColor && def->red_mask == 0xFF0000 &&
        def->green_mask == 0xFF00 && def->blue_mask == 0xFF) {
        st.visual = def;
        st.colormap = DefaultColormap(st.display, st.screen);
        st.own_colormap = false;
    } else {
        st.visual = info.visual;
        st.colormap = XCreateColormap(st.display, st.root, info.visual, AllocNone);
        st.own_colormap = true;
    }
    return true;
}

void intern_atoms(X11State &st) {
    const char *names[] = {"WM_PROTOCOLS",        "WM_DELETE_WINDOW",           "_NET_WM_NAME",
                           "UTF8_STRING",         "_NET_WM_WINDOW_TYPE",        "_NET_WM_WINDOW_TYPE_DIALOG",
                           "_NET_WM_STATE",       "_NET_WM_STATE_MODAL"};
    constexpr int n = sizeof names / sizeof names[0];
    Atom atoms[n] = {};
    XInternAtoms(st.display, const_cast<char **>(names), n, False, atoms);
    st.atoms = X11Atoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5], atoms[6], atoms[7]};
}

}  // namespace

X11State &x11() { return g_state; }

X11Host *x11_host(HostId id) {
    for (auto &h : g_state.hosts)
        if (h->id == id) return h.get();
    return nullptr;
}

X11Host *x11_host_of_window(Window w) {
    for (auto &h : g_state.hosts)
        if (h->window == w) return h.get();
    return nullptr;
}

void x11_trap_errors() {
    XSync(g_state.display, False);
    g_state.trapping = true;
    g_state.trapped_error = 0;
}

int x11_untrap_errors() {
    XSync(g_state.display, False);
    g_state.trapping = false;
    return g_state.trapped_error;
}

void x11_update_numlock_mask() {
    X11State &st = x11();
    st.numlock_mask = 0;
    KeyCode numlock = XKeysymToKeycode(st.display, XK_Num_Lock);
    XModifierKeymap *map = XGetModifierMapping(st.display);
    if (map == nullptr) return;
    for (int mod = 0; mod < 8 && numlock != 0; ++mod)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[mod * map->max_keypermod + k] == numlock) st.numlock_mask = 1u << mod;
    XFreeModifiermap(map);
}

bool x11_init(std::string *error) {
    X11State &st = g_state;
    if (st.display != nullptr) return true;
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char *name = std::getenv("DISPLAY");
        if (error != nullptr)
            *error = (name != nullptr && name[0] != '\0') ? "cannot open X display '" + std::string(name) + "'"
                                                          : std::string("cannot open X display: DISPLAY is not set");
        return false;
    }
    st.display = display;
    st.screen = DefaultScreen(display);
    st.root = RootWindow(display, st.screen);
    if (!pick_visual(st)) {
        if (error != nullptr)
            *error = "X display '" + std::string(DisplayString(display)) + "' offers no 24-bit TrueColor visual";
        XCloseDisplay(display);
        st = X11State{};
        return false;
    }
    st.previous_handler = XSetErrorHandler(on_x_error);
    intern_atoms(st);

    int major = 0, minor = 0;
    Bool pixmaps = False;
    st.use_shm = XShmQueryVersion(display, &major, &minor, &pixmaps) && display_is_local(DisplayString(display)) &&
                 !shm_disabled_by_environment();
    if (st.use_shm) st.shm_completion_type = XShmGetEventBase(display) + ShmCompletion;

    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    st.detectable_repeat = supported;
    x11_update_numlock_mask();
    x11_open_im();
    return true;
}

void x11_shutdown() {
    X11State &st = g_state;
    if (st.display == nullptr) return;
    while (!st.hosts.empty()) x11_destroy_host(st.hosts.back()->id);
    x11_close_im();
    if (st.own_colormap) XFreeColormap(st.display, st.colormap);
    XCloseDisplay(st.display);
    XSetErrorHandler(st.previous_handler);
    st = X11State{};
}

void x11_screen_size(int *width, int *height) {
    X11State &st = g_state;
    int w = 0, h = 0;
    if (st.display != nullptr) {
        w = DisplayWidth(st.display, st.screen);
        h = DisplayHeight(st.display, st.screen);
    }
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
}

int64_t x11_now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

const BackendDriver kX11Driver = {
    .name = "x11",
    .kind = BackendDriver::Kind::Display,
    .init = x11_init,
    .shutdown = x11_shutdown,
    .create_host = x11_create_host,
    .destroy_host = x11_destroy_host,
    .show_host = x11_show_host,
    .set_title = x11_set_title,
    .surface = x11_surface,
    .await_surface = x11_await_surface,
    .present = x11_present,
    .wait = x11_wait,
    .screen_size = x11_screen_size,
    .now_ns = x11_now_ns,
};

}  // namespace standin
