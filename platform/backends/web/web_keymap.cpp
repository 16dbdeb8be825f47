// Browser keys to Win32 keys of a US keyboard. KeyboardEvent.keyCode already
// follows the Windows virtual-key numbering (it came from there), except a
// few punctuation codes of other engines; the location tells the keypad and
// the right-hand modifiers apart. Scan codes and extended flags come from the
// US keyboard table.
#include "backends/web/web_internal.h"

#include "kernel/us_keyboard.h"

#include <windows.h>

namespace standin {

namespace {

constexpr int kLocationRight = 2;
constexpr int kLocationNumpad = 3;

// Codes other engines give some US punctuation keys.
int windows_code(int key_code) {
    switch (key_code) {
        case 59: return VK_OEM_1;       // ;
        case 61: return VK_OEM_PLUS;    // =
        case 173: return VK_OEM_MINUS;  // -
        default: return key_code;
    }
}

// keyCode names the generic modifier; the location says which side.
int right_hand(int vk) {
    switch (vk) {
        case VK_SHIFT: return VK_RSHIFT;
        case VK_CONTROL: return VK_RCONTROL;
        case VK_MENU: return VK_RMENU;
        default: return vk;
    }
}

}  // namespace

WebKey web_key(int key_code, int location) {
    const int vk = windows_code(key_code);
    UsKey us;
    if (location == kLocationNumpad) us = us_keypad_key(vk);
    if (us.vk == 0) us = us_key(location == kLocationRight ? right_hand(vk) : vk);
    if (us.vk == 0) return WebKey{};
    return WebKey{vk, us.scan, us.extended};
}

}  // namespace standin
