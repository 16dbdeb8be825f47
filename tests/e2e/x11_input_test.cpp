// Native input on a real X server turned into InputEvents: keys typed with
// xdotool (through XTEST, as a user would) and sent with XSendEvent, mouse
// buttons and motion, the close protocol, exposure, resize and focus.
#include "x11_test_support.h"

#include <windows.h>

#include <X11/XKBlib.h>

#include <algorithm>
#include <climits>
#include <clocale>

namespace x11test {
namespace {

using standin::kKeyAlt;
using standin::kKeyCapsLock;
using standin::kKeyNumLock;
using standin::kKeyShift;
using Keys = std::vector<std::string>;

class X11Input : public X11Fixture {
protected:
    void SetUp() override {
        X11Fixture::SetUp();
        if (HasFatalFailure()) return;
        host_ = open_host(100, 100, 200, 150);
        focus(host_);
        recorded().clear();
    }

    // Runs xdotool, then pumps until `count` key events have arrived, and a
    // little longer to catch any extra ones.
    std::vector<std::string> keys_after(const std::string &xdotool_args, size_t count) {
        EXPECT_EQ(run("xdotool " + xdotool_args), 0) << xdotool_args;
        pump_until([&] { return recorded_of({Kind::KeyDown, Kind::KeyUp}).size() >= count; });
        pump_for(50);
        return describe_all(recorded_of({Kind::KeyDown, Kind::KeyUp}));
    }

    std::vector<std::string> buttons_after(const std::string &xdotool_args, size_t count) {
        EXPECT_EQ(run("xdotool " + xdotool_args), 0) << xdotool_args;
        pump_until([&] { return recorded_of({Kind::ButtonDown, Kind::ButtonUp}).size() >= count; });
        pump_for(50);
        return describe_all(recorded_of({Kind::ButtonDown, Kind::ButtonUp}));
    }

    void send_key(bool press, unsigned keycode, unsigned state) {
        XKeyEvent k{};
        k.type = press ? KeyPress : KeyRelease;
        k.display = peer_;
        k.window = window_of(host_);
        k.root = DefaultRootWindow(peer_);
        k.time = CurrentTime;
        k.keycode = keycode;
        k.state = state;
        k.same_screen = True;
        XEvent e{};
        e.xkey = k;
        XSendEvent(peer_, k.window, True, press ? KeyPressMask : KeyReleaseMask, &e);
        XSync(peer_, False);
    }

    // Switches the server to `layout`, types xdotool's `keys` (numbers are
    // keycodes, which stay where the keys are) and returns the presses and
    // text that came, modifier keys left out, once `count` have.
    std::vector<std::string> presses_after(const std::string &layout, const std::string &keys, size_t count) {
        recorded().clear();
        EXPECT_EQ(run("setxkbmap -layout " + layout), 0) << layout;
        EXPECT_EQ(run("xdotool key " + keys), 0) << keys;
        std::vector<InputEvent> got;
        pump_until([&] {
            got.clear();
            for (const InputEvent &e : recorded_of({Kind::KeyDown, Kind::Text}))
                if (e.vk != VK_SHIFT && e.vk != VK_CONTROL && e.vk != VK_MENU) got.push_back(e);
            return got.size() >= count;
        });
        return describe_all(got);
    }
    static bool have_setxkbmap() { return run("command -v setxkbmap >/dev/null") == 0; }
    static constexpr const char *kNoSetxkbmap =
        "setxkbmap is not installed (package x11-xkb-utils), so the layout cannot be changed";

    HostId host_ = 0;
};

TEST_F(X11Input, LettersAndDigitsWithScanCodes) {
    const Keys expected{
        key(true, 'A', 0x1E, false, 0, false, 'a'),
        key(false, 'A', 0x1E, false),
        key(true, '1', 0x02, false, 0, false, '1'),
        key(false, '1', 0x02, false),
        key(true, 'Z', 0x2C, false, 0, false, 'z'),
        key(false, 'Z', 0x2C, false),
    };
    EXPECT_EQ(keys_after("key a 1 z", 6), expected);
}

// xdotool may release Shift before the letter; only the presses have a fixed order.
TEST_F(X11Input, ShiftedLetterKeepsItsCodeAndCarriesShift) {
    auto got = keys_after("key shift+a", 4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], key(true, VK_SHIFT, 0x2A, false));
    EXPECT_EQ(got[1], key(true, 'A', 0x1E, false, kKeyShift, false, 'A'));
}

TEST_F(X11Input, AltLetterCarriesAlt) {
    auto got = keys_after("key alt+x", 4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], key(true, VK_MENU, 0x38, false));
    EXPECT_EQ(got[1], key(true, 'X', 0x2D, false, kKeyAlt, false, 'x'));
}

