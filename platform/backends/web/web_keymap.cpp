// Browser keys to Win32 keys of a US keyboard. KeyboardEvent.keyCode already
// follows the Windows virtual-key numbering (it came from there), except a
// few punctuation codes of other engines; the location tells the keypad and
// the right-hand modifiers apart, which decide scan codes and extended flags.
#include "backends/web/web_internal.h"

#include <windows.h>

namespace standin {

namespace {

constexpr int kLocationRight = 2;
constexpr int kLocationNumpad = 3;

// Keys our windows.h subset does not name.
constexpr int kVkLWin = 0x5B;
constexpr int kVkRWin = 0x5C;
constexpr int kVkApps = 0x5D;
constexpr int kVkOem102 = 0xE2;

struct Entry {
    int vk;
    int scan;
    bool extended;  // on the main block; the keypad's twins of these keys are not
};

// Scan codes of the keys that are not letters, digits or function keys.
constexpr Entry kTable[] = {
    {VK_BACK, 0x0E, false},      {VK_TAB, 0x0F, false},       {VK_CLEAR, 0x4C, false},
    {VK_RETURN, 0x1C, false},    {VK_SHIFT, 0x2A, false},     {VK_CONTROL, 0x1D, false},
    {VK_MENU, 0x38, false},      {VK_PAUSE, 0x45, false},     {VK_CAPITAL, 0x3A, false},
    {VK_ESCAPE, 0x01, false},    {VK_SPACE, 0x39, false},     {VK_PRIOR, 0x49, true},
    {VK_NEXT, 0x51, true},       {VK_END, 0x4F, true},        {VK_HOME, 0x47, true},
    {VK_LEFT, 0x4B, true},       {VK_UP, 0x48, true},         {VK_RIGHT, 0x4D, true},
    {VK_DOWN, 0x50, true},       {VK_SNAPSHOT, 0x37, true},   {VK_INSERT, 0x52, true},
    {VK_DELETE, 0x53, true},     {kVkLWin, 0x5B, true},       {kVkRWin, 0x5C, true},
    {kVkApps, 0x5D, true},       {VK_NUMPAD0, 0x52, false},   {VK_NUMPAD1, 0x4F, false},
    {VK_NUMPAD2, 0x50, false},   {VK_NUMPAD3, 0x51, false},   {VK_NUMPAD4, 0x4B, false},
    {VK_NUMPAD5, 0x4C, false},   {VK_NUMPAD6, 0x4D, false},   {VK_NUMPAD7, 0x47, false},
    {VK_NUMPAD8, 0x48, false},   {VK_NUMPAD9, 0x49, false},   {VK_MULTIPLY, 0x37, false},
    {VK_ADD, 0x4E, false},       {VK_SUBTRACT, 0x4A, false},  {VK_DECIMAL, 0x53, false},
    {VK_DIVIDE, 0x35, true},     {VK_NUMLOCK, 0x45, true},    {VK_SCROLL, 0x46, false},
    {VK_OEM_1, 0x27, false},     {VK_OEM_PLUS, 0x0D, false},  {VK_OEM_COMMA, 0x33, false},
    {VK_OEM_MINUS, 0x0C, false}, {VK_OEM_PERIOD, 0x34, false}, {VK_OEM_2, 0x35, false},
    {VK_OEM_3, 0x29, false},     {VK_OEM_4, 0x1A, false},     {VK_OEM_5, 0x2B, false},
    {VK_OEM_6, 0x1B, false},     {VK_OEM_7, 0x28, false},     {kVkOem102, 0x56, false},
};

// Letter scan codes in A..Z order.
constexpr int kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                  0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

// Codes other engines give some US punctuation keys.
int windows_code(int key_code) {
    switch (key_code) {
        case 59: return VK_OEM_1;       // ;
        case 61: return VK_OEM_PLUS;    // =
        case 173: return VK_OEM_MINUS;  // -
        default: return key_code;
    }
}

}  // namespace

WebKey web_key(int key_code, int location) {
    WebKey k;
    const int vk = windows_code(key_code);
    if (vk >= 'A' && vk <= 'Z') {
        k.vk = vk;
        k.scan = kLetterScans[vk - 'A'];
    } else if (vk >= '1' && vk <= '9') {
        k.vk = vk;
        k.scan = 0x02 + (vk - '1');
    } else if (vk == '0') {
        k.vk = vk;
        k.scan = 0x0B;
    } else if (vk >= VK_F1 && vk <= VK_F10) {
        k.vk = vk;
        k.scan = 0x3B + (vk - VK_F1);
    } else if (vk == VK_F11 || vk == VK_F12) {
        k.vk = vk;
        k.scan = vk == VK_F11 ? 0x57 : 0x58;
    } else {
        for (const Entry &e : kTable) {
            if (e.vk != vk) continue;
            k.vk = vk;
            k.scan = e.scan;
            // The keypad's navigation keys (NumLock off) are the unextended twins.
            k.extended = e.extended && location != kLocationNumpad;
            break;
        }
    }
    if (k.vk == 0) return k;
    // Keys that exist twice: the right-hand modifiers and the keypad's Enter.
    if (location == kLocationRight && (vk == VK_CONTROL || vk == VK_MENU)) k.extended = true;
    if (location == kLocationRight && vk == VK_SHIFT) k.scan = 0x36;
    if (location == kLocationNumpad && vk == VK_RETURN) k.extended = true;
    return k;
}

}  // namespace standin
