// Drives the dialog manager over one arbitrary template on the headless
// backend: the template reader, the dialog and control creation, and (when
// the input asks) the modal loop with painting and one key.
#include "dialog_fuzz_input.h"

#include <automation.h>
#include <windows.h>

#include "dialog/dialog_template.h"
#include "start_up.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr size_t kTemplateLimit = standin::kMaxTemplateBytes;
constexpr size_t kHeaderBytes = 18;     // DLGTEMPLATE
constexpr size_t kHeaderCxOffset = 14;  // its cx, then cy
constexpr INT_PTR kEnded = 7;
constexpr INT_PTR kEndedIdle = 8;
constexpr UINT_PTR kTimerId = 1;
constexpr int kKeys[8] = {0, VK_TAB, VK_RETURN, VK_ESCAPE, VK_SPACE, VK_DOWN, 'A', VK_BACK};

struct Run {
    HWND dialog = nullptr;
    bool run_loop = false;
    int key = 0;
};
Run g_run;

INT_PTR CALLBACK fuzz_dialog_proc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (g_run.dialog == nullptr) g_run.dialog = hwnd;
    switch (msg) {
        case WM_INITDIALOG:
            if (!g_run.run_loop) {
                EndDialog(hwnd, kEnded);
                return TRUE;
            }
            // Input comes before paint, paint before timers: the dialog
            // is drawn, takes the key, then the timer ends it.
            if (g_run.key != 0) standin::headless_key_press(g_run.key);
            SetTimer(hwnd, kTimerId, 10, nullptr);
            return TRUE;
        case WM_TIMER:
            KillTimer(hwnd, kTimerId);
            EndDialog(hwnd, kEnded);
            return TRUE;
        default:
            return FALSE;
    }
}

// A loop that would wait for ever (the timer lost with its window) is ended.
bool end_waiting_dialog() {
    if (g_run.dialog == nullptr || !IsWindow(g_run.dialog)) return false;
    EndDialog(g_run.dialog, kEndedIdle);
    PostMessageA(g_run.dialog, WM_NULL, 0, 0);
    return true;
}

HWND owner_window() {
    static const HWND owner = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "DialogFuzzOwner";
        RegisterClassA(&wc);
        HWND h = CreateWindowExA(0, "DialogFuzzOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 320, 240,
                                 nullptr, nullptr, nullptr, nullptr);
        if (h == nullptr) std::abort();
        return h;
    }();
    return owner;
}

// Whatever the dialog left in the queue is handled before the next input:
// everything before a marker posted last (GetMessageA would wait after it).
void drain_queue() {
    constexpr UINT kMarker = 0x803F;  // in the WM_APP range
    PostMessageA(nullptr, kMarker, 0, 0);
    MSG m;
    for (int i = 0; i < 1000 && GetMessageA(&m, nullptr, 0, 0) > 0; ++i) {
        if (m.hwnd == nullptr && m.message == kMarker) break;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// The WORD at `at` of the template, cut to (-limit, limit) (or [0, limit) when
// unsigned), if the input reaches it.
void cut_word(uint8_t *block, size_t size, size_t at, int limit, bool is_signed) {
    if (at + 2 > size) return;
    uint16_t u;
    std::memcpy(&u, block + at, sizeof u);
    const int v = is_signed ? static_cast<int16_t>(u) : u;
    u = static_cast<uint16_t>(v % limit);
    std::memcpy(block + at, &u, sizeof u);
}

// Bytes of a menu, class or title array at `at` (all of them WORD-aligned
// here, after the 18-byte header); 0 when it runs past the input.
size_t array_bytes(const uint8_t *block, size_t size, size_t at) {
    uint16_t first;
    if (at + 2 > size) return 0;
    std::memcpy(&first, block + at, sizeof first);
    if (first == 0) return 2;
    if (first == 0xFFFF) return 4;
    for (size_t i = at; i + 2 <= size; i += 2)
        if (block[i] == 0 && block[i + 1] == 0) return i + 2 - at;
    return 0;
}

// The dialog's width and height and its font's point size: what the size of
// its surface grows with.
void keep_small(uint8_t *block, size_t size) {
    cut_word(block, size, kHeaderCxOffset, 128, true);
    cut_word(block, size, kHeaderCxOffset + 2, 128, true);
    size_t at = kHeaderBytes;
    for (int i = 0; i < 3; ++i) {
        const size_t n = array_bytes(block, size, at);
        if (n == 0) return;
        at += n;
    }
    cut_word(block, size, at, 32, false);  // read only with DS_SETFONT
}

}  // namespace

bool dialog_fuzz_one(const uint8_t *data, size_t size) {
    static const bool headless = [] {
        const bool selected = standin::use_headless_backend();
        standin::start_up();
        return selected;
    }();
    if (!headless) std::abort();
    standin::headless_reset();  // the logs of presents and waits
    standin::headless_set_idle_hook(end_waiting_dialog);

    const uint8_t flags = size > 0 ? data[0] : 0;
    const uint8_t *body = size > 0 ? data + 1 : data;
    const size_t body_size = std::min(size > 0 ? size - 1 : 0, kTemplateLimit);
    const std::unique_ptr<uint8_t[]> block(new uint8_t[kTemplateLimit]);
    if (body_size > 0) std::memcpy(block.get(), body, body_size);
    std::memset(block.get() + body_size, 0, kTemplateLimit - body_size);
    if (flags & kDialogFuzzPadSpaces)
        for (size_t i = (body_size + 1) & ~size_t{1}; i < kTemplateLimit; i += 2) block[i] = 0x20;

    if (((flags >> kDialogFuzzSizeShift) & 3) != 3) keep_small(block.get(), body_size);

    g_run = Run{};
    g_run.run_loop = (flags & kDialogFuzzRunLoop) != 0;
    g_run.key = kKeys[(flags >> kDialogFuzzKeyShift) & 7];
    HWND owner = (flags & kDialogFuzzOwner) ? owner_window() : nullptr;

    const INT_PTR result = DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block.get()), owner,
                                                   fuzz_dialog_proc, 0);
    const bool left_behind = g_run.dialog != nullptr && IsWindow(g_run.dialog);
    if (left_behind) DestroyWindow(g_run.dialog);
    drain_queue();
    standin::headless_set_idle_hook(nullptr);
    g_run = Run{};
    const bool owner_ok = owner == nullptr || IsWindowEnabled(owner);
    return !left_behind && owner_ok && (result == kEnded || result == kEndedIdle || result == -1);
}
