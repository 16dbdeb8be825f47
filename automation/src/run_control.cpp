// Run control through the headless backend's hooks. The menu item is chosen
// at the first wait by posting its WM_COMMAND, as the menu does when a user
// picks it; from the next wait on, the item's check mark not being there
// means what it started is over (a script playback unchecks its item at the
// end of the file, at a line it cannot read, or when there is no file).
// Everything is measured on the virtual clock, so two runs end alike.
// Dialog answers are typed as a user would: the line's keys into the focused
// edit field and Enter, which presses the dialog's default button.
#include "automation.h"

#include "steered_run.h"
#include "user/window_queries.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace standin {

namespace {

// How long a program may take to end once its window was closed.
constexpr int64_t kGraceNs = 10'000'000'000;

struct Run {
    RunSettings settings;
    int64_t limit_ns = -1;   // virtual time at which the run ends
    bool chosen = false;     // the first wait has been seen (and the item chosen, if any)
    bool posted = false;     // this wait posted the item's command: not idle yet
    HMENU item_menu = nullptr;
    UINT item_id = 0;        // the chosen item, while its check mark is watched
    bool ending = false;
    int64_t ending_since = 0;
    bool answering = false;            // answers were given (a file, perhaps empty)
    std::vector<std::string> answers;  // the file's lines
    size_t next_answer = 0;            // index of the next line to type
    HWND answered = nullptr;           // the dialog the last line went to
    bool confirmed = false;            // and Enter was pressed in it
};

Run &run() {
    static Run r;
    return r;
}

std::string title_of(HWND window) {
    char text[256];
    const int n = GetWindowTextA(window, text, sizeof text);
    return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string();
}

// The label before the tab that starts the shortcut text.
std::string label_of(HMENU menu, int position) {
    char text[256];
    const int n = GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    std::string label = n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string();
    return label.substr(0, label.find('\t'));
}

bool find_item(HMENU menu, const std::string &label, HMENU *holder, UINT *id) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            if (find_item(sub, label, holder, id)) return true;
        } else if (label_of(menu, i) == label) {
            *holder = menu;
            *id = GetMenuItemID(menu, i);
            return true;
        }
    }
    return false;
}

std::vector<HWND> main_windows() {
    std::vector<HWND> out;
    for (HWND h : top_level_windows())
        if (IsWindowVisible(h) && (run().settings.main_window.empty() || title_of(h) == run().settings.main_window))
            out.push_back(h);
    return out;
}

void choose_item() {
    Run &r = run();
    r.chosen = true;
    if (r.settings.play_item.empty()) return;
    for (HWND h : main_windows()) {
        HMENU bar = GetMenu(h);
        HMENU holder = nullptr;
        UINT id = 0;
        if (bar && find_item(bar, r.settings.play_item, &holder, &id)) {
            if (!(GetMenuState(holder, id, MF_BYCOMMAND) & MF_CHECKED))
                r.posted = PostMessageA(h, WM_COMMAND, id, 0) != FALSE;
            r.item_menu = holder;
            r.item_id = id;
            return;
        }
    }
    std::fprintf(stderr, "headless: the program's window has no menu item '%s'; nothing is played\n",
                 r.settings.play_item.c_str());
}

// The program's modal dialog: the top-level window holding the focus,
// visible and enabled, while a main window (another one, when none is
// named) is disabled. Null when there is none.
HWND open_dialog() {
    const HWND focus = GetFocus();
    HWND dialog = nullptr;
    for (HWND top : top_level_windows()) {
        if (!IsWindowVisible(top) || !IsWindowEnabled(top)) continue;
        // GetParent goes from a control up to its dialog (and from a pop-up to its owner).
        int depth = 0;
        for (HWND h = focus; h && depth < 64 && !dialog; h = GetParent(h), ++depth)
            if (h == top) dialog = top;
        if (dialog) break;
    }
    if (!dialog) return nullptr;
    for (HWND h : main_windows())
        if (h != dialog && !IsWindowEnabled(h)) return dialog;
    return nullptr;
}

// Keys a US keyboard types: printable ASCII; what cannot be typed is left out
// with a message, so the rest of the line still arrives.
std::string typable(const std::string &line, size_t number) {
    std::string out;
    bool dropped = false;
    for (char c : line) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F)
            out += c;
        else
            dropped = true;
    }
    if (dropped)
        std::fprintf(stderr, "headless: answer %zu has characters no key types (tabs, controls, non-ASCII); left out\n",
                     number);
    return out;
}

// Ends the process from inside a wait. An open dialog is destroyed first: its
// controls' state is reachable only through its windows, and the exit would
// otherwise leave it behind.
[[noreturn]] void exit_stopped(const char *reason) {
    record_run_end(reason, true);
    if (const HWND dialog = open_dialog()) DestroyWindow(dialog);
    std::exit(4);
}

// `why` is for the person reading stderr, `reason` the report's word for it.
[[noreturn]] void stop(const char *why, const char *reason) {
    // A window disabled by a modal dialog cannot be closed, and a script
    // cannot answer the dialog: the run ends for want of an answer.
    bool dialog = false;
    for (HWND h : main_windows()) dialog = dialog || !IsWindowEnabled(h);
    std::fprintf(stderr, "headless: %s%s; stopping it\n", why,
                 dialog ? " (a dialog is open, which no script can answer)" : "");
    std::fflush(stderr);
    exit_stopped(dialog ? "no-answer" : reason);
}

