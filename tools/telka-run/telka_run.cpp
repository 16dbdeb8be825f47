// telka-run: runs a TELKA program headless for grading and tests. It makes
// a folder for the program to run in (where the script goes, as TELKA.SCR),
// sets the stand-in's STANDIN_ variables (steered_run_env) that select the
// headless backend, the frames and text to keep and the run's start and end,
// runs the program there under its limits (child_process), and returns its
// exit status or, when marking, its judgement of the run (run_result,
// saved_run, compare_runs). The stand-in does the rest in-process (the automation).
#include "child_process.h"
#include "compare_runs.h"
#include "explain_run.h"
#include "report_html.h"
#include "run_options.h"
#include "run_result.h"
#include "sandbox_stage.h"
#include "saved_run.h"
#include "script_prep.h"
#include "steered_run_env.h"

#include "find_program.h"
#include "temp_folder.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace {

// What the TELKA library calls its graphics window and its Run menu's playback item.
const char *const kGraphicsWindow = "TELKA Graphics";
const char *const kPlaybackItem = "&Playback Script";

constexpr double kDefaultSeconds = 60;
constexpr double kDefaultSecondsWithScript = 3600;

// The program's clock starts at 2000-01-01 00:00:00 UTC in every run, so a
// program seeded from the time draws the same frames each time.
constexpr int64_t kStartTime = 946684800;

// Where the program writes what telka-run keeps, inside its own folder (the
// only place a sandboxed program can write); moved out after the run.
const char *const kRunFiles = ".telka-run";
const char *const kExplainFile = "explain.bin";

// The runner's own statuses when it judges a run.
constexpr int kGood = 0;
constexpr int kNotGood = 1;
constexpr int kBadInput = 2;
constexpr int kCannotJudge = 3;
// A plain run killed at --timeout, as the shell's timeout command says it.
constexpr int kTimedOut = 124;
// A file of answers is typed line by line; as long as a script at most.
constexpr uintmax_t kMaxAnswersBytes = uintmax_t{16} << 20;
constexpr size_t kTextTailLines = 20;

std::string absolute(const std::string &path) {
    std::error_code ec;
    const fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

// A path runs as given (made absolute, as the program starts in another
// folder); a bare name is looked for in the current folder, then in PATH.
std::string program_to_run(const std::string &program) {
    if (program.find('/') != std::string::npos) return absolute(program);
    if (executable_file(program)) return absolute(program);
    return program;
}

// Frames of an earlier run would mix with this one's.
bool prepare_frames_dir(const std::string &dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "telka-run: cannot make the folder '%s'\n", dir.c_str());
        return false;
    }
    for (const auto &entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        const bool ours = name == "last.png" || (name.rfind("frame-", 0) == 0 && entry.path().extension() == ".png");
        if (ours) fs::remove(entry.path(), ec);
    }
    return true;
}

bool make_workdir(RunOptions *o, bool *temporary) {
    std::error_code ec;
    if (!o->workdir.empty()) {
        fs::create_directories(o->workdir, ec);
        if (!fs::is_directory(o->workdir, ec)) {
            std::fprintf(stderr, "telka-run: cannot make the folder '%s'\n", o->workdir.c_str());
            return false;
        }
        o->workdir = absolute(o->workdir);
        *temporary = false;
        return true;
    }
    std::string error;
    o->workdir = make_temp_folder("telka-run", "a folder to run in", &error);
    if (o->workdir.empty()) {
        std::fprintf(stderr, "telka-run: %s\n", error.c_str());
        return false;
    }
    *temporary = true;
    return true;
}

