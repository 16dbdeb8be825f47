// The headless backend: host windows that exist only in memory, a virtual
// clock that jumps to the core's deadline instead of sleeping, input injected
// by tests and delivered in order, and optional PNG dumps of presented frames
// (through png_io). A wait that could never end exits with code 3.
#include "backends/headless/headless_backend.h"

#include "backends/headless/png_io.h"
#include "standin.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <string>

namespace standin {

namespace {

// An idle hook that keeps saying "more" without ever injecting input would
// loop for ever; after this many fruitless calls in a row the run ends.
constexpr uint64_t kMaxFruitlessIdleCalls = 1000000;

struct Host {
    std::string title;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = false;
    std::vector<RECT> presents;
};

struct Headless {
    int64_t clock = 0;
    int screen_w = 1024;
    int screen_h = 768;
    std::map<HostId, Host> hosts;
    HostId next_host = 1;
    std::deque<InputEvent> pending;
    unsigned locks = 0;
    std::function<bool()> idle_hook;
    std::function<void(int64_t)> wait_hook;
    std::vector<int64_t> waits;
    std::string dump_dir;
    uint64_t frames = 0;
    uint64_t fruitless_idle = 0;
};

Headless &st() {
    static Headless h;
    return h;
}

[[noreturn]] void never_ending_wait(const char *why) {
    std::fprintf(stderr, "headless: %s\n", why);
    std::fflush(stderr);
    std::exit(3);
}

void deliver_pending() {
    Headless &h = st();
    h.fruitless_idle = 0;
    std::deque<InputEvent> events;
    events.swap(h.pending);
    for (const InputEvent &e : events) core_input(e);
}

bool set_dump_dir(const std::string &dir) {
    Headless &h = st();
    if (dir.empty()) {
        h.dump_dir.clear();
        return true;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "headless: cannot use '%s' for frame dumps; frames are not dumped\n", dir.c_str());
        h.dump_dir.clear();
        return false;
    }
    h.dump_dir = dir;
    return true;
}

// ---- driver ----

bool headless_init(std::string *error) {
    (void)error;
    if (const char *dir = std::getenv("STANDIN_HEADLESS_DUMP"); dir && *dir) set_dump_dir(dir);
    return true;
}

void headless_shutdown() {}

HostId headless_create_host(const HostWindowParams &params) {
    Headless &h = st();
    const HostId id = h.next_host++;
    Host host;
    host.title = params.title ? params.title : "";
    host.x = params.x;
    host.y = params.y;
    host.width = params.width;
    host.height = params.height;
    h.hosts.emplace(id, std::move(host));
    return id;
}

void headless_destroy_host(HostId host) { st().hosts.erase(host); }

void headless_show_host(HostId host, bool visible) {
    auto it = st().hosts.find(host);
    if (it != st().hosts.end()) it->second.visible = visible;
}

void headless_set_title(HostId host, const char *title) {
    auto it = st().hosts.find(host);
    if (it != st().hosts.end()) it->second.title = title ? title : "";
}

void headless_present(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride, int x, int y,
                      int w, int h) {
    Headless &s = st();
    auto it = s.hosts.find(host);
    if (it == s.hosts.end()) return;
    it->second.presents.push_back(RECT{x, y, x + w, y + h});
    ++s.frames;
    if (s.dump_dir.empty()) return;
    char name[64];
    std::snprintf(name, sizeof name, "/frame-%06llu-host%llu.png", static_cast<unsigned long long>(s.frames),
                  static_cast<unsigned long long>(host));
    if (!write_png(s.dump_dir + name, pixels, width, height, stride))
        std::fprintf(stderr, "headless: cannot write frame %s%s\n", s.dump_dir.c_str(), name);
}

void headless_wait(int64_t deadline_ns) {
    Headless &h = st();
    if (!h.pending.empty()) {
        deliver_pending();
        return;
    }
    if (deadline_ns >= 0 && deadline_ns <= h.clock) return;  // a poll, or a deadline already reached
    h.waits.push_back(deadline_ns);
    if (h.wait_hook) {
        h.wait_hook(deadline_ns);
        if (!h.pending.empty()) {
            deliver_pending();
            return;
        }
    }
    if (deadline_ns >= 0) {
        // Nothing will happen before the deadline: time jumps there.
        h.clock = std::max(h.clock, deadline_ns);
        h.fruitless_idle = 0;
        return;
    }
    if (!h.idle_hook) never_ending_wait("the program waits for input that will never come");
    const int64_t before = h.clock;
    const bool more = h.idle_hook();
    if (!h.pending.empty()) {
        deliver_pending();
        return;
    }
    if (!more) never_ending_wait("the program waits for input that will never come");
    if (h.clock != before) {
        h.fruitless_idle = 0;
    } else if (++h.fruitless_idle > kMaxFruitlessIdleCalls) {
        never_ending_wait("the idle hook keeps returning without giving input; the program would wait for ever");
    }
}

void headless_screen_size(int *width, int *height) {
    *width = st().screen_w;
    *height = st().screen_h;
}

int64_t headless_now() { return st().clock; }

// Controls act only when this backend is the running one.
bool ready() {
    backend();
    if (headless_backend_active()) return true;
    static bool warned = false;
    if (!warned) std::fprintf(stderr, "standin: headless controls need the headless backend (STANDIN_BACKEND=headless)\n");
    warned = true;
    return false;
}

unsigned mods_of(unsigned key_mods) {
    // standin.h mirrors the backend's modifier bits, so they pass through unchanged.
    static_assert(unsigned{kKeyShift} == unsigned{kModShift} && unsigned{kKeyControl} == unsigned{kModControl} &&
                  unsigned{kKeyAlt} == unsigned{kModAlt} && unsigned{kKeyCapsLock} == unsigned{kModCapsLock} &&
                  unsigned{kKeyNumLock} == unsigned{kModNumLock});
    return key_mods | st().locks;
}

void key(InputEvent::Kind kind, int vk, unsigned mods, bool repeat) {
    int scan = 0;
    bool extended = false;
    us_scan_code(vk, &scan, &extended);
    headless_key_event(kind == InputEvent::Kind::KeyDown, vk, mods, scan, extended, repeat);
}

}  // namespace

