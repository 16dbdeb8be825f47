// The game's playing frame drawn through GDI calls into a 601 x 540 DC, as
// the library draws it (pen, brush and font created and deleted per shape),
// with the parts that change from tick to tick as parameters. Shared by the
// frame and present benchmarks; Win32 calls only.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace bench_frame {

constexpr int kW = 601, kH = 540;
constexpr int kOriginX = 300, kOriginY = 260;

struct Vars {
    int score = 0;
    int player_x = 0;   // window coordinates of the player's and the enemy's corner
    int enemy_x = -230;
    int tint = 0;       // added to every colour's blue: 1 changes every pixel of the frame
};

// Window coordinates (y up) to device pixels, as the renderer maps them.
inline int dx(int x) { return kOriginX + x; }
inline int dy(int y) { return kOriginY - y; }

inline COLORREF tinted(const Vars &v, int r, int g, int b) { return RGB(r, g, b < 255 ? b + v.tint : b - v.tint); }

inline void filled(HDC dc, COLORREF c, bool oval, int x1, int y1, int x2, int y2) {
    HPEN pen = CreatePen(PS_SOLID, 0, c);
    HBRUSH brush = CreateSolidBrush(c);
    HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
    if (oval)
        Ellipse(dc, dx(x1), dy(y1), dx(x2) + 1, dy(y2) + 1);
    else
        Rectangle(dc, dx(x1), dy(y1), dx(x2) + 1, dy(y2) + 1);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(pen);
    DeleteObject(brush);
}

inline void text(HDC dc, COLORREF c, int x, int y, int size, const char *s) {
    SetTextColor(dc, c);
    const int mode = GetBkMode(dc);
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFontA(-size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "TELKA-font");
    HGDIOBJ of = SelectObject(dc, font);
    SIZE extent;
    GetTextExtentPointA(dc, s, static_cast<int>(std::strlen(s)), &extent);
    TextOutA(dc, dx(x), dy(y) - extent.cy, s, static_cast<int>(std::strlen(s)));
    SetBkMode(dc, mode);
    SelectObject(dc, of);
    DeleteObject(font);
}

// The ready frame with the default Vars.
inline void draw(HDC dc, const Vars &v) {
    HBRUSH white = CreateSolidBrush(tinted(v, 255, 255, 255));
    HPEN black = CreatePen(PS_SOLID, 0, tinted(v, 0, 0, 0));
    HGDIOBJ ob = SelectObject(dc, white), op = SelectObject(dc, black);
    Rectangle(dc, 0, 0, kW, kH);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(white);
    DeleteObject(black);

    const COLORREF blue = tinted(v, 0, 0, 255), ink = tinted(v, 255, 255, 255);
    filled(dc, blue, false, -300, 250, 300, -250);
    filled(dc, tinted(v, 0, 0, 0), false, -295, 245, 295, -245);
    filled(dc, blue, false, -300, 250, 300, 225);
    char score[32];
    std::snprintf(score, sizeof score, "Score: %d", v.score);
    text(dc, ink, -290, 230, 12, "Level 1");
    text(dc, ink, 0, 230, 12, "Lives: 3");
    text(dc, ink, 150, 230, 12, score);
    filled(dc, tinted(v, 255, 255, 0), false, v.player_x, 20, v.player_x + 20, 0);
    filled(dc, tinted(v, 255, 0, 0), true, v.player_x - 2, 12, v.player_x + 2, 8);
    filled(dc, tinted(v, 255, 0, 255), true, v.enemy_x, -20, v.enemy_x + 20, -40);
    filled(dc, ink, true, 100, 55, 105, 50);
    text(dc, ink, -200, 30, 24, "Press any key to start.");
}

}  // namespace bench_frame