TEST_F(X11Input, ExtendedKeysAsWindowsReportsThem) {
    const Keys expected{
        key(true, VK_UP, 0x48, true),
        key(false, VK_UP, 0x48, true),
        key(true, VK_RETURN, 0x1C, true),
        key(false, VK_RETURN, 0x1C, true),
        key(true, VK_RETURN, 0x1C, false),
        key(false, VK_RETURN, 0x1C, false),
        key(true, VK_DIVIDE, 0x35, true),
        key(false, VK_DIVIDE, 0x35, true),
        key(true, VK_INSERT, 0x52, true),
        key(false, VK_INSERT, 0x52, true),
    };
    EXPECT_EQ(keys_after("key Up KP_Enter Return KP_Divide Insert", 10), expected);
}

// xdotool adds the left modifier to a right one, so these are sent directly.
TEST_F(X11Input, RightControlAndAltAreExtended) {
    const unsigned ctrl_r = XKeysymToKeycode(peer_, XK_Control_R);
    const unsigned alt_r = XKeysymToKeycode(peer_, XK_Alt_R);
    ASSERT_TRUE(ctrl_r != 0 && alt_r != 0);
    send_key(true, ctrl_r, 0);
    send_key(false, ctrl_r, ControlMask);
    send_key(true, alt_r, 0);
    send_key(false, alt_r, Mod1Mask);
    pump_until([&] { return recorded_of({Kind::KeyDown, Kind::KeyUp}).size() >= 4; });
    const Keys expected{
        key(true, VK_CONTROL, 0x1D, true),
        key(false, VK_CONTROL, 0x1D, true, standin::kKeyControl),
        key(true, VK_MENU, 0x38, true),
        key(false, VK_MENU, 0x38, true, kKeyAlt),
    };
    EXPECT_EQ(describe_all(recorded_of({Kind::KeyDown, Kind::KeyUp})), expected);
}

// The keypad follows the server's NumLock: digits with it on, navigation
// keys (not extended) with it off; the lock key reports the new state.
TEST_F(X11Input, KeypadFollowsNumLock) {
    const Keys expected{
        key(true, VK_NUMLOCK, 0x45, true, kKeyNumLock),
        key(false, VK_NUMLOCK, 0x45, true, kKeyNumLock),
        key(true, VK_NUMPAD1, 0x4F, false, kKeyNumLock),
        key(false, VK_NUMPAD1, 0x4F, false, kKeyNumLock),
        key(true, VK_NUMPAD5, 0x4C, false, kKeyNumLock),
        key(false, VK_NUMPAD5, 0x4C, false, kKeyNumLock),
        key(true, VK_NUMLOCK, 0x45, true),
        key(false, VK_NUMLOCK, 0x45, true),
        key(true, VK_END, 0x4F, false),
        key(false, VK_END, 0x4F, false),
        key(true, VK_CLEAR, 0x4C, false),
        key(false, VK_CLEAR, 0x4C, false),
    };
    EXPECT_EQ(keys_after("key Num_Lock KP_End KP_Begin Num_Lock KP_End KP_Begin", 12), expected);
}

TEST_F(X11Input, CapsLockStateTravelsWithKeys) {
    const Keys expected{
        key(true, VK_CAPITAL, 0x3A, false, kKeyCapsLock),
        key(false, VK_CAPITAL, 0x3A, false, kKeyCapsLock),
        key(true, 'A', 0x1E, false, kKeyCapsLock, false, 'A'),
        key(false, 'A', 0x1E, false, kKeyCapsLock),
        key(true, VK_CAPITAL, 0x3A, false),
        key(false, VK_CAPITAL, 0x3A, false),
        key(true, 'A', 0x1E, false, 0, false, 'a'),
        key(false, 'A', 0x1E, false),
    };
    EXPECT_EQ(keys_after("key Caps_Lock a Caps_Lock a", 8), expected);
}

// The NumLock modifier is read from each event's state, not from the server's lock.
TEST_F(X11Input, SentKeypadEventsUseTheirOwnNumLockState) {
    const unsigned kp1 = XKeysymToKeycode(peer_, XK_KP_End);
    const unsigned numlock = standin::x11().numlock_mask;
    ASSERT_NE(numlock, 0u) << "NumLock has no modifier bit";
    send_key(true, kp1, numlock);
    send_key(false, kp1, numlock);
    send_key(true, kp1, 0);
    send_key(false, kp1, 0);
    pump_until([&] { return recorded_of({Kind::KeyDown, Kind::KeyUp}).size() >= 4; });
    const Keys expected{
        key(true, VK_NUMPAD1, 0x4F, false, kKeyNumLock),
        key(false, VK_NUMPAD1, 0x4F, false, kKeyNumLock),
        key(true, VK_END, 0x4F, false),
        key(false, VK_END, 0x4F, false),
    };
    EXPECT_EQ(describe_all(recorded_of({Kind::KeyDown, Kind::KeyUp})), expected);
}

