// The line-input dialog: its 292-byte template checked field by field at the
// offsets the template layout gives, and TELKA_gets run on the headless
// backend with keys, clicks and window-manager events injected while its
// modal loop waits (typed text, empty field, 255-character cut, Escape and
// the close box doing nothing, the Okay button, timers reaching the graphics
// window, the disabled owner, placement in dialog units).
#include "library_fixture.h"

#include "gets_dialog.h"
#include "user/window_hooks.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of live heap bytes (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

#include <malloc.h>

#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>

using namespace libtest;

namespace {

// ---- reading the template ----

DWORD dword_at(const unsigned char *b, size_t off) {
    DWORD v;
    std::memcpy(&v, b + off, sizeof v);
    return v;
}

WORD word_at(const unsigned char *b, size_t off) {
    WORD v;
    std::memcpy(&v, b + off, sizeof v);
    return v;
}

short short_at(const unsigned char *b, size_t off) { return static_cast<short>(word_at(b, off)); }

// `n` UTF-16 units from `off`, narrowed; the unit after them must be 0.
std::string units_at(const unsigned char *b, size_t off, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(word_at(b, off + 2 * i)));
    EXPECT_EQ(word_at(b, off + 2 * n), 0) << "string at " << off << " is not terminated after " << n << " units";
    return s;
}

struct ItemAt {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    WORD cls;
};

void expect_item(const unsigned char *b, size_t off, const ItemAt &want) {
    SCOPED_TRACE("item at offset " + std::to_string(off));
    EXPECT_EQ(off % 4, 0u);
    EXPECT_EQ(dword_at(b, off), want.style);
    EXPECT_EQ(dword_at(b, off + 4), 0u);  // extended style
    EXPECT_EQ(short_at(b, off + 8), want.x);
    EXPECT_EQ(short_at(b, off + 10), want.y);
    EXPECT_EQ(short_at(b, off + 12), want.cx);
    EXPECT_EQ(short_at(b, off + 14), want.cy);
    EXPECT_EQ(word_at(b, off + 16), want.id);
    EXPECT_EQ(word_at(b, off + 18), 0xFFFF);  // class by ordinal
    EXPECT_EQ(word_at(b, off + 20), want.cls);
}

// Builds the template for `prompt` and returns the prompt item's text.
std::string template_prompt(const char *prompt) {
    alignas(4) unsigned char b[kGetsTemplateSize];
    std::memset(b, 0xAB, sizeof b);
    build_gets_template(b, prompt);
    return units_at(b, 130, 79);
}

TEST(GetsTemplate, HeaderAndThreeItemsFieldByField) {
    alignas(4) unsigned char b[kGetsTemplateSize];
    std::memset(b, 0xAB, sizeof b);  // every byte must be written (zero-filled first)
    build_gets_template(b, "What is your name?");
    ASSERT_EQ(kGetsTemplateSize, 292u);

    // Header: style, extended style, 3 items, 50,50 185x92; no menu, standard class, title.
    EXPECT_EQ(dword_at(b, 0), 0x90C80080u);
    EXPECT_EQ(dword_at(b, 4), 0u);
    EXPECT_EQ(word_at(b, 8), 3);
    EXPECT_EQ(short_at(b, 10), 50);
    EXPECT_EQ(short_at(b, 12), 50);
    EXPECT_EQ(short_at(b, 14), 185);
    EXPECT_EQ(short_at(b, 16), 92);
    EXPECT_EQ(word_at(b, 18), 0);  // menu
    EXPECT_EQ(word_at(b, 20), 0);  // class
    EXPECT_EQ(units_at(b, 22, 10), "TELKA_gets");  // ends at 44: no DS_SETFONT, no font block

    // Edit field at 44 (already on a DWORD boundary), empty title, no creation data.
    expect_item(b, 44, {0x50810044u, 8, 30, 167, 37, 102, 0x0081});
    EXPECT_EQ(word_at(b, 66), 0);  // empty title
    EXPECT_EQ(word_at(b, 68), 0);  // creation data
    EXPECT_EQ(word_at(b, 70), 0);  // padding to 72

    // Okay button at 72.
    expect_item(b, 72, {0x50010001u, 67, 74, 50, 14, 101, 0x0080});
    EXPECT_EQ(units_at(b, 94, 4), "Okay");
    EXPECT_EQ(word_at(b, 104), 0);  // creation data
    EXPECT_EQ(word_at(b, 106), 0);  // padding to 108

    // Prompt at 108: 79 characters and a zero, then the creation-data word ends at 292.
    expect_item(b, 108, {0x50020000u, 8, 3, 167, 24, 103, 0x0082});
    EXPECT_EQ(units_at(b, 130, 79), std::string("What is your name?") + std::string(79 - 18, ' '));
    EXPECT_EQ(word_at(b, 290), 0);
}

