// text-sample: draws sample lines of the stand-in's text output at 12 and 24
// pixels, colour and monochrome, into a PNG for a person to look at (the file
// named on the command line, or text_sample.png). Relies on the stand-in's
// GDI and text layers and its PNG writer, not on a window or a backend.
#include <windows.h>

#include <cstdio>

#include <algorithm>
#include <span>
#include <string>

#include "gdi/gdi_objects.h"
#include "automation.h"

namespace {

void line(HDC dc, int y, const std::string &s) { TextOutA(dc, 6, y, s.data(), static_cast<int>(s.size())); }

}  // namespace

int main(int argc, char **argv) {
    const int w = 640, h = 300;
    standin::Bitmap *bm = standin::gdi_new_bitmap(w, h, 32);
    standin::gdi_register(bm);
    std::ranges::fill(bm->pixels.for_writing(), 0x00F0F0E8u);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ prev_bm = SelectObject(dc, bm);
    HGDIOBJ prev_font = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    int y = 4;
    for (int size : {12, 24}) {
        HFONT f = CreateFontA(-size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "TELKA-font");
        SelectObject(dc, f);
        SIZE sz{};
        GetTextExtentPointA(dc, "Ag", 2, &sz);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(20, 20, 160));
        line(dc, y, std::to_string(size) + " px: The quick brown fox jumps over the lazy dog.");
        y += sz.cy;
        SetTextColor(dc, RGB(180, 0, 0));
        line(dc, y, "Newline [\n] tab [\t] cp1252: \x80 \x85 \x99 \xC4\xD6\xDC\xE4\xF6\xFC\xDF \xE9\xE8 \xA9\xAE");
        y += sz.cy;
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(255, 255, 160));
        SetTextColor(dc, RGB(0, 0, 0));
        line(dc, y, "OPAQUE cell: 0123456789 !?()[]{} @#$%&*");
        y += sz.cy + 4;
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(f);
    }
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SetBkColor(dc, RGB(255, 255, 255));
    line(dc, y, "SYSTEM_FONT: dialogs and menus use this");
    y += 18;

    // The text window's way: ANSI_FIXED_FONT on a monochrome bitmap, then copied in.
    HDC mono_dc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(mono_dc, w - 12, 34);
    HGDIOBJ prev_mono = SelectObject(mono_dc, mono);
    standin::Bitmap *mb = standin::gdi_bitmap(mono);
    std::ranges::fill(mb->pixels.for_writing(), 0x00FFFFFFu);
    HGDIOBJ prev_mono_font = SelectObject(mono_dc, GetStockObject(ANSI_FIXED_FONT));
    line(mono_dc, 2, "ANSI_FIXED_FONT, monochrome: score 001230  lives 3  [level 7]");
    line(mono_dc, 17, "mmmmiiiiWWWW|||| 0O1lI! ~^`'\"");
    const std::span<uint32_t> into = bm->pixels.for_writing();
    for (int yy = 0; yy < 34; ++yy)
        for (int xx = 0; xx < w - 12; ++xx)
            into[static_cast<size_t>(y + yy) * w + 6 + xx] = mb->pixels[static_cast<size_t>(yy) * (w - 12) + xx];

    const char *out = argc > 1 ? argv[1] : "text_sample.png";
    const bool written = standin::write_png(out, bm->pixels.data(), w, h, w);
    if (written) std::printf("%s\n", out);
    else std::fprintf(stderr, "text-sample: cannot write %s\n", out);

    SelectObject(mono_dc, prev_mono_font);
    SelectObject(mono_dc, prev_mono);
    DeleteObject(mono);
    DeleteDC(mono_dc);
    SelectObject(dc, prev_font);
    SelectObject(dc, prev_bm);
    DeleteDC(dc);
    DeleteObject(bm);
    return written ? 0 : 1;
}