TEST_F(X11Input, KeysSentToTheWindowArrive) {
    const Keys expected{
        key(true, 'B', 0x30, false, 0, false, 'b'),
        key(false, 'B', 0x30, false),
    };
    EXPECT_EQ(keys_after("key --window " + window_id(host_) + " b", 2), expected);
}

// Held keys repeat as further presses marked as repeats, with one release at the end.
TEST_F(X11Input, AutoRepeatGivesRepeatedPressesAndOneRelease) {
    ASSERT_TRUE(XkbSetAutoRepeatRate(peer_, XkbUseCoreKbd, 100, 20));
    XSync(peer_, False);
    ASSERT_EQ(run("xdotool keydown a sleep 0.5 keyup a"), 0);
    pump_until([&] { return !recorded_of({Kind::KeyUp}).empty(); });
    auto keys = recorded_of({Kind::KeyDown, Kind::KeyUp});
    ASSERT_GE(keys.size(), 4u) << "expected the server to repeat the held key";
    EXPECT_EQ(describe(keys.front()), key(true, 'A', 0x1E, false, 0, false, 'a'));
    for (size_t i = 1; i + 1 < keys.size(); ++i)
        EXPECT_EQ(describe(keys[i]), key(true, 'A', 0x1E, false, 0, true, 'a'));
    EXPECT_EQ(describe(keys.back()), key(false, 'A', 0x1E, false));
}

// The server's own layout decides the character, shifted and with AltGr,
// and a dead key joins the next key (or comes before one that takes no
// accent, as on Windows); virtual keys keep their US codes except
// letters, which follow the layout (Ctrl+A is where the French layout has A).
TEST_F(X11Input, TheServersLayoutDecidesTheCharacter) {
    if (!have_setxkbmap()) GTEST_SKIP() << kNoSetxkbmap;
    constexpr int kDeadKey = InputEvent::kTypedNothing;
    EXPECT_EQ(presses_after("fr", "10 shift+10 11 34 26 34 38 ctrl+24", 9), (Keys{
                  key(true, '1', 0x02, false, 0, false, '&'),
                  key(true, '1', 0x02, false, kKeyShift, false, '1'),
                  key(true, '2', 0x03, false, 0, false, 0xE9),           // é
                  key(true, VK_OEM_4, 0x1A, false, 0, false, kDeadKey),  // ^
                  key(true, 'E', 0x12, false, 0, false, 0xEA),           // ê
                  key(true, VK_OEM_4, 0x1A, false, 0, false, kDeadKey),  // ^ then q, which takes no accent:
                  key(true, 'Q', 0x1E, false, 0, false, '^'),            // both characters
                  "Text 'q'",
                  key(true, 'A', 0x10, false, standin::kKeyControl),
              }));
    EXPECT_EQ(presses_after("de", "shift+16 ISO_Level3_Shift+24 ISO_Level3_Shift+26", 3), (Keys{
                  key(true, '7', 0x08, false, kKeyShift, false, '/'),
                  key(true, 'Q', 0x10, false, 0, false, '@'),
                  key(true, 'E', 0x12, false, 0, false, 0x20AC),  // €
              }));
    // The input method needed a UTF-8 locale; the program keeps its own.
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
}

// Without an input context the key's symbol says what it typed: Latin-1,
// the euro sign and the older Latin-2 symbols; a dead key still types
// nothing, though it no longer joins the next key.
TEST_F(X11Input, WithoutAnInputMethodTheKeysSymbolDecides) {
    if (!have_setxkbmap()) GTEST_SKIP() << kNoSetxkbmap;
    standin::x11_destroy_ic(*standin::x11_host(host_));
    EXPECT_EQ(presses_after("fr", "11 34 26", 3), (Keys{
                  key(true, '2', 0x03, false, 0, false, 0xE9),  // é
                  key(true, VK_OEM_4, 0x1A, false, 0, false, InputEvent::kTypedNothing),
                  key(true, 'E', 0x12, false, 0, false, 'e'),
              }));
    EXPECT_EQ(presses_after("de", "ISO_Level3_Shift+26", 1), (Keys{key(true, 'E', 0x12, false, 0, false, 0x20AC)}));
    EXPECT_EQ(presses_after("cz", "11", 1), (Keys{key(true, '2', 0x03, false, 0, false, 0x011B)}));  // ě
}

