// Runs one example program headless, plays the user from a list of actions
// on the command line, and saves windows as pictures: the documentation's
// example screenshots. It is linked with the example's own source and stands
// in for the process entry, so the example runs unchanged.
//
//   example_shot [--check] DIR ACTION...
//     click X Y        left click at library coordinates (x, y)
//     type TEXT        types TEXT (\n is Enter)
//     ctrl L           Ctrl+letter, as for the Run menu's keys
//     alt L            Alt+letter: opens the menu of that mnemonic
//     wait MS          lets MS milliseconds of the virtual clock pass
//     shot NAME WHAT   saves DIR/NAME.png: WHAT is graphics, text, dialog, or
//                      menu (the graphics window with its open menu on top)
//
// After the last action the graphics window is closed, as a user would.
#include <automation.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "automation.h"
#include "lib_state.h"
#include "picture_out.h"
#include "start_up.h"

namespace {

constexpr int64_t kMs = 1000000;
constexpr int kVkHarmless = 0x87;  // VK_F24: neither a character nor a command
const char *const kFramesDir = "example-shot-frames";

enum class Kind { Click, Type, Ctrl, Alt, Wait, Shot };

struct Action {
    Kind kind = Kind::Wait;
    int x = 0, y = 0;   // click; wait: x milliseconds
    std::string text;   // type; ctrl, alt: the letter; shot: the picture's name
    std::string what;   // shot: which window
};

std::string unescape(const char *s) {
    std::string out;
    for (; *s; ++s) {
        if (s[0] == '\\' && s[1] == 'n') {
            out += '\n';
            ++s;
        } else {
            out += *s;
        }
    }
    return out;
}

bool parse_actions(int argc, char **argv, int i, std::vector<Action> *out) {
    while (i < argc) {
        const std::string word = argv[i++];
        auto need = [&](int n) {
            if (argc - i >= n) return true;
            std::fprintf(stderr, "example_shot: '%s' needs %d argument(s)\n", word.c_str(), n);
            return false;
        };
        Action a;
        if (word == "click" && need(2)) {
            a.kind = Kind::Click;
            a.x = std::atoi(argv[i++]);
            a.y = std::atoi(argv[i++]);
        } else if (word == "type" && need(1)) {
            a.kind = Kind::Type;
            a.text = unescape(argv[i++]);
        } else if (word == "ctrl" && need(1)) {
            a.kind = Kind::Ctrl;
            a.text = argv[i++];
        } else if (word == "alt" && need(1)) {
            a.kind = Kind::Alt;
            a.text = argv[i++];
        } else if (word == "wait" && need(1)) {
            a.kind = Kind::Wait;
            a.x = std::atoi(argv[i++]);
        } else if (word == "shot" && need(2)) {
            a.kind = Kind::Shot;
            a.text = argv[i++];
            a.what = argv[i++];
        } else {
            std::fprintf(stderr, "example_shot: cannot use '%s' here\n", word.c_str());
            return false;
        }
        out->push_back(a);
    }
    return true;
}

// An open menu lies over the window's surface and is only seen in the frames
// the window system presents; the one presented after an expose is read back.
bool shoot_menu(const Action &a) {
    standin::headless_set_dump_dir("");
    std::vector<std::string> frames;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(kFramesDir, ec)) frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    if (frames.empty() || !standin::read_png(frames.back(), &pixels, &w, &h)) {
        std::fprintf(stderr, "example_shot: no frame with the menu to save as %s\n", a.text.c_str());
        pixels.clear();
    }
    std::filesystem::remove_all(kFramesDir, ec);
    return docpics::emit_png(a.text, pixels.empty() ? nullptr : pixels.data(), w, h, w);
}

void prepare_menu_shot() {
    std::error_code ec;
    std::filesystem::remove_all(kFramesDir, ec);
    standin::headless_set_dump_dir(kFramesDir);
    standin::PixelView v;
    if (standin::window_host_pixels(lib.graphicsWnd, &v))
        standin::headless_expose(lib.graphicsWnd, RECT{0, 0, v.width, v.height});
}

