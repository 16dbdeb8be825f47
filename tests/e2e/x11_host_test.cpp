// Host windows as a window manager sees them: exact size and position, size
// hints, the close protocol, titles converted from Windows-1252, dialogs
// marked transient; plus init's messages when no display can be opened.
#include "x11_test_support.h"

#include <X11/Xatom.h>

#include <cstdlib>

namespace x11test {
namespace {

class X11Host : public X11Fixture {
protected:
    std::string property(HostId host, const char *name, const char *type) {
        std::string out;
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(peer_, window_of(host), XInternAtom(peer_, name, False), 0, 1024, False,
                               XInternAtom(peer_, type, False), &actual, &format, &count, &left, &data) == Success &&
            data != nullptr) {
            out.assign(reinterpret_cast<char *>(data), count);
            XFree(data);
        }
        return out;
    }

    Atom atom_property(HostId host, const char *name) {
        Atom actual = 0, value = 0;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(peer_, window_of(host), XInternAtom(peer_, name, False), 0, 16, False, XA_ATOM,
                               &actual, &format, &count, &left, &data) == Success &&
            data != nullptr) {
            if (count > 0) value = reinterpret_cast<Atom *>(data)[0];
            XFree(data);
        }
        return value;
    }

    HostId create(const standin::HostWindowParams &p) {
        HostId host = standin::kX11Driver.create_host(p);
        XSync(standin::x11().display, False);
        return host;
    }
};

TEST_F(X11Host, WindowHasTheExactSizeAndPlace) {
    HostId host = open_host(123, 45, 601, 540);
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    ASSERT_TRUE(XGetGeometry(peer_, window_of(host), &root, &x, &y, &w, &h, &border, &depth));
    EXPECT_EQ(w, 601u);
    EXPECT_EQ(h, 540u);
    EXPECT_EQ(border, 0u);
    ASSERT_TRUE(XTranslateCoordinates(peer_, window_of(host), root, 0, 0, &x, &y, &child));
    EXPECT_EQ(x, 123);  // no window manager runs here to add a frame
    EXPECT_EQ(y, 45);
}

TEST_F(X11Host, FixedSizeUnlessResizableAndPositionRequested) {
    standin::HostWindowParams p;
    p.x = 10;
    p.y = 20;
    p.width = 300;
    p.height = 200;
    HostId fixed = create(p);
    p.resizable = true;
    HostId resizable = create(p);

    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(peer_, window_of(fixed), &hints, &supplied));
    EXPECT_TRUE(hints.flags & USPosition);
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 300);
    EXPECT_EQ(hints.max_width, 300);
    EXPECT_EQ(hints.min_height, 200);
    EXPECT_EQ(hints.max_height, 200);

    ASSERT_TRUE(XGetWMNormalHints(peer_, window_of(resizable), &hints, &supplied));
    EXPECT_TRUE(hints.flags & USPosition);
    EXPECT_FALSE(hints.flags & PMaxSize);
}

TEST_F(X11Host, OffersTheDeleteWindowProtocol) {
    HostId host = create(standin::HostWindowParams{});
    Atom *protocols = nullptr;
    int count = 0;
    ASSERT_TRUE(XGetWMProtocols(peer_, window_of(host), &protocols, &count));
    Atom del = XInternAtom(peer_, "WM_DELETE_WINDOW", False);
    EXPECT_TRUE(std::find(protocols, protocols + count, del) != protocols + count);
    XFree(protocols);
}

// 0xE9 is e-acute in both code pages; 0x80 is the euro sign in 1252 only;
// 0x81 is undefined in 1252.
TEST_F(X11Host, TitleIsConvertedFromWindows1252) {
    standin::HostWindowParams p;
    p.title = "Caf\xE9 \x80 \x81!";
    HostId host = create(p);
    EXPECT_EQ(property(host, "_NET_WM_NAME", "UTF8_STRING"), "Caf\xC3\xA9 \xE2\x82\xAC ?!");
    EXPECT_EQ(property(host, "WM_NAME", "STRING"), "Caf\xE9 ? ?!");

    standin::kX11Driver.set_title(host, "Scores");
    EXPECT_TRUE(eventually([&] { return property(host, "_NET_WM_NAME", "UTF8_STRING") == "Scores"; }));
    EXPECT_EQ(property(host, "WM_NAME", "STRING"), "Scores");
    standin::kX11Driver.set_title(host, nullptr);
    EXPECT_TRUE(eventually([&] { return property(host, "_NET_WM_NAME", "UTF8_STRING").empty(); }));
}

