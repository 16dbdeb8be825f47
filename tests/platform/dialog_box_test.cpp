// DialogBoxIndirectParamA end to end on the headless backend: sizing in
// dialog units and placement from the owner's client area, WM_SETFONT and
// WM_INITDIALOG, focus, the disabled owner, other windows' timers during the
// modal loop, WM_QUIT, the keyboard interface (Enter, Escape, Tab, arrows),
// the close box, mouse clicks, GetDlgItemTextA, and the failure results.
#include "dialog_test_support.h"

#include "dialog/controls.h"
#include "gdi/gdi_objects.h"
#include "user/window.h"
#include "user/window_hooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace dialog_test;

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    WORD cls;
    std::string title;
};

std::vector<uint32_t> dialog(const std::vector<Item> &items, DWORD style = kDialogStyle, short x = 10, short y = 20,
                             short cx = 160, short cy = 80, const char *face = nullptr, WORD points = 0) {
    TemplateWriter w;
    w.header(style | (face ? DS_SETFONT : 0), static_cast<WORD>(items.size()), x, y, cx, cy);
    w.plain_arrays("Test dialog");
    if (face) {
        w.word(points);
        w.text(face);
    }
    for (const Item &i : items) w.item(i.style, i.x, i.y, i.cx, i.cy, i.id, i.cls, i.title);
    return w.aligned();
}

// Base units measured the documented way: the 52 letters' average and the height.
void measure_base(HFONT font, int *bx, int *by) {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SIZE s;
    GetTextExtentPointA(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    DeleteDC(dc);
    *bx = (s.cx + 26) / 52;
    *by = tm.tmHeight;
}

// Windows' MulDiv: rounded to nearest.
int muldiv(int a, int b, int c) { return static_cast<int>((static_cast<long long>(a) * b * 2 + c) / (2 * c)); }

RECT window_rect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

std::string text_of(HWND h) {
    char buf[512];
    const int n = GetWindowTextA(h, buf, sizeof buf);
    return std::string(buf, static_cast<size_t>(n));
}

std::vector<UINT> dialog_messages() {
    std::vector<UINT> out;
    for (const auto &r : dialog_log().records) out.push_back(r.msg);
    return out;
}

int count(const std::vector<UINT> &v, UINT msg) { return static_cast<int>(std::count(v.begin(), v.end(), msg)); }

Step end_with(INT_PTR value) {
    return [value](HWND dlg) { EXPECT_TRUE(EndDialog(dlg, value)); };
}

class Sizing : public DialogTest {};
class Initialisation : public DialogTest {};
class ModalLoop : public DialogTest {};
class Keyboard : public DialogTest {};
class Mouse : public DialogTest {};
class ItemText : public DialogTest {};
class Failures : public DialogTest {};

// ---- sizing and placement ----

TEST_F(Sizing, DialogUnitsOfTheSystemFontAndPlacementFromTheOwnersClientArea) {
    int bx = 0, by = 0;
    measure_base(nullptr, &bx, &by);
    EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(bx, by));

    HWND own = owner(200, 100);
    // A menu bar strip puts the owner's client area below its window's top.
    standin::MenuHooks bar;
    bar.bar_height = [](HWND, HMENU menu, int) { return menu ? 20 : 0; };
    bar.paint_bar = [](HWND, HMENU, uint32_t *, int, int, ptrdiff_t) {};
    standin::set_menu_hooks(bar);
    ASSERT_TRUE(standin::window_set_menu(own, reinterpret_cast<HMENU>(uintptr_t{0x4D45})));
    RECT outer{}, owner_client{};
    GetWindowRect(own, &outer);
    GetClientRect(own, &owner_client);
    const POINT origin{outer.left, outer.bottom - owner_client.bottom};
    ASSERT_EQ(origin.y, 120);
    RECT dlg{}, client{}, edit{}, button{};
    const auto tmpl = dialog({{kChild | WS_TABSTOP, 7, 9, 101, 13, 5, kEdit, ""},
                              {kChild, 33, 50, 50, 14, 6, kButton, "OK"}},
                             kDialogStyle, 11, 21, 161, 83);
    const INT_PTR r = run(tmpl, own, {[&](HWND d) {
                              dlg = window_rect(d);
                              GetClientRect(d, &client);
                              edit = window_rect(GetDlgItem(d, 5));
                              button = window_rect(GetDlgItem(d, 6));
                              EndDialog(d, 3);
                          }});
    EXPECT_EQ(r, 3);
    EXPECT_EQ(dlg.left, origin.x + muldiv(11, bx, 4));
    EXPECT_EQ(dlg.top, origin.y + muldiv(21, by, 8));
    // cx and cy are the client size.
    EXPECT_EQ(client.right, muldiv(161, bx, 4));
    EXPECT_EQ(client.bottom, muldiv(83, by, 8));
    // Controls are placed in the dialog's client area.
    EXPECT_EQ(edit.left - dlg.left, muldiv(7, bx, 4));
    EXPECT_EQ(edit.top - dlg.top, muldiv(9, by, 8));
    EXPECT_EQ(edit.right - edit.left, muldiv(101, bx, 4));
    EXPECT_EQ(edit.bottom - edit.top, muldiv(13, by, 8));
    EXPECT_EQ(button.left - dlg.left, muldiv(33, bx, 4));
    EXPECT_EQ(button.bottom - button.top, muldiv(14, by, 8));
}

