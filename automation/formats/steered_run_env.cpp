// Reading and writing a steered run's environment (steered_run_env.h). A
// variable that is unset or empty means the setting's default; the reader
// says on stderr which value it could not use. POSIX (setenv).
#include "steered_run_env.h"

#include "backends/headless/headless_backend.h"  // kHeadlessDefaultIdleSeconds, named when a value is refused

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

// `name` set to `value` when `given`, else unset.
void put(const char *name, bool given, const std::string &value) {
    if (given)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}

void put_text(const char *name, const std::string &value) { put(name, !value.empty(), value); }

std::string number_text(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

}  // namespace

RunSettings run_settings_from_environment() {
    RunSettings s;
    s.headless = env_text(kBackendVariable) == "headless";
    s.text_path = env_text(kTextVariable);
    s.main_window = env_text(kWindowVariable);
    s.play_item = env_text(kPlayItemVariable);
    s.seconds = env_number(kSecondsVariable, -1);
    // A frame limit that is not a count also ends no run.
    s.frame_limit = env_count(kFramesVariable, 0);
    s.dump_dir = env_text(kDumpVariable);
    s.dump_every = env_count(kDumpEveryVariable, 1);
    s.dump_last = env_count(kDumpLastVariable, 0) != 0;
    s.idle_seconds = env_seconds(kIdleSecondsVariable);
    s.record_path = env_text(kRecordVariable);
    s.report_path = env_text(kReportVariable);
    s.clock_start = env_epoch(kTimeVariable);
    s.answers_path = env_text(kAnswersVariable);
    s.explain_frame = env_count(kExplainVariable, 0);
    s.explain_path = env_text(kExplainDumpVariable);
    return s;
}

void run_settings_to_environment(const RunSettings &s) {
    put(kBackendVariable, s.headless, "headless");
    put_text(kTextVariable, s.text_path);
    put_text(kWindowVariable, s.main_window);
    put_text(kPlayItemVariable, s.play_item);
    put(kSecondsVariable, s.seconds >= 0, number_text(s.seconds));
    put(kFramesVariable, s.frame_limit > 0, std::to_string(s.frame_limit));
    put_text(kDumpVariable, s.dump_dir);
    // Said with the folder, which it is about, even when it is the default.
    put(kDumpEveryVariable, !s.dump_dir.empty() || s.dump_every != 1, std::to_string(s.dump_every));
    put(kDumpLastVariable, s.dump_last, "1");
    put(kIdleSecondsVariable, s.idle_seconds >= 0, std::to_string(s.idle_seconds));
    put_text(kRecordVariable, s.record_path);
    put_text(kReportVariable, s.report_path);
    put(kTimeVariable, s.clock_start >= 0, std::to_string(s.clock_start));
    put_text(kAnswersVariable, s.answers_path);
    put(kExplainVariable, s.explain_frame > 0, std::to_string(s.explain_frame));
    put_text(kExplainDumpVariable, s.explain_path);
}

}  // namespace standin