TEST(GetsTemplate, PromptIsCutOrPaddedTo79Characters) {
    const std::string hundred = std::string(50, 'a') + std::string(50, 'b');
    EXPECT_EQ(template_prompt(hundred.c_str()), hundred.substr(0, 79));
    EXPECT_EQ(template_prompt("0123456789"), "0123456789" + std::string(69, ' '));
    EXPECT_EQ(template_prompt(""), std::string(79, ' '));
}

// ---- TELKA_gets through the modal loop ----

// Runs one step per blocking wait of the dialog's loop. Should the steps run
// out with the dialog still open, it is ended (and the test fails), so no
// test can hang.
class GetsDialog : public LibraryTest {
protected:
    using Step = std::function<void()>;

    void TearDown() override {
        standin::headless_set_wait_hook(nullptr);
        standin::headless_set_idle_hook(nullptr);
    }

    int gets(const char *prompt, char *result, std::vector<Step> steps) {
        auto queue = std::make_shared<std::deque<Step>>(steps.begin(), steps.end());
        auto step = [queue] {
            if (!queue->empty()) {
                Step s = std::move(queue->front());
                queue->pop_front();
                s();
                return;
            }
            if (HWND d = dialog()) {
                ADD_FAILURE() << "the dialog outlived the test's steps";
                EndDialog(d, 0);
            }
        };
        standin::headless_set_wait_hook([step](int64_t) { step(); });
        standin::headless_set_idle_hook([step] {
            step();
            return true;
        });
        const int r = TELKA_gets(prompt, result);
        standin::headless_set_wait_hook(nullptr);
        standin::headless_set_idle_hook(nullptr);
        EXPECT_TRUE(queue->empty()) << "the dialog ended before all of its steps ran";
        return r;
    }

    // The running dialog: the focus is in it, on one of its controls.
    static HWND dialog() {
        HWND f = GetFocus();
        if (!f) return nullptr;
        HWND p = GetParent(f);
        char title[32] = "";
        if (p) GetWindowTextA(p, title, sizeof title);
        return std::strcmp(title, "TELKA_gets") == 0 ? p : nullptr;
    }
    static std::string item_text(int id) {
        char buf[512];
        GetDlgItemTextA(dialog(), id, buf, sizeof buf);
        return buf;
    }
    static Step type(const std::string &s) {
        return [s] { EXPECT_TRUE(standin::headless_type_text(s.c_str())); };
    }
    static Step idle() {
        return [] {};
    }
};