void end_run(const char *why, const char *reason) {
    Run &r = run();
    r.ending = true;
    r.ending_since = headless_now_ns();
    std::fprintf(stderr, "headless: %s; closing the program's window\n", why);
    const std::vector<HWND> windows = main_windows();
    if (windows.empty()) stop("the program has no window to close", "no-window");
    record_run_end(reason, false);
    for (HWND h : windows) headless_close_request(h);
}

// A dialog the program waits in gets the next answer typed, once, and Enter
// at its next wait, after it has painted the line; none left (or none
// given) ends the run, as nothing else can close the dialog. True when the
// wait is spent.
bool answer_dialog() {
    Run &r = run();
    const HWND dialog = open_dialog();
    if (!dialog) return false;
    if (!r.answering) {
        // Nothing can answer it: waiting would only spend the run's time.
        std::fprintf(stderr, "headless: the program asks for a line and no answers were given; stopping it\n");
        std::fflush(stderr);
        exit_stopped("no-answer");
    }
    if (dialog == r.answered) {
        if (r.confirmed) return false;
        r.confirmed = true;
        headless_key_press(VK_RETURN);
        return true;
    }
    if (r.next_answer >= r.answers.size()) {
        std::fprintf(stderr, "headless: the program asks for a line and no answer is left; stopping it\n");
        std::fflush(stderr);
        exit_stopped("no-answer");
    }
    r.answered = dialog;
    r.confirmed = false;
    const size_t number = ++r.next_answer;
    const std::string keys = typable(r.answers[number - 1], number);
    if (keys.empty()) {
        // Nothing to type: Enter at once.
        r.confirmed = true;
        headless_key_press(VK_RETURN);
    } else {
        headless_type_text(keys.c_str());
    }
    return true;
}

void on_wait(int64_t deadline) {
    Run &r = run();
    const int64_t now = headless_now_ns();
    r.posted = false;
    if (r.ending) {
        if (now - r.ending_since > kGraceNs)
            stop("the program did not end within 10 seconds of its window closing", "not-closing");
        return;
    }
    if (answer_dialog()) return;
    if (!r.chosen) {
        choose_item();
        return;
    }
    if (r.item_menu && !(GetMenuState(r.item_menu, r.item_id, MF_BYCOMMAND) & MF_CHECKED)) {
        end_run("the script has been played", "script-ended");
        return;
    }
    if (r.settings.frame_limit > 0 && headless_frame_count() >= r.settings.frame_limit) {
        char why[96];
        std::snprintf(why, sizeof why, "%llu frames were shown",
                      static_cast<unsigned long long>(r.settings.frame_limit));
        end_run(why, "frames");
        return;
    }
    if (r.limit_ns >= 0 && deadline > r.limit_ns) {
        // Time stops at the limit: what was due by then has happened, and what
        // the program drew for it is what it shows.
        if (r.limit_ns > now) headless_advance_clock(r.limit_ns - now);
        char why[96];
        const double seconds = static_cast<double>(r.limit_ns) / 1e9;
        std::snprintf(why, sizeof why, "the program has had its %g second%s", seconds, seconds == 1 ? "" : "s");
        end_run(why, "seconds");
    }
}

bool on_idle() {
    Run &r = run();
    if (r.ending) stop("the program did not end when its window was closed", "not-closing");
    if (answer_dialog()) return true;
    if (r.posted) {
        r.posted = false;
        return true;  // the program has the command to handle first
    }
    end_run("the program waits for input, and there is none left", "waiting");
    return true;
}

// Answers are lines for a dialog's edit field: far more than any test
// needs, far less than would hurt.
constexpr std::uintmax_t kMaxAnswersBytes = 16u << 20;

// The answers file's lines, without their line ends. A file that is not a
// regular one (a FIFO or a device would never end), is too long or cannot be
// read gives none, with a message.
void read_answers(const std::string &path) {
    Run &r = run();
    r.answering = true;
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(path, ec);
    const std::uintmax_t size = regular ? std::filesystem::file_size(path, ec) : 0;
    std::ifstream file;
    if (regular && !ec && size <= kMaxAnswersBytes) file.open(path, std::ios::binary);
    if (!file.is_open()) {
        std::fprintf(stderr,
                     "headless: the answers file '%s' is not a readable regular file of at most 16 MiB;"
                     " no dialog gets an answer\n",
                     path.c_str());
        return;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        r.answers.push_back(line);
    }
}

}  // namespace

void start_run_control(const RunSettings &settings) {
    run().settings = settings;
    if (!settings.answers_path.empty()) read_answers(settings.answers_path);
    // A steered run always ends: an hour of the program's time at most.
    run().limit_ns = static_cast<int64_t>((settings.seconds < 0 ? 3600 : settings.seconds) * 1e9);
    headless_set_wait_hook(on_wait);
    headless_set_idle_hook(on_idle);
}

}  // namespace standin
