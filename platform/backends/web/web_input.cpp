// Input records from the page (its take_record import) as the core's InputEvents: keys
// through the US key table with the character the page's layout typed, the
// NumLock state that a keypad digit proves (browsers often cannot read the
// lock), text without a key, buttons, motion, activation and the close box.
#include "backends/web/web_internal.h"

#include <windows.h>

namespace standin {

namespace {

bool keypad_digit(int vk) { return (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) || vk == VK_DECIMAL; }

// A Unicode scalar value: what a record may carry as a character.
bool code_point(int32_t c) { return c > 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// The page's typed field as the core takes it; anything else than a
// character or "nothing" leaves the choice to the US table.
int32_t typed_field(int32_t typed) {
    return typed == InputEvent::kTypedNothing || code_point(typed) ? typed : InputEvent::kTypedByTable;
}

bool translate_key(const int32_t *r, bool down, InputEvent *e) {
    const WebKey k = web_key(r[kWebKeyCode], r[kWebLocation]);
    if (k.vk == 0) return false;
    e->kind = down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
    e->vk = k.vk;
    e->scan = k.scan;
    e->extended = k.extended;
    e->repeat = down && r[kWebRepeat] != 0;
    // The keypad's digits are the same on every layout, and the game's.
    if (keypad_digit(k.vk))
        e->mods |= kKeyNumLock;
    else if (down)
        e->typed = typed_field(r[kWebTyped]);
    return true;
}

}  // namespace

bool web_translate(const int32_t *r, InputEvent *e) {
    *e = InputEvent{};
    e->host = static_cast<HostId>(r[kWebHost]);
    e->mods = static_cast<unsigned>(r[kWebMods]) &
              (kKeyShift | kKeyControl | kKeyAlt | kKeyCapsLock | kKeyNumLock);
    e->x = r[kWebX];
    e->y = r[kWebY];
    switch (r[kWebKind]) {
        case kWebKeyDown: return translate_key(r, true, e);
        case kWebKeyUp: return translate_key(r, false, e);
        case kWebButtonDown:
        case kWebButtonUp:
            if (r[kWebButton] < 1 || r[kWebButton] > 3) return false;
            e->kind = r[kWebKind] == kWebButtonDown ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
            e->button = r[kWebButton];
            return true;
        case kWebMotion: e->kind = InputEvent::Kind::Motion; return true;
        case kWebFocusIn: e->kind = InputEvent::Kind::FocusIn; return e->host != 0;
        case kWebCloseRequest: e->kind = InputEvent::Kind::CloseRequest; return e->host != 0;
        case kWebText:
            e->kind = InputEvent::Kind::Text;
            e->typed = r[kWebTyped];
            return code_point(e->typed);
        default: return false;
    }
}

}  // namespace standin
