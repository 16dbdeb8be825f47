// The one reader of a steered run's STANDIN_HEADLESS_* environment, and the
// start of what it asks for: the text capture with any backend, frame dumps
// and run control only with the headless one (they need its virtual clock
// and memory hosts). The process entry calls start_automation before WinMain.
#include "automation.h"

#include "backends/headless/headless_backend.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

std::string env_text(const char *name) {
    const char *v = std::getenv(name);
    return v ? v : "";
}

// A non-negative number of at most 1e9, or `fallback` (with a message when
// the variable is set but is not such a number).
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

// A decimal count, or `fallback` (with a message when it is set but is not one).
uint64_t env_count(const char *name, uint64_t fallback) {
    const std::string v = env_text(name);
    if (v.empty()) return fallback;
    char *end = nullptr;
    const unsigned long long n = std::strtoull(v.c_str(), &end, 10);
    if (*end != '\0' || v[0] == '-') {
        std::fprintf(stderr, "headless: %s='%s' is not a count; using %llu\n", name, v.c_str(),
                     static_cast<unsigned long long>(fallback));
        return fallback;
    }
    return n;
}

// Whole seconds, 0 to 1e9, or -1 when unset; a value that is not such a
// number gets a message and the backend's default.
int64_t env_seconds(const char *name) {
    const std::string v = env_text(name);
    if (v.empty()) return -1;
    char *end = nullptr;
    const long long n = std::strtoll(v.c_str(), &end, 10);
    if (*end != '\0' || n < 0 || n > 1000000000) {
        std::fprintf(stderr, "headless: %s='%s' is not a number of seconds; using %lld\n", name, v.c_str(),
                     static_cast<long long>(kHeadlessDefaultIdleSeconds));
        return -1;
    }
    return n;
}

// Seconds since 1970 up to the year 9999, or -1 when unset or not such a
// number (with a message: the clocks then stay real).
int64_t env_epoch(const char *name) {
    const std::string v = env_text(name);
    if (v.empty()) return -1;
    char *end = nullptr;
    errno = 0;
    const long long n = std::strtoll(v.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || n < 0 || n > 253402300799LL) {
        std::fprintf(stderr, "headless: %s='%s' is not a number of seconds since 1970; the clocks stay real\n", name,
                     v.c_str());
        return -1;
    }
    return n;
}

}  // namespace

RunSettings run_settings_from_environment() {
    RunSettings s;
    s.headless = env_text("STANDIN_BACKEND") == "headless";
    s.text_path = env_text("STANDIN_HEADLESS_TEXT");
    s.main_window = env_text("STANDIN_HEADLESS_WINDOW");
    s.play_item = env_text("STANDIN_HEADLESS_PLAY_ITEM");
    s.seconds = env_number("STANDIN_HEADLESS_SECONDS", -1);
    // A frame limit that is not a count also ends no run.
    s.frame_limit = env_count("STANDIN_HEADLESS_FRAMES", 0);
    s.dump_dir = env_text("STANDIN_HEADLESS_DUMP");
    s.dump_every = env_count("STANDIN_HEADLESS_DUMP_EVERY", 1);
    s.dump_last = env_count("STANDIN_HEADLESS_DUMP_LAST", 0) != 0;
    s.idle_seconds = env_seconds("STANDIN_HEADLESS_IDLE_SECONDS");
    s.record_path = env_text("STANDIN_HEADLESS_RECORD");
    s.report_path = env_text("STANDIN_HEADLESS_REPORT");
    s.clock_start = env_epoch("STANDIN_HEADLESS_TIME");
    s.answers_path = env_text("STANDIN_HEADLESS_ANSWERS");
    return s;
}

void start_automation() {
    const RunSettings s = run_settings_from_environment();
    if (!s.text_path.empty()) start_text_capture(s.text_path);
    if (s.headless) {
        if (s.clock_start >= 0) start_virtual_time(s.clock_start);
        if (s.idle_seconds >= 0) headless_set_idle_limit(s.idle_seconds);
        headless_select_frames(s.main_window, s.dump_every, s.frame_limit, s.dump_last);
        if (!s.dump_dir.empty()) headless_set_dump_dir(s.dump_dir);
        if (!s.record_path.empty()) start_run_record(s.record_path);
        if (!s.report_path.empty()) start_run_report(s.report_path);
    } else if (!s.record_path.empty() || !s.report_path.empty() || s.clock_start >= 0) {
        std::fprintf(stderr,
                     "headless: STANDIN_HEADLESS_RECORD, _REPORT and _TIME need STANDIN_BACKEND=headless; ignored\n");
    }
    // Answers and a report need the run control: it types the answers, and
    // it is what knows why a run ended.
    const bool steered = !s.play_item.empty() || s.seconds >= 0 || s.frame_limit > 0;
    if (!steered && s.report_path.empty() && s.answers_path.empty()) return;
    if (!s.headless) {
        if (steered || !s.answers_path.empty())
            std::fprintf(stderr,
                         "headless: STANDIN_HEADLESS_PLAY_ITEM, _SECONDS, _FRAMES and _ANSWERS need"
                         " STANDIN_BACKEND=headless; ignored\n");
        return;
    }
    start_run_control(s);
}

}  // namespace standin
