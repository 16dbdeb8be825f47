// The menu tests' fixture: the Run menu, a window with it, the presented
// frames read back from the headless backend's PNG dumps, and where the
// drop-down's rows are.
#include "menu_test_support.h"

#include "menu/menu.h"
#include "menu/menu_draw.h"
#include "automation.h"
#include "user/window.h"
#include "user/window_hooks.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

using namespace user_test;

namespace menu_test {

RunMenu build_run_menu(const char *title) {
    struct Entry {
        UINT flags;
        UINT_PTR id;
        const char *text;
    };
    static const Entry kItems[] = {
        {MF_STRING, kAnimate, "&Animate\tCtrl+A"},
        {MF_STRING, kHalt, "&Halt animation\tCtrl+H"},
        {MF_STRING, kAdvance, "Advance one &frame\tCtrl+F"},
        {MF_SEPARATOR, 0, nullptr},
        {MF_CHECKED, kLogging, "&Logging\tCtrl+L"},
        {MF_SEPARATOR, 0, nullptr},
        {MF_STRING, kRecord, "&Record Script\tCtrl+R"},
        {MF_STRING, kPlayback, "&Playback Script\tCtrl+P"},
        {MF_STRING, kPlayOne, "Play &One Script\tCtrl+O"},
        {MF_SEPARATOR, 0, nullptr},
        {MF_STRING, kQuit, "&Quit\tCtrl+Q"},
        {MF_SEPARATOR, 0, nullptr},
        {MF_GRAYED, kInfo, "Contacts:"},
        {MF_GRAYED, kInfo, "MAC: mac@example.invalid"},
        {MF_GRAYED, kInfo, "WINDOWS: windows@example.invalid"},
        {MF_GRAYED, kInfo, "UPDATES: updates@example.invalid"},
    };
    RunMenu m;
    m.bar = CreateMenu();
    m.run = CreatePopupMenu();
    for (const Entry &e : kItems) AppendMenuA(m.run, e.flags, e.id, e.text);
    AppendMenuA(m.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(m.run), title);
    return m;
}

bool dark(uint32_t px) {
    const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
    return r + g + b < 3 * 150;
}

void MenuTest::SetUp() {
    UserTest::SetUp();
    standin::install_menu_hooks();
    dump_dir = ::testing::TempDir() + "menu_frames_" + std::to_string(::getpid());
    std::filesystem::remove_all(dump_dir);
    ASSERT_TRUE(standin::headless_set_dump_dir(dump_dir));
    menu = build_run_menu();
}

void MenuTest::TearDown() {
    UserTest::TearDown();
    DestroyMenu(menu.bar);
    std::filesystem::remove_all(dump_dir);
}

HWND MenuTest::window_with_menu() {
    HWND h = top("Rec", WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    EXPECT_NE(h, nullptr);
    EXPECT_TRUE(SetMenu(h, menu.bar));
    EXPECT_TRUE(DrawMenuBar(h));
    drain();
    // Something to recognise in the client area under the drop-down.
    HDC dc = GetDC(h);
    HBRUSH brush = CreateSolidBrush(RGB(200, 40, 40));
    for (int i = 0; i < 12; ++i) {
        const RECT r{i * 50, i * 40, i * 50 + 30, i * 40 + 25};
        FillRect(dc, &r, brush);
    }
    DeleteObject(brush);
    ReleaseDC(h, dc);
    drain();
    log().clear();
    return h;
}

Picture MenuTest::presented() {
    Picture p;
    std::vector<std::filesystem::path> frames;
    for (const auto &e : std::filesystem::directory_iterator(dump_dir)) frames.push_back(e.path());
    EXPECT_FALSE(frames.empty()) << "nothing was presented";
    if (frames.empty()) return p;
    const auto last = std::max_element(frames.begin(), frames.end());
    EXPECT_TRUE(standin::read_png(last->string(), &p.pixels, &p.width, &p.height));
    return p;
}

Picture MenuTest::window_pixels(HWND h) {
    Picture p;
    standin::PixelView v;
    if (!standin::window_host_pixels(h, &v)) return p;
    p.width = v.width;
    p.height = v.height;
    p.pixels.resize(static_cast<size_t>(v.width) * v.height);
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) p.pixels[static_cast<size_t>(y) * v.width + x] = v.at(x, y);
    return p;
}

bool MenuTest::popup_rect(HWND h, RECT *r) {
    standin::Window *w = standin::window_get(h);
    if (!w || !w->overlay.pixels) return false;
    *r = w->overlay.rect;
    return true;
}

void MenuTest::row_span(int row, int *top, int *bottom) {
    const standin::PopupLayout l = standin::layout_popup(*standin::menu_get(menu.run));
    // The drop-down hangs from the bottom of the bar.
    const int y0 = standin::kMenuBarHeight;
    *top = y0 + static_cast<int>(l.row_top.at(static_cast<size_t>(row)));
    *bottom = y0 + static_cast<int>(l.row_top.at(static_cast<size_t>(row) + 1));
}

void MenuTest::click_row(HWND h, int row) {
    int top = 0, bottom = 0;
    row_span(row, &top, &bottom);
    // Client coordinates: the host row minus the bar.
    standin::headless_click(h, 60, (top + bottom) / 2 - standin::window_menu_bar_height(h));
}

void MenuTest::click_bar(HWND h) { standin::headless_click(h, 10, 10 - standin::window_menu_bar_height(h)); }

void MenuTest::alt_r() {
    standin::headless_key_down(VK_MENU, standin::kKeyAlt);
    standin::headless_key_press('R', standin::kKeyAlt);
    standin::headless_key_up(VK_MENU);
}

std::vector<UINT> MenuTest::commands(HWND h) {
    std::vector<UINT> ids;
    for (const Record &r : records(h, WM_COMMAND)) {
        EXPECT_EQ(HIWORD(r.wParam), 0u);
        EXPECT_EQ(r.lParam, 0);
        ids.push_back(LOWORD(r.wParam));
    }
    return ids;
}

}  // namespace menu_test
