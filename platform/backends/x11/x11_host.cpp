// Host windows on X: one top-level X window per host, sized exactly as the
// host surface, with the ICCCM/EWMH hints a window manager needs (position,
// fixed size, close protocol, dialog type, title). Relies on Xlib and cp1252.h.
#include "backends/x11/x11_internal.h"

#include "text/cp1252.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

// X coordinates are 16-bit on the wire; sizes are 1..32767 for a window.
int clamp_coord(int v) { return std::clamp(v, -32768, 32767); }
int clamp_size(int v) { return std::clamp(v, 1, 32767); }

void append_utf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Our text is Windows-1252; _NET_WM_NAME wants UTF-8, WM_NAME Latin-1. The
// five bytes 1252 leaves undefined, and for WM_NAME the 1252 characters
// outside Latin-1 (the euro sign, curly quotes), become '?'.
void convert_title(const char *title, std::string *utf8, std::string *latin1) {
    for (const char *p = title != nullptr ? title : ""; *p != '\0'; ++p) {
        char32_t c = cp1252_to_unicode(static_cast<uint8_t>(*p));
        if (c == 0) c = U'?';
        append_utf8(*utf8, c);
        *latin1 += c < 0x100 ? static_cast<char>(c) : '?';
    }
}

void apply_title(X11State &st, Window window, const char *title) {
    std::string utf8, latin1;
    convert_title(title, &utf8, &latin1);
    XChangeProperty(st.display, window, st.atoms.net_wm_name, st.atoms.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(utf8.data()), static_cast<int>(utf8.size()));
    XChangeProperty(st.display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(latin1.data()), static_cast<int>(latin1.size()));
}

void apply_hints(X11State &st, Window window, const HostWindowParams &p, int x, int y, int width, int height) {
    XSizeHints *size = XAllocSizeHints();
    if (size != nullptr) {
        // USPosition: the program asked for this place; NorthWest gravity makes
        // it the outer frame's corner, as Windows positions its windows.
        size->flags = USPosition | PPosition | PSize | PWinGravity;
        size->x = x;
        size->y = y;
        size->width = width;
        size->height = height;
        size->win_gravity = NorthWestGravity;
        if (!p.resizable) {
            size->flags |= PMinSize | PMaxSize;
            size->min_width = size->max_width = width;
            size->min_height = size->max_height = height;
        }
        XSetWMNormalHints(st.display, window, size);
        XFree(size);
    }
    XWMHints *wm = XAllocWMHints();
    if (wm != nullptr) {
        wm->flags = InputHint | StateHint;
        wm->input = True;
        wm->initial_state = NormalState;
        XSetWMHints(st.display, window, wm);
        XFree(wm);
    }
    XClassHint *cls = XAllocClassHint();
    if (cls != nullptr) {
        cls->res_name = program_invocation_short_name;
        cls->res_class = program_invocation_short_name;
        XSetClassHint(st.display, window, cls);
        XFree(cls);
    }
    Atom protocols[] = {st.atoms.wm_delete_window};
    XSetWMProtocols(st.display, window, protocols, 1);
}

void apply_dialog_hints(X11State &st, Window window, const HostWindowParams &p) {
    if (X11Host *owner = x11_host(p.owner)) XSetTransientForHint(st.display, window, owner->window);
    Atom type = st.atoms.net_wm_window_type_dialog;
    XChangeProperty(st.display, window, st.atoms.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&type), 1);
    Atom state = st.atoms.net_wm_state_modal;
    XChangeProperty(st.display, window, st.atoms.net_wm_state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&state), 1);
}

}  // namespace

HostId x11_create_host(const HostWindowParams &params) {
    X11State &st = x11();
    if (st.display == nullptr) {
        std::fprintf(stderr, "x11: create_host called before init\n");
        return 0;
    }
    int x = clamp_coord(params.x), y = clamp_coord(params.y);
    int width = clamp_size(params.width), height = clamp_size(params.height);

    XSetWindowAttributes attrs{};
    // No background: the server leaves exposed pixels alone until we present
    // them again, so an expose never flashes a colour.
    attrs.background_pixmap = None;
    attrs.border_pixel = 0;
    attrs.bit_gravity = NorthWestGravity;
    attrs.colormap = st.colormap;
    attrs.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                       ExposureMask | StructureNotifyMask | FocusChangeMask;
    Window window = XCreateWindow(st.display, st.root, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, st.depth, InputOutput, st.visual,
                                  CWBackPixmap | CWBorderPixel | CWBitGravity | CWColormap | CWEventMask, &attrs);
    if (window == 0) return 0;
    apply_hints(st, window, params, x, y, width, height);
    if (params.dialog) apply_dialog_hints(st, window, params);
    apply_title(st, window, params.title);

    auto host = std::make_unique<X11Host>();
    host->id = st.next_id++;
    host->window = window;
    host->gc = XCreateGC(st.display, window, 0, nullptr);
    XSetGraphicsExposures(st.display, host->gc, False);
    host->width = width;
    host->height = height;
    x11_create_ic(*host);
    HostId id = host->id;
    st.hosts.push_back(std::move(host));
    XFlush(st.display);
    return id;
}

void x11_destroy_host(HostId id) {
    X11State &st = x11();
    X11Host *host = x11_host(id);
    if (host == nullptr) return;
    x11_release_shm(*host);
    x11_destroy_ic(*host);
    XFreeGC(st.display, host->gc);
    XDestroyWindow(st.display, host->window);
    XFlush(st.display);
    st.hosts.erase(std::find_if(st.hosts.begin(), st.hosts.end(), [&](auto &h) { return h.get() == host; }));
}

void x11_show_host(HostId id, bool visible) {
    X11State &st = x11();
    X11Host *host = x11_host(id);
    if (host == nullptr) return;
    if (visible)
        XMapRaised(st.display, host->window);
    else
        XWithdrawWindow(st.display, host->window, st.screen);  // tells a window manager too (ICCCM)
    XFlush(st.display);
}

void x11_set_title(HostId id, const char *title) {
    X11State &st = x11();
    X11Host *host = x11_host(id);
    if (host == nullptr) return;
    apply_title(st, host->window, title);
    XFlush(st.display);
}

}  // namespace standin
