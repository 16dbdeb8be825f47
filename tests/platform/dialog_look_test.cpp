// What a running dialog looks like, checked at pixels whose colour follows
// from the classic look rather than from glyph shapes: the grey dialog face,
// the edit's white field and black WS_BORDER frame, the raised buttons with
// the default button's black frame, and a static label wrapping onto a
// second line only when its text needs one.
#include "dialog_test_support.h"

#include <gtest/gtest.h>

using namespace dialog_test;

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr uint32_t kFace = 0xD4D0C8, kWhite = 0xFFFFFF, kBlack = 0x000000, kDark = 0x404040;

class Look : public DialogTest {};

// True when any pixel of the client rows [top, bottom) differs from `bg`.
bool ink_in_rows(HWND h, int top, int bottom, uint32_t bg) {
    standin::PixelView v;
    if (!standin::window_client_pixels(h, &v)) return false;
    for (int y = std::max(0, top); y < std::min(bottom, v.height); ++y)
        for (int x = 0; x < v.width; ++x)
            if (v.at(x, y) != bg) return true;
    return false;
}

int system_font_height() {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    DeleteDC(dc);
    return tm.tmHeight;
}

TEST_F(Look, FaceFieldAndButtons) {
    TemplateWriter w;
    w.header(kDialogStyle, 3, 10, 10, 160, 80);
    w.plain_arrays("Look");
    w.item(kChild | WS_BORDER | WS_TABSTOP | ES_MULTILINE, 8, 8, 100, 30, 20, 0x0081, "");
    w.item(kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 8, 50, 50, 14, 1, 0x0080, "OK");
    w.item(kChild | WS_TABSTOP, 70, 50, 50, 14, 2, 0x0080, "Cancel");
    HWND own = owner();
    uint32_t face = 0, edge = 0, field = 0, def_corner = 0, def_inner = 0, def_shadow = 0, plain_corner = 0;
    run(w.aligned(), own, {[&](HWND d) {
            face = standin::window_pixel(d, 2, 2);
            HWND edit = GetDlgItem(d, 20);
            RECT r;
            GetClientRect(edit, &r);
            edge = standin::window_pixel(edit, 0, r.bottom / 2);
            field = standin::window_pixel(edit, r.right / 2, r.bottom - 3);
            HWND ok = GetDlgItem(d, 1);
            GetClientRect(ok, &r);
            def_corner = standin::window_pixel(ok, 0, 0);
            def_inner = standin::window_pixel(ok, 1, 1);
            def_shadow = standin::window_pixel(ok, r.right - 2, r.bottom - 2);
            plain_corner = standin::window_pixel(GetDlgItem(d, 2), 0, 0);
            EndDialog(d, 0);
        }});
    EXPECT_EQ(face, kFace);
    EXPECT_EQ(edge, kBlack);
    EXPECT_EQ(field, kWhite);
    EXPECT_EQ(def_corner, kBlack);   // the default button's frame
    EXPECT_EQ(def_inner, kWhite);    // then the raised bevel
    EXPECT_EQ(def_shadow, kDark);
    EXPECT_EQ(plain_corner, kWhite); // no frame: the bevel starts at the edge
}

TEST_F(Look, StaticTextWrapsOnlyWhenItHasTo) {
    const int lh = system_font_height();
    TemplateWriter w;
    w.header(kDialogStyle, 2, 10, 10, 160, 80);
    w.plain_arrays("Look");
    w.item(kChild, 4, 4, 100, 24, 30, 0x0082, "aaa bbb ccc ddd eee fff ggg hhh iii jjj kkk lll mmm");
    w.item(kChild, 4, 40, 100, 24, 31, 0x0082, "short");
    HWND own = owner();
    bool long_first = false, long_second = false, short_first = false, short_second = false;
    run(w.aligned(), own, {[&](HWND d) {
            HWND l = GetDlgItem(d, 30), s = GetDlgItem(d, 31);
            long_first = ink_in_rows(l, 0, lh, kFace);
            long_second = ink_in_rows(l, lh, 2 * lh, kFace);
            short_first = ink_in_rows(s, 0, lh, kFace);
            short_second = ink_in_rows(s, lh, 2 * lh, kFace);
            EndDialog(d, 0);
        }});
    EXPECT_TRUE(long_first);
    EXPECT_TRUE(long_second);
    EXPECT_TRUE(short_first);
    EXPECT_FALSE(short_second);
}

}  // namespace