TEST_F(Sizing, NoOwnerMeansScreenCoordinates) {
    int bx = 0, by = 0;
    measure_base(nullptr, &bx, &by);
    RECT ownerless{};
    run(dialog({}, kDialogStyle, 10, 10), nullptr, {[&](HWND d) {
            ownerless = window_rect(d);
            EndDialog(d, 0);
        }});
    EXPECT_EQ(ownerless.left, muldiv(10, bx, 4));
    EXPECT_EQ(ownerless.top, muldiv(10, by, 8));
}

TEST_F(Sizing, SetFontGivesTheFontsUnitsToDialogAndControlsAndIsDeletedAfterwards) {
    HWND own = owner();
    // A first dialog creates what lives for the process (the dialog brush).
    run(dialog({}), own, {end_with(0)});
    const size_t live_before = standin::gdi_live_count();

    HFONT probe = CreateFontA(-muldiv(14, 96, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Sans");
    int bx = 0, by = 0, sys_bx = 0, sys_by = 0;
    measure_base(probe, &bx, &by);
    measure_base(nullptr, &sys_bx, &sys_by);
    DeleteObject(probe);
    ASSERT_NE(by, sys_by) << "the test needs a font whose units differ from the system font's";

    RECT client{};
    LRESULT dialog_font = 0, edit_font = 0;
    const auto tmpl = dialog({{kChild | WS_TABSTOP, 4, 4, 80, 12, 5, kEdit, ""}}, kDialogStyle, 0, 0, 100, 40,
                             "Sans", 14);
    run(tmpl, own, {[&](HWND d) {
            GetClientRect(d, &client);
            dialog_font = SendMessageA(d, WM_GETFONT, 0, 0);
            edit_font = SendMessageA(GetDlgItem(d, 5), WM_GETFONT, 0, 0);
            EndDialog(d, 0);
        }});
    EXPECT_EQ(client.right, muldiv(100, bx, 4));
    EXPECT_EQ(client.bottom, muldiv(40, by, 8));
    EXPECT_NE(dialog_font, 0);
    EXPECT_EQ(edit_font, dialog_font);
    // WM_SETFONT reaches the dialog procedure before WM_INITDIALOG.
    const std::vector<UINT> msgs = dialog_messages();
    auto font_at = std::find(msgs.begin(), msgs.end(), static_cast<UINT>(WM_SETFONT));
    auto init_at = std::find(msgs.begin(), msgs.end(), static_cast<UINT>(WM_INITDIALOG));
    EXPECT_LT(font_at, init_at);
    EXPECT_EQ(standin::gdi_live_count(), live_before);
}

// ---- creation and WM_INITDIALOG ----

TEST_F(Initialisation, InitDialogCarriesTheCallersValueAndTheFirstUsableTabStop) {
    HWND own = owner();
    const auto tmpl = dialog({
        {kChild, 5, 5, 50, 10, 1, kStatic, "label"},                         // no tab stop
        {kChild | WS_TABSTOP | WS_DISABLED, 5, 20, 50, 12, 2, kEdit, ""},    // disabled
        {WS_CHILD | WS_TABSTOP, 5, 35, 50, 12, 3, kEdit, ""},                // hidden
        {kChild | WS_TABSTOP, 5, 50, 50, 12, 4, kEdit, ""},                  // the one
        {kChild | WS_TABSTOP, 60, 50, 40, 14, 5, kButton, "OK"},
    });
    HWND focus = nullptr, dlg = nullptr;
    int focus_id = 0;
    bool visible = false;
    HWND parent = nullptr;
    const INT_PTR r = run(tmpl, own,
                          {[&](HWND d) {
                              dlg = d;
                              focus = GetFocus();
                              focus_id = standin::window_control_id(focus);
                              visible = IsWindowVisible(d) != FALSE;
                              parent = GetParent(d);
                              EndDialog(d, 77);
                          }},
                          0x1234);
    EXPECT_EQ(r, 77);
    auto inits = std::find_if(dialog_log().records.begin(), dialog_log().records.end(),
                              [](const user_test::Record &rec) { return rec.msg == WM_INITDIALOG; });
    ASSERT_NE(inits, dialog_log().records.end());
    EXPECT_EQ(inits->lParam, 0x1234);
    EXPECT_EQ(count(dialog_messages(), WM_INITDIALOG), 1);
    EXPECT_NE(dlg, nullptr);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus_id, 4);
    EXPECT_EQ(reinterpret_cast<HWND>(inits->wParam), focus);
    EXPECT_TRUE(visible);
    EXPECT_EQ(parent, own);  // a pop-up's parent is its owner
    EXPECT_FALSE(IsWindow(dlg));  // destroyed on return
}

TEST_F(Initialisation, FalseFromInitDialogLeavesTheFocusToTheProcedure) {
    HWND own = owner();
    const auto tmpl = dialog({{kChild | WS_TABSTOP, 5, 5, 50, 12, 4, kEdit, ""},
                              {kChild | WS_TABSTOP, 60, 5, 40, 14, 5, kButton, "OK"}});
    dialog_log().handler = [](HWND d, UINT msg, WPARAM, LPARAM) -> std::optional<INT_PTR> {
        if (msg != WM_INITDIALOG) return std::nullopt;
        SetFocus(GetDlgItem(d, 5));
        return FALSE;
    };
    int focus_id = 0;
    run(tmpl, own, {[&](HWND d) {
            focus_id = standin::window_control_id(GetFocus());
            EndDialog(d, 0);
        }});
    EXPECT_EQ(focus_id, 5);
}

TEST_F(Initialisation, EndDialogDuringInitReturnsWithoutShowing) {
    HWND own = owner();
    dialog_log().handler = [](HWND d, UINT msg, WPARAM, LPARAM) -> std::optional<INT_PTR> {
        if (msg == WM_INITDIALOG) EndDialog(d, 9);
        return std::nullopt;
    };
    EXPECT_EQ(run(dialog({}), own, {}), 9);
    EXPECT_EQ(count(dialog_messages(), WM_SHOWWINDOW), 0);
    EXPECT_TRUE(IsWindowEnabled(own));
    EXPECT_EQ(steps_left(), 0u);
}

// ---- the modal loop ----

TEST_F(ModalLoop, OwnerIsDisabledWhileTheDialogRunsAndEnabledAndFocusedAfter) {
    HWND own = owner();
    SetFocus(own);
    bool enabled_during = true;
    run(dialog({}), own, {[&](HWND d) {
            enabled_during = IsWindowEnabled(own) != FALSE;
            EndDialog(d, 0);
        }});
    EXPECT_FALSE(enabled_during);
    EXPECT_TRUE(IsWindowEnabled(own));
    EXPECT_EQ(GetFocus(), own);

    // An owner that was disabled already stays disabled.
    EnableWindow(own, FALSE);
    run(dialog({}), own, {end_with(0)});
    EXPECT_FALSE(IsWindowEnabled(own));
}

TEST_F(ModalLoop, OtherWindowsTimersAndPaintingGoOn) {
    HWND own = owner();
    SetTimer(own, 7, 50, nullptr);
    const int64_t t0 = standin::headless_now_ns();
    int ticks_seen = 0;
    run(dialog({{kChild, 5, 5, 50, 10, 1, kStatic, "label"}}), own,
        {idle(), idle(), idle(), idle(), [&](HWND d) {
             ticks_seen = static_cast<int>(user_test::records(own, WM_TIMER).size());
             EndDialog(d, 0);
         }});
    EXPECT_GE(ticks_seen, 3);
    EXPECT_GE(standin::headless_now_ns() - t0, 150 * 1000000LL);
    for (const auto &t : user_test::records(own, WM_TIMER)) EXPECT_EQ(t.wParam, 7u);
}

TEST_F(ModalLoop, QuitEndsTheDialogAndIsPostedAgainForTheOuterLoop) {
    HWND own = owner();
    const INT_PTR r = run(dialog({}), own, {[](HWND) { PostQuitMessage(5); }});
    EXPECT_EQ(r, -1);
    EXPECT_TRUE(IsWindowEnabled(own));
    MSG m;
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
    EXPECT_EQ(m.wParam, 5u);
}

TEST_F(ModalLoop, ADialogDestroyedBehindItsBackEndsTheLoop) {
    HWND own = owner();
    EXPECT_EQ(run(dialog({}), own, {[](HWND d) { DestroyWindow(d); }}), -1);
    EXPECT_TRUE(IsWindowEnabled(own));
}

// ---- keyboard interface ----

std::vector<Item> form() {
    return {
        {kChild | WS_TABSTOP | WS_GROUP, 5, 5, 80, 12, 20, kEdit, ""},
        {kChild | WS_TABSTOP, 5, 20, 40, 14, 10, kButton, "Plain"},
        {kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 50, 20, 40, 14, 11, kButton, "Default"},
        {kChild, 5, 40, 80, 10, 30, kStatic, "no tab stop"},
        {kChild | WS_TABSTOP | WS_DISABLED, 5, 55, 40, 14, 12, kButton, "Off"},
        {WS_CHILD | WS_TABSTOP, 50, 55, 40, 14, 13, kButton, "Hidden"},
    };
}

TEST_F(Keyboard, EnterPressesTheFocusedPushButtonElseTheDefaultOne) {
    HWND own = owner();
    std::vector<LPARAM> from;
    dialog_log().handler = [&](HWND, UINT msg, WPARAM w, LPARAM l) -> std::optional<INT_PTR> {
        if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) from.push_back(l);
        return std::nullopt;
    };
    HWND plain = nullptr, def = nullptr;
    run(dialog(form()), own,
        {[&](HWND d) {
             plain = GetDlgItem(d, 10);
             def = GetDlgItem(d, 11);
             standin::headless_key_press(VK_RETURN);  // focus in the edit
         },
         [](HWND d) { SetFocus(GetDlgItem(d, 10)); standin::headless_key_press(VK_RETURN); },
         end_with(0)});
    const std::vector<WPARAM> expected = {MAKEWPARAM(11, BN_CLICKED), MAKEWPARAM(10, BN_CLICKED)};
    EXPECT_EQ(commands(), expected);
    ASSERT_EQ(from.size(), 2u);
    EXPECT_EQ(from[0], reinterpret_cast<LPARAM>(def));
    EXPECT_EQ(from[1], reinterpret_cast<LPARAM>(plain));
}

