// What a key types on the X server's own layout: Xlib's built-in input method
// (dead keys and the Compose key) with one input context per host window, or,
// when no input method opens, XLookupString and the keysym table of x11_text.
// Relies on Xlib's locale support and on a UTF-8 locale of the C library.
#include "backends/x11/x11_internal.h"
#include "backends/x11/x11_text.h"

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace standin {

namespace {

// Xlib takes its encoding and Compose table from the C library's LC_CTYPE
// when the input method opens. The student's program keeps its own locale
// (by default "C", which its printf and isalpha rely on), so a UTF-8 one is
// set only while the input method and its contexts are made, then put back.
class Utf8Ctype {
public:
    Utf8Ctype() {
        const char *now = std::setlocale(LC_CTYPE, nullptr);
        saved_ = now != nullptr ? now : "C";
        for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
            if (std::setlocale(LC_CTYPE, name) != nullptr) {
                ok_ = true;
                break;
            }
    }
    ~Utf8Ctype() { std::setlocale(LC_CTYPE, saved_.c_str()); }
    Utf8Ctype(const Utf8Ctype &) = delete;
    Utf8Ctype &operator=(const Utf8Ctype &) = delete;
    bool ok() const { return ok_; }

private:
    std::string saved_;
    bool ok_ = false;
};

}  // namespace

void x11_open_im() {
    X11State &st = x11();
    Utf8Ctype ctype;
    if (!ctype.ok() || !XSupportsLocale()) {
        std::fprintf(stderr, "x11: no UTF-8 locale for Xlib; dead keys and Compose will not combine\n");
        return;
    }
    // Xlib's own input method, never an input method server: the program
    // gets Windows-1252 characters, which the layout, its dead keys and the
    // Compose key make, and a server would hold keys back and send them again
    // later, so what a key does would depend on which server runs.
    XSetLocaleModifiers("@im=none");
    st.im = XOpenIM(st.display, nullptr, nullptr, nullptr);
    if (st.im == nullptr) std::fprintf(stderr, "x11: no input method opened; dead keys and Compose will not combine\n");
}

void x11_close_im() {
    X11State &st = x11();
    if (st.im != nullptr) XCloseIM(st.im);
    st.im = nullptr;
}

void x11_create_ic(X11Host &host) {
    X11State &st = x11();
    if (st.im == nullptr) return;
    Utf8Ctype ctype;
    host.ic = XCreateIC(st.im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, host.window,
                        XNFocusWindow, host.window, nullptr);
}

void x11_destroy_ic(X11Host &host) {
    if (host.ic != nullptr) XDestroyIC(host.ic);
    host.ic = nullptr;
}

void x11_focus_ic(X11Host &host, bool in) {
    if (host.ic == nullptr) return;
    if (in)
        XSetICFocus(host.ic);
    else
        XUnsetICFocus(host.ic);
}

std::u32string x11_key_text(XKeyEvent &key, unsigned long *keysym) {
    KeySym sym = NoSymbol;
    char bytes[32];
    XLookupString(&key, bytes, sizeof bytes, &sym, nullptr);
    *keysym = sym;
    const char32_t c = x11_keysym_to_unicode(sym);
    return c != 0 ? std::u32string(1, c) : std::u32string();
}

std::u32string x11_lookup_text(X11Host &host, XKeyEvent &key, unsigned long *keysym) {
    if (host.ic == nullptr) return x11_key_text(key, keysym);
    KeySym sym = NoSymbol;
    std::vector<char> bytes(64);
    Status status = 0;
    int length = Xutf8LookupString(host.ic, &key, bytes.data(), static_cast<int>(bytes.size()), &sym, &status);
    if (status == XBufferOverflow) {
        bytes.resize(static_cast<size_t>(length));
        length = Xutf8LookupString(host.ic, &key, bytes.data(), length, &sym, &status);
    }
    *keysym = (status == XLookupKeySym || status == XLookupBoth) ? sym : NoSymbol;
    if (status != XLookupChars && status != XLookupBoth) return {};
    return x11_utf8_to_code_points(bytes.data(), length);
}

}  // namespace standin
