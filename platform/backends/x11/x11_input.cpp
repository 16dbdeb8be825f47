// Turns X events into the core's InputEvents: keys (virtual-key codes of a US
// layout with the layout's letters, the character the layout typed,
// auto-repeat, lock state), the three mouse buttons, compressed motion, close
// requests, exposure, size and focus changes. Relies on Xlib, on x11_keymap
// for the key tables and on x11_im for the characters.
#include "backends/x11/x11_internal.h"
#include "backends/x11/x11_keymap.h"
#include "backends/x11/x11_text.h"

namespace standin {

namespace {

// Virtual keys of the two lock keys (windows.h is not mixed with Xlib here).
constexpr int kVkCapital = 0x14;
constexpr int kVkNumLock = 0x90;

unsigned mods_of(unsigned state) {
    const X11State &st = x11();
    unsigned mods = 0;
    if (state & ShiftMask) mods |= kKeyShift;
    if (state & ControlMask) mods |= kKeyControl;
    if (state & Mod1Mask) mods |= kKeyAlt;
    if (state & LockMask) mods |= kKeyCapsLock;
    if (st.numlock_mask != 0 && (state & st.numlock_mask) != 0) mods |= kKeyNumLock;
    return mods;
}

// The unshifted symbol names the key; keypad keys need the symbol the
// NumLock and Shift state select (KP_1 or KP_End).
KeyTranslation translate(XKeyEvent &key) {
    KeySym sym = XLookupKeysym(&key, 0);
    if (x11_is_keypad_keysym(sym)) {
        char text[16];
        KeySym chosen = NoSymbol;
        XLookupString(&key, text, sizeof text, &chosen, nullptr);
        if (chosen != NoSymbol) sym = chosen;
    }
    return x11_translate_key(sym, key.keycode);
}

// Without detectable auto-repeat the server sends release + press with the
// same timestamp for every repeat; the release is dropped so the press counts
// as a repeat.
bool is_repeat_release(X11State &st, const XKeyEvent &key) {
    if (st.detectable_repeat || XEventsQueued(st.display, QueuedAfterReading) == 0) return false;
    XEvent next;
    XPeekEvent(st.display, &next);
    return next.type == KeyPress && next.xkey.window == key.window && next.xkey.keycode == key.keycode &&
           next.xkey.time == key.time;
}

// InputEvent::typed for a press, from what the layout typed: keypad keys and
// Ctrl combinations are the US table's, so keypad digits stay digits and
// Ctrl+letter stays a command whatever the layout; so are the keys whose
// character is a control code (Return, Tab, BackSpace, Escape, Delete) and
// the keys that type nothing but are no dead key (arrows, function keys).
int32_t typed_of(XKeyEvent &key, const std::u32string &text, unsigned long keysym, bool held_back) {
    if (x11_is_keypad_keysym(XLookupKeysym(&key, 0)) || (key.state & ControlMask) != 0)
        return InputEvent::kTypedByTable;
    // A press the input method held back is a dead key or the start of a
    // compose sequence.
    if (text.empty())
        return held_back || x11_is_dead_keysym(keysym) ? InputEvent::kTypedNothing : InputEvent::kTypedByTable;
    if (text[0] < 0x20 || text[0] == 0x7F) return InputEvent::kTypedByTable;
    return static_cast<int32_t>(text[0]);
}

// The input method completes a compose sequence by putting a KeyPress with
// keycode 0 in front of the queue; its text belongs to the key that finished it.
bool take_composed(X11State &st, const XKeyEvent &key, XEvent *composed) {
    if (XEventsQueued(st.display, QueuedAlready) == 0) return false;
    XEvent next;
    XPeekEvent(st.display, &next);
    if (next.type != KeyPress || next.xkey.keycode != 0 || next.xkey.window != key.window) return false;
    XNextEvent(st.display, composed);
    return true;
}

// A press the input method held back without a result. A dead key waits for
// the next key; a key that cannot take its accent ends the wait as Windows
// ends it, with the accent then the key's own character (^ then q: "^q").
// Any other held key is inside a Compose sequence and types nothing yet.
std::u32string held_back_text(X11State &st, XKeyEvent &key, unsigned long *keysym) {
    std::u32string own = x11_key_text(key, keysym);
    if (x11_is_dead_keysym(*keysym)) {
        st.dead_key = *keysym;
        return {};
    }
    const char32_t accent = x11_dead_key_spacing(st.dead_key);
    if (accent == 0 || own.empty()) return {};
    return accent + own;
}

void deliver_text(HostId host, const std::u32string &text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] < 0x20 || text[i] == 0x7F) continue;
        InputEvent e;
        e.kind = InputEvent::Kind::Text;
        e.host = host;
        e.typed = static_cast<int32_t>(text[i]);
        core_input(e);
    }
}

