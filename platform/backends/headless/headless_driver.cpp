// The headless backend's driver table: host windows that exist only in
// memory, and a virtual clock that jumps to the core's deadline instead of
// sleeping. A wait delivers injected input in order; one that could never end
// exits with code 3.
#include "backends/headless/headless_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace standin {

namespace {

// An idle hook that keeps saying "more" without ever injecting input would
// loop for ever; after this many fruitless calls in a row the run ends.
constexpr uint64_t kMaxFruitlessIdleCalls = 1000000;

[[noreturn]] void never_ending_wait(const char *why) {
    std::fprintf(stderr, "headless: %s\n", why);
    std::fflush(stderr);
    std::exit(3);
}

void deliver_pending() {
    HeadlessState &s = headless_state();
    s.fruitless_idle = 0;
    s.last_input = s.clock;
    std::deque<InputEvent> events;
    events.swap(s.pending);
    for (const InputEvent &e : events) core_input(e);
}

bool headless_init(std::string *error) {
    (void)error;
    return true;
}

void headless_shutdown() {
    if (headless_state().observer.finish) headless_state().observer.finish();
}

HostId headless_create_host(const HostWindowParams &params) {
    HeadlessState &s = headless_state();
    const HostId id = s.next_host++;
    HeadlessHost host;
    host.title = params.title ? params.title : "";
    host.x = params.x;
    host.y = params.y;
    host.width = params.width;
    host.height = params.height;
    host.owner = params.owner;
    s.hosts.emplace(id, std::move(host));
    return id;
}

HeadlessHost *find_host(HostId host) {
    auto &hosts = headless_state().hosts;
    auto it = hosts.find(host);
    return it == hosts.end() ? nullptr : &it->second;
}

void headless_show_host(HostId host, bool visible) {
    HeadlessHost *h = find_host(host);
    if (!h || h->visible == visible) return;
    h->visible = visible;
    const PresentObserver &observer = headless_state().observer;
    if (!visible && observer.host_hidden) observer.host_hidden(host);
}

void headless_destroy_host(HostId host) {
    headless_show_host(host, false);
    const PresentObserver &observer = headless_state().observer;
    if (const HeadlessHost *h = find_host(host); h && observer.host_gone) observer.host_gone(h->title.c_str());
    headless_state().hosts.erase(host);
}

void headless_set_title(HostId host, const char *title) {
    if (HeadlessHost *h = find_host(host)) h->title = title ? title : "";
}

void headless_present(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride,
                      const HostRect *rects, int count) {
    HeadlessHost *target = find_host(host);
    if (!target) return;
    for (int i = 0; i < count; ++i)
        log_entry(&target->presents, RECT{rects[i].x, rects[i].y, rects[i].x + rects[i].w, rects[i].y + rects[i].h});
    const PresentObserver &observer = headless_state().observer;
    if (observer.present) observer.present(host, target->title.c_str(), pixels, width, height, stride);
}

void headless_wait(int64_t deadline_ns) {
    HeadlessState &s = headless_state();
    if (!s.pending.empty()) {
        deliver_pending();
        return;
    }
    if (deadline_ns >= 0 && deadline_ns <= s.clock) return;  // a poll, or a deadline already reached
    log_entry(&s.waits, deadline_ns);
    if (s.wait_hook) {
        s.wait_hook(deadline_ns);
        if (!s.pending.empty()) {
            deliver_pending();
            return;
        }
    }
    if (deadline_ns >= 0) {
        // Nothing will happen before the deadline: time jumps there.
        s.clock = std::max(s.clock, deadline_ns);
        s.fruitless_idle = 0;
        const int64_t limit = s.idle_limit_ns;
        if (limit > 0 && !s.wait_hook && !s.idle_hook && s.clock - s.last_input > limit) {
            std::fprintf(stderr,
                         "headless: no input for %lld virtual seconds and nothing but timers to wait for; stopping"
                         " (STANDIN_HEADLESS_IDLE_SECONDS=0 runs on)\n",
                         static_cast<long long>(limit / 1000000000));
            std::fflush(stderr);
            std::exit(3);
        }
        return;
    }
    if (!s.idle_hook) never_ending_wait("the program waits for input that will never come");
    const int64_t before = s.clock;
    const bool more = s.idle_hook();
    if (!s.pending.empty()) {
        deliver_pending();
        return;
    }
    if (!more) never_ending_wait("the program waits for input that will never come");
    if (s.clock != before) {
        s.fruitless_idle = 0;
    } else if (++s.fruitless_idle > kMaxFruitlessIdleCalls) {
        never_ending_wait("the idle hook keeps returning without giving input; the program would wait for ever");
    }
}

void headless_screen_size(int *width, int *height) {
    *width = headless_state().screen_w;
    *height = headless_state().screen_h;
}

}  // namespace

HeadlessState &headless_state() {
    static HeadlessState s;
    return s;
}

// A program run headless with no test driving it (no hooks) and no input
// left, that only waits on its timers (an animation), would run its virtual
// clock for ever at full speed; it stops after the idle limit.
void headless_set_idle_limit(int64_t seconds) {
    headless_state().idle_limit_ns = seconds > 0 ? seconds * 1000000000 : 0;
}

void headless_set_present_observer(const PresentObserver &observer) { headless_state().observer = observer; }

std::vector<HeadlessHostInfo> headless_hosts() {
    std::vector<HeadlessHostInfo> out;
    // Ids grow with each host made, so the map's order is the hosts' age.
    for (const auto &[id, h] : headless_state().hosts)
        out.push_back(HeadlessHostInfo{id, h.owner, h.x, h.y, h.visible, h.title});
    return out;
}

// The driver's clock and the test API's view of it.
int64_t headless_now_ns() { return headless_state().clock; }

const BackendDriver kHeadlessDriver = {
    .name = "headless",
    .kind = BackendDriver::Kind::Memory,
    .init = headless_init,
    .shutdown = headless_shutdown,
    .create_host = headless_create_host,
    .destroy_host = headless_destroy_host,
    .show_host = headless_show_host,
    .set_title = headless_set_title,
    .surface = nullptr,  // the core's own memory: tests read it, dumps write it
    .await_surface = nullptr,
    .present = headless_present,
    .wait = headless_wait,
    .screen_size = headless_screen_size,
    .now_ns = headless_now_ns,
};

}  // namespace standin