// The stand-in's settings for this run; any others the caller had set are
// dropped, so the run depends on its options alone. With `explain_frame`
// the run is the explaining one: it keeps nothing but frame's explain dump
// and ends after that frame.
void set_environment(const RunOptions &o, const std::string &run_files, uint64_t explain_frame = 0) {
    std::vector<std::string> names;
    for (char **e = environ; *e; ++e)
        if (std::strncmp(*e, "STANDIN_", 8) == 0) names.emplace_back(*e, std::strchr(*e, '=') - *e);
    for (const std::string &n : names) unsetenv(n.c_str());

    standin::RunSettings s;
    s.headless = true;
    s.main_window = kGraphicsWindow;
    s.seconds = o.seconds ? *o.seconds : o.has_script() ? kDefaultSecondsWithScript : kDefaultSeconds;
    s.frame_limit = o.max_frames;
    if (o.has_script()) s.play_item = kPlaybackItem;
    s.clock_start = kStartTime;
    s.report_path = run_files + "/report.txt";
    if (!o.answers_file.empty()) s.answers_path = run_files + "/answers.txt";
    // Without a choice, every frame; --last alone keeps only the last.
    const auto dump = [&](const std::string &dir) {
        s.dump_dir = dir;
        s.dump_every = o.every ? o.every : o.last ? 0 : 1;
        s.dump_last = o.last;
    };
    if (explain_frame > 0) {
        s.frame_limit = explain_frame;
        s.explain_frame = explain_frame;
        s.explain_path = run_files + "/" + kExplainFile;
    } else if (o.managed()) {
        // Everything the program writes stays in its folder; the text always,
        // for the result's last lines.
        s.text_path = run_files + "/" + kTextFile;
        if (!o.save_dir.empty() || !o.expect_dir.empty()) {
            s.record_path = run_files + "/" + kRecordFile;
            s.dump_dir = run_files + "/" + kFramesDir;
        } else if (!o.frames_dir.empty()) {
            dump(run_files + "/" + kFramesDir);
        }
    } else {
        if (!o.frames_dir.empty()) dump(absolute(o.frames_dir));
        if (!o.text_file.empty()) s.text_path = absolute(o.text_file);
    }
    standin::run_settings_to_environment(s);
}

// What of telka-run's environment a sandboxed program gets: the stand-in's
// settings and a sanitizer build's options (its leak checker would fail a
// run otherwise), no secret of the caller's.
std::vector<std::string> sandbox_environment() {
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("STANDIN_", 0) == 0 || v.rfind("ASAN_OPTIONS=", 0) == 0 || v.rfind("LSAN_OPTIONS=", 0) == 0 ||
            v.rfind("UBSAN_OPTIONS=", 0) == 0)
            env.push_back(v);
    }
    return env;
}

// The shell's statuses for a program that does not start: 127 when it is not
// there (nor in PATH), 126 for everything else that stops it (not executable,
// a folder, not a program, no process or sandbox to run it in).
constexpr int kNotFound = 127;
constexpr int kCannotRun = 126;

ChildLimits limits_of(const RunOptions &o) {
    ChildLimits l;
    l.timeout = o.timeout;
    l.cpu = o.cpu ? *o.cpu : std::ceil(o.timeout);
    l.memory_mb = o.memory_mb;
    l.file_size_mb = o.file_size_mb;
    l.processes = o.processes;
    return l;
}

// The exit status of a run that is not judged: the program's own, as before
// the limits existed.
int plain_status(const std::string &program, const ChildOutcome &c, double timeout) {
    switch (c.kind) {
        case ChildOutcome::Kind::exited: return c.exit_status;
        case ChildOutcome::Kind::signalled:
            std::fprintf(stderr, "telka-run: '%s' was ended by signal %d (%s)%s\n", program.c_str(), c.signal,
                         strsignal(c.signal), c.cpu_limit ? " at its CPU time limit" : "");
            return 128 + c.signal;
        case ChildOutcome::Kind::timed_out:
            std::fprintf(stderr, "telka-run: '%s' was killed at the time limit, %g real seconds\n", program.c_str(),
                         timeout);
            return kTimedOut;
        case ChildOutcome::Kind::not_started:
            std::fprintf(stderr, "telka-run: %s\n", c.message.c_str());
            return c.not_found ? kNotFound : kCannotRun;
        case ChildOutcome::Kind::runner_error:
            std::fprintf(stderr, "telka-run: %s\n", c.message.c_str());
            return kCannotRun;
    }
    return kCannotRun;
}

// Under bwrap a status of 129..159 may be a signal or the program's own
// exit(); the automation's report says the program reached exit(), which a
// killed process cannot write.
ChildOutcome as_reported(ChildOutcome c, const std::string &run_files) {
    if (c.signal_from_status && read_report(run_files + "/report.txt").exited) {
        c.kind = ChildOutcome::Kind::exited;
        c.exit_status = 128 + c.signal;
        c.signal = 0;
        c.cpu_limit = false;
    }
    return c;
}

