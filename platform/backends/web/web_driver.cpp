// The web backend's driver table: host windows as canvases in the page
// (made and removed by its "telka" imports), the screen as the page's
// viewport, and the clock as WASI's monotonic clock. Present and wait live in
// their own files.
#include "backends/web/web_backend.h"
#include "backends/web/web_internal.h"

#include <climits>
#include <cstdio>
#include <ctime>
#include <set>

namespace standin {

namespace {

std::set<HostId> g_hosts;
void (*g_present_listener)(HostId host) = nullptr;
void (*g_before_present)() = nullptr;
HostId g_next_host = 1;

bool web_init(std::string *error) {
    (void)error;
    web_js_init();
    return true;
}

void web_shutdown() {
    while (!g_hosts.empty()) {
        web_js_host_destroy(static_cast<int>(*g_hosts.begin()));
        g_hosts.erase(g_hosts.begin());
    }
    web_js_shutdown();
}

HostId web_create_host(const HostWindowParams &params) {
    if (g_next_host >= INT_MAX) return 0;  // ids travel to the page as int
    const HostId id = g_next_host++;
    auto clamp_size = [](int v) { return v < 1 ? 1 : v > 16384 ? 16384 : v; };  // a canvas's practical limit
    if (!web_js_host_create(static_cast<int>(id), params.title ? params.title : "", params.x, params.y,
                            clamp_size(params.width), clamp_size(params.height), static_cast<int>(params.owner),
                            params.dialog ? 1 : 0)) {
        std::fprintf(stderr, "web: the page could not make a canvas\n");
        return 0;
    }
    g_hosts.insert(id);
    return id;
}

void web_destroy_host(HostId host) {
    if (g_hosts.erase(host) == 0) return;
    web_js_host_destroy(static_cast<int>(host));
}

void web_show_host(HostId host, bool visible) {
    if (g_hosts.count(host)) web_js_host_show(static_cast<int>(host), visible ? 1 : 0);
}

void web_set_title(HostId host, const char *title) {
    if (g_hosts.count(host)) web_js_host_set_title(static_cast<int>(host), title ? title : "");
}

void web_present_known(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride,
                       const HostRect *rects, int count) {
    if (!g_hosts.count(host)) {
        std::fprintf(stderr, "web: present on unknown host %lu ignored\n", static_cast<unsigned long>(host));
        return;
    }
    if (g_before_present) g_before_present();
    web_present(host, pixels, width, height, stride, rects, count);
    if (g_present_listener) g_present_listener(host);
}

void web_screen_size(int *width, int *height) {
    int32_t size[2] = {0, 0};
    web_js_screen_size(size);
    if (width) *width = size[0];
    if (height) *height = size[1];
}

}  // namespace

void web_set_present_listener(void (*listener)(HostId host)) { g_present_listener = listener; }

void web_set_before_present(void (*hook)()) { g_before_present = hook; }

int64_t web_now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

const BackendDriver kWebDriver = {
    .name = "web",
    .kind = BackendDriver::Kind::Browser,
    .init = web_init,
    .shutdown = web_shutdown,
    .create_host = web_create_host,
    .destroy_host = web_destroy_host,
    .show_host = web_show_host,
    .set_title = web_set_title,
    // The canvas cannot show wasm memory without a copy (and a conversion to
    // RGBA), so the core keeps the surfaces.
    .surface = nullptr,
    .await_surface = nullptr,
    .present = web_present_known,
    .wait = web_wait,
    .screen_size = web_screen_size,
    .now_ns = web_now_ns,
};

}  // namespace standin
