// Object registry, stock objects, creation, selection and deletion of GDI
// objects, and the attribute calls of device contexts, with Win32's results.
#include "gdi/gdi_objects.h"
#include "gdi/address_set.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

namespace standin {

namespace {

// Bitmaps beyond this many pixels are refused, as a real driver would fail them.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 27;

// Every live object, stock ones included. What the program still holds when
// the process ends is freed here, as Windows frees a process's GDI objects,
// so a leak checker reports only memory that nothing owns.
struct Registry {
    AddressSet live;
    ~Registry() {
        live.for_each([](void *obj) { delete static_cast<GdiObject *>(obj); });
    }
};

AddressSet &registry() {
    static Registry r;
    return r.live;
}

template <class T>
T *lookup_as(HGDIOBJ h, GdiType type) {
    if (!h) return nullptr;
    auto *obj = static_cast<GdiObject *>(h);
    if (!registry().contains(obj) || obj->type != type) return nullptr;
    return static_cast<T *>(obj);
}

template <class T>
T *make_stock(T *obj) {
    obj->stock = true;
    gdi_register(obj);
    return obj;
}

Brush *stock_brush(bool hollow, COLORREF c) {
    auto *b = new Brush;
    b->hollow = hollow;
    b->color = c;
    return make_stock(b);
}

Pen *stock_pen(int style, COLORREF c) {
    auto *p = new Pen;
    p->style = style;
    p->color = c;
    return make_stock(p);
}

Font *stock_font_object(int height, int weight, int pitch_family, const char *face) {
    auto *f = new Font;
    f->height = height;
    f->weight = weight;
    f->pitch_family = pitch_family;
    f->set_face(face);
    return make_stock(f);
}

struct Stock {
    std::array<GdiObject *, DEFAULT_GUI_FONT + 1> objects{};
    Bitmap *default_bitmap = nullptr;  // the 1x1 monochrome bitmap of a fresh memory DC

