// Reads what a steered headless run asks for from the environment and
// starts it: the text capture with any backend, the run control only with
// the headless one (it drives the virtual clock).
#include "session/session.h"

#include "session/run_control.h"
#include "session/text_capture.h"
#include "standin.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

std::string env_text(const char *name) {
    const char *v = std::getenv(name);
    return v ? v : "";
}

// A non-negative number from the environment, or `fallback` (with a message
// when the variable is set but is not such a number).
double env_number(const char *name, double fallback) {
    const std::string v = env_text(name);
    if (v.empty()) return fallback;
    char *end = nullptr;
    const double d = std::strtod(v.c_str(), &end);
    if (*end != '\0' || !(d >= 0) || d > 1e9) {
        std::fprintf(stderr, "headless: %s='%s' is not a number we can use; ignored\n", name, v.c_str());
        return fallback;
    }
    return d;
}

}  // namespace

void start_session_from_environment() {
    if (const std::string path = env_text("STANDIN_HEADLESS_TEXT"); !path.empty()) {
        const std::string title = env_text("STANDIN_HEADLESS_TEXT_WINDOW");
        if (title.empty())
            std::fprintf(stderr, "headless: STANDIN_HEADLESS_TEXT needs STANDIN_HEADLESS_TEXT_WINDOW, the title of"
                                 " the window whose text is captured; nothing is captured\n");
        else
            start_text_capture(path, title);
    }

    RunSettings run;
    run.main_window = env_text("STANDIN_HEADLESS_WINDOW");
    run.play_item = env_text("STANDIN_HEADLESS_PLAY_ITEM");
    const double seconds = env_number("STANDIN_HEADLESS_SECONDS", -1);
    run.frame_limit = static_cast<uint64_t>(env_number("STANDIN_HEADLESS_FRAMES", 0));
    if (run.play_item.empty() && seconds < 0 && run.frame_limit == 0) return;
    const char *backend_name = std::getenv("STANDIN_BACKEND");
    if (!backend_name || std::strcmp(backend_name, "headless") != 0) {
        std::fprintf(stderr, "headless: STANDIN_HEADLESS_PLAY_ITEM, _SECONDS and _FRAMES need"
                             " STANDIN_BACKEND=headless; ignored\n");
        return;
    }
    // A steered run always ends: an hour of the program's time at most.
    run.limit_ns = static_cast<int64_t>((seconds < 0 ? 3600 : seconds) * 1e9);
    start_run_control(run);
}

void finish_session() { flush_text_capture(); }

}  // namespace standin
