// The window side of automation.h: injected mouse and window-manager events
// addressed by HWND (mapped to host coordinates for the headless backend),
// window pixel access, and the state reset used by test fixtures.
#include "automation.h"

#include "user/window_queries.h"

#include <cstdio>
#include <utility>

namespace standin {

namespace {

void inject_for(HostId host, InputEvent e) {
    if (!host) {
        std::fprintf(stderr, "headless: event for a window without a host window dropped\n");
        return;
    }
    e.host = host;
    headless_inject(e);
}

void button(HWND window, int x, int y, int button_no, unsigned mods, bool down) {
    HostId host = 0;
    InputEvent e;
    if (!client_point_on_host(window, x, y, &host, &e.x, &e.y)) {
        std::fprintf(stderr, "headless: click on an invalid window dropped\n");
        return;
    }
    e.kind = down ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
    e.button = button_no;
    e.mods = mods | headless_lock_mods();
    inject_for(host, e);
}

void wm_event(HWND window, InputEvent::Kind kind) {
    InputEvent e;
    e.kind = kind;
    inject_for(top_level_host(window), e);
}

}  // namespace

void headless_mouse_down(HWND window, int x, int y, int button_no, unsigned mods) {
    button(window, x, y, button_no, mods, true);
}

void headless_mouse_up(HWND window, int x, int y, int button_no, unsigned mods) {
    button(window, x, y, button_no, mods, false);
}

void headless_click(HWND window, int x, int y, int button_no, unsigned mods) {
    headless_mouse_down(window, x, y, button_no, mods);
    headless_mouse_up(window, x, y, button_no, mods);
}

void headless_mouse_move(HWND window, int host_x, int host_y) {
    InputEvent e;
    e.kind = InputEvent::Kind::Motion;
    e.x = host_x;
    e.y = host_y;
    inject_for(top_level_host(window), e);
}

void headless_close_request(HWND window) { wm_event(window, InputEvent::Kind::CloseRequest); }

void headless_focus(HWND window, bool gained) {
    wm_event(window, gained ? InputEvent::Kind::FocusIn : InputEvent::Kind::FocusOut);
}

void headless_resize(HWND window, int width, int height) {
    InputEvent e;
    e.kind = InputEvent::Kind::Resize;
    e.width = width;
    e.height = height;
    inject_for(top_level_host(window), e);
}

void headless_expose(HWND window, const RECT &host_rect) {
    InputEvent e;
    e.kind = InputEvent::Kind::Expose;
    e.x = host_rect.left;
    e.y = host_rect.top;
    e.width = host_rect.right - host_rect.left;
    e.height = host_rect.bottom - host_rect.top;
    inject_for(top_level_host(window), e);
}

std::vector<RECT> headless_take_presents(HWND window) {
    const HostId host = top_level_host(window);
    return host ? headless_take_host_presents(host) : std::vector<RECT>{};
}

bool window_host_pixels(HWND window, PixelView *view) {
    SurfaceView s;
    if (!view || !top_level_surface(window, &s)) return false;
    *view = PixelView{s.pixels, s.width, s.height, s.stride};
    return true;
}

bool window_client_pixels(HWND window, PixelView *view) {
    if (!view) return false;
    *view = PixelView{};
    ClientOnSurface c;
    // A view starts at the client's top-left pixel: there is none when that is cut off.
    if (!client_on_surface(window, &c) || c.left > 0 || c.top > 0) return false;
    *view = PixelView{c.surface.pixels + c.origin_y * c.surface.stride + c.origin_x, static_cast<int>(c.right),
                      static_cast<int>(c.bottom), c.surface.stride};
    return true;
}

uint32_t window_pixel(HWND window, int x, int y) {
    ClientOnSurface c;
    if (!client_on_surface(window, &c) || x < c.left || y < c.top || x >= c.right || y >= c.bottom)
        return 0xFFFFFFFFu;
    return c.surface.pixels[(c.origin_y + y) * c.surface.stride + (c.origin_x + x)];
}

bool write_window_png(HWND window, const std::string &path) {
    PixelView v;
    if (!window_host_pixels(window, &v)) return false;
    return write_png(path, v.pixels, v.width, v.height, v.stride);
}

void reset_state() {
    reset_user_state();
    if (headless_backend_active()) {
        headless_reset();
        headless_set_dump_dir("");
    }
}

}  // namespace standin