TEST_F(GetsDialog, EnterConfirmsTheTypedLine) {
    char result[256];
    std::memset(result, 'Z', sizeof result);
    bool owner_enabled = true;
    int focus_id = 0;
    std::string title, prompt;
    const int r = gets("What is your name?", result,
                       {[&] {
                            HWND d = dialog();
                            ASSERT_NE(d, nullptr);
                            owner_enabled = IsWindowEnabled(lib.graphicsWnd) != FALSE;
                            focus_id = standin::window_control_id(GetFocus());
                            prompt = item_text(103);
                            standin::headless_type_text("Ada Lovelace\n");
                        }});
    EXPECT_EQ(r, 1);
    EXPECT_STREQ(result, "Ada Lovelace");
    EXPECT_FALSE(owner_enabled);
    EXPECT_EQ(focus_id, 102);  // the edit field has the focus from the start
    EXPECT_EQ(prompt, "What is your name?" + std::string(61, ' '));
    EXPECT_TRUE(IsWindowEnabled(lib.graphicsWnd));
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_EQ(lib.getsBuffer, result);
}

TEST_F(GetsDialog, AnEmptyFieldGivesAnEmptyText) {
    char result[256];
    std::memset(result, 'Z', sizeof result);
    EXPECT_EQ(gets("Nothing?", result, {type("\n")}), 1);
    EXPECT_EQ(result[0], '\0');
}

TEST_F(GetsDialog, ThreeHundredTypedCharactersGiveTheFirst255) {
    std::string typed;
    for (int i = 0; i < 300; ++i) typed.push_back(static_cast<char>('a' + i % 26));
    char result[300];
    std::memset(result, 'Z', sizeof result);
    size_t field_length = 0;
    EXPECT_EQ(gets("Long", result,
                   {type(typed),
                    [&] {
                        field_length = static_cast<size_t>(SendMessageA(GetDlgItem(dialog(), 102), WM_GETTEXTLENGTH, 0, 0));
                        standin::headless_type_text("\n");
                    }}),
              1);
    EXPECT_EQ(field_length, 300u);  // the field holds everything; the copy is cut
    EXPECT_EQ(std::string(result), typed.substr(0, 255));
}

TEST_F(GetsDialog, EscapeAndTheCloseBoxLeaveItOpen) {
    char result[256] = "";
    bool open_after_escape = false, open_after_close = false;
    EXPECT_EQ(gets("Stay", result,
                   {type("kept"), [] { standin::headless_key_press(VK_ESCAPE); },
                    [&] {
                        open_after_escape = dialog() && IsWindowVisible(dialog());
                        standin::headless_close_request(dialog());
                    },
                    [&] {
                        open_after_close = dialog() && IsWindowVisible(dialog());
                        standin::headless_key_press(VK_RETURN);
                    }}),
              1);
    EXPECT_TRUE(open_after_escape);
    EXPECT_TRUE(open_after_close);
    EXPECT_STREQ(result, "kept");
}

TEST_F(GetsDialog, ClickingOkayConfirms) {
    char result[256] = "";
    EXPECT_EQ(gets("Click", result, {type("by mouse"), [] { standin::headless_click(GetDlgItem(dialog(), 101), 5, 5); }}),
              1);
    EXPECT_STREQ(result, "by mouse");
}

// A WM_COMMAND whose word parameter is not exactly the button's identifier
// (a notification code in the high word, another control's identifier) does
// not end the dialog.
TEST_F(GetsDialog, OnlyTheButtonsOwnCommandEndsIt) {
    char result[256] = "";
    EXPECT_EQ(gets("Stay", result,
                   {type("kept"),
                    [] {
                        HWND d = dialog();
                        ASSERT_NE(d, nullptr);
                        const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(d, 101));
                        SendMessageA(d, WM_COMMAND, MAKEWPARAM(101, 5), button);       // BN_DOUBLECLICKED
                        SendMessageA(d, WM_COMMAND, MAKEWPARAM(101, 0x0300), button);  // EN_CHANGE
                        SendMessageA(d, WM_COMMAND, MAKEWPARAM(102, 0), reinterpret_cast<LPARAM>(GetDlgItem(d, 102)));
                    },
                    type(" on\n")}),
              1);
    EXPECT_STREQ(result, "kept on");
}

