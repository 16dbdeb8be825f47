// The window side of automation.h: injected mouse and window-manager events
// addressed by HWND (mapped to host coordinates for the headless backend),
// window pixel access, and the state reset used by test fixtures.
#include "user/window.h"

#include "backends/headless/headless_backend.h"
#include "gdi/target.h"
#include "automation.h"

#include <cstdio>
#include <utility>

namespace standin {

namespace {

Window *top_window(HWND hwnd) {
    Window *w = window_get(hwnd);
    return w && !w->is_child() ? w : nullptr;
}

void inject_for(Window *top, InputEvent e) {
    if (!top || !top->host) {
        std::fprintf(stderr, "headless: event for a window without a host window dropped\n");
        return;
    }
    e.host = top->host;
    headless_inject(e);
}

void button(HWND window, int x, int y, int button_no, unsigned mods, bool down) {
    Window *w = window_get(window);
    if (!w) {
        std::fprintf(stderr, "headless: click on an invalid window dropped\n");
        return;
    }
    int64_t ox = 0, oy = 0;
    client_origin_in_host(w, &ox, &oy);
    InputEvent e;
    e.kind = down ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
    e.button = button_no;
    e.x = saturate32(ox + x);
    e.y = saturate32(oy + y);
    e.mods = mods | headless_lock_mods();
    inject_for(top_level_of(w), e);
}

// The top-level window whose surface shows `window`, and where its client area shows on it.
Window *shown_on(HWND window, ClientClip *clip) {
    Window *w = window_get(window);
    Window *top = top_level_of(w);
    if (!top || top->pixels.empty() || !visible_client_clip(w, clip)) return nullptr;
    return top;
}

void wm_event(HWND window, InputEvent::Kind kind) {
    InputEvent e;
    e.kind = kind;
    inject_for(top_window(window), e);
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
    inject_for(top_window(window), e);
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
    inject_for(top_window(window), e);
}

void headless_expose(HWND window, const RECT &host_rect) {
    InputEvent e;
    e.kind = InputEvent::Kind::Expose;
    e.x = host_rect.left;
    e.y = host_rect.top;
    e.width = host_rect.right - host_rect.left;
    e.height = host_rect.bottom - host_rect.top;
    inject_for(top_window(window), e);
}

std::vector<RECT> headless_take_presents(HWND window) {
    Window *top = top_window(window);
    return top ? headless_take_host_presents(top->host) : std::vector<RECT>{};
}

bool window_host_pixels(HWND window, PixelView *view) {
    Window *top = top_window(window);
    if (!top || !view || top->pixels.empty()) return false;
    *view = PixelView{top->pixels.data(), top->surface_w, top->surface_h, top->surface_w};
    return true;
}

bool window_client_pixels(HWND window, PixelView *view) {
    if (!view) return false;
    *view = PixelView{};
    ClientClip c;
    Window *top = shown_on(window, &c);
    // A view starts at the client's top-left pixel: there is none when that is cut off.
    if (!top || c.l > 0 || c.t > 0) return false;
    *view = PixelView{top->pixels.data() + c.oy * top->surface_w + c.ox, static_cast<int>(c.r),
                      static_cast<int>(c.b), top->surface_w};
    return true;
}

uint32_t window_pixel(HWND window, int x, int y) {
    ClientClip c;
    Window *top = shown_on(window, &c);
    if (!top || x < c.l || y < c.t || x >= c.r || y >= c.b) return 0xFFFFFFFFu;
    return top->pixels[static_cast<size_t>((c.oy + y) * top->surface_w + (c.ox + x))];
}

bool write_window_png(HWND window, const std::string &path) {
    PixelView v;
    if (!window_host_pixels(window, &v)) return false;
    return write_png(path, v.pixels, v.width, v.height, v.stride);
}

void reset_state() {
    const std::vector<HWND> tops = top_level_windows();
    for (HWND h : tops) DestroyWindow(h);
    reset_focus_state();
    reset_message_queue();
    reset_timers();
    reset_keyboard_state();
    reset_mouse_state();
    reset_classes();
    if (headless_backend_active()) {
        headless_reset();
        headless_set_dump_dir("");
    }
}

}  // namespace standin