TEST_F(Keyboard, EnterWithoutADefaultButtonMeansOk) {
    HWND own = owner();
    run(dialog({{kChild | WS_TABSTOP, 5, 5, 80, 12, 20, kEdit, ""},
                {kChild | WS_TABSTOP, 5, 20, 40, 14, 10, kButton, "Plain"}}),
        own, {press(VK_RETURN), end_with(0)});
    EXPECT_EQ(commands(), (std::vector<WPARAM>{IDOK}));
}

TEST_F(Keyboard, ADisabledDefaultButtonTakesNoEnter) {
    HWND own = owner();
    run(dialog(form()), own,
        {[](HWND d) {
             EnableWindow(GetDlgItem(d, 11), FALSE);
             standin::headless_key_press(VK_RETURN);
         },
         end_with(0)});
    EXPECT_TRUE(commands().empty());
}

TEST_F(Keyboard, EscapeAndTheCloseBoxSendCancelAndTheDialogStaysOpen) {
    HWND own = owner();
    bool open_after = false;
    std::vector<LPARAM> from;
    dialog_log().handler = [&](HWND, UINT msg, WPARAM w, LPARAM l) -> std::optional<INT_PTR> {
        if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) from.push_back(l);
        return std::nullopt;
    };
    run(dialog(form()), own,
        {press(VK_ESCAPE), [](HWND d) { standin::headless_close_request(d); },
         [&](HWND d) {
             open_after = IsWindowVisible(d) != FALSE;
             EndDialog(d, 0);
         }});
    EXPECT_EQ(commands(), (std::vector<WPARAM>{IDCANCEL, IDCANCEL}));
    EXPECT_EQ(from, (std::vector<LPARAM>{0, 0}));  // no control with id 2
    EXPECT_EQ(count(dialog_messages(), WM_CLOSE), 1);
    EXPECT_TRUE(open_after);
}

