// The Windows-1252 table: 0x00-0x7F are ASCII, 0xA0-0xFF are Latin-1, and
// only 0x80-0x9F need a table.
#include "text/cp1252.h"

namespace standin {

namespace {
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};
}  // namespace

char32_t cp1252_to_unicode(uint8_t b) {
    if (b >= 0x80 && b < 0xA0) return kHigh[b - 0x80];
    return b;
}

int cp1252_from_unicode(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    if (c == 0) return -1;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}

}  // namespace standin
