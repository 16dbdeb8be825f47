// Shared by the menu tests: a menu built like the library's "&Run" menu
// (16 items: commands, separators, a checked item, four greyed lines), a
// window showing it, the presented picture read back from the headless
// backend's frame dumps, and the drop-down's rows and clicks on them.
#pragma once

#include "window_recorder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace menu_test {

// Command identifiers as the library uses them; every greyed line carries 9.
enum : UINT {
    kAnimate = 1,
    kHalt = 2,
    kAdvance = 3,
    kLogging = 4,
    kRecord = 5,
    kPlayback = 6,
    kPlayOne = 7,
    kQuit = 8,
    kInfo = 9,
};

// Positions in the drop-down.
enum : int {
    kRowAnimate = 0,
    kRowHalt = 1,
    kRowAdvance = 2,
    kRowLogging = 4,
    kRowRecord = 6,
    kRowPlayback = 7,
    kRowPlayOne = 8,
    kRowQuit = 10,
    kRowFirstInfo = 12,
    kRowCount = 16,
};
constexpr int kSeparatorRows[] = {3, 5, 9, 11};

struct RunMenu {
    HMENU bar = nullptr;
    HMENU run = nullptr;
};
// CreateMenu/CreatePopupMenu/AppendMenuA as the library calls them.
RunMenu build_run_menu(const char *title = "&Run");

// An RGB picture.
struct Picture {
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    int width = 0;
    int height = 0;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Pixels darker than the menu's light grey face: text, borders, check marks.
bool dark(uint32_t px);

class MenuTest : public user_test::UserTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A shown 601 x 540 window with the Run menu attached, painted and idle.
    HWND window_with_menu();
    // The last frame presented for the window (host surface: bar and client).
    Picture presented();
    // The window's own host-surface pixels, overlay excluded.
    Picture window_pixels(HWND h);
    // The drop-down's rectangle on the host surface while it is shown.
    bool popup_rect(HWND h, RECT *r);
    // Host y range [top, bottom) of drop-down row `row`.
    void row_span(int row, int *top, int *bottom);
    // Clicks the middle of drop-down row `row` (host coordinates).
    void click_row(HWND h, int row);
    // Clicks the bar's first item.
    void click_bar(HWND h);
    void alt_r();
    // WM_COMMAND identifiers the window received.
    std::vector<UINT> commands(HWND h);

    RunMenu menu;
    std::string dump_dir;
};

}  // namespace menu_test