namespace {
LRESULT CALLBACK refuse_creation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_NCCREATE ? FALSE : DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

// The dialog's window class refuses to create windows, so the dialog cannot
// be shown: 0, and not one byte of the buffer written.
TEST_F(GetsDialog, WhenTheDialogCannotBeCreatedItReturnsZeroAndLeavesTheBuffer) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = refuse_creation;
    wc.hInstance = lib.instance;
    wc.lpszClassName = "#32770";
    ASSERT_NE(RegisterClassA(&wc), 0);
    char result[256];
    std::memset(result, 'Z', sizeof result);
    EXPECT_EQ(gets("Never shown", result, {}), 0);
    EXPECT_EQ(std::string(result, sizeof result), std::string(sizeof result, 'Z'));
}

// After the user closed the graphics window there is no owner: the dialog
// is never shown, which must not read as a confirmed line.
TEST_F(GetsDialog, WithTheGraphicsWindowClosedItReturnsZeroAndLeavesTheBuffer) {
    ASSERT_TRUE(DestroyWindow(lib.graphicsWnd));
    char result[256];
    std::memset(result, 'Z', sizeof result);
    EXPECT_EQ(TELKA_gets("Never shown", result), 0);
    EXPECT_EQ(std::string(result, sizeof result), std::string(sizeof result, 'Z'));
}

TEST_F(GetsDialog, TimerMessagesKeepReachingTheGraphicsWindow) {
    char result[256] = "";
    int fired_while_open = 0;
    EXPECT_EQ(gets("Wait", result,
                   {[] { lib.timerFired = 0; }, idle(), idle(),
                    [&] {
                        fired_while_open = lib.timerFired;
                        standin::headless_type_text("\n");
                    }}),
              1);
    EXPECT_EQ(fired_while_open, 1);
}

// Bytes the program holds on its heap now.
size_t heap_in_use() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;  // small blocks and mmapped ones
#endif
}

// A dialog left waiting runs its timers for hours of virtual time; the
// headless backend's logs must not grow with them.
TEST_F(GetsDialog, AWaitingDialogKeepsItsMemoryFlat) {
    constexpr int kWaits = 100000;
    int waits = 0;
    size_t early = 0, late = 0;
    standin::headless_set_wait_hook([&](int64_t) {
        ++waits;
        if (waits == 1000) early = heap_in_use();
        if (waits == kWaits) {
            late = heap_in_use();
            standin::headless_type_text("\n");
        }
    });
    char result[256] = "";
    TELKA_gets("Waiting", result);
    standin::headless_set_wait_hook(nullptr);
    ASSERT_GE(waits, kWaits);
    EXPECT_GT(standin::headless_now_ns(), int64_t{3600} * 1000000000);  // an hour of virtual time
    EXPECT_LT(late, early + 256 * 1024) << "heap grew from " << early << " to " << late << " bytes";
}

TEST_F(GetsDialog, SitsFiftyDialogUnitsIntoTheGraphicsWindowsClientArea) {
    const LONG units = GetDialogBaseUnits();
    const int bx = LOWORD(units), by = HIWORD(units);
    RECT dlg{}, client{}, graphics{};
    char result[256] = "";
    gets("Where", result, {[&] {
                               GetWindowRect(dialog(), &dlg);
                               GetClientRect(dialog(), &client);
                               standin::headless_type_text("\n");
                           }});
    // The graphics window has its menu bar at the top of its host surface.
    GetWindowRect(lib.graphicsWnd, &graphics);
    RECT gclient{};
    GetClientRect(lib.graphicsWnd, &gclient);
    const int origin_x = graphics.left;
    const int origin_y = graphics.bottom - gclient.bottom;
    EXPECT_EQ(dlg.left, origin_x + (50 * bx + 2) / 4);
    EXPECT_EQ(dlg.top, origin_y + (50 * by + 4) / 8);
    EXPECT_EQ(client.right, (185 * bx + 2) / 4);
    EXPECT_EQ(client.bottom, (92 * by + 4) / 8);
}

}  // namespace