// The result of the run from how the process ended and what the automation
// reported about the run's end.
RunResult result_of(const RunOptions &o, const ChildOutcome &c, const std::string &run_files) {
    RunResult r;
    // A sandboxed run's report says the program's name, not where the caller keeps it.
    r.program = o.sandbox ? fs::path(o.program).filename().string() : o.program;
    r.wall_seconds = c.wall_seconds;
    const RunReport report = read_report(run_files + "/report.txt");
    r.events = report.events;
    r.frames = report.frames;
    r.virtual_seconds = static_cast<double>(report.virtual_ns) / 1e9;
    r.text_tail = read_lines(run_files + "/" + kTextFile, kTextTailLines);
    switch (c.kind) {
        case ChildOutcome::Kind::not_started:
        case ChildOutcome::Kind::runner_error: r.status = r.reason = "not-started"; break;
        case ChildOutcome::Kind::timed_out: r.status = r.reason = "time-limit"; break;
        case ChildOutcome::Kind::signalled:
            r.status = c.cpu_limit ? "time-limit" : "crashed";
            r.reason = c.cpu_limit ? "cpu-limit" : "signal";
            r.signal = c.signal;
            r.signal_name = sigabbrev_np(c.signal) ? std::string("SIG") + sigabbrev_np(c.signal) : "unknown";
            break;
        case ChildOutcome::Kind::exited: {
            r.exit_status = c.exit_status;
            // No report: the program never started the automation (not a
            // TELKA program), so nothing ended it but itself.
            r.reason = report.reason;
            if (r.reason == "program-ended")
                r.status = "exited";
            else if (r.reason == "no-answer")
                r.status = "no-answer";
            else if (r.reason == "not-closing" || r.reason == "no-window")
                r.status = "stopped";
            else
                r.status = "ended";
            if (report.stopped && (r.status == "ended" || r.status == "exited")) r.status = "stopped";
            break;
        }
    }
    return r;
}

bool good_run(const RunResult &r) {
    return (r.status == "ended" || r.status == "exited") && r.exit_status && *r.exit_status == 0;
}

// Copies the answers into the program's folder, refusing what cannot be a
// file of answers, as a script is refused.
bool copy_answers(const std::string &from, const std::string &to) {
    std::error_code ec;
    const fs::file_status st = fs::status(from, ec);
    if (ec || !fs::exists(st)) {
        std::fprintf(stderr, "telka-run: the answers '%s' are not there\n", from.c_str());
        return false;
    }
    if (!fs::is_regular_file(st) || fs::file_size(from, ec) > kMaxAnswersBytes) {
        std::fprintf(stderr, "telka-run: the answers '%s' are not a regular file of at most 16 MiB\n", from.c_str());
        return false;
    }
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
        std::fprintf(stderr, "telka-run: cannot copy the answers '%s': %s\n", from.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

// Moves the run's files from the program's folder into a saved run's layout,
// replacing an earlier run there.
bool save_run(const std::string &run_files, const std::string &dir, const RunResult &result) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "telka-run: cannot make the folder '%s'\n", dir.c_str());
        return false;
    }
    const std::string frames = run_files + "/" + kFramesDir;
    fs::create_directories(frames, ec);
    bool ok = move_path(frames, dir + "/" + kFramesDir);
    const std::string record = run_files + "/" + kRecordFile;
    fs::remove(dir + "/" + kRecordFile, ec);
    if (fs::exists(record, ec))
        ok = move_path(record, dir + "/" + kRecordFile) && ok;
    else
        std::fprintf(stderr, "telka-run: the program wrote no record of its frames (is it a TELKA program?)\n");
    const std::string text = run_files + "/" + kTextFile;
    if (!fs::exists(text, ec)) std::ofstream(text, std::ios::binary);
    ok = move_path(text, dir + "/" + kTextFile) && ok;
    ok = write_file_atomically(dir + "/" + kResultFile, result_json(result)) && ok;
    if (!ok) std::fprintf(stderr, "telka-run: cannot save the run in '%s'\n", dir.c_str());
    return ok;
}