const BackendDriver kHeadlessDriver = {
    "headless",         headless_init,      headless_shutdown, headless_create_host, headless_destroy_host,
    headless_show_host, headless_set_title, headless_present,  headless_wait,        headless_screen_size,
    headless_now,
};

bool headless_inject(const InputEvent &event) {
    if (!ready()) return false;
    st().pending.push_back(event);
    return true;
}

unsigned headless_lock_mods() { return st().locks; }

std::vector<RECT> headless_take_host_presents(HostId host) {
    auto it = st().hosts.find(host);
    if (it == st().hosts.end()) return {};
    std::vector<RECT> out;
    out.swap(it->second.presents);
    return out;
}

// ---- standin.h ----

void headless_set_screen_size(int width, int height) {
    if (width < 1 || height < 1 || width > 65535 || height > 65535) {
        std::fprintf(stderr, "headless: screen size %d x %d refused; keeping %d x %d\n", width, height,
                     st().screen_w, st().screen_h);
        return;
    }
    st().screen_w = width;
    st().screen_h = height;
}

int64_t headless_now_ns() { return st().clock; }

void headless_advance_clock(int64_t ns) {
    if (ns > 0) st().clock += ns;
}

void headless_set_locks(unsigned locks) { st().locks = locks & (kKeyCapsLock | kKeyNumLock); }

void headless_key_event(bool down, int vk, unsigned mods, int scan, bool extended, bool repeat) {
    InputEvent e;
    e.kind = down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
    e.vk = vk & 0xFF;
    e.scan = scan & 0xFF;
    e.extended = extended;
    e.repeat = down && repeat;
    e.mods = mods_of(mods);
    headless_inject(e);
}

void headless_key_down(int vk, unsigned mods) { key(InputEvent::Kind::KeyDown, vk, mods, false); }
void headless_key_repeat(int vk, unsigned mods) { key(InputEvent::Kind::KeyDown, vk, mods, true); }
void headless_key_up(int vk, unsigned mods) { key(InputEvent::Kind::KeyUp, vk, mods, false); }

void headless_key_press(int vk, unsigned mods) {
    headless_key_down(vk, mods);
    headless_key_up(vk, mods);
}

bool headless_type_text(const char *text) {
    if (!text) return false;
    bool all = true;
    const bool caps = (st().locks & kKeyCapsLock) != 0;
    for (const char *p = text; *p; ++p) {
        int vk = 0;
        bool shift = false;
        if (!us_key_for_char(*p, &vk, &shift)) {
            std::fprintf(stderr, "headless: no key types character 0x%02X; skipped\n",
                         static_cast<unsigned>(static_cast<unsigned char>(*p)));
            all = false;
            continue;
        }
        // CapsLock already inverts letters.
        if (caps && vk >= 'A' && vk <= 'Z') shift = !shift;
        if (shift) headless_key_down(VK_SHIFT, kKeyShift);
        headless_key_press(vk, shift ? unsigned{kKeyShift} : 0u);
        if (shift) headless_key_up(VK_SHIFT, 0);
    }
    return all;
}

size_t headless_pending_input() { return st().pending.size(); }

void headless_set_idle_hook(std::function<bool()> hook) { st().idle_hook = std::move(hook); }

void headless_set_wait_hook(std::function<void(int64_t)> hook) { st().wait_hook = std::move(hook); }

std::vector<int64_t> headless_take_waits() {
    std::vector<int64_t> out;
    out.swap(st().waits);
    return out;
}

bool headless_set_dump_dir(const std::string &dir) { return set_dump_dir(dir); }

void headless_reset() {
    Headless &h = st();
    h.pending.clear();
    h.locks = 0;
    h.idle_hook = nullptr;
    h.wait_hook = nullptr;
    h.waits.clear();
    h.dump_dir.clear();
    h.fruitless_idle = 0;
    for (auto &kv : h.hosts) kv.second.presents.clear();
}

}  // namespace standin
