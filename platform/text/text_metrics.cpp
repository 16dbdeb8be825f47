// GetTextMetricsA and GetTextExtentPoint(32)A: answers from the font cache for
// the font selected into a device context.
#include "text/font_cache.h"
#include "gdi/gdi_objects.h"
#include "gdi/target.h"

using namespace standin;

namespace {

BOOL text_extent(HDC hdc, LPCSTR s, int n, LPSIZE size) {
    Dc *dc = gdi_dc(hdc);
    if (!dc || !s || n < 0 || !size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FontInstance *fi = font_instance(dc->font);
    size->cx = saturate32(text_width(fi, s, static_cast<size_t>(n)));
    size->cy = fi->tm.tmHeight;
    return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
    Dc *dc = gdi_dc(hdc);
    if (!dc || !lptm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lptm = font_instance(dc->font)->tm;
    return TRUE;
}

BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR lpString, int c, LPSIZE lpsz) {
    return text_extent(hdc, lpString, c, lpsz);
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    return text_extent(hdc, lpString, c, psizl);
}

}  // extern "C"
