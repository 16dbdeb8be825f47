// The headless_backend.h controls that the backend implements itself: the
// screen size, the clock, injected keys and typing (US keyboard), the idle and
// wait hooks, the waits and presents logs, and the reset between tests.
#include "backends/headless/headless_internal.h"
#include "kernel/us_keyboard.h"

#include <cstdio>

namespace standin {

namespace {

// A key as a US keyboard sends it: its scan code and extended flag from the table.
void headless_inject_us_key(bool down, int vk, unsigned mods, bool repeat) {
    const UsKey key = us_key(vk);
    headless_key_event(down, vk, mods, key.scan, key.extended, repeat);
}

}  // namespace

bool headless_controls_ready() {
    backend();
    if (headless_backend_active()) return true;
    static bool warned = false;
    if (!warned) std::fprintf(stderr, "standin: headless controls need the headless backend (STANDIN_BACKEND=headless)\n");
    warned = true;
    return false;
}

bool headless_inject(const InputEvent &event) {
    if (!headless_controls_ready()) return false;
    headless_state().pending.push_back(event);
    return true;
}

unsigned headless_lock_mods() { return headless_state().locks; }

std::vector<RECT> headless_take_host_presents(HostId host) {
    auto &hosts = headless_state().hosts;
    auto it = hosts.find(host);
    if (it == hosts.end()) return {};
    std::vector<RECT> out;
    out.swap(it->second.presents);
    return out;
}

void headless_set_screen_size(int width, int height) {
    HeadlessState &s = headless_state();
    if (width < 1 || height < 1 || width > 65535 || height > 65535) {
        std::fprintf(stderr, "headless: screen size %d x %d refused; keeping %d x %d\n", width, height, s.screen_w,
                     s.screen_h);
        return;
    }
    s.screen_w = width;
    s.screen_h = height;
}

void headless_advance_clock(int64_t ns) {
    if (ns > 0) headless_state().clock += ns;
}

void headless_set_locks(unsigned locks) { headless_state().locks = locks & (kKeyCapsLock | kKeyNumLock); }

void headless_key_event(bool down, int vk, unsigned mods, int scan, bool extended, bool repeat) {
    InputEvent e;
    e.kind = down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
    e.vk = vk & 0xFF;
    e.scan = scan & 0xFF;
    e.extended = extended;
    e.repeat = down && repeat;
    e.mods = mods | headless_lock_mods();
    headless_inject(e);
}

void headless_key_down(int vk, unsigned mods) { headless_inject_us_key(true, vk, mods, false); }
void headless_key_repeat(int vk, unsigned mods) { headless_inject_us_key(true, vk, mods, true); }
void headless_key_up(int vk, unsigned mods) { headless_inject_us_key(false, vk, mods, false); }

void headless_key_press(int vk, unsigned mods) {
    headless_key_down(vk, mods);
    headless_key_up(vk, mods);
}

bool headless_type_text(const char *text) {
    if (!text) return false;
    bool all = true;
    const bool caps = (headless_lock_mods() & kKeyCapsLock) != 0;
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

size_t headless_pending_input() { return headless_state().pending.size(); }

void headless_set_idle_hook(std::function<bool()> hook) { headless_state().idle_hook = std::move(hook); }

void headless_set_wait_hook(std::function<void(int64_t)> hook) { headless_state().wait_hook = std::move(hook); }

std::vector<int64_t> headless_take_waits() {
    std::vector<int64_t> out;
    out.swap(headless_state().waits);
    return out;
}

void headless_reset() {
    HeadlessState &s = headless_state();
    s.pending.clear();
    s.locks = 0;
    s.idle_hook = nullptr;
    s.wait_hook = nullptr;
    s.waits.clear();
    s.fruitless_idle = 0;
    s.last_input = s.clock;
    for (auto &kv : s.hosts) kv.second.presents.clear();
}

}  // namespace standin