    Stock() {
        objects[WHITE_BRUSH] = stock_brush(false, RGB(255, 255, 255));
        objects[LTGRAY_BRUSH] = stock_brush(false, RGB(192, 192, 192));
        objects[GRAY_BRUSH] = stock_brush(false, RGB(128, 128, 128));
        objects[DKGRAY_BRUSH] = stock_brush(false, RGB(64, 64, 64));
        objects[BLACK_BRUSH] = stock_brush(false, RGB(0, 0, 0));
        objects[NULL_BRUSH] = stock_brush(true, 0);
        objects[WHITE_PEN] = stock_pen(PS_SOLID, RGB(255, 255, 255));
        objects[BLACK_PEN] = stock_pen(PS_SOLID, RGB(0, 0, 0));
        objects[NULL_PEN] = stock_pen(PS_NULL, 0);
        // Stock fonts are described as Windows describes them; the font code maps
        // them onto installed faces by pitch and weight.
        objects[OEM_FIXED_FONT] = stock_font_object(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal");
        objects[ANSI_FIXED_FONT] = stock_font_object(13, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier");
        objects[ANSI_VAR_FONT] = stock_font_object(13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
        objects[SYSTEM_FONT] = stock_font_object(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System");
        objects[DEVICE_DEFAULT_FONT] = stock_font_object(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System");
        objects[SYSTEM_FIXED_FONT] = stock_font_object(15, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys");
        objects[DEFAULT_GUI_FONT] = stock_font_object(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg");
        default_bitmap = make_stock(gdi_new_bitmap(1, 1, 1));
    }
};

Stock &stock() {
    static Stock s;
    return s;
}

// An object's count of the DCs that hold it, which keeps DeleteObject off it.
void mark_selected(GdiObject *obj) { ++obj->selected; }
void mark_deselected(GdiObject *obj) {
    if (obj && obj->selected > 0) --obj->selected;
}

// The attribute calls of a DC: Set* stores the value and returns the previous
// one, Get* returns it; both return `fail` when hdc is not a live DC.
template <class T>
T set_attribute(HDC hdc, T Dc::*field, std::type_identity_t<T> value, std::type_identity_t<T> fail) {
    Dc *dc = gdi_dc(hdc);
    if (!dc) return fail;
    const T prev = dc->*field;
    dc->*field = value;
    return prev;
}
template <class T>
T get_attribute(HDC hdc, T Dc::*field, std::type_identity_t<T> fail) {
    const Dc *dc = gdi_dc(hdc);
    return dc ? dc->*field : fail;
}
// Colours are stored without the high byte, as GDI keeps them.
COLORREF set_color(HDC hdc, COLORREF Dc::*field, COLORREF c) {
    return set_attribute(hdc, field, c & 0x00FFFFFFu, CLR_INVALID);
}
bool is_bk_mode(int mode) { return mode == TRANSPARENT || mode == OPAQUE; }

void dc_defaults(Dc *dc) {
    Stock &s = stock();
    dc->pen = static_cast<Pen *>(s.objects[BLACK_PEN]);
    dc->brush = static_cast<Brush *>(s.objects[WHITE_BRUSH]);
    dc->font = static_cast<Font *>(s.objects[SYSTEM_FONT]);
    mark_selected(dc->pen);
    mark_selected(dc->brush);
    mark_selected(dc->font);
}

}  // namespace

HGDIOBJ gdi_register(GdiObject *obj) {
    registry().insert(obj);
    return obj;
}

// Any live object, whatever its type: for the calls that take every kind.
static GdiObject *gdi_lookup(HGDIOBJ h) {
    if (!h) return nullptr;
    auto *obj = static_cast<GdiObject *>(h);
    return registry().contains(obj) ? obj : nullptr;
}
Brush *gdi_brush(HGDIOBJ h) { return lookup_as<Brush>(h, GdiType::Brush); }
Font *gdi_font(HGDIOBJ h) { return lookup_as<Font>(h, GdiType::Font); }
Bitmap *gdi_bitmap(HGDIOBJ h) { return lookup_as<Bitmap>(h, GdiType::Bitmap); }
Dc *gdi_dc(HDC h) { return lookup_as<Dc>(h, GdiType::Dc); }

size_t gdi_live_count() {
    size_t n = 0;
    registry().for_each([&n](void *o) {
        if (!static_cast<GdiObject *>(o)->stock) ++n;
    });
    return n;
}

Font *gdi_stock_font(int id) {
    if (id < OEM_FIXED_FONT || id > DEFAULT_GUI_FONT || id == DEFAULT_PALETTE) return nullptr;
    return static_cast<Font *>(stock().objects[id]);
}

Bitmap *gdi_new_bitmap(int width, int height, int bpp) {
    auto *bm = new Bitmap;
    bm->width = width;
    bm->height = height;
    bm->bpp = bpp;
    // Fresh bitmaps are black, like uninitialised device memory that Windows zeroes.
    bm->pixels.reset(width, height, 0u);
    return bm;
}

Dc *gdi_new_window_dc(HWND hwnd) {
    auto *dc = new Dc;
    dc->kind = DcKind::Window;
    dc->hwnd = hwnd;
    dc_defaults(dc);
    gdi_register(dc);
    return dc;
}

bool gdi_delete_dc(Dc *dc) {
    if (!dc) return false;
    mark_deselected(dc->pen);
    mark_deselected(dc->brush);
    mark_deselected(dc->font);
    if (dc->bitmap) {
        mark_deselected(dc->bitmap);
        dc->bitmap->dc = nullptr;
    }
    registry().erase(dc);
    delete dc;
    return true;
}

}  // namespace standin

using namespace standin;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int i) {
    if (i < 0 || i > DEFAULT_GUI_FONT) return nullptr;
    return stock().objects[static_cast<size_t>(i)];
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) return nullptr;
    auto *p = new Pen;
    p->style = iStyle;
    // Styled pens wider than one pixel are created solid, as on Windows.
    if (cWidth > 1 && iStyle >= PS_DASH && iStyle <= PS_DASHDOTDOT) p->style = PS_SOLID;
    p->width = cWidth < 0 ? 0 : cWidth;
    p->color = color & 0x00FFFFFFu;
    return static_cast<HPEN>(gdi_register(p));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    auto *b = new Brush;
    b->color = color & 0x00FFFFFFu;
    return static_cast<HBRUSH>(gdi_register(b));
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !gdi_dc(hdc)) return nullptr;
    auto *dc = new Dc;
    dc->kind = DcKind::Memory;
    dc_defaults(dc);
    dc->bitmap = stock().default_bitmap;
    mark_selected(dc->bitmap);
    return static_cast<HDC>(gdi_register(dc));
}

BOOL WINAPI DeleteDC(HDC hdc) { return gdi_delete_dc(gdi_dc(hdc)) ? TRUE : FALSE; }

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    Dc *dc = gdi_dc(hdc);
    if (!dc || cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A window DC is colour; a memory DC gives the format of its selected bitmap.
    int bpp = dc->kind == DcKind::Window ? 32 : (dc->bitmap ? dc->bitmap->bpp : 1);
    if (cx == 0 || cy == 0) {
        cx = cy = 1;
        bpp = 1;
    }
    if (int64_t{cx} * cy > kMaxBitmapPixels) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Bitmap *bm = gdi_new_bitmap(cx, cy, bpp);
    return static_cast<HBITMAP>(gdi_register(bm));
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    Dc *dc = gdi_dc(hdc);
    GdiObject *obj = gdi_lookup(h);
    if (!dc || !obj) return nullptr;
    GdiObject *prev = nullptr;
    switch (obj->type) {
        case GdiType::Pen:
            prev = dc->pen;
            dc->pen = static_cast<Pen *>(obj);
            break;
        case GdiType::Brush:
            prev = dc->brush;
            dc->brush = static_cast<Brush *>(obj);
            break;
        case GdiType::Font:
            prev = dc->font;
            dc->font = static_cast<Font *>(obj);
            break;
        case GdiType::Bitmap: {
            auto *bm = static_cast<Bitmap *>(obj);
            if (dc->kind != DcKind::Memory) return nullptr;
            if (bm->dc && bm->dc != dc) return nullptr;  // one memory DC at a time
            if (dc->bitmap == bm) return bm;
            prev = dc->bitmap;
            if (dc->bitmap) dc->bitmap->dc = nullptr;
            dc->bitmap = bm;
            if (!bm->stock) bm->dc = dc;
            break;
        }
        case GdiType::Dc:
            return nullptr;
    }
    if (prev == obj) return prev;
    mark_deselected(prev);
    mark_selected(obj);
    return prev;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    GdiObject *obj = gdi_lookup(ho);
    if (!obj || obj->type == GdiType::Dc) return FALSE;
    if (obj->stock) return TRUE;
    if (obj->selected > 0) return FALSE;
    registry().erase(obj);
    delete obj;
    return TRUE;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    Dc *dc = gdi_dc(hdc);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_PEN: return dc->pen;
        case OBJ_BRUSH: return dc->brush;
        case OBJ_FONT: return dc->font;
        case OBJ_BITMAP: return dc->bitmap;
        default: return nullptr;
    }
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    Bitmap *bm = gdi_bitmap(h);
    if (!bm) return 0;
    if (!pv) return sizeof(BITMAP);
    if (c < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP info{};
    info.bmWidth = bm->width;
    info.bmHeight = bm->height;
    info.bmWidthBytes = bm->bpp == 1 ? ((bm->width + 15) / 16) * 2 : bm->width * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(bm->bpp);
    *static_cast<BITMAP *>(pv) = info;
    return sizeof(BITMAP);
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) { return set_color(hdc, &Dc::text_color, color); }
COLORREF WINAPI GetTextColor(HDC hdc) { return get_attribute(hdc, &Dc::text_color, CLR_INVALID); }
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) { return set_color(hdc, &Dc::bk_color, color); }
COLORREF WINAPI GetBkColor(HDC hdc) { return get_attribute(hdc, &Dc::bk_color, CLR_INVALID); }
int WINAPI SetBkMode(HDC hdc, int mode) { return is_bk_mode(mode) ? set_attribute(hdc, &Dc::bk_mode, mode, 0) : 0; }
int WINAPI GetBkMode(HDC hdc) { return get_attribute(hdc, &Dc::bk_mode, 0); }

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                         DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName) {
    (void)cEscapement;
    (void)cOrientation;
    (void)bUnderline;
    (void)bStrikeOut;
    (void)iOutPrecision;
    (void)iClipPrecision;
    (void)iQuality;
    auto *f = new Font;
    f->height = cHeight;
    f->width = cWidth;
    f->weight = cWeight;
    f->italic = bItalic != 0;
    f->charset = static_cast<int>(iCharSet);
    f->pitch_family = static_cast<int>(iPitchAndFamily);
    f->set_face(pszFaceName);
    return static_cast<HFONT>(gdi_register(f));
}

}  // extern "C"