// `held_back`: XFilterEvent took the press (a dead key, a compose key, or the
// key that ends a sequence, whose text then follows as a keycode-0 press).
void deliver_key(X11State &st, XKeyEvent &key, bool press, bool held_back) {
    X11Host *host = x11_host_of_window(key.window);
    if (host == nullptr) return;
    if (press && key.keycode == 0) {
        // Text the input method sent on its own: no key to go with it.
        if (held_back) return;
        unsigned long keysym = NoSymbol;
        deliver_text(host->id, x11_lookup_text(*host, key, &keysym), 0);
        return;
    }
    if (!press && is_repeat_release(st, key)) return;
    const unsigned code = key.keycode & 0xFF;
    const bool was_down = st.keys_down.test(code);
    if (press)
        st.keys_down.set(code);
    else
        st.keys_down.reset(code);

    std::u32string text;
    unsigned long keysym = NoSymbol;
    if (press) {
        XEvent composed;
        if (!held_back)
            text = x11_lookup_text(*host, key, &keysym);
        else if (take_composed(st, key, &composed))
            text = x11_lookup_text(*host, composed.xkey, &keysym);
        else
            text = held_back_text(st, key, &keysym);
        if (!held_back || !text.empty()) st.dead_key = NoSymbol;
    }

    KeyTranslation k = translate(key);
    if (k.vk == 0) {
        // No Windows counterpart: only a character it typed reaches the core.
        if (press && (key.state & ControlMask) == 0) deliver_text(host->id, text, 0);
        return;
    }
    InputEvent e;
    e.kind = press ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
    e.host = host->id;
    e.vk = k.vk;
    e.scan = k.scan;
    e.extended = k.extended;
    e.repeat = press && was_down;
    e.mods = mods_of(key.state);
    if (press) e.typed = typed_of(key, text, keysym, held_back);

    // X reports the state before the key acts, and a lock switched off stays
    // on until its key is released; Windows toggles at the press. So the
    // press reports the new lock state, and its release repeats it.
    const unsigned lock = k.vk == kVkCapital ? unsigned{kKeyCapsLock} : k.vk == kVkNumLock ? unsigned{kKeyNumLock} : 0u;
    if (lock != 0) {
        if (press && !was_down) st.lock_mods_at_press[code] = (e.mods & lock) == 0 ? 1 : 0;
        if (press || was_down) e.mods = st.lock_mods_at_press[code] ? (e.mods | lock) : (e.mods & ~lock);
    }
    core_input(e);
    // A compose result of several characters: the rest after the key.
    if (e.typed > 0) deliver_text(host->id, text, 1);
}

void deliver_button(const XButtonEvent &button, bool press) {
    X11Host *host = x11_host_of_window(button.window);
    if (host == nullptr || button.button < Button1 || button.button > Button3) return;  // 4-7: wheel
    InputEvent e;
    e.kind = press ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
    e.host = host->id;
    e.button = static_cast<int>(button.button);
    e.x = button.x;
    e.y = button.y;
    e.mods = mods_of(button.state);
    core_input(e);
}

