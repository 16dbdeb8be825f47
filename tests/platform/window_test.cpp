// Window classes and the life of a window: the messages of creation (with and
// without a menu bar), showing, hiding, destruction, closing; text, enabling,
// focus, parents and owners, geometry, and hostile arguments.
#include "user/window_hooks.h"
#include "window_recorder.h"

#include <climits>

using namespace user_test;
using Names = std::vector<std::string>;

namespace {

HMENU fake_menu() { return reinterpret_cast<HMENU>(uintptr_t{0x4D45}); }

// A stand-in for the menu code: a 20-pixel bar painted in one colour.
constexpr uint32_t kBarColour = 0x00336699u;
int bar_height(HWND, HMENU menu, int) { return menu ? 20 : 0; }
void paint_bar(HWND, HMENU, uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[y * stride + x] = kBarColour;
}

void install_bar_hooks() {
    standin::MenuHooks hooks;
    hooks.bar_height = bar_height;
    hooks.paint_bar = paint_bar;
    standin::set_menu_hooks(hooks);
}

class Classes : public UserTest {};
class Creation : public UserTest {};
class Showing : public UserTest {};
class Destruction : public UserTest {};
class WindowText : public UserTest {};
class Enabling : public UserTest {};
class Focus : public UserTest {};
class Geometry : public UserTest {};
class BadArguments : public UserTest {};

TEST_F(Classes, DuplicateNamesFailWhateverTheirCase) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = recording_proc;
    wc.lpszClassName = "rec";  // "Rec" is registered by the fixture
    SetLastError(0);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    wc.lpszClassName = "Another";
    const ATOM a = RegisterClassA(&wc);
    EXPECT_NE(a, 0);
    // A window can be created by atom as well as by name, in any case.
    HWND by_atom = CreateWindowExA(0, MAKEINTRESOURCEA(a), "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND by_name = CreateWindowExA(0, "ANOTHER", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(by_atom, nullptr);
    EXPECT_NE(by_name, nullptr);
}

TEST_F(Classes, IncompleteClassesAndUnknownNamesAreRefused) {
    WNDCLASSA wc{};
    wc.lpszClassName = "NoProc";
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
    wc.lpfnWndProc = recording_proc;
    wc.lpszClassName = nullptr;
    EXPECT_EQ(RegisterClassA(&wc), 0);
    const std::string long_name(300, 'x');
    wc.lpszClassName = long_name.c_str();
    EXPECT_EQ(RegisterClassA(&wc), 0);

    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(CreateWindowExA(0, nullptr, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Creation, SendsCreateThenSizeWithTheClientSizeBeforeReturning) {
    HWND h = top();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(names(h), (Names{"WM_NCCREATE", "WM_CREATE", "WM_SIZE"}));
    const Record size = records(h, WM_SIZE).at(0);
    EXPECT_EQ(size.wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(size.lParam), 601);
    EXPECT_EQ(HIWORD(size.lParam), 540);
    EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(Creation, CreateMessagesCarryTheCreationParameters) {
    int cookie = 0;
    LPVOID seen = nullptr;
    set_handler([&](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        // lParam points to a CREATESTRUCTA, whose first field is lpCreateParams.
        if (msg == WM_CREATE) seen = *reinterpret_cast<LPVOID *>(lParam);
        return std::nullopt;
    });
    CreateWindowExA(0, "Rec", "t", 0, 0, 0, 50, 50, nullptr, nullptr, nullptr, &cookie);
    EXPECT_EQ(seen, &cookie);
}

TEST_F(Creation, MenuSetDuringCreateShrinksTheClientBeforeTheFinalSize) {
    install_bar_hooks();
    set_handler([](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_CREATE) {
            standin::window_set_menu(h, fake_menu());
            return 0;
        }
        return std::nullopt;
    });
    HWND h = top();
    ASSERT_NE(h, nullptr);
    // SetMenu inside WM_CREATE sends its own WM_SIZE; the creation one follows.
    EXPECT_EQ(names(h), (Names{"WM_NCCREATE", "WM_CREATE", "WM_SIZE", "WM_SIZE"}));
    for (const Record &r : records(h, WM_SIZE)) {
        EXPECT_EQ(LOWORD(r.lParam), 601);
        EXPECT_EQ(HIWORD(r.lParam), 520);
    }
    RECT client{}, outer{};
    GetClientRect(h, &client);
    GetWindowRect(h, &outer);
    EXPECT_EQ(client.right, 601);
    EXPECT_EQ(client.bottom, 520);
    EXPECT_EQ(outer.right - outer.left, 601);
    EXPECT_EQ(outer.bottom - outer.top, 540);
    EXPECT_EQ(standin::window_menu(h), fake_menu());
    EXPECT_EQ(standin::window_menu_bar_height(h), 20);
}

TEST_F(Creation, MenuBarStripSitsAboveTheClientArea) {
    install_bar_hooks();
    HWND h = top();
    standin::window_set_menu(h, fake_menu());
    ShowWindow(h, SW_SHOW);
    UpdateWindow(h);  // DefWindowProcA erases the client with the white class brush
    standin::PixelView host;
    ASSERT_TRUE(standin::window_host_pixels(h, &host));
    EXPECT_EQ(host.width, 601);
    EXPECT_EQ(host.height, 540);
    EXPECT_EQ(host.at(0, 0), kBarColour);
    EXPECT_EQ(host.at(600, 19), kBarColour);
    EXPECT_EQ(host.at(0, 20), 0x00FFFFFFu);
    EXPECT_EQ(host.at(600, 539), 0x00FFFFFFu);
    // Client coordinates start below the bar.
    standin::PixelView client;
    ASSERT_TRUE(standin::window_client_pixels(h, &client));
    EXPECT_EQ(client.pixels, host.pixels + 20 * host.stride);
    EXPECT_EQ(client.height, 520);
}

TEST_F(Creation, DetachingTheMenuGivesTheStripBackToTheClient) {
    install_bar_hooks();
    HWND h = top();
    standin::window_set_menu(h, fake_menu());
    log().clear();
    EXPECT_TRUE(standin::window_set_menu(h, nullptr));
    EXPECT_EQ(names(h), (Names{"WM_SIZE"}));
    EXPECT_EQ(HIWORD(log().at(0).lParam), 540);
    // Child windows cannot have menus.
    HWND c = child(h, 0, 0, 10, 10);
    EXPECT_FALSE(standin::window_set_menu(c, fake_menu()));
}

TEST_F(Creation, VisibleStyleShowsActivatesAndFocusesAtOnce) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE);
    EXPECT_EQ(names(h), (Names{"WM_NCCREATE", "WM_CREATE", "WM_SIZE", "WM_SHOWWINDOW", "WM_ACTIVATE", "WM_SETFOCUS"}));
    EXPECT_EQ(records(h, WM_ACTIVATE).at(0).wParam, static_cast<WPARAM>(WA_ACTIVE));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(GetFocus(), h);
}

TEST_F(Creation, FailingCreateDestroysTheWindow) {
    set_handler([](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_CREATE) return -1;
        return std::nullopt;
    });
    EXPECT_EQ(top(), nullptr);
    ASSERT_FALSE(log().empty());
    const HWND h = log().front().hwnd;
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(names(h), (Names{"WM_NCCREATE", "WM_CREATE", "WM_DESTROY", "WM_NCDESTROY"}));

