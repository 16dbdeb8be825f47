// GDI objects of the stand-in: pens, brushes, fonts, bitmaps and device
// contexts. A handle is the object's address; every call validates it against
// the live-object registry before use, so stale or foreign handles fail
// cleanly instead of crashing.
#pragma once

#include <windows.h>

#include "gdi/bitmap_pixels.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

enum class GdiType : uint8_t { Pen = 1, Brush, Font, Bitmap, Dc };

struct GdiObject {
    explicit GdiObject(GdiType t) : type(t) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject &) = delete;
    GdiObject &operator=(const GdiObject &) = delete;

    GdiType type;
    bool stock = false;  // stock objects are never deleted
    int selected = 0;    // number of DCs that hold this object selected
};

struct Pen final : GdiObject {
    Pen() : GdiObject(GdiType::Pen) {}
    int style = PS_SOLID;
    int width = 0;  // 0 draws one pixel wide
    COLORREF color = 0;
};

struct Brush final : GdiObject {
    Brush() : GdiObject(GdiType::Brush) {}
    bool hollow = false;  // NULL_BRUSH: fills nothing
    COLORREF color = 0;
};

struct FontInstance;  // a face resolved at a pixel size; owned by the font cache

struct Font final : GdiObject {
    Font() : GdiObject(GdiType::Font) {}
    int height = 0;  // as CreateFontA: <0 character height, >0 cell height, 0 default
    int width = 0;
    int weight = FW_NORMAL;
    bool italic = false;
    int charset = ANSI_CHARSET;
    int pitch_family = DEFAULT_PITCH;  // low bits pitch, high bits family
    // The face name, at most LF_FACESIZE - 1 characters, NUL-terminated: in
    // the object itself, as fonts are created and deleted around every text
    // drawn and a string of the browser build's C++ library costs calls.
    char face[LF_FACESIZE] = {};
    std::string_view face_name() const { return std::string_view(face); }
    void set_face(const char *name) {
        const size_t n = name ? strnlen(name, LF_FACESIZE - 1) : 0;
        std::memcpy(face, name ? name : "", n);
        face[n] = '\0';
    }
    FontInstance *instance = nullptr;  // resolved on first use (font cache)
};

struct Dc;

struct Bitmap final : GdiObject {
    Bitmap() : GdiObject(GdiType::Bitmap) {}
    int width = 1;
    int height = 1;
    int bpp = 1;                   // 1 (monochrome) or 32
    BitmapPixels pixels;           // 0x00RRGGBB; monochrome holds only black or white
    Dc *dc = nullptr;              // memory DC it is selected into, if any
};

enum class DcKind : uint8_t { Memory, Window };

struct Dc final : GdiObject {
    Dc() : GdiObject(GdiType::Dc) {}
    DcKind kind = DcKind::Memory;
    HWND hwnd = nullptr;        // window DCs: the window whose client area is drawn
    Bitmap *bitmap = nullptr;   // memory DCs: the selected bitmap
    Pen *pen = nullptr;
    Brush *brush = nullptr;
    Font *font = nullptr;
    COLORREF text_color = RGB(0, 0, 0);
    COLORREF bk_color = RGB(255, 255, 255);
    int bk_mode = OPAQUE;
    POINT pos{0, 0};            // current position for LineTo
    bool has_clip = false;      // BeginPaint limits drawing to the update rectangle
    RECT clip{0, 0, 0, 0};      // device coordinates
};

// Registry lookups: nullptr when the handle is not a live object of that type.
Brush *gdi_brush(HGDIOBJ h);
Font *gdi_font(HGDIOBJ h);
Bitmap *gdi_bitmap(HGDIOBJ h);
Dc *gdi_dc(HDC h);

// Registers a new object and returns its handle.
HGDIOBJ gdi_register(GdiObject *obj);

// Makes a colour bitmap of the given size (used for window surfaces and tests).
Bitmap *gdi_new_bitmap(int width, int height, int bpp);

// A window DC for `hwnd` (used by GetDC and BeginPaint in the windowing code).
Dc *gdi_new_window_dc(HWND hwnd);
// Releases a DC made by gdi_new_window_dc or CreateCompatibleDC.
bool gdi_delete_dc(Dc *dc);

// Number of live non-stock objects, for leak checks in tests.
size_t gdi_live_count();

// Stock fonts in their logical form, shared with the font code.
Font *gdi_stock_font(int id);

}  // namespace standin