TEST_F(X11Host, DialogIsTransientForItsOwner) {
    HostId owner = create(standin::HostWindowParams{});
    standin::HostWindowParams p;
    p.dialog = true;
    p.owner = owner;
    HostId dialog = create(p);
    Window transient_for = 0;
    ASSERT_TRUE(XGetTransientForHint(peer_, window_of(dialog), &transient_for));
    EXPECT_EQ(transient_for, window_of(owner));
    EXPECT_EQ(atom_property(dialog, "_NET_WM_WINDOW_TYPE"), XInternAtom(peer_, "_NET_WM_WINDOW_TYPE_DIALOG", False));
    EXPECT_EQ(atom_property(owner, "_NET_WM_WINDOW_TYPE"), Atom(0));
}

TEST_F(X11Host, ShowHideAndDestroy) {
    HostId host = open_host(0, 0, 50, 50);
    Window w = window_of(host);
    auto state = [&] {
        XWindowAttributes a{};
        XGetWindowAttributes(peer_, w, &a);
        return a.map_state;
    };
    EXPECT_EQ(state(), IsViewable);
    standin::kX11Driver.show_host(host, false);
    EXPECT_TRUE(eventually([&] { return state() == IsUnmapped; }));
    standin::kX11Driver.show_host(host, true);
    EXPECT_TRUE(eventually([&] { return state() == IsViewable; }));
    standin::kX11Driver.destroy_host(host);
    EXPECT_EQ(standin::x11_host(host), nullptr);
    // Calls on a destroyed host are ignored.
    standin::kX11Driver.show_host(host, true);
    standin::kX11Driver.set_title(host, "gone");
    standin::kX11Driver.destroy_host(host);
}

TEST_F(X11Host, OutOfRangeGeometryIsClamped) {
    standin::HostWindowParams p;
    p.x = -100000;
    p.y = 100000;
    p.width = 0;
    p.height = -5;
    HostId host = create(p);
    ASSERT_NE(host, 0u);
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    ASSERT_TRUE(XGetGeometry(peer_, window_of(host), &root, &x, &y, &w, &h, &border, &depth));
    EXPECT_EQ(w, 1u);
    EXPECT_EQ(h, 1u);
}

TEST_F(X11Host, ScreenSizeIsTheDefaultScreens) {
    int w = 0, h = 0;
    standin::kX11Driver.screen_size(&w, &h);
    EXPECT_EQ(w, 1024);  // tests/with-xvfb starts a 1024x768 screen
    EXPECT_EQ(h, 768);
}

// Restores DISPLAY on scope exit.
struct DisplayVariable {
    std::string saved;
    bool had;
    DisplayVariable() : had(std::getenv("DISPLAY") != nullptr) {
        if (had) saved = std::getenv("DISPLAY");
    }
    ~DisplayVariable() {
        if (had) setenv("DISPLAY", saved.c_str(), 1);
        else unsetenv("DISPLAY");
    }
};

TEST(X11Init, FailureNamesTheDisplay) {
    DisplayVariable keep;
    std::string error;
    unsetenv("DISPLAY");
    EXPECT_FALSE(standin::kX11Driver.init(&error));
    EXPECT_EQ(error, "cannot open X display: DISPLAY is not set");

    setenv("DISPLAY", ":4093", 1);
    error.clear();
    EXPECT_FALSE(standin::kX11Driver.init(&error));
    EXPECT_EQ(error, "cannot open X display ':4093'");
    // Nothing half-open is left behind: calls before a successful init are harmless.
    EXPECT_EQ(standin::kX11Driver.create_host(standin::HostWindowParams{}), 0u);
    standin::kX11Driver.wait(0);
    int w = -1, h = -1;
    standin::kX11Driver.screen_size(&w, &h);
    EXPECT_EQ(w, 0);
}

TEST(X11Init, InitAgainAfterShutdown) {
    std::string error;
    ASSERT_TRUE(standin::kX11Driver.init(&error)) << error;
    ASSERT_TRUE(standin::kX11Driver.init(&error)) << error;  // already open: no second connection
    standin::kX11Driver.shutdown();
    ASSERT_TRUE(standin::kX11Driver.init(&error)) << error;
    HostId host = standin::kX11Driver.create_host(standin::HostWindowParams{});
    EXPECT_NE(host, 0u);
    standin::kX11Driver.shutdown();
    standin::kX11Driver.shutdown();
}

}  // namespace
}  // namespace x11test
