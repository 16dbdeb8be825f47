// Routing of backend input: mouse buttons to the deepest enabled child under
// the point in its client coordinates, the menu bar strip to the menu code,
// close requests, host focus changes and host resizes.
#include "user/window_hooks.h"
#include "window_recorder.h"

using namespace user_test;
using Names = std::vector<std::string>;

namespace {

class MouseInput : public UserTest {};
class HostEvents : public UserTest {};

int x_of(LPARAM l) { return static_cast<int16_t>(LOWORD(l)); }
int y_of(LPARAM l) { return static_cast<int16_t>(HIWORD(l)); }

TEST_F(MouseInput, ClicksCarryClientCoordinatesAndButtonFlags) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 80);
    drain();
    log().clear();
    standin::headless_click(h, 7, 9);
    standin::headless_click(h, 0, 79, 3, standin::kKeyShift | standin::kKeyControl);
    drain();
    EXPECT_EQ(names(h), (Names{"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_RBUTTONDOWN", "WM_RBUTTONUP"}));
    const std::vector<Record> &l = log();
    EXPECT_EQ(x_of(l[0].lParam), 7);
    EXPECT_EQ(y_of(l[0].lParam), 9);
    EXPECT_EQ(l[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(l[1].wParam, 0u);  // released
    EXPECT_EQ(y_of(l[2].lParam), 79);
    EXPECT_EQ(l[2].wParam, static_cast<WPARAM>(MK_RBUTTON | MK_SHIFT | MK_CONTROL));
    EXPECT_EQ(l[3].wParam, static_cast<WPARAM>(MK_SHIFT | MK_CONTROL));
}

TEST_F(MouseInput, ClicksGoToTheDeepestEnabledChild) {
    HWND p = top("Rec", WS_CAPTION | WS_VISIBLE, 200, 200);
    HWND c = child(p, 50, 50, 100, 100);
    HWND g = child(c, 10, 20, 30, 30);
    HWND hidden = child(p, 0, 0, 40, 40, WS_CHILD);
    drain();
    log().clear();
    standin::headless_click(p, 65, 75);  // inside g at (5, 5)
    standin::headless_click(p, 55, 55);  // inside c only
    standin::headless_click(p, 5, 5);    // under a hidden child: the parent
    drain();
    ASSERT_EQ(records(g, WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(x_of(records(g, WM_LBUTTONDOWN)[0].lParam), 5);
    EXPECT_EQ(y_of(records(g, WM_LBUTTONDOWN)[0].lParam), 5);
    ASSERT_EQ(records(c, WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(x_of(records(c, WM_LBUTTONDOWN)[0].lParam), 5);
    ASSERT_EQ(records(p, WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(x_of(records(p, WM_LBUTTONDOWN)[0].lParam), 5);
    EXPECT_TRUE(records(hidden, WM_LBUTTONDOWN).empty());

    // A disabled child passes the click to its parent, in the parent's coordinates.
    EnableWindow(g, FALSE);
    log().clear();
    standin::headless_click(g, 1, 2);
    drain();
    EXPECT_TRUE(records(g, WM_LBUTTONDOWN).empty());
    ASSERT_EQ(records(c, WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(x_of(records(c, WM_LBUTTONDOWN)[0].lParam), 11);
    EXPECT_EQ(y_of(records(c, WM_LBUTTONDOWN)[0].lParam), 22);
}

TEST_F(MouseInput, DisabledTopLevelWindowsGetNoClicks) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    drain();
    EnableWindow(h, FALSE);
    log().clear();
    standin::headless_click(h, 10, 10);
    drain();
    EXPECT_TRUE(log().empty());
}

TEST_F(MouseInput, TheMenuBarStripBelongsToTheMenuCode) {
    static std::vector<std::pair<int, int>> bar_clicks;
    bar_clicks.clear();
    standin::MenuHooks hooks;
    hooks.bar_height = [](HWND, HMENU, int) { return 20; };
    hooks.input = [](HWND, const standin::InputEvent &e) {
        if (e.kind == standin::InputEvent::Kind::ButtonDown && e.y < 20) {
            bar_clicks.emplace_back(e.x, e.y);
            return true;
        }
        return false;
    };
    standin::set_menu_hooks(hooks);
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 100, 80);
    standin::window_set_menu(h, reinterpret_cast<HMENU>(uintptr_t{1}));
    drain();
    log().clear();
    standin::headless_click(h, 30, -15);  // client y -15 = host row 5, in the strip
    standin::headless_click(h, 30, 0);    // first client row
    drain();
    EXPECT_EQ(bar_clicks, (std::vector<std::pair<int, int>>{{30, 5}}));
    // The swallowed press's release in the strip reaches nobody either.
    EXPECT_EQ(names(h), (Names{"WM_LBUTTONDOWN", "WM_LBUTTONUP"}));
    EXPECT_EQ(y_of(log().at(0).lParam), 0);
}

TEST_F(HostEvents, CloseRequestBecomesWmCloseUnlessDisabled) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    drain();
    EnableWindow(h, FALSE);
    standin::headless_close_request(h);
    drain();
    EXPECT_TRUE(IsWindow(h));
    EnableWindow(h, TRUE);
    log().clear();
    standin::headless_close_request(h);
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(m.hwnd, h);
    DispatchMessageA(&m);  // DefWindowProcA destroys
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(HostEvents, HostFocusActivatesAndDeactivates) {
    HWND a = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    HWND b = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    drain();
    ASSERT_EQ(GetFocus(), b);
    standin::headless_focus(b, false);
    standin::headless_focus(a, true);
    drain();
    EXPECT_EQ(GetFocus(), a);
    EXPECT_EQ(records(b, WM_ACTIVATE).back().wParam, static_cast<WPARAM>(WA_INACTIVE));
    EXPECT_EQ(records(a, WM_ACTIVATE).back().wParam, static_cast<WPARAM>(WA_ACTIVE));
    standin::headless_focus(a, false);
    drain();
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(HostEvents, FocusOnAWindowBlockedByADialogGoesToTheDialog) {
    HWND owner = top("Rec", WS_CAPTION | WS_VISIBLE, 50, 50);
    EnableWindow(owner, FALSE);
    HWND dialog = top("Rec", WS_POPUP | WS_VISIBLE, 30, 30, owner);
    drain();
    standin::headless_focus(dialog, false);
    standin::headless_focus(owner, true);
    drain();
    EXPECT_EQ(GetFocus(), dialog);
}

TEST_F(HostEvents, HostResizeResizesTheWindow) {
    HWND h = top("RecRedraw", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100);
    drain();
    log().clear();
    standin::headless_resize(h, 150, 90);
    drain();
    EXPECT_EQ(names(h, {WM_SIZE, WM_PAINT}), (Names{"WM_SIZE", "WM_PAINT"}));
    RECT r{};
    GetClientRect(h, &r);
    EXPECT_EQ(r.right, 150);
    EXPECT_EQ(r.bottom, 90);
}

}  // namespace
