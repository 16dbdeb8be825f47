// The recording core_input() the x11 backend links against in these tests,
// and the fixture that opens the driver and a second connection to the same
// Xvfb. Relies on the backend's internal header for host windows.
#include "x11_test_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace standin {

void core_input(const InputEvent &event) { x11test::recorded().push_back(event); }

}  // namespace standin

namespace x11test {

std::vector<InputEvent> &recorded() {
    static std::vector<InputEvent> events;
    return events;
}

std::vector<InputEvent> recorded_of(std::initializer_list<Kind> kinds) {
    std::vector<InputEvent> out;
    for (const InputEvent &e : recorded())
        for (Kind k : kinds)
            if (e.kind == k) out.push_back(e);
    return out;
}

double now_ms() { return static_cast<double>(standin::kX11Driver.now_ns()) / 1e6; }

bool pump_until(const std::function<bool()> &done, int timeout_ms) {
    const int64_t end = standin::kX11Driver.now_ns() + int64_t{timeout_ms} * 1'000'000;
    while (!done()) {
        int64_t now = standin::kX11Driver.now_ns();
        if (now >= end) return done();
        standin::kX11Driver.wait(std::min(end, now + 20'000'000));
    }
    return true;
}

void pump_for(int ms) {
    pump_until([] { return false; }, ms);
}

bool eventually(const std::function<bool()> &done, int timeout_ms) {
    const double end = now_ms() + timeout_ms;
    while (!done()) {
        if (now_ms() >= end) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

namespace {

std::string mods_text(unsigned mods) {
    std::string s;
    auto add = [&](unsigned bit, const char *name) {
        if ((mods & bit) == 0) return;
        if (!s.empty()) s += '|';
        s += name;
    };
    add(standin::kKeyShift, "Shift");
    add(standin::kKeyControl, "Ctrl");
    add(standin::kKeyAlt, "Alt");
    add(standin::kKeyCapsLock, "Caps");
    add(standin::kKeyNumLock, "Num");
    return s.empty() ? "-" : s;
}

std::string typed_text(int32_t typed) {
    if (typed == InputEvent::kTypedNothing) return "nothing";
    char text[24];
    if (typed > 0x20 && typed < 0x7F)
        std::snprintf(text, sizeof text, "'%c'", static_cast<char>(typed));
    else
        std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(typed));
    return text;
}

}  // namespace

std::string key(bool down, int vk, int scan, bool extended, unsigned mods, bool repeat, int32_t typed) {
    char text[200];
    std::snprintf(text, sizeof text, "%s vk=%02X scan=%02X ext=%d rep=%d mods=%s", down ? "KeyDown" : "KeyUp", vk, scan,
                  extended ? 1 : 0, repeat ? 1 : 0, mods_text(mods).c_str());
    // Only a press types; the US table's keys say nothing more.
    if (!down || typed == InputEvent::kTypedByTable) return text;
    return text + (" typed=" + typed_text(typed));
}

std::string describe(const InputEvent &e) {
    char text[160];
    switch (e.kind) {
    case Kind::KeyDown:
    case Kind::KeyUp: return key(e.kind == Kind::KeyDown, e.vk, e.scan, e.extended, e.mods, e.repeat, e.typed);
    case Kind::Text: return "Text " + typed_text(e.typed);
    case Kind::ButtonDown:
    case Kind::ButtonUp:
        std::snprintf(text, sizeof text, "%s %d at %d,%d mods=%s",
                      e.kind == Kind::ButtonDown ? "ButtonDown" : "ButtonUp", e.button, e.x, e.y,
                      mods_text(e.mods).c_str());
        return text;
    case Kind::Motion: std::snprintf(text, sizeof text, "Motion %d,%d", e.x, e.y); return text;
    case Kind::CloseRequest: return "CloseRequest";
    case Kind::Resize: std::snprintf(text, sizeof text, "Resize %dx%d", e.width, e.height); return text;
    default: break;
    }
    if (e.kind == standin::kKindExpose) {
        std::snprintf(text, sizeof text, "Expose %d,%d %dx%d", e.x, e.y, e.width, e.height);
        return text;
    }
    return e.kind == standin::kKindFocusIn ? "FocusIn" : "FocusOut";
}

std::vector<std::string> describe_all(const std::vector<InputEvent> &events) {
    std::vector<std::string> out;
    for (const InputEvent &e : events) out.push_back(describe(e));
    return out;
}

int run(const std::string &command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void X11Fixture::SetUp() {
    if (no_shm_)
        setenv("STANDIN_X11_NO_SHM", "1", 1);
    else
        unsetenv("STANDIN_X11_NO_SHM");
    recorded().clear();
    std::string error;
    ASSERT_TRUE(standin::kX11Driver.init(&error)) << error << " (run these tests through tests/with-xvfb)";
    peer_ = XOpenDisplay(nullptr);
    ASSERT_NE(peer_, nullptr);
}

void X11Fixture::TearDown() {
    if (standin::x11().display != nullptr) {
        XSync(standin::x11().display, False);
        EXPECT_EQ(standin::x11().reported_errors, 0) << "the backend caused X errors (see stderr)";
    }
    standin::kX11Driver.shutdown();
    if (peer_ != nullptr) XCloseDisplay(peer_);
    peer_ = nullptr;
    unsetenv("STANDIN_X11_NO_SHM");
}

HostId X11Fixture::open_host(int x, int y, int width, int height, const char *title) {
    standin::HostWindowParams p;
    p.title = title;
    p.x = x;
    p.y = y;
    p.width = width;
    p.height = height;
    HostId host = standin::kX11Driver.create_host(p);
    EXPECT_NE(host, 0u);
    standin::kX11Driver.show_host(host, true);
    bool shown = pump_until([&] {
        for (const InputEvent &e : recorded())
            if (e.kind == standin::kKindExpose && e.host == host) return true;
        return false;
    });
    EXPECT_TRUE(shown) << "no Expose after mapping the host";
    return host;
}

Window X11Fixture::window_of(HostId host) const {
    standin::X11Host *h = standin::x11_host(host);
    return h != nullptr ? h->window : 0;
}

std::string X11Fixture::window_id(HostId host) const { return std::to_string(window_of(host)); }

void X11Fixture::focus(HostId host) {
    XSetInputFocus(peer_, window_of(host), RevertToParent, CurrentTime);
    XSync(peer_, False);
    bool focused = pump_until([&] {
        for (const InputEvent &e : recorded())
            if (e.kind == standin::kKindFocusIn && e.host == host) return true;
        return false;
    });
    ASSERT_TRUE(focused) << "no FocusIn after XSetInputFocus";
}

}  // namespace x11test
