// The US keyboard that the headless backend pretends to have: which key types
// an ASCII character, and the set-1 scan code of each virtual key, so injected
// keys carry the lParam bits a real keyboard would give.
#include "backends/headless/headless_internal.h"

#include <cstring>

namespace standin {

namespace {

struct Punct {
    char c;
    int vk;
    bool shift;
};

constexpr Punct kPunct[] = {
    {' ', VK_SPACE, false},      {'\n', VK_RETURN, false},    {'\r', VK_RETURN, false},
    {'\t', VK_TAB, false},       {'\b', VK_BACK, false},      {'\x1b', VK_ESCAPE, false},
    {';', VK_OEM_1, false},      {':', VK_OEM_1, true},       {'=', VK_OEM_PLUS, false},
    {'+', VK_OEM_PLUS, true},    {',', VK_OEM_COMMA, false},  {'<', VK_OEM_COMMA, true},
    {'-', VK_OEM_MINUS, false},  {'_', VK_OEM_MINUS, true},   {'.', VK_OEM_PERIOD, false},
    {'>', VK_OEM_PERIOD, true},  {'/', VK_OEM_2, false},      {'?', VK_OEM_2, true},
    {'`', VK_OEM_3, false},      {'~', VK_OEM_3, true},       {'[', VK_OEM_4, false},
    {'{', VK_OEM_4, true},       {'\\', VK_OEM_5, false},     {'|', VK_OEM_5, true},
    {']', VK_OEM_6, false},      {'}', VK_OEM_6, true},       {'\'', VK_OEM_7, false},
    {'"', VK_OEM_7, true},
};

struct Scan {
    int vk;
    int scan;
    bool extended;
};

constexpr Scan kScans[] = {
    {VK_ESCAPE, 0x01, false},   {VK_OEM_MINUS, 0x0C, false}, {VK_OEM_PLUS, 0x0D, false}, {VK_BACK, 0x0E, false},
    {VK_TAB, 0x0F, false},      {VK_OEM_4, 0x1A, false},     {VK_OEM_6, 0x1B, false},    {VK_RETURN, 0x1C, false},
    {VK_CONTROL, 0x1D, false},  {VK_LCONTROL, 0x1D, false},  {VK_RCONTROL, 0x1D, true},  {VK_OEM_1, 0x27, false},
    {VK_OEM_7, 0x28, false},    {VK_OEM_3, 0x29, false},     {VK_SHIFT, 0x2A, false},    {VK_LSHIFT, 0x2A, false},
    {VK_OEM_5, 0x2B, false},    {VK_OEM_COMMA, 0x33, false}, {VK_OEM_PERIOD, 0x34, false}, {VK_OEM_2, 0x35, false},
    {VK_RSHIFT, 0x36, false},   {VK_MULTIPLY, 0x37, false},  {VK_MENU, 0x38, false},     {VK_LMENU, 0x38, false},
    {VK_RMENU, 0x38, true},     {VK_SPACE, 0x39, false},     {VK_CAPITAL, 0x3A, false},  {VK_NUMLOCK, 0x45, false},
    {VK_SCROLL, 0x46, false},   {VK_NUMPAD7, 0x47, false},   {VK_NUMPAD8, 0x48, false},  {VK_NUMPAD9, 0x49, false},
    {VK_SUBTRACT, 0x4A, false}, {VK_NUMPAD4, 0x4B, false},   {VK_NUMPAD5, 0x4C, false},  {VK_CLEAR, 0x4C, false},
    {VK_NUMPAD6, 0x4D, false},  {VK_ADD, 0x4E, false},       {VK_NUMPAD1, 0x4F, false},  {VK_NUMPAD2, 0x50, false},
    {VK_NUMPAD3, 0x51, false},  {VK_NUMPAD0, 0x52, false},   {VK_DECIMAL, 0x53, false},  {VK_F11, 0x57, false},
    {VK_F12, 0x58, false},      {VK_DIVIDE, 0x35, true},     {VK_HOME, 0x47, true},      {VK_UP, 0x48, true},
    {VK_PRIOR, 0x49, true},     {VK_LEFT, 0x4B, true},       {VK_RIGHT, 0x4D, true},     {VK_END, 0x4F, true},
    {VK_DOWN, 0x50, true},      {VK_NEXT, 0x51, true},       {VK_INSERT, 0x52, true},    {VK_DELETE, 0x53, true},
};

// Letter scan codes in A..Z order.
constexpr int kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                  0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

}  // namespace

bool us_key_for_char(char c, int *vk, bool *shift) {
    if (c >= 'a' && c <= 'z') {
        *vk = c - 'a' + 'A';
        *shift = false;
        return true;
    }
    if (c >= 'A' && c <= 'Z') {
        *vk = c;
        *shift = true;
        return true;
    }
    if (c >= '0' && c <= '9') {
        *vk = c;
        *shift = false;
        return true;
    }
    if (const char *p = c ? std::strchr(")!@#$%^&*(", c) : nullptr) {
        *vk = '0' + static_cast<int>(p - ")!@#$%^&*(");
        *shift = true;
        return true;
    }
    for (const Punct &p : kPunct) {
        if (p.c == c) {
            *vk = p.vk;
            *shift = p.shift;
            return true;
        }
    }
    return false;
}

void us_scan_code(int vk, int *scan, bool *extended) {
    *scan = 0;
    *extended = false;
    if (vk >= 'A' && vk <= 'Z') {
        *scan = kLetterScans[vk - 'A'];
        return;
    }
    if (vk >= '1' && vk <= '9') {
        *scan = 0x02 + (vk - '1');
        return;
    }
    if (vk == '0') {
        *scan = 0x0B;
        return;
    }
    if (vk >= VK_F1 && vk <= VK_F10) {
        *scan = 0x3B + (vk - VK_F1);
        return;
    }
    for (const Scan &s : kScans) {
        if (s.vk == vk) {
            *scan = s.scan;
            *extended = s.extended;
            return;
        }
    }
}

}  // namespace standin