// The program wrote its run's files and could have put anything there: a
// link to a reference's frames would make its run look identical. Only
// plain files and folders are kept.
void drop_links(const std::string &run_files) {
    std::error_code ec;
    if (fs::is_symlink(run_files, ec) || !fs::is_directory(run_files, ec)) {
        fs::remove(run_files, ec);
        fs::create_directories(run_files, ec);
        return;
    }
    std::vector<fs::path> odd;
    for (auto it = fs::recursive_directory_iterator(run_files, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const fs::file_status st = it->symlink_status(ec);
        if (!fs::is_regular_file(st) && !fs::is_directory(st)) odd.push_back(it->path());
    }
    for (const fs::path &p : odd) fs::remove(p, ec);
}

// The files of a plain run that was kept in the program's folder (--sandbox):
// where --frames and --text asked for them.
void hand_out_plain_files(const RunOptions &o, const std::string &run_files) {
    std::error_code ec;
    if (!o.frames_dir.empty()) {
        for (const auto &entry : fs::directory_iterator(run_files + "/" + kFramesDir, ec))
            move_path(entry.path().string(), o.frames_dir + "/" + entry.path().filename().string());
    }
    if (!o.text_file.empty()) {
        const std::string text = run_files + "/" + kTextFile;
        if (fs::exists(text, ec)) move_path(text, o.text_file);
    }
}

// --expect: the report folder, the comparison and its files, with the
// history of the first differing pixel in the student's run. Returns the
// runner's status.
int compare_with_reference(const RunOptions &o, const std::string &program, const std::string &actual_dir,
                           RunResult *result, const ExplainRerun &rerun_explaining) {
    Comparison c;
    DifferingFrame frame;
    std::string error;
    if (!compare_runs(o.expect_dir, actual_dir, *result, &c, &frame, &error)) {
        std::fprintf(stderr, "telka-run: %s\n", error.c_str());
        return kCannotJudge;
    }
    if (c.first_frame)
        explain_first_difference(*c.first_frame, frame, rerun_explaining, program,
                                 o.reference.empty() ? "" : program_to_run(o.reference), &c);
    const std::string &dir = o.report_dir;
    c.report = dir + "/report.html";
    if (c.first_frame && !write_difference_images(frame, dir, &error)) {
        std::fprintf(stderr, "telka-run: %s\n", error.c_str());
        return kCannotJudge;
    }
    const bool diff = frame.expected.present && frame.actual.present;
    if (!write_report_html(dir + "/report.html", *result, c, frame.expected.present, frame.actual.present, diff,
                           &error)) {
        std::fprintf(stderr, "telka-run: %s\n", error.c_str());
        return kCannotJudge;
    }
    const std::string text = report_text(*result, c);
    std::fputs(text.c_str(), stdout);
    std::ofstream(dir + "/report.txt", std::ios::binary | std::ios::trunc) << text;
    result->comparison = c;
    write_file_atomically(actual_dir + "/" + kResultFile, result_json(*result));
    return good_run(*result) && c.identical ? kGood : kNotGood;
}

// The report folder holds one comparison: an earlier one's files go first.
bool prepare_report_dir(const std::string &dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "telka-run: cannot make the folder '%s'\n", dir.c_str());
        return false;
    }
    for (const char *name : {"expected.png", "actual.png", "diff.png", "report.html", "report.txt", "actual"})
        fs::remove_all(dir + "/" + name, ec);
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    RunOptions o;
    if (!parse_run_options(argc, argv, &o)) return kBadInput;
    if (o.help) {
        std::fputs(run_usage(), stdout);
        return 0;
    }
    const std::string program = program_to_run(o.program);
    if (!o.frames_dir.empty() && !prepare_frames_dir(o.frames_dir)) return kBadInput;
    if (!o.text_file.empty()) {
        std::ofstream probe(o.text_file, std::ios::trunc);
        if (!probe) {
            std::fprintf(stderr, "telka-run: cannot write '%s'\n", o.text_file.c_str());
            return kBadInput;
        }
    }
    if (!o.expect_dir.empty() && !fs::is_regular_file(o.expect_dir + "/" + kRecordFile)) {
        std::fprintf(stderr, "telka-run: '%s' is not a saved run: it has no %s (telka-run REF --save DIR makes one)\n",
                     o.expect_dir.c_str(), kRecordFile);
        return kCannotJudge;
    }
    if (!o.expect_dir.empty() && !prepare_report_dir(o.report_dir)) return kBadInput;
    bool temporary = false;
    if (!make_workdir(&o, &temporary)) return kBadInput;
    const std::string run_files = o.workdir + "/" + kRunFiles;
    std::error_code ec;
    fs::remove_all(run_files, ec);
    fs::create_directories(run_files, ec);
    const auto finish = [&](int status) {
        if (temporary)
            fs::remove_all(o.workdir, ec);
        else
            fs::remove_all(run_files, ec);
        return status;
    };
    if (!fs::is_directory(run_files, ec)) {
        std::fprintf(stderr, "telka-run: cannot make the folder '%s'\n", run_files.c_str());
        return finish(kBadInput);
    }
    if (!o.answers_file.empty() && !copy_answers(o.answers_file, run_files + "/answers.txt")) return finish(kBadInput);
    if (o.has_script() && !write_run_script(o.workdir + "/TELKA.SCR", o.script_file, o.events, o.max_events))
        return finish(kBadInput);

    // The program sees its folder where the sandbox puts it.
    set_environment(o, o.sandbox ? std::string(kInsideWork) + "/" + kRunFiles : run_files);
    ChildLaunch launch;
    launch.program = program;
    launch.workdir = o.workdir;
    launch.limits = limits_of(o);
    launch.sandbox = o.sandbox;
    if (o.sandbox) launch.environment = sandbox_environment();
    const ChildOutcome ran = run_child(launch);
    drop_links(run_files);
    const ChildOutcome outcome = as_reported(ran, run_files);
    RunResult result = result_of(o, outcome, run_files);
    // Pixels are explained by running the program again to the frame asked
    // for, once the first run's files have been handed out; the dump's path,
    // empty when the script or the answers cannot be given again.
    const auto rerun_explaining = [&](uint64_t frame, const std::string &which) -> std::string {
        fs::remove_all(run_files, ec);
        fs::create_directories(run_files, ec);
        const bool ready = (o.answers_file.empty() || copy_answers(o.answers_file, run_files + "/answers.txt")) &&
                           (!o.has_script() ||
                            write_run_script(o.workdir + "/TELKA.SCR", o.script_file, o.events, o.max_events));
        if (!ready) return "";
        set_environment(o, o.sandbox ? std::string(kInsideWork) + "/" + kRunFiles : run_files, frame);
        ChildLaunch again = launch;
        again.program = which;
        run_child(again);
        drop_links(run_files);
        return run_files + "/" + kExplainFile;
    };
    const auto explained = [&](int status) {
        if (o.points.empty()) return finish(status);
        const auto rerun = [&](uint64_t frame) { return rerun_explaining(frame, program); };
        if (!explain_pixels(ExplainPass{o, result.frames, rerun}))
            return finish(status == 0 || status == kNotGood ? kCannotJudge : status);
        return finish(status);
    };

    if (!o.judged()) {
        int status = plain_status(o.program, outcome, o.timeout);
        if (o.managed()) hand_out_plain_files(o, run_files);
        if (!o.save_dir.empty() && !save_run(run_files, o.save_dir, result) && status == 0) status = kBadInput;
        return explained(status);
    }

    // Judged: the program's own status is only in the result.
    if (outcome.kind == ChildOutcome::Kind::not_started || outcome.kind == ChildOutcome::Kind::runner_error)
        std::fprintf(stderr, "telka-run: %s\n", outcome.message.c_str());
    else if (outcome.kind == ChildOutcome::Kind::timed_out)
        std::fprintf(stderr, "telka-run: '%s' was killed at the time limit, %g real seconds\n", o.program.c_str(),
                     o.timeout);
    hand_out_plain_files(o, run_files);
    int status = good_run(result) ? kGood : kNotGood;
    if (outcome.kind == ChildOutcome::Kind::not_started || outcome.kind == ChildOutcome::Kind::runner_error)
        status = kCannotJudge;
    if (!o.save_dir.empty() && !save_run(run_files, o.save_dir, result)) status = kCannotJudge;
    if (!o.expect_dir.empty() && status != kCannotJudge) {
        const std::string actual_dir = o.report_dir + "/actual";
        if (!save_run(run_files, actual_dir, result))
            status = kCannotJudge;
        else {
            const int judged = compare_with_reference(o, program, actual_dir, &result, rerun_explaining);
            status = judged == kCannotJudge ? kCannotJudge : status == kGood ? judged : kNotGood;
        }
    }
    if (!o.result_file.empty() && !write_file_atomically(o.result_file, result_json(result))) status = kCannotJudge;
    return explained(status);
}
