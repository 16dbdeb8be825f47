// The environment of a steered run: STANDIN_BACKEND and the
// STANDIN_HEADLESS_* variables through which telka-run asks a program on
// the stand-in for a run, and the automation reads at the program's start.
// backends/headless/README.md lists them for users; their names and
// meaning do not change.
#pragma once

#include <cstdint>
#include <string>

namespace standin {

// clang-format off
constexpr const char *kBackendVariable     = "STANDIN_BACKEND";
constexpr const char *kTextVariable        = "STANDIN_HEADLESS_TEXT";
constexpr const char *kWindowVariable      = "STANDIN_HEADLESS_WINDOW";
constexpr const char *kPlayItemVariable    = "STANDIN_HEADLESS_PLAY_ITEM";
constexpr const char *kSecondsVariable     = "STANDIN_HEADLESS_SECONDS";
constexpr const char *kFramesVariable      = "STANDIN_HEADLESS_FRAMES";
constexpr const char *kDumpVariable        = "STANDIN_HEADLESS_DUMP";
constexpr const char *kDumpEveryVariable   = "STANDIN_HEADLESS_DUMP_EVERY";
constexpr const char *kDumpLastVariable    = "STANDIN_HEADLESS_DUMP_LAST";
constexpr const char *kIdleSecondsVariable = "STANDIN_HEADLESS_IDLE_SECONDS";
constexpr const char *kRecordVariable      = "STANDIN_HEADLESS_RECORD";
constexpr const char *kReportVariable      = "STANDIN_HEADLESS_REPORT";
constexpr const char *kTimeVariable        = "STANDIN_HEADLESS_TIME";
constexpr const char *kAnswersVariable     = "STANDIN_HEADLESS_ANSWERS";
constexpr const char *kExplainVariable     = "STANDIN_HEADLESS_EXPLAIN";
constexpr const char *kExplainDumpVariable = "STANDIN_HEADLESS_EXPLAIN_DUMP";
// clang-format on

// Everything a steered run is asked for, one field a variable.
struct RunSettings {
    bool headless = false;      // STANDIN_BACKEND=headless
    std::string text_path;      // _TEXT: the text window's lines go there; empty: not captured
    std::string main_window;    // _WINDOW: title of the window closed at the end and whose frames
                                // are kept; empty: every top-level window
    std::string play_item;      // _PLAY_ITEM: label (before any tab) of the menu item chosen; empty: none
    double seconds = -1;        // _SECONDS: the program's time after which the run ends; -1: none
    uint64_t frame_limit = 0;   // _FRAMES: frames after which it ends and none is written; 0: none
    std::string dump_dir;       // _DUMP: frames are written there; empty: not written
    uint64_t dump_every = 1;    // _DUMP_EVERY: write frames every, 2 * every, ...; 0: none of them
    bool dump_last = false;     // _DUMP_LAST: write the last frame as last.png
    int64_t idle_seconds = -1;  // _IDLE_SECONDS: idle limit of an undriven run (0: none); -1: the backend's
    std::string record_path;    // _RECORD: the run's record goes there; empty: none
    std::string report_path;    // _REPORT: how the run ended goes there; empty: none
    int64_t clock_start = -1;   // _TIME: seconds since 1970 at virtual time 0; -1: the real clocks
    std::string answers_path;   // _ANSWERS: lines typed into the program's dialogs; empty: none
    uint64_t explain_frame = 0; // _EXPLAIN: the frame whose pixels are explained; 0: none
    std::string explain_path;   // _EXPLAIN_DUMP: where that frame's explain dump goes
};

// Reads the settings; a value that cannot be used gets one message on stderr
// and its default.
RunSettings run_settings_from_environment();

// Sets the variable of each setting that is not its default (and
// _DUMP_EVERY with _DUMP) and unsets the others, so a program started now
// reads `settings` back.
void run_settings_to_environment(const RunSettings &settings);

}  // namespace standin