bool shoot(const Action &a) {
    if (a.what == "menu") return shoot_menu(a);
    HWND window = nullptr;
    if (a.what == "graphics") window = lib.graphicsWnd;
    if (a.what == "text") window = lib.textWnd;
    if (a.what == "dialog" && GetFocus() != nullptr) window = GetParent(GetFocus());  // the edit field's dialog
    standin::PixelView v;
    if (window == nullptr || !standin::window_host_pixels(window, &v)) {
        std::fprintf(stderr, "example_shot: no %s window to save as %s\n", a.what.c_str(), a.text.c_str());
        v = standin::PixelView{};
    }
    return docpics::emit_png(a.text, v.pixels, v.width, v.height, v.stride);
}

void perform(const Action &a) {
    switch (a.kind) {
        case Kind::Click:
            standin::headless_click(lib.graphicsWnd, lib.originX + a.x, lib.originY - a.y);
            break;
        case Kind::Type: standin::headless_type_text(a.text.c_str()); break;
        case Kind::Ctrl:
        case Kind::Alt: {
            const int vk = std::toupper(static_cast<unsigned char>(a.text[0]));
            const int modifier = a.kind == Kind::Ctrl ? VK_CONTROL : VK_MENU;
            const unsigned held = a.kind == Kind::Ctrl ? standin::kKeyControl : standin::kKeyAlt;
            standin::headless_key_down(modifier, held);
            standin::headless_key_press(vk, held);
            standin::headless_key_up(modifier, 0);
            break;
        }
        case Kind::Wait:
        case Kind::Shot: break;
    }
}

// Gives the program one action each time it blocks. A shot first sends a
// harmless key, so that whatever the program drew after the last action has
// been copied to the window before the picture is taken.
struct Runner {
    std::vector<Action> actions;
    size_t next = 0;
    int64_t due = 0;
    bool shooting = false;
    bool closed = false;
    int64_t closed_at = 0;

    void step(int64_t deadline) {
        const int64_t now = standin::headless_now_ns();
        if (closed) {
            if (now - closed_at > 10000 * kMs) {
                std::fprintf(stderr, "example_shot: the program did not end when its window was closed\n");
                std::exit(4);
            }
            return;
        }
        if (shooting) {
            shoot(actions[next++]);
            shooting = false;
        }
        while (next < actions.size() && actions[next].kind == Kind::Wait) due = now + actions[next++].x * kMs;
        if (due > now) {
            if (deadline >= 0 && due > deadline) return;  // the program's own timer comes first
            standin::headless_advance_clock(due - now);
        }
        if (next == actions.size()) {
            standin::headless_close_request(lib.graphicsWnd);
            closed = true;
            closed_at = standin::headless_now_ns();
            return;
        }
        if (actions[next].kind == Kind::Shot) {
            if (actions[next].what == "menu") prepare_menu_shot();
            standin::headless_key_up(kVkHarmless, 0);
            shooting = true;
            return;
        }
        perform(actions[next++]);
    }
};

HINSTANCE__ g_module{};

}  // namespace

int main(int argc, char **argv) {
    int next = 0;
    if (!docpics::parse_output_args(argc, argv, &next)) return 2;
    static Runner runner;
    if (!parse_actions(argc, argv, next, &runner.actions)) return 2;
    if (!standin::use_headless_backend()) {
        std::fprintf(stderr, "example_shot: the headless backend is not available\n");
        return 2;
    }
    standin::start_up();  // as the process entry does before WinMain
    standin::headless_set_wait_hook([](int64_t deadline) { runner.step(deadline); });
    standin::headless_set_idle_hook([] {
        runner.step(-1);
        return !runner.closed || standin::headless_pending_input() > 0;
    });

    char command_line[] = "";
    const int result = WinMain(&g_module, nullptr, command_line, SW_SHOWNORMAL);
    if (result != 0) std::fprintf(stderr, "example_shot: the program returned %d\n", result);
    if (runner.next < runner.actions.size())
        std::fprintf(stderr, "example_shot: the program ended before all of its input was given\n");
    return result != 0 || runner.next < runner.actions.size() ? 1 : docpics::failures();
}