TEST_F(Keyboard, ADisabledCancelButtonBlocksEscapeAndTheCloseBox) {
    HWND own = owner();
    run(dialog({{kChild | WS_TABSTOP, 5, 5, 40, 14, IDOK, kButton, "OK"},
                {kChild | WS_TABSTOP, 50, 5, 40, 14, IDCANCEL, kButton, "Cancel"}}),
        own,
        {[](HWND) {
             standin::headless_key_press(VK_ESCAPE);  // enabled: cancels
         },
         [](HWND d) {
             EnableWindow(GetDlgItem(d, IDCANCEL), FALSE);
             standin::headless_key_press(VK_ESCAPE);
             standin::headless_close_request(d);
         },
         end_with(0)});
    EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(IDCANCEL, BN_CLICKED)}));
}

TEST_F(Keyboard, TabAndShiftTabVisitUsableTabStopsInTemplateOrder) {
    HWND own = owner();
    std::vector<int> visited;
    auto note = [&](HWND) { visited.push_back(standin::window_control_id(GetFocus())); };
    auto tab = [&](unsigned mods) {
        return [&, mods](HWND d) {
            note(d);
            if (mods) standin::headless_key_down(VK_SHIFT, standin::kKeyShift);
            standin::headless_key_press(VK_TAB, mods);
            if (mods) standin::headless_key_up(VK_SHIFT);
        };
    };
    run(dialog(form()), own,
        {tab(0), tab(0), tab(0), tab(standin::kKeyShift), tab(standin::kKeyShift), [&](HWND d) {
             note(d);
             EndDialog(d, 0);
         }});
    // 20 -> 10 -> 11 -> 20 (wraps; 12 is disabled, 13 hidden, 30 no tab stop) -> back: 11 -> 10.
    EXPECT_EQ(visited, (std::vector<int>{20, 10, 11, 20, 11, 10}));
    EXPECT_TRUE(commands().empty());
}