TEST_F(X11Input, ButtonsWithHostCoordinatesAndNoWheel) {
    EXPECT_EQ(buttons_after("mousemove --window " + window_id(host_) +
                                " 10 20 click 1 click 4 click 5 "
                                "mousemove --window " +
                                window_id(host_) + " 150 120 click 3 click 2",
                            6),
              (std::vector<std::string>{
                  "ButtonDown 1 at 10,20 mods=-",
                  "ButtonUp 1 at 10,20 mods=-",
                  "ButtonDown 3 at 150,120 mods=-",
                  "ButtonUp 3 at 150,120 mods=-",
                  "ButtonDown 2 at 150,120 mods=-",
                  "ButtonUp 2 at 150,120 mods=-",
              }));
}

TEST_F(X11Input, ShiftClickCarriesShift) {
    auto got = buttons_after("mousemove --window " + window_id(host_) + " 5 6 keydown shift click 1 keyup shift", 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "ButtonDown 1 at 5,6 mods=Shift");
}

TEST_F(X11Input, MotionIsCompressedToTheLatestPosition) {
    std::string cmd = "xdotool";
    for (int i = 1; i <= 20; ++i)
        cmd += " mousemove --window " + window_id(host_) + " " + std::to_string(i * 5) + " 40";
    ASSERT_EQ(run(cmd), 0);
    ASSERT_TRUE(pump_until([&] {
        auto m = recorded_of({Kind::Motion});
        return !m.empty() && m.back().x == 100 && m.back().y == 40;
    }));
    // The server had sent all twenty before the first wait read them.
    EXPECT_LE(recorded_of({Kind::Motion}).size(), 2u);
}

TEST_F(X11Input, DeleteWindowMessageIsACloseRequest) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window_of(host_);
    e.xclient.message_type = XInternAtom(peer_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(peer_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(peer_, window_of(host_), False, NoEventMask, &e);
    XSync(peer_, False);
    ASSERT_TRUE(pump_until([] { return !recorded_of({Kind::CloseRequest}).empty(); }));
    EXPECT_EQ(recorded_of({Kind::CloseRequest}).front().host, host_);
}

// Uncovering part of the window asks for exactly that part again.
TEST_F(X11Input, UncoveredAreaIsExposed) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    Window cover = XCreateWindow(peer_, DefaultRootWindow(peer_), 150, 120, 50, 40, 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWOverrideRedirect, &a);
    XMapRaised(peer_, cover);
    XSync(peer_, False);
    pump_for(50);
    recorded().clear();
    XDestroyWindow(peer_, cover);
    XSync(peer_, False);
    ASSERT_TRUE(pump_until([] { return !recorded_of({standin::kKindExpose}).empty(); }));
    pump_for(50);
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (const InputEvent &e : recorded_of({standin::kKindExpose})) {
        l = std::min(l, e.x);
        t = std::min(t, e.y);
        r = std::max(r, e.x + e.width);
        b = std::max(b, e.y + e.height);
    }
    EXPECT_EQ(l, 50);
    EXPECT_EQ(t, 20);
    EXPECT_EQ(r, 100);
    EXPECT_EQ(b, 60);
}

TEST_F(X11Input, OnlyANewSizeIsAResize) {
    XMoveWindow(peer_, window_of(host_), 120, 130);
    XSync(peer_, False);
    pump_for(100);
    EXPECT_TRUE(recorded_of({Kind::Resize}).empty());
    XResizeWindow(peer_, window_of(host_), 300, 200);
    XSync(peer_, False);
    ASSERT_TRUE(pump_until([] { return !recorded_of({Kind::Resize}).empty(); }));
    EXPECT_EQ(describe_all(recorded_of({Kind::Resize})), std::vector<std::string>{"Resize 300x200"});
}

TEST_F(X11Input, FocusLeavingAndComingBack) {
    XSetInputFocus(peer_, None, RevertToNone, CurrentTime);
    XSync(peer_, False);
    ASSERT_TRUE(pump_until([] { return !recorded_of({standin::kKindFocusOut}).empty(); }));
    focus(host_);
    EXPECT_EQ(describe_all(recorded_of({standin::kKindFocusIn, standin::kKindFocusOut})),
              (std::vector<std::string>{"FocusOut", "FocusIn"}));
}

}  // namespace
}  // namespace x11test
