// The edit control through real key input (injected keys, TranslateMessage,
// dispatch): typing, the editing and caret keys, "\r\n" as one step, word
// wrapping and breaking of long words, vertical scrolling, the length limit,
// single-line behaviour and notifications. Checked on text, caret positions
// and line counts, never on pixels.
#include "dialog/controls.h"
#include "window_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace user_test;

namespace {

constexpr int kEditId = 7;

class EditControl : public UserTest {
protected:
    HWND parent = nullptr;

    HWND edit(DWORD style, int w, int h, const char *text = "") {
        standin::ensure_control_classes();
        parent = top();
        ShowWindow(parent, SW_SHOW);
        HWND e = CreateWindowExA(0, "Edit", text, WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(kEditId)), nullptr, nullptr);
        EXPECT_NE(e, nullptr);
        SetFocus(e);
        return e;
    }
    static std::string text(HWND e) {
        std::string s(static_cast<size_t>(SendMessageA(e, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
        const LRESULT n = SendMessageA(e, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(n));
        return s;
    }
    static size_t caret(HWND e) {
        DWORD start = 0, end = 0;
        SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, end);
        return end;
    }
    static standin::EditLines shown(HWND e) {
        standin::EditLines l;
        EXPECT_TRUE(standin::edit_lines(e, &l));
        return l;
    }
    static int caret_line(HWND e) { return static_cast<int>(shown(e).caret_line); }
    static int line_count(HWND e) { return static_cast<int>(shown(e).lines.size()); }
    static int first_visible_line(HWND e) { return static_cast<int>(shown(e).first_visible); }
    static std::vector<std::string> lines(HWND e) {
        const std::string all = text(e);
        std::vector<std::string> out;
        for (const standin::TextLine &l : shown(e).lines) out.push_back(all.substr(l.start, l.end - l.start));
        return out;
    }
    void typing(const char *s) {
        EXPECT_TRUE(standin::headless_type_text(s));
        drain();
    }
    void keys(std::initializer_list<int> vks, unsigned mods = 0) {
        if (mods & standin::kKeyControl) standin::headless_key_down(VK_CONTROL, standin::kKeyControl);
        for (int vk : vks) standin::headless_key_press(vk, mods);
        if (mods & standin::kKeyControl) standin::headless_key_up(VK_CONTROL);
        drain();
    }
    std::vector<WORD> notifications() {
        std::vector<WORD> out;
        for (const Record &r : records(parent, WM_COMMAND))
            if (LOWORD(r.wParam) == kEditId) out.push_back(HIWORD(r.wParam));
        return out;
    }
};

// Width of text in the system font, which the edits use without WM_SETFONT.
int width_of(const std::string &s) {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SIZE size{0, 0};
    GetTextExtentPointA(dc, s.data(), static_cast<int>(s.size()), &size);
    DeleteDC(dc);
    return size.cx;
}

std::string rtrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string join(const std::vector<std::string> &parts) {
    std::string out;
    for (const std::string &p : parts) out += p;
    return out;
}

TEST_F(EditControl, TypingAndTheEditingKeys) {
    HWND e = edit(WS_BORDER, 300, 24);
    typing("abc");
    EXPECT_EQ(text(e), "abc");
    EXPECT_EQ(caret(e), 3u);
    keys({VK_LEFT, VK_LEFT});
    typing("X");
    EXPECT_EQ(text(e), "aXbc");
    EXPECT_EQ(caret(e), 2u);
    keys({VK_HOME});
    EXPECT_EQ(caret(e), 0u);
    keys({VK_LEFT, VK_DELETE});  // Left at the start stays there
    EXPECT_EQ(text(e), "Xbc");
    keys({VK_END, VK_RIGHT, VK_BACK});
    EXPECT_EQ(text(e), "Xb");
    keys({VK_HOME, VK_BACK});  // nothing before the caret
    EXPECT_EQ(text(e), "Xb");
    keys({VK_END, VK_DELETE});  // nothing after it
    EXPECT_EQ(text(e), "Xb");
}

TEST_F(EditControl, TakesBytesUpTo0xFFAndIgnoresControlCharacters) {
    HWND e = edit(WS_BORDER, 300, 24);
    for (WPARAM c : {WPARAM{0xE9}, WPARAM{0x01}, WPARAM{0x7F}, WPARAM{0x20}, WPARAM{0xFF}, WPARAM{0x1B}})
        SendMessageA(e, WM_CHAR, c, 0);
    EXPECT_EQ(text(e), "\xE9 \xFF");
}

TEST_F(EditControl, LineBreaksAreOneStepForTheCaretAndForDeletion) {
    HWND e = edit(WS_BORDER | ES_MULTILINE, 300, 80);
    typing("ab\ncd");
    EXPECT_EQ(text(e), "ab\r\ncd");
    EXPECT_EQ(lines(e), (std::vector<std::string>{"ab", "cd"}));
    keys({VK_HOME});
    EXPECT_EQ(caret(e), 4u);
    keys({VK_LEFT});
    EXPECT_EQ(caret(e), 2u);
    keys({VK_DELETE});
    EXPECT_EQ(text(e), "abcd");
    typing("\n");
    keys({VK_BACK});
    EXPECT_EQ(text(e), "abcd");
    EXPECT_EQ(caret(e), 2u);
}

TEST_F(EditControl, WrapsAtWordBoundariesWithinTheWidth) {
    const int w = 160;
    HWND e = edit(WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, w, 200);
    const std::string typed = "the quick brown fox jumps over the lazy dog and keeps on running far away";
    typing(typed.c_str());
    EXPECT_EQ(text(e), typed);
    const std::vector<std::string> ls = lines(e);
    ASSERT_GT(ls.size(), 2u);
    EXPECT_EQ(join(ls), typed);  // soft breaks lose nothing
    for (size_t i = 0; i < ls.size(); ++i) {
        EXPECT_LE(width_of(rtrim(ls[i])), w) << "line " << i << " '" << ls[i] << "'";
        if (i + 1 == ls.size()) break;
        EXPECT_EQ(ls[i].back(), ' ') << "a break falls after a space";
        // The next line's first word would not have fitted (allowing for border and margins).
        const std::string next_word = ls[i + 1].substr(0, ls[i + 1].find(' '));
        EXPECT_GT(width_of(ls[i] + next_word), w - 12) << "line " << i;
    }
    // The caret and the keys follow the lines.
    keys({VK_HOME}, standin::kKeyControl);
    EXPECT_EQ(caret(e), 0u);
    keys({VK_DOWN});
    EXPECT_EQ(caret_line(e), 1);
    keys({VK_DOWN, VK_UP});
    EXPECT_EQ(caret_line(e), 1);
    keys({VK_END});
    EXPECT_EQ(caret_line(e), 1) << "End stays on a soft-wrapped line";
    keys({VK_HOME});
    EXPECT_EQ(caret(e), ls[0].size());
}

TEST_F(EditControl, BreaksAWordLongerThanTheLine) {
    const int w = 100;
    HWND e = edit(WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, w, 200);
    const std::string word(60, 'W');
    typing(word.c_str());
    const std::vector<std::string> ls = lines(e);
    ASSERT_GT(ls.size(), 1u);
    EXPECT_EQ(join(ls), word);
    for (const std::string &l : ls) {
        EXPECT_FALSE(l.empty());
        EXPECT_LE(width_of(l), w);
    }
    // Every line but the last is full: one more letter would pass the width.
    for (size_t i = 0; i + 1 < ls.size(); ++i) EXPECT_GT(width_of(ls[i] + "W"), w - 12);
}

TEST_F(EditControl, ScrollsToKeepTheCaretVisible) {
    HWND e = edit(WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 200, 68);  // about four lines
    typing("1\n2\n3\n4\n5\n6\n7\n8\n9\n10");
    EXPECT_EQ(line_count(e), 10);
    const int first = first_visible_line(e);
    EXPECT_GT(first, 0);
    EXPECT_GE(caret_line(e), first);
    EXPECT_LT(caret_line(e) - first, 68 / 16);
    keys({VK_HOME}, standin::kKeyControl);
    EXPECT_EQ(first_visible_line(e), 0);
}

TEST_F(EditControl, WithoutAutoScrollTextThatDoesNotFitIsRefused) {
    HWND multi = edit(WS_BORDER | ES_MULTILINE, 200, 68);
    typing("1\n2\n3\n4\n5\n6\n7\n8");
    EXPECT_LE(line_count(multi), 68 / 16);
    EXPECT_LT(text(multi).size(), std::string("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8").size());

    HWND single = edit(WS_BORDER, 60, 24);
    typing("abcdefghijklmnopqrstuvwxyz");
    EXPECT_LE(width_of(text(single)), 60);
    EXPECT_GT(text(single).size(), 0u);
}

TEST_F(EditControl, SingleLineEditsScrollSidewaysAndIgnoreEnter) {
    HWND e = edit(WS_BORDER | ES_AUTOHSCROLL, 60, 24);
    typing("abcdefghijklmnopqrstuvwxyz\n");
    EXPECT_EQ(text(e), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(line_count(e), 1);
}

TEST_F(EditControl, StopsTypingAtTheLimitAndReportsIt) {
    HWND e = edit(WS_BORDER | ES_AUTOHSCROLL, 200, 24);
    SendMessageA(e, EM_LIMITTEXT, 10, 0);
    typing("0123456789abcde");
    EXPECT_EQ(text(e), "0123456789");
    const std::vector<WORD> n = notifications();
    EXPECT_EQ(std::count(n.begin(), n.end(), static_cast<WORD>(EN_CHANGE)), 10);
    EXPECT_EQ(std::count(n.begin(), n.end(), static_cast<WORD>(EN_MAXTEXT)), 5);
}

TEST_F(EditControl, TheDefaultLimitIsThirtyThousandCharacters) {
    HWND e = edit(WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 200, 100);
    const std::string almost(standin::kEditDefaultLimit - 1, 'a');
    SetWindowTextA(e, almost.c_str());
    keys({VK_END}, standin::kKeyControl);
    typing("bc");
    const std::string t = text(e);
    EXPECT_EQ(t.size(), standin::kEditDefaultLimit);
    EXPECT_EQ(t.back(), 'b');
}

TEST_F(EditControl, ReadOnlyEditsRefuseTypingButMoveTheCaret) {
    HWND e = edit(WS_BORDER | 0x0800 /* ES_READONLY */, 200, 24, "fixed");
    typing("x");
    keys({VK_END, VK_BACK});
    EXPECT_EQ(text(e), "fixed");
    EXPECT_EQ(caret(e), 5u);
}

TEST_F(EditControl, AClickPlacesTheCaretAndTakesTheFocus) {
    HWND e = edit(WS_BORDER, 200, 24, "hello");
    SetFocus(parent);
    standin::headless_click(e, 199, 5);
    drain();
    EXPECT_EQ(GetFocus(), e);
    EXPECT_EQ(caret(e), 5u);
    standin::headless_click(e, 0, 5);
    drain();
    EXPECT_EQ(caret(e), 0u);
}

TEST_F(EditControl, SetTextReplacesEverythingAndPutsTheCaretFirst) {
    HWND e = edit(WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 200, 100);
    typing("old text");
    EXPECT_TRUE(SetWindowTextA(e, "new\r\nlines"));
    EXPECT_EQ(text(e), "new\r\nlines");
    EXPECT_EQ(caret(e), 0u);
    EXPECT_EQ(lines(e), (std::vector<std::string>{"new", "lines"}));
    char small[4];
    EXPECT_EQ(GetWindowTextA(e, small, sizeof small), 3);
    EXPECT_STREQ(small, "new");
}

}  // namespace
