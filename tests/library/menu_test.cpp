// The control menu as the graphics window builds it: one "&Run" popup on the
// bar, sixteen items in order with their identifiers, texts and flags.
#include "library_fixture.h"

#include <string>

using namespace libtest;

namespace {

class Menu : public LibraryTest {};

std::string item_text(HMENU menu, int pos) {
    char buf[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
    return buf;
}

TEST_F(Menu, BarHoldsTheRunPopup) {
    HMENU bar = GetMenu(lib.graphicsWnd);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_EQ(item_text(bar, 0), "&Run");
    EXPECT_EQ(GetSubMenu(bar, 0), lib.runMenu);
    EXPECT_NE(GetMenuState(bar, 0, MF_BYPOSITION) & MF_POPUP, 0u);
}

TEST_F(Menu, RunItemsInOrder) {
    struct Item {
        UINT id;
        const char *text;  // nullptr: separator
        UINT flags;        // MF_CHECKED / MF_GRAYED expected
    };
    const Item expected[12] = {
        {1, "&Animate\tCtrl+A", 0},
        {2, "&Halt animation\tCtrl+H", 0},
        {3, "Advance one &frame\tCtrl+F", 0},
        {0, nullptr, 0},
        {4, "&Logging\tCtrl+L", MF_CHECKED},
        {0, nullptr, 0},
        {5, "&Record Script\tCtrl+R", 0},
        {6, "&Playback Script\tCtrl+P", 0},
        {7, "Play &One Script\tCtrl+O", 0},
        {0, nullptr, 0},
        {8, "&Quit\tCtrl+Q", 0},
        {0, nullptr, 0},
    };
    ASSERT_EQ(GetMenuItemCount(lib.runMenu), 16);
    for (int pos = 0; pos < 12; ++pos) {
        SCOPED_TRACE(pos + 1);
        const Item &e = expected[pos];
        const UINT state = GetMenuState(lib.runMenu, static_cast<UINT>(pos), MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(lib.runMenu, pos), e.id);
        if (e.text == nullptr) {
            EXPECT_NE(state & MF_SEPARATOR, 0u);
            continue;
        }
        EXPECT_EQ(state & MF_SEPARATOR, 0u);
        EXPECT_EQ(item_text(lib.runMenu, pos), e.text);
        EXPECT_EQ(state & (MF_CHECKED | MF_GRAYED), e.flags);
    }
    // Four greyed information lines share identifier 9.
    const char *prefixes[4] = {nullptr, "MAC: ", "WINDOWS: ", "UPDATES: "};
    for (int pos = 12; pos < 16; ++pos) {
        SCOPED_TRACE(pos + 1);
        const UINT state = GetMenuState(lib.runMenu, static_cast<UINT>(pos), MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(lib.runMenu, pos), 9u);
        EXPECT_NE(state & MF_GRAYED, 0u);
        EXPECT_EQ(state & (MF_SEPARATOR | MF_CHECKED), 0u);
        if (prefixes[pos - 12]) {
            EXPECT_EQ(item_text(lib.runMenu, pos).rfind(prefixes[pos - 12], 0), 0u);
        }
    }
}

}  // namespace
