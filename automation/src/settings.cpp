// The start of what a steered run's environment asks for (read by
// steered_run_env.h's reader): the text capture with any backend, frame
// dumps and run control only with the headless one (they need its virtual
// clock and memory hosts). The process entry calls start_automation before
// WinMain.
#include "automation.h"

#include "backends/headless/headless_backend.h"

#include <cstdio>

namespace standin {

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
        if (s.explain_frame > 0) start_explain_dump(s.explain_frame, s.explain_path);
    } else if (!s.record_path.empty() || !s.report_path.empty() || s.clock_start >= 0 ||
               s.explain_frame > 0) {
        std::fprintf(stderr,
                     "headless: STANDIN_HEADLESS_RECORD, _REPORT, _TIME and _EXPLAIN need STANDIN_BACKEND=headless; ignored\n");
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
