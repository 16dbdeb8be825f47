// Keysyms to Unicode: Latin-1 keysyms are their own code points, keysyms
// from 0x01000000 carry one, and the older Latin-2 and publishing keysyms
// that layouts still use come from a table (the Windows-1252 characters
// among them first of all). UTF-8 decoding for the input method's text.
#include "backends/x11/x11_text.h"

#include <X11/keysym.h>

#include <cstdint>

namespace standin {
namespace {

struct SymChar {
    unsigned short sym;
    unsigned short ch;
};

// clang-format off
constexpr SymChar kLegacy[] = {
    {0x01A1, 0x0104}, {0x01A2, 0x02D8}, {0x01A3, 0x0141}, {0x01A5, 0x013D}, {0x01A6, 0x015A}, {0x01A9, 0x0160},
    {0x01AA, 0x015E}, {0x01AB, 0x0164}, {0x01AC, 0x0179}, {0x01AE, 0x017D}, {0x01AF, 0x017B}, {0x01B1, 0x0105},
    {0x01B2, 0x02DB}, {0x01B3, 0x0142}, {0x01B5, 0x013E}, {0x01B6, 0x015B}, {0x01B7, 0x02C7}, {0x01B9, 0x0161},
    {0x01BA, 0x015F}, {0x01BB, 0x0165}, {0x01BC, 0x017A}, {0x01BD, 0x02DD}, {0x01BE, 0x017E}, {0x01BF, 0x017C},
    {0x01C0, 0x0154}, {0x01C3, 0x0102}, {0x01C5, 0x0139}, {0x01C6, 0x0106}, {0x01C8, 0x010C}, {0x01CA, 0x0118},
    {0x01CC, 0x011A}, {0x01CF, 0x010E}, {0x01D0, 0x0110}, {0x01D1, 0x0143}, {0x01D2, 0x0147}, {0x01D5, 0x0150},
    {0x01D8, 0x0158}, {0x01D9, 0x016E}, {0x01DB, 0x0170}, {0x01DE, 0x0162}, {0x01E0, 0x0155}, {0x01E3, 0x0103},
    {0x01E5, 0x013A}, {0x01E6, 0x0107}, {0x01E8, 0x010D}, {0x01EA, 0x0119}, {0x01EC, 0x011B}, {0x01EF, 0x010F},
    {0x01F0, 0x0111}, {0x01F1, 0x0144}, {0x01F2, 0x0148}, {0x01F5, 0x0151}, {0x01F8, 0x0159}, {0x01F9, 0x016F},
    {0x01FB, 0x0171}, {0x01FE, 0x0163}, {0x01FF, 0x02D9}, {0x0AA9, 0x2014}, {0x0AAA, 0x2013}, {0x0AAE, 0x2026},
    {0x0AC9, 0x2122}, {0x0AD0, 0x2018}, {0x0AD1, 0x2019}, {0x0AD2, 0x201C}, {0x0AD3, 0x201D}, {0x0AD5, 0x2030},
    {0x0AE6, 0x2022}, {0x0AF1, 0x2020}, {0x0AF2, 0x2021}, {0x0AFD, 0x201A}, {0x0AFE, 0x201E}, {0x13BC, 0x0152},
    {0x13BD, 0x0153}, {0x13BE, 0x0178},
};
// clang-format on

constexpr unsigned long kUnicodeKeysyms = 0x01000000;
constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

char32_t x11_keysym_to_unicode(unsigned long keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) return static_cast<char32_t>(keysym);
    if (keysym >= kUnicodeKeysyms && keysym <= kUnicodeKeysyms + 0x10FFFF) {
        const auto c = static_cast<char32_t>(keysym - kUnicodeKeysyms);
        return c < 0x20 || (c >= 0x7F && c < 0xA0) ? 0 : c;  // control codes type nothing here
    }
    if (keysym == XK_EuroSign) return 0x20AC;
    for (const SymChar &e : kLegacy)
        if (e.sym == keysym) return e.ch;
    return 0;
}

bool x11_is_dead_keysym(unsigned long keysym) {
    return keysym >= XK_dead_grave && keysym <= XK_dead_longsolidusoverlay;
}

char32_t x11_dead_key_spacing(unsigned long keysym) {
    switch (keysym) {
        case XK_dead_grave: return U'`';
        case XK_dead_acute: return 0xB4;
        case XK_dead_circumflex: return U'^';
        case XK_dead_tilde: return U'~';
        case XK_dead_macron: return 0xAF;
        case XK_dead_breve: return 0x2D8;
        case XK_dead_abovedot: return 0x2D9;
        case XK_dead_diaeresis: return 0xA8;
        case XK_dead_abovering: return 0x2DA;
        case XK_dead_doubleacute: return 0x2DD;
        case XK_dead_caron: return 0x2C7;
        case XK_dead_cedilla: return 0xB8;
        case XK_dead_ogonek: return 0x2DB;
        default: return 0;
    }
}

std::u32string x11_utf8_to_code_points(const char *text, int length) {
    std::u32string out;
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    int i = 0;
    while (i < length) {
        const unsigned char b = p[i++];
        int more = 0;
        char32_t c = b;
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1, c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2, c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3, c = b & 0x07;
        } else if (b >= 0x80) {
            out += kReplacement;  // a stray continuation byte, or a lead byte no code point has
            continue;
        }
        int taken = 0;
        while (taken < more && i < length && (p[i] & 0xC0) == 0x80) c = (c << 6) | (p[i++] & 0x3F), ++taken;
        // Cut short, overlong, a surrogate or beyond U+10FFFF: one replacement.
        const char32_t least = more == 2 ? 0x800 : more == 3 ? 0x10000 : 0;
        if (taken < more || c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
        out += c;
    }
    return out;
}

}  // namespace standin