    set_handler([](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_NCCREATE) return FALSE;
        return std::nullopt;
    });
    EXPECT_EQ(top(), nullptr);
}

TEST_F(Creation, ChildWindowsNeedALiveParent) {
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "Rec", "", WS_CHILD, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_NE(GetLastError(), 0u);
    HWND p = top();
    HWND c = child(p, 1, 2, 30, 40, WS_CHILD, 7);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(names(c), (Names{"WM_NCCREATE", "WM_CREATE", "WM_SIZE"}));
    EXPECT_EQ(GetParent(c), p);
    EXPECT_EQ(standin::window_control_id(c), 7);
    EXPECT_EQ(standin::window_children(p), std::vector<HWND>{c});
    DestroyWindow(p);
    EXPECT_EQ(CreateWindowExA(0, "Rec", "", WS_CHILD, 0, 0, 5, 5, p, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Showing, ShowReturnsThePreviousVisibilityAndSendsTheShowSequence) {
    HWND h = top();
    log().clear();
    EXPECT_FALSE(ShowWindow(h, SW_SHOWNORMAL));
    EXPECT_EQ(names(h), (Names{"WM_SHOWWINDOW", "WM_ACTIVATE", "WM_SETFOCUS"}));
    EXPECT_EQ(log().at(0).wParam, static_cast<WPARAM>(TRUE));
    log().clear();
    EXPECT_TRUE(ShowWindow(h, SW_SHOW));
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(ShowWindow(h, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(names(h), (Names{"WM_SHOWWINDOW", "WM_ACTIVATE", "WM_KILLFOCUS"}));
    EXPECT_EQ(log().at(0).wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(ShowWindow(h, SW_HIDE));
}

TEST_F(Showing, ShowingASecondWindowMovesActivationAndFocus) {
    HWND a = top();
    HWND b = top();
    ShowWindow(a, SW_SHOW);
    log().clear();
    ShowWindow(b, SW_SHOW);
    std::vector<std::pair<HWND, std::string>> seen;
    for (const Record &r : log()) seen.emplace_back(r.hwnd, msg_name(r.msg));
    const std::vector<std::pair<HWND, std::string>> expected = {
        {b, "WM_SHOWWINDOW"}, {a, "WM_ACTIVATE"}, {b, "WM_ACTIVATE"}, {a, "WM_KILLFOCUS"}, {b, "WM_SETFOCUS"}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(records(a, WM_ACTIVATE).at(0).wParam, static_cast<WPARAM>(WA_INACTIVE));
    EXPECT_EQ(records(b, WM_SETFOCUS).at(0).wParam, reinterpret_cast<WPARAM>(a));
    // Showing without activation leaves the focus where it is.
    HWND c = top();
    ShowWindow(c, SW_SHOWNOACTIVATE);
    EXPECT_EQ(GetFocus(), b);
}

TEST_F(Showing, ChildrenAreVisibleOnlyWithTheirParent) {
    HWND p = top();
    HWND c = child(p, 0, 0, 10, 10);
    EXPECT_FALSE(IsWindowVisible(c));  // WS_VISIBLE, but the parent is hidden
    ShowWindow(p, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(c));
    EXPECT_EQ(GetFocus(), p);  // showing a child never activates or focuses it
}

TEST_F(Destruction, DestroysChildrenAndOwnedWindowsAndInvalidatesHandles) {
    HWND p = top();
    HWND c1 = child(p, 0, 0, 10, 10);
    HWND c2 = child(p, 10, 0, 10, 10);
    HWND g = child(c1, 0, 0, 5, 5);
    HWND owned = top("Rec", WS_POPUP, 100, 100, c1);  // the owner becomes c1's top-level window
    EXPECT_EQ(standin::window_owner(owned), p);
    EXPECT_EQ(GetParent(owned), p);
    log().clear();
    EXPECT_TRUE(DestroyWindow(p));
    std::vector<std::pair<HWND, std::string>> seen;
    for (const Record &r : log()) seen.emplace_back(r.hwnd, msg_name(r.msg));
    const std::vector<std::pair<HWND, std::string>> expected = {
        {owned, "WM_DESTROY"}, {owned, "WM_NCDESTROY"},  // owned windows go first
        {p, "WM_DESTROY"},     {c1, "WM_DESTROY"},       {g, "WM_DESTROY"},
        {c2, "WM_DESTROY"},    {c2, "WM_NCDESTROY"},     {g, "WM_NCDESTROY"},
        {c1, "WM_NCDESTROY"},  {p, "WM_NCDESTROY"}};
    EXPECT_EQ(seen, expected);
    for (HWND h : {p, c1, c2, g, owned}) EXPECT_FALSE(IsWindow(h));
    SetLastError(0);
    EXPECT_FALSE(DestroyWindow(p));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Destruction, KillsTimersAndDropsPostedMessages) {
    HWND p = top();
    HWND c = child(p, 0, 0, 10, 10);
    SetTimer(p, 1, 50, nullptr);
    SetTimer(c, 2, 50, nullptr);
    PostMessageA(c, WM_USER, 0, 0);
    PostMessageA(p, WM_USER, 0, 0);
    DestroyWindow(p);
    EXPECT_FALSE(KillTimer(p, 1));
    EXPECT_FALSE(KillTimer(c, 2));
    // Only the quit comes out: posted messages of dead windows are gone.
    PostQuitMessage(4);
    MSG m;
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.wParam, 4u);
}

TEST_F(Destruction, DestroyingTheActiveDialogReactivatesItsOwner) {
    HWND owner = top("Rec", WS_CAPTION | WS_VISIBLE);
    HWND dialog = top("Rec", WS_POPUP | WS_VISIBLE, 100, 100, owner);
    EXPECT_EQ(GetFocus(), dialog);
    log().clear();
    DestroyWindow(dialog);
    EXPECT_EQ(GetFocus(), owner);
    EXPECT_EQ(names(owner, {WM_ACTIVATE, WM_SETFOCUS}), (Names{"WM_ACTIVATE", "WM_SETFOCUS"}));
}

TEST_F(Destruction, DestroyingFromInsideItsOwnMessagesIsSafe) {
    set_handler([](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_DESTROY) DestroyWindow(h);  // again, while dying
        if (msg == WM_SIZE) DestroyWindow(h);     // during creation
        return std::nullopt;
    });
    EXPECT_EQ(top(), nullptr);
}

TEST_F(Destruction, CloseGoesThroughDefWindowProcToDestroy) {
    HWND h = top();
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(names(h, {WM_CLOSE, WM_DESTROY}), (Names{"WM_CLOSE", "WM_DESTROY"}));
}

TEST_F(WindowText, GoesThroughSetTextAndCutsToTheBuffer) {
    HWND h = top();
    log().clear();
    EXPECT_TRUE(SetWindowTextA(h, "TELKA Graphics"));
    EXPECT_EQ(names(h), (Names{"WM_SETTEXT"}));
    char buf[64];
    EXPECT_EQ(GetWindowTextA(h, buf, sizeof buf), 14);
    EXPECT_STREQ(buf, "TELKA Graphics");
    EXPECT_EQ(GetWindowTextA(h, buf, 6), 5);
    EXPECT_STREQ(buf, "TELKA");
    EXPECT_EQ(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0), 14);
    EXPECT_EQ(GetWindowTextA(h, buf, 0), 0);
    EXPECT_EQ(GetWindowTextA(h, nullptr, 10), 0);
    EXPECT_TRUE(SetWindowTextA(h, nullptr));
    EXPECT_EQ(GetWindowTextA(h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(GetWindowTextA(reinterpret_cast<HWND>(uintptr_t{12345}), buf, sizeof buf), 0);
}

TEST_F(WindowText, ComesFromTheCreationTitle) {
    HWND h = CreateWindowExA(0, "Rec", "TELKA Text", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    char buf[32];
    GetWindowTextA(h, buf, sizeof buf);
    EXPECT_STREQ(buf, "TELKA Text");
}

TEST_F(Enabling, ReportsThePreviousStateAndTakesTheFocusAway) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE);
    ASSERT_EQ(GetFocus(), h);
    log().clear();
    EXPECT_FALSE(EnableWindow(h, FALSE));  // was enabled
    EXPECT_FALSE(IsWindowEnabled(h));
    EXPECT_EQ(names(h), (Names{"WM_KILLFOCUS", "WM_ENABLE"}));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(SetFocus(h), nullptr);  // a disabled window cannot take the focus
    EXPECT_EQ(GetFocus(), nullptr);
    log().clear();
    EXPECT_TRUE(EnableWindow(h, FALSE));  // already disabled: no message
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(EnableWindow(h, TRUE));
    EXPECT_EQ(names(h), (Names{"WM_ENABLE"}));
    EXPECT_TRUE(IsWindowEnabled(h));
}

TEST_F(Enabling, DisabledStyleAtCreation) {
    HWND h = top("Rec", WS_CAPTION | WS_DISABLED);
    EXPECT_FALSE(IsWindowEnabled(h));
}

TEST_F(Focus, MovesBetweenWindowsWithKillAndSetFocus) {
    HWND p = top("Rec", WS_CAPTION | WS_VISIBLE);
    HWND c = child(p, 0, 0, 10, 10);
    log().clear();
    EXPECT_EQ(SetFocus(c), p);
    EXPECT_EQ(GetFocus(), c);
    std::vector<std::pair<HWND, std::string>> seen;
    for (const Record &r : log()) seen.emplace_back(r.hwnd, msg_name(r.msg));
    EXPECT_EQ(seen, (std::vector<std::pair<HWND, std::string>>{{p, "WM_KILLFOCUS"}, {c, "WM_SETFOCUS"}}));
    EXPECT_EQ(records(p, WM_KILLFOCUS).at(0).wParam, reinterpret_cast<WPARAM>(c));
    log().clear();
    EXPECT_EQ(SetFocus(c), c);  // no change, no messages
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(SetFocus(nullptr), c);
    EXPECT_EQ(GetFocus(), nullptr);
    // A focused child that is destroyed hands the focus to its parent.
    SetFocus(c);
    DestroyWindow(c);
    EXPECT_EQ(GetFocus(), p);
}

TEST_F(Focus, FocusInAnotherTopLevelWindowActivatesIt) {
    HWND a = top("Rec", WS_CAPTION | WS_VISIBLE);
    HWND b = top("Rec", WS_CAPTION);
    HWND cb = child(b, 0, 0, 10, 10);
    ShowWindow(b, SW_SHOWNA);
    SetFocus(cb);
    EXPECT_EQ(GetFocus(), cb);
    EXPECT_EQ(records(a, WM_ACTIVATE).back().wParam, static_cast<WPARAM>(WA_INACTIVE));
    // Reactivating a window gives the focus back to the child that had it.
    SetFocus(a);
    log().clear();
    ShowWindow(b, SW_SHOW);
    EXPECT_EQ(GetFocus(), cb);
}

TEST_F(Focus, ParentsAndOwners) {
    HWND owner = top();
    HWND popup = top("Rec", WS_POPUP, 10, 10, owner);
    HWND overlapped = top("Rec", WS_CAPTION, 10, 10, owner);
    EXPECT_EQ(GetParent(popup), owner);
    EXPECT_EQ(GetParent(overlapped), nullptr);  // Win32 reports owners of pop-ups only
    EXPECT_EQ(standin::window_owner(overlapped), owner);
    EXPECT_EQ(GetParent(owner), nullptr);
}

TEST_F(Geometry, ChildRectanglesAreRelativeToTheParentClientArea) {
    install_bar_hooks();
    HWND p = CreateWindowExA(0, "Rec", "", WS_CAPTION, 100, 50, 300, 200, nullptr, nullptr, nullptr, nullptr);
    standin::window_set_menu(p, fake_menu());
    HWND c = child(p, 10, 5, 40, 30);
    RECT r{};
    GetWindowRect(c, &r);
    EXPECT_EQ(r.left, 110);
    EXPECT_EQ(r.top, 50 + 20 + 5);
    EXPECT_EQ(r.right, 150);
    EXPECT_EQ(r.bottom, 105);
    GetClientRect(c, &r);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 30);
    POINT origin{};
    EXPECT_TRUE(standin::window_client_origin(c, &origin));
    EXPECT_EQ(origin.x, 110);
    EXPECT_EQ(origin.y, 75);
}

TEST_F(Geometry, MoveWindowResizesTheHostSurfaceAndSendsSize) {
    HWND h = top("Rec", WS_CAPTION | WS_VISIBLE, 200, 100);
    log().clear();
    EXPECT_TRUE(MoveWindow(h, 0, 0, 300, 150, TRUE));
    EXPECT_EQ(names(h), (Names{"WM_SIZE"}));
    EXPECT_EQ(LOWORD(log().at(0).lParam), 300);
    EXPECT_EQ(HIWORD(log().at(0).lParam), 150);
    standin::PixelView v;
    ASSERT_TRUE(standin::window_host_pixels(h, &v));
    EXPECT_EQ(v.width, 300);
    EXPECT_EQ(v.height, 150);
    log().clear();
    MoveWindow(h, 10, 10, 300, 150, TRUE);  // same size: no WM_SIZE
    EXPECT_TRUE(log().empty());
}

TEST_F(Geometry, ResizingRepaintsWhatTheClassStyleAsks) {
    // Without CS_HREDRAW/CS_VREDRAW only the uncovered strip is repainted;
    // with them, the whole client area.
    for (const char *cls : {"Rec", "RecRedraw"}) {
        HWND h = top(cls, WS_CAPTION | WS_VISIBLE, 200, 100);
        drain();
        std::vector<RECT> painted;
        set_handler([&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg != WM_PAINT) return std::nullopt;
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            painted.push_back(ps.rcPaint);
            EndPaint(hwnd, &ps);
            return 0;
        });
        MoveWindow(h, 0, 0, 260, 100, TRUE);
        drain();
        ASSERT_EQ(painted.size(), 1u) << cls;
        const LONG expected_left = std::string(cls) == "Rec" ? 200 : 0;
        EXPECT_EQ(painted[0].left, expected_left) << cls;
        EXPECT_EQ(painted[0].right, 260) << cls;
        EXPECT_EQ(painted[0].bottom, 100) << cls;
        set_handler(nullptr);
        DestroyWindow(h);
    }
}

TEST_F(Geometry, ScreenMetricsComeFromTheBackend) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    standin::headless_set_screen_size(1280, 1050);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1050);
    standin::headless_set_screen_size(0, -5);  // refused
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    standin::headless_set_screen_size(1024, 768);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
}