TEST_F(Keyboard, ArrowsMoveWithinAGroupAndAnEditKeepsThem) {
    HWND own = owner();
    std::vector<int> visited;
    auto note_and_press = [&](int vk) {
        return [&, vk](HWND) {
            visited.push_back(standin::window_control_id(GetFocus()));
            standin::headless_key_press(vk);
        };
    };
    run(dialog({{kChild | WS_TABSTOP | WS_GROUP, 5, 5, 80, 12, 20, kEdit, ""},
                {kChild | WS_TABSTOP | WS_GROUP, 5, 20, 40, 14, 1, kButton, "One"},
                {kChild, 50, 20, 40, 14, 2, kButton, "Two"},
                {kChild | WS_DISABLED, 95, 20, 40, 14, 3, kButton, "Off"},
                {kChild, 140, 20, 40, 14, 4, kButton, "Four"},
                {kChild | WS_GROUP, 5, 40, 80, 10, 30, kStatic, "next group"}}),
        own,
        {note_and_press(VK_DOWN), [](HWND d) {
             SetFocus(GetDlgItem(d, 1));
             standin::headless_key_press(VK_RIGHT);
         },
         note_and_press(VK_DOWN), note_and_press(VK_DOWN), note_and_press(VK_UP), [&](HWND d) {
             visited.push_back(standin::window_control_id(GetFocus()));
             EndDialog(d, 0);
         }});
    // The edit keeps its arrows; in the buttons' group: 1 -> 2 -> 4 (3 is
    // disabled) -> 1 (wraps, the static starts another group) -> 4.
    EXPECT_EQ(visited, (std::vector<int>{20, 2, 4, 1, 4}));
}