void deliver_motion(X11State &st, XEvent &event) {
    X11Host *host = x11_host_of_window(event.xmotion.window);
    if (host == nullptr) return;
    // Only the latest position of a run of motions matters.
    while (XEventsQueued(st.display, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(st.display, &next);
        if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
        XNextEvent(st.display, &event);
    }
    InputEvent e;
    e.kind = InputEvent::Kind::Motion;
    e.host = host->id;
    e.x = event.xmotion.x;
    e.y = event.xmotion.y;
    e.mods = mods_of(event.xmotion.state);
    core_input(e);
}

void deliver_simple(Window window, InputEvent::Kind kind) {
    X11Host *host = x11_host_of_window(window);
    if (host == nullptr) return;
    InputEvent e;
    e.kind = kind;
    e.host = host->id;
    core_input(e);
}

void deliver_expose(const XExposeEvent &expose) {
    X11Host *host = x11_host_of_window(expose.window);
    if (host == nullptr) return;
    InputEvent e;
    e.kind = kKindExpose;
    e.host = host->id;
    e.x = expose.x;
    e.y = expose.y;
    e.width = expose.width;
    e.height = expose.height;
    core_input(e);
}

void deliver_configure(const XConfigureEvent &configure) {
    X11Host *host = x11_host_of_window(configure.window);
    if (host == nullptr || (configure.width == host->width && configure.height == host->height)) return;
    host->width = configure.width;
    host->height = configure.height;
    InputEvent e;
    e.kind = InputEvent::Kind::Resize;
    e.host = host->id;
    e.width = configure.width;
    e.height = configure.height;
    core_input(e);
}

void deliver_focus(X11State &st, const XFocusChangeEvent &focus, bool in) {
    // Focus moving inside our window, or a grab by the window manager, is not
    // a change of the focused window.
    if (focus.detail == NotifyInferior || focus.mode == NotifyGrab || focus.mode == NotifyUngrab) return;
    if (X11Host *host = x11_host_of_window(focus.window)) x11_focus_ic(*host, in);
    // Keys released elsewhere never reach us: forget which were down.
    if (!in) st.keys_down.reset();
    deliver_simple(focus.window, in ? kKindFocusIn : kKindFocusOut);
}

void note_completion(const XEvent &event) {
    auto &done = reinterpret_cast<const XShmCompletionEvent &>(event);
    X11Host *host = x11_host_of_window(done.drawable);
    if (host != nullptr && host->shm_image != nullptr && done.shmseg == host->shm.shmseg) host->shm_busy = false;
}

}  // namespace

void x11_dispatch(XEvent &event) {
    X11State &st = x11();
    // Every event goes through the input method first; keys it holds back
    // still reach the core as keys, typing nothing of their own. It is given
    // a copy: Xlib's method zeroes the keycode of the key ending a sequence.
    XEvent copy = event;
    const bool held_back = XFilterEvent(&copy, None) == True;
    if (held_back && event.type != KeyPress && event.type != KeyRelease) return;
    switch (event.type) {
    case KeyPress: deliver_key(st, event.xkey, true, held_back); break;
    case KeyRelease: deliver_key(st, event.xkey, false, held_back); break;
    case ButtonPress: deliver_button(event.xbutton, true); break;
    case ButtonRelease: deliver_button(event.xbutton, false); break;
    case MotionNotify: deliver_motion(st, event); break;
    case Expose: deliver_expose(event.xexpose); break;
    case ConfigureNotify: deliver_configure(event.xconfigure); break;
    case FocusIn: deliver_focus(st, event.xfocus, true); break;
    case FocusOut: deliver_focus(st, event.xfocus, false); break;
    case ClientMessage:
        if (event.xclient.message_type == st.atoms.wm_protocols && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == st.atoms.wm_delete_window)
            deliver_simple(event.xclient.window, InputEvent::Kind::CloseRequest);
        break;
    case MappingNotify:
        XRefreshKeyboardMapping(&event.xmapping);
        if (event.xmapping.request != MappingPointer) x11_update_numlock_mask();
        break;
    default:
        if (st.shm_completion_type >= 0 && event.type == st.shm_completion_type) note_completion(event);
        break;
    }
}

}  // namespace standin