TEST_F(Geometry, IconsAndCursorsAreNonNullHandles) {
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

TEST_F(BadArguments, ExtremeSizesAndPositionsAreClampedNotFatal) {
    HWND h = CreateWindowExA(0, "Rec", "", WS_CAPTION | WS_VISIBLE, INT_MIN, INT_MAX, INT_MAX, INT_MAX, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    RECT r{};
    GetClientRect(h, &r);
    EXPECT_GT(r.right, 0);
    EXPECT_LE(r.right, 4096);
    HWND c = child(h, INT_MAX, INT_MIN, INT_MAX, INT_MAX);
    ASSERT_NE(c, nullptr);
    GetWindowRect(c, &r);  // saturated, not wrapped
    EXPECT_LE(r.left, r.right);
    EXPECT_TRUE(MoveWindow(h, 0, 0, INT_MIN, -5, TRUE));
    GetClientRect(h, &r);
    EXPECT_GE(r.right, 1);
    EXPECT_TRUE(MoveWindow(c, INT_MIN, INT_MIN, -1, INT_MAX, TRUE));
    drain();
    InvalidateRect(h, nullptr, TRUE);
    RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    InvalidateRect(c, &huge, TRUE);
    drain();
}

TEST_F(BadArguments, DeadAndForgedHandlesFailCleanly) {
    HWND h = top();
    DestroyWindow(h);
    HWND forged = reinterpret_cast<HWND>(uintptr_t{0xDEADBEEF});
    for (HWND bad : {h, forged}) {
        SetLastError(0);
        EXPECT_FALSE(ShowWindow(bad, SW_SHOW));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_FALSE(IsWindow(bad));
        EXPECT_FALSE(IsWindowVisible(bad));
        EXPECT_FALSE(UpdateWindow(bad));
        EXPECT_FALSE(EnableWindow(bad, TRUE));
        EXPECT_FALSE(IsWindowEnabled(bad));
        EXPECT_EQ(SetFocus(bad), nullptr);
        EXPECT_EQ(GetParent(bad), nullptr);
        EXPECT_FALSE(SetWindowTextA(bad, "x"));
        RECT r{};
        EXPECT_FALSE(GetClientRect(bad, &r));
        EXPECT_FALSE(GetWindowRect(bad, &r));
        EXPECT_FALSE(MoveWindow(bad, 0, 0, 1, 1, TRUE));
        EXPECT_EQ(SendMessageA(bad, WM_USER, 0, 0), 0);
        EXPECT_FALSE(PostMessageA(bad, WM_USER, 0, 0));
        EXPECT_EQ(GetDC(bad), nullptr);
        PAINTSTRUCT ps;
        EXPECT_EQ(BeginPaint(bad, &ps), nullptr);
        EXPECT_FALSE(InvalidateRect(bad, nullptr, TRUE));
        EXPECT_FALSE(ValidateRect(bad, nullptr));
        EXPECT_EQ(SetTimer(bad, 1, 10, nullptr), 0u);
        EXPECT_EQ(DefWindowProcA(bad, WM_GETTEXTLENGTH, 0, 0), 0);
        EXPECT_EQ(CreateWindowExA(0, "Rec", "", WS_CHILD, 0, 0, 1, 1, bad, nullptr, nullptr, nullptr), nullptr);
    }
    EXPECT_FALSE(GetClientRect(top(), nullptr));
}

}  // namespace
