// Dialog units: the base units of a dialog's font, measured with the stand-in's
// GDI text calls, and the rounding multiply-divide that maps templates to
// pixels; GetDialogBaseUnits reports the system font's pair.
#include "dialog/dialog.h"

#include "dialog/controls.h"

#include <cstdint>
#include <cstdlib>

namespace standin {

int mul_div(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const int64_t product = int64_t{number} * numerator;
    // Rounds half away from zero, as MulDiv does.
    int64_t q = product / denominator;
    const int64_t r = product % denominator;
    if (2 * std::llabs(r) >= std::llabs(int64_t{denominator})) q += ((product < 0) != (denominator < 0)) ? -1 : 1;
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return static_cast<int>(q);
}

int dialog_units_to_pixels_x(int v, int base_x) { return mul_div(v, base_x, 4); }

int dialog_units_to_pixels_y(int v, int base_y) { return mul_div(v, base_y, 8); }

void dialog_base_units(HFONT font, int *base_x, int *base_y) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, control_font(font));
    SIZE size{0, 0};
    GetTextExtentPointA(dc, kLetters, 52, &size);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    *base_x = (size.cx + 26) / 52;
    *base_y = tm.tmHeight;
    // A font without letters or height would make every dialog empty.
    if (*base_x <= 0) *base_x = 1;
    if (*base_y <= 0) *base_y = 1;
}

}  // namespace standin

extern "C" LONG WINAPI GetDialogBaseUnits(void) {
    int x = 0, y = 0;
    standin::dialog_base_units(nullptr, &x, &y);
    return MAKELONG(x, y);
}