TEST_F(Keyboard, SpaceOnAFocusedButtonClicksIt) {
    HWND own = owner();
    run(dialog(form()), own,
        {[](HWND d) {
             SetFocus(GetDlgItem(d, 10));
             standin::headless_key_press(VK_SPACE);
         },
         end_with(0)});
    EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(10, BN_CLICKED)}));
}

TEST_F(Keyboard, MultiLineEditKeepsEnterOnlyWithWantReturn) {
    HWND own = owner();
    std::string with, without;
    run(dialog({{kChild | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN, 5, 5, 80, 30, 20, kEdit, ""},
                {kChild | WS_TABSTOP | ES_MULTILINE, 5, 40, 80, 30, 21, kEdit, ""},
                {kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 90, 5, 40, 14, 11, kButton, "Go"}}),
        own,
        {type("a\nb"),
         [](HWND d) {
             SetFocus(GetDlgItem(d, 21));
             standin::headless_type_text("c\nd");
         },
         [&](HWND d) {
             with = text_of(GetDlgItem(d, 20));
             without = text_of(GetDlgItem(d, 21));
             EndDialog(d, 0);
         }});
    EXPECT_EQ(with, "a\r\nb");
    EXPECT_EQ(without, "cd");
    EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(11, BN_CLICKED)}));
}

// ---- mouse ----

TEST_F(Mouse, AClickOnAButtonSendsItsCommandAndAReleaseElsewhereDoesNot) {
    HWND own = owner();
    LRESULT state_after_release = -1;
    run(dialog(form()), own,
        {[](HWND d) { standin::headless_click(GetDlgItem(d, 10), 3, 3); },
         [](HWND d) {
             standin::headless_mouse_down(GetDlgItem(d, 11), 3, 3);
             standin::headless_mouse_up(GetDlgItem(d, 20), 3, 3);  // released over the edit
         },
         [&](HWND d) {
             state_after_release = SendMessageA(GetDlgItem(d, 11), BM_GETSTATE, 0, 0);
             EndDialog(d, 0);
         }});
    EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(10, BN_CLICKED)}));
    EXPECT_EQ(state_after_release & BST_PUSHED, 0);
}

TEST_F(Mouse, ClicksOnTheDisabledOwnerAreIgnored) {
    HWND own = owner();
    run(dialog({}), own, {[&](HWND) { standin::headless_click(own, 10, 10); }, end_with(0)});
    EXPECT_TRUE(user_test::records(own, WM_LBUTTONDOWN).empty());
}

