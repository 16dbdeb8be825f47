// Decodes one fuzz input into drawing operations with arbitrary int32
// arguments and texts (bytes above 127 included) and runs them on the
// library, opened once per process on the headless backend.
#include "draw_fuzz_input.h"

#include <automation.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib_state.h"
#include "start_up.h"
#include "telka.h"

#undef main  // telka.h's renaming of the application's entry

namespace {

constexpr int kMaxOps = 64;
constexpr size_t kFormattedMax = 1023;  // the library cuts formatted text there

class Input {
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    int32_t int32() {
        static const int32_t edges[] = {INT32_MIN, INT32_MAX, 0, -1, 1, INT32_MIN + 1, INT32_MAX - 1,
                                        INT16_MIN, INT16_MAX, 300, -300, 270, -270, 127, 128, 1023, 1024};
        const uint8_t mode = byte();
        switch (mode & 3) {
            case 0: return static_cast<int8_t>(byte());
            case 1: {
                const uint8_t lo = byte();
                return static_cast<int16_t>(lo | byte() << 8);
            }
            case 2: {
                uint32_t v = 0;
                for (int i = 0; i < 4; ++i) v |= uint32_t{byte()} << (8 * i);
                return static_cast<int32_t>(v);
            }
            default: return edges[(mode >> 2) % (sizeof edges / sizeof edges[0])];
        }
    }
    Point point() {
        const int32_t x = int32();
        return Point{x, int32()};
    }
    std::string text() {
        size_t n = byte();
        if (n == 255) {
            const uint8_t lo = byte();
            n = lo | size_t{byte()} << 8;
        }
        n = std::min(n, size_ - std::min(at_, size_));
        std::string s(reinterpret_cast<const char *>(data_ + at_), n);
        at_ += n;
        return std::string(s.c_str());  // up to the first zero byte, as C sees it
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};

// Gives `window` a client area of `width` x `height` (the frame kept as it is).
void set_client_size(HWND window, int width, int height) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MoveWindow(window, outer.left, outer.top, width + (outer.right - outer.left) - client.right,
               height + (outer.bottom - outer.top) - client.bottom, FALSE);
}

// Both windows and the back buffer are made small once, after the library
// opened them: every operation still clips, rasterises and blits through the
// same code, on a hundredth of the pixels. The graphics window's WM_SIZE
// puts the origin at the centre of its new client area, which the back buffer
// then covers exactly; the text window keeps room for a few lines.
constexpr int kGraphicsWidth = 64, kGraphicsHeight = 48;
constexpr int kTextWidth = 24, kTextHeight = 16;

bool open_once() {
    static const bool opened = [] {
        static HINSTANCE__ module{};
        if (!standin::use_headless_backend()) return false;
        standin::start_up();
        lib.instance = &module;
        lib.cmdShow = SW_SHOWNORMAL;
        if (TELKA_open() != 1) return false;
        set_client_size(lib.graphicsWnd, kGraphicsWidth, kGraphicsHeight);
        set_client_size(lib.textWnd, kTextWidth, kTextHeight);
        RECT client;
        GetClientRect(lib.graphicsWnd, &client);
        HBITMAP small = CreateCompatibleBitmap(lib.graphicsDC, client.right, client.bottom);
        if (small == nullptr) return false;
        DeleteObject(SelectObject(lib.memDC, small));
        lib.backBitmap = small;
        return true;
    }();
    return opened;
}

bool ring_well_formed() {
    if (lib.textFirst < -1 || lib.textFirst >= kTextRingSize) return false;
    if (lib.textNext < 0 || lib.textNext >= kTextRingSize) return false;
    if (lib.textFirst < 0) return true;
    int32_t slot = lib.textFirst;
    do {
        if (GlobalLock(lib.textLines[slot]) == nullptr) return false;
        GlobalUnlock(lib.textLines[slot]);
        slot = (slot + 1) % kTextRingSize;
    } while (slot != lib.textNext);
    return true;
}

// Gives the ring's lines back, so that every input starts with an empty text
// window: a paint shows that input's lines alone (a crash found there
// replays from the input), and an input leaves no block allocated, so the
// fuzzer's leak check has nothing to look into after it.
void empty_ring() {
    if (lib.textFirst >= 0) {
        int32_t slot = lib.textFirst;
        do {
            GlobalFree(lib.textLines[slot]);
            lib.textLines[slot] = nullptr;
            slot = (slot + 1) % kTextRingSize;
        } while (slot != lib.textNext);
    }
    lib.textFirst = -1;
    lib.textNext = 0;
}

// What a formatted text of `text` through "%s" must report.
int formatted_count(const std::string &text) { return static_cast<int>(std::min(text.size(), kFormattedMax)); }

// The fixed format: integers in every conversion, a character, and the text
// with a precision taken from the input.
constexpr const char *kFixedFormat = "%d|%u|%x|%c|%.*s";

enum Op : uint8_t {
    kPixel, kPixelPt, kLine, kLinePt, kRectangle, kRectanglePt, kOval, kOvalPt, kTriangle, kTrianglePt,
    kCircle, kCirclePt, kText, kTextPt, kTextf, kTextfPt, kTextfFixed, kTextfFixedPt, kTextSize, kTextfSize,
    kMissingText, kClear, kFlush, kUndo, kPrintf, kLogging, kOpCount
};

// Runs one operation; false when its result breaks a rule.
bool run_op(Input &in) {
    const auto op = static_cast<Op>(in.byte() % kOpCount);
    switch (op) {
        case kPixel: {
            const int32_t c = in.int32(), x = in.int32();
            return TELKA_pixel(c, x, in.int32()) == 1;
        }
        case kPixelPt: {
            const int32_t c = in.int32();
            return TELKA_pixel_pt(c, in.point()) == 1;
        }
        case kLine:
        case kRectangle:
        case kOval: {
            const int32_t c = in.int32(), x1 = in.int32(), y1 = in.int32(), x2 = in.int32(), y2 = in.int32();
            const int32_t w = in.int32();
            if (op == kLine) return TELKA_line(c, x1, y1, x2, y2, w) == 1;
            if (op == kRectangle) return TELKA_rectangle(c, x1, y1, x2, y2, w) == 1;
            return TELKA_oval(c, x1, y1, x2, y2, w) == 1;
        }
        case kLinePt:
        case kRectanglePt:
        case kOvalPt: {
            const int32_t c = in.int32();
            const Point p1 = in.point(), p2 = in.point();
            const int32_t w = in.int32();
            if (op == kLinePt) return TELKA_line_pt(c, p1, p2, w) == 1;
            if (op == kRectanglePt) return TELKA_rectangle_pt(c, p1, p2, w) == 1;
            return TELKA_oval_pt(c, p1, p2, w) == 1;
        }
        case kTriangle: {
            int32_t v[8];
            for (int32_t &a : v) a = in.int32();
            return TELKA_triangle(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]) == 1;
        }
        case kTrianglePt: {
            const int32_t c = in.int32();
            const Point p1 = in.point(), p2 = in.point(), p3 = in.point();
            return TELKA_triangle_pt(c, p1, p2, p3, in.int32()) == 1;
        }
        case kCircle: {
            const int32_t c = in.int32(), x = in.int32(), y = in.int32();
            return TELKA_circle(c, x, y, in.int32()) == 1;
        }
        case kCirclePt: {
            const int32_t c = in.int32();
            const Point p = in.point();
            return TELKA_circle_pt(c, p, in.int32()) == 1;
        }
        case kText:
        case kTextf:
        case kTextfFixed: {
            const int32_t c = in.int32(), x = in.int32(), y = in.int32(), pt = in.int32();
            const std::string t = in.text();
            if (op == kText) return TELKA_text(c, x, y, pt, t.c_str()) == 1;
            if (op == kTextf) return TELKA_textf(c, x, y, pt, "%s", t.c_str()) == formatted_count(t);
            const int32_t a = in.int32(), prec = in.int32();
            return TELKA_textf(c, x, y, pt, kFixedFormat, a, static_cast<unsigned>(a), static_cast<unsigned>(a),
                               a & 0xFF, prec, t.c_str()) >= 0;
        }
        case kTextPt:
        case kTextfPt:
        case kTextfFixedPt: {
            const int32_t c = in.int32();
            const Point p = in.point();
            const int32_t pt = in.int32();
            const std::string t = in.text();
            if (op == kTextPt) return TELKA_text_pt(c, p, pt, t.c_str()) == 1;
            if (op == kTextfPt) return TELKA_textf_pt(c, p, pt, "%s", t.c_str()) == formatted_count(t);
            const int32_t a = in.int32(), prec = in.int32();
            return TELKA_textf_pt(c, p, pt, kFixedFormat, a, static_cast<unsigned>(a), static_cast<unsigned>(a),
                                  a & 0xFF, prec, t.c_str()) >= 0;
        }
        case kTextSize:
        case kTextfSize: {
            const int32_t pt = in.int32();
            const uint8_t outs = in.byte();  // which out-parameters are given
            const std::string t = in.text();
            int32_t h = -1, w = -1;
            int32_t *hp = (outs & 1) ? &h : nullptr;
            int32_t *wp = (outs & 2) ? &w : nullptr;
            if (op == kTextSize) {
                if (TELKA_text_size(pt, hp, wp, t.c_str()) != 1) return false;
            } else if (TELKA_textf_size(pt, hp, wp, "%s", t.c_str()) != formatted_count(t)) {
                return false;
            }
            return (!hp || h >= 0) && (!wp || w >= 0);
        }
        case kMissingText: {
            // Texts that are not there: each operation says so and uses "".
            const int32_t c = in.int32();
            const Point p = in.point();
            return TELKA_text_pt(c, p, in.int32(), nullptr) == 1 && TELKA_text_size(12, nullptr, nullptr, nullptr) == 1;
        }
        case kClear: return TELKA_clear() == 1;
        case kFlush: return TELKA_flush() == 1;
        case kUndo: return TELKA_undo() == 1;
        case kPrintf: {
            const std::string t = in.text();  // a log line as a program writes it
            return TELKA_printf("%s", t.c_str()) == formatted_count(t);
        }
        case kLogging:
        case kOpCount: break;
    }
    return TELKA_logging(in.int32() & 1) == 1;
}

}  // namespace

bool draw_fuzz_one(const uint8_t *data, size_t size) {
    if (!open_once()) std::abort();
    Input in(data, size);
    const uint8_t flags = in.byte();
    TELKA_logging(flags & 1);
    bool ok = true;
    for (int i = 0; i < kMaxOps && !in.empty(); ++i) ok = run_op(in) && ok;
    if (flags & 2) {
        // Painted once at the end: the text window's paint costs more than
        // all of the operations together.
        UpdateWindow(lib.textWnd);
        UpdateWindow(lib.graphicsWnd);
    }
    ok = ring_well_formed() && ok;
    empty_ring();
    standin::headless_reset();  // the backend's logs of presents and waits
    return ok;
}
