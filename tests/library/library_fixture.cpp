// The library tests' helpers: start-up as WinMain does it, readers for the
// ring and the buffers, input injection, and the scripted event wait built on
// the headless backend's wait and idle hooks.
#include "library_fixture.h"

#include "start_up.h"

#include <algorithm>
#include <deque>
#include <memory>

namespace libtest {

namespace {

HINSTANCE__ g_module{};  // what the process entry hands over as the instance

COLORREF to_colorref(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

constexpr int kVkHarmless = 0x87;  // VK_F24: no command, no character
constexpr int kVkMarker = 0x86;    // VK_F23: ends settle()

}  // namespace

bool start_headless() {
    const bool headless = standin::use_headless_backend();
    standin::start_up();
    return headless;
}

void open_library() {
    ASSERT_TRUE(start_headless());
    lib.instance = &g_module;
    lib.prevInstance = nullptr;
    lib.cmdLine = nullptr;
    lib.cmdShow = SW_SHOWNORMAL;
    ASSERT_EQ(TELKA_open(), 1);
    ASSERT_NE(lib.graphicsWnd, nullptr);
    ASSERT_NE(lib.textWnd, nullptr);
}

std::vector<std::string> ring() {
    std::vector<std::string> out;
    if (lib.textFirst < 0) return out;
    int32_t slot = lib.textFirst;
    do {
        const char *text = static_cast<const char *>(GlobalLock(lib.textLines[slot]));
        out.emplace_back(text ? text : "<unreadable slot>");
        GlobalUnlock(lib.textLines[slot]);
        slot = (slot + 1) % kTextRingSize;
    } while (slot != lib.textNext && out.size() <= static_cast<size_t>(kTextRingSize));
    return out;
}

std::vector<std::string> ring_shown() {
    std::vector<std::string> lines = ring();
    for (std::string &l : lines)
        if (!l.empty() && l.back() == '\n') l.pop_back();
    return lines;
}

void clear_ring() {
    for (HGLOBAL &h : lib.textLines) {
        if (h) GlobalFree(h);
        h = nullptr;
    }
    lib.textFirst = -1;
    lib.textNext = 0;
}

COLORREF back_pixel(int x, int y) { return GetPixel(lib.memDC, lib.originX + x, lib.originY - y); }

COLORREF device_pixel(int x, int y) { return GetPixel(lib.memDC, x, y); }

COLORREF client_pixel(int x, int y) {
    const uint32_t p = standin::window_pixel(lib.graphicsWnd, x, y);
    return p == 0xFFFFFFFFu ? CLR_INVALID : to_colorref(p);
}

void inject_ctrl_letter(char letter) {
    const int vk = (letter >= 'a' && letter <= 'z') ? letter - 'a' + 'A' : letter;
    standin::headless_key_down(VK_CONTROL, standin::kKeyControl);
    standin::headless_key_press(vk, standin::kKeyControl);
    standin::headless_key_up(VK_CONTROL, 0);
}

void inject_click(int x, int y) { standin::headless_click(lib.graphicsWnd, lib.originX + x, lib.originY - y); }

void inject_harmless() { standin::headless_key_up(kVkHarmless, 0); }

namespace {

struct WaitDriver {
    int64_t start = 0;
    std::deque<Input> inputs;
    int64_t horizon = 0;  // absolute time after which the wait counts as blocked
    bool blocked = false;

    // Gives the next input or declares the wait blocked, if that falls due
    // before `deadline` (-1: the program would wait for ever).
    bool step(int64_t deadline) {
        const int64_t now = standin::headless_now_ns();
        if (!inputs.empty()) {
            const int64_t t = start + inputs.front().at_ms * kMs;
            if (deadline >= 0 && t > deadline) return false;
            if (t > now) standin::headless_advance_clock(t - now);
            Input in = std::move(inputs.front());
            inputs.pop_front();
            in.inject();
            // An input that only posts messages still has to end this
            // blocking wait now, or the clock would jump to the deadline.
            if (standin::headless_pending_input() == 0) inject_harmless();
            return true;
        }
        if (blocked) return false;
        if (deadline >= 0 && horizon > deadline) return false;
        if (horizon > now) standin::headless_advance_clock(horizon - now);
        blocked = true;
        standin::headless_click(lib.graphicsWnd, lib.originX + kSentinelX, lib.originY - kSentinelY);
        return true;
    }
};

}  // namespace

WaitResult wait_event(std::vector<Input> inputs, int64_t block_after_ms) {
    auto driver = std::make_shared<WaitDriver>();
    driver->start = standin::headless_now_ns();
    std::stable_sort(inputs.begin(), inputs.end(), [](const Input &a, const Input &b) { return a.at_ms < b.at_ms; });
    const int64_t last = inputs.empty() ? 0 : std::max<int64_t>(0, inputs.back().at_ms);
    driver->horizon = driver->start + (last + block_after_ms) * kMs;
    for (Input &in : inputs) driver->inputs.push_back(std::move(in));

    standin::headless_set_wait_hook([driver](int64_t deadline) { driver->step(deadline); });
    standin::headless_set_idle_hook([driver] { return driver->step(-1); });

    WaitResult r;
    r.x = 0x5A5A5A5A;
    r.y = -0x5A5A5A5A;
    r.key = 0x5A;
    r.kind = TELKA_await_event(&r.x, &r.y, &r.key);
    r.blocked = driver->blocked;
    r.ended_ms = (standin::headless_now_ns() - driver->start) / kMs;

    standin::headless_set_wait_hook(nullptr);
    standin::headless_set_idle_hook(nullptr);
    EXPECT_TRUE(driver->inputs.empty()) << "the wait ended before all of its inputs were given";
    return r;
}

void settle(const std::function<void(const MSG &)> &observe) {
    // The marker is input, so the clock stays where the queue ran dry.
    standin::headless_set_wait_hook([](int64_t) { standin::headless_key_up(kVkMarker, 0); });
    standin::headless_set_idle_hook([] {
        standin::headless_key_up(kVkMarker, 0);
        return true;
    });
    MSG m;
    for (int i = 0; i < 10000; ++i) {
        if (!GetMessageA(&m, nullptr, 0, 0)) break;
        if (m.message == WM_KEYUP && m.wParam == static_cast<WPARAM>(kVkMarker)) break;
        if (observe) observe(m);
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    standin::headless_set_wait_hook(nullptr);
    standin::headless_set_idle_hook(nullptr);
}

}  // namespace libtest