// ---- item text ----

TEST_F(ItemText, GetDlgItemTextCopiesAtMostNMinusOneCharacters) {
    HWND own = owner();
    struct Result {
        UINT n;
        std::string text;
    };
    std::vector<Result> got;
    auto get = [&](HWND d, int id, int size) {
        char buf[64];
        std::memset(buf, 'Z', sizeof buf);
        const UINT n = GetDlgItemTextA(d, id, buf, size);
        got.push_back({n, size > 0 ? std::string(buf) : std::string(buf, 1)});
    };
    run(dialog({{kChild | WS_TABSTOP, 5, 5, 120, 12, 20, kEdit, "Hello world"},
                {kChild, 5, 20, 120, 10, 30, kStatic, "label"}}),
        own, {[&](HWND d) {
            get(d, 20, 64);
            get(d, 20, 6);
            get(d, 20, 1);
            get(d, 20, 0);
            get(d, 99, 64);  // no such control
            get(d, 30, 3);
            EXPECT_TRUE(SetDlgItemTextA(d, 20, "changed"));
            EXPECT_FALSE(SetDlgItemTextA(d, 99, "x"));
            get(d, 20, 64);
            EndDialog(d, 0);
        }});
    ASSERT_EQ(got.size(), 7u);
    EXPECT_EQ(got[0].n, 11u);
    EXPECT_EQ(got[0].text, "Hello world");
    EXPECT_EQ(got[1].n, 5u);
    EXPECT_EQ(got[1].text, "Hello");
    EXPECT_EQ(got[2].n, 0u);
    EXPECT_EQ(got[2].text, "");
    EXPECT_EQ(got[3].n, 0u);
    EXPECT_EQ(got[3].text, "Z");  // nothing written
    EXPECT_EQ(got[4].n, 0u);
    EXPECT_EQ(got[4].text, "");
    EXPECT_EQ(got[5].text, "la");
    EXPECT_EQ(got[6].text, "changed");
}

// ---- failures ----

TEST_F(Failures, BadTemplatesAndUnknownClassesGiveMinusOneAndLeaveNothingBehind) {
    HWND own = owner();
    const size_t windows_before = standin::all_windows().size();

    TemplateWriter unknown_class;
    unknown_class.header(kDialogStyle, 1, 0, 0, 50, 50);
    unknown_class.plain_arrays("x");
    unknown_class.align4();
    unknown_class.dword(kChild), unknown_class.dword(0);
    unknown_class.word(0), unknown_class.word(0), unknown_class.word(5), unknown_class.word(5), unknown_class.word(1);
    unknown_class.text("NoSuchClass");
    unknown_class.word(0), unknown_class.word(0);
    EXPECT_EQ(run(unknown_class.aligned(), own, {}), -1);

    EXPECT_EQ(run(dialog({{kChild, 0, 0, 5, 5, 1, 0x0083, ""}}), own, {}), -1);  // a list box

    TemplateWriter with_menu;
    with_menu.header(kDialogStyle, 0, 0, 0, 50, 50);
    with_menu.word(0xFFFF), with_menu.word(1), with_menu.word(0), with_menu.word(0);
    EXPECT_EQ(run(with_menu.aligned(), own, {}), -1);

    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, own, recording_dialog_proc, 0), -1);
    EXPECT_EQ(standin::all_windows().size(), windows_before);
    EXPECT_TRUE(IsWindowEnabled(own));
    EXPECT_EQ(count(dialog_messages(), WM_INITDIALOG), 0);
}

TEST_F(Failures, AnInvalidOwnerGivesZero) {
    HWND gone = top();
    DestroyWindow(gone);
    EXPECT_EQ(run(dialog({}), gone, {}), 0);
    EXPECT_FALSE(EndDialog(gone, 1));
    EXPECT_EQ(GetDlgItem(gone, 1), nullptr);
}

}  // namespace
