// One submission marked (marking.h): telka-run's exit status says whether
// the run was judged good (0), judged not good (1) or could not be judged;
// its result JSON says why, and that becomes the student's feedback.
#include "marking.h"

#include "process.h"
#include "run_result.h"
#include "text_escape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// telka-run gets the test's limit itself; this is the grader's guard in
// case telka-run does not come back.
constexpr double kRunnerGrace = 30;
constexpr size_t kCallsShown = 12;

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string last_lines(const std::string &text, size_t n) {
    size_t pos = text.size();
    if (pos && text[pos - 1] == '\n') --pos;
    for (size_t k = 0; k < n && pos > 0; ++k) {
        const size_t nl = text.rfind('\n', pos - 1);
        if (nl == std::string::npos) return text;
        if (k + 1 < n)
            pos = nl;
        else
            return text.substr(nl + 1);
    }
    return text;
}

std::string seconds_text(double s) {
    char t[32];
    std::snprintf(t, sizeof t, "%.3f", s);
    return t;
}

std::vector<std::string> run_arguments(const MarkSettings &settings, const std::string &program, const TestCase &t) {
    std::vector<std::string> a = {settings.runner, program, "--script", t.script};
    if (!t.answers.empty()) a.insert(a.end(), {"--answers", t.answers});
    if (t.seconds > 0) a.insert(a.end(), {"--seconds", json_number(t.seconds)});
    a.insert(a.end(), {"--timeout", json_number(t.timeout)});
    return a;
}

// The calls of the differing frame on one side, a few around the first difference.
void append_calls(std::string *out, const char *side, const std::vector<std::string> &calls, uint64_t first_call) {
    const size_t n = calls.size();
    const size_t mark = static_cast<size_t>(first_call);
    size_t from = mark > 4 ? mark - 4 : 1;
    const size_t to = std::min(n, from + kCallsShown - 1);
    *out += std::string("  ") + side + " (" + std::to_string(n) + (n == 1 ? " call" : " calls") + "):\n";
    if (n == 0) *out += "      (none)\n";
    if (from > 1) *out += "      ...\n";
    for (size_t i = from; i <= to; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%s%4zu  ", i == mark ? "  > " : "    ", i);
        *out += number + calls[i - 1] + "\n";
    }
    if (to < n) *out += "      ... (" + std::to_string(n - to) + " more)\n";
}

// What happened to the program, in one sentence, from the result JSON.
std::string headline(const std::string &status, const RunResult &r, const TestCase &t) {
    const std::string &reason = r.reason;
    if (status == "crashed")
        return "Your program crashed with signal " + (r.signal ? std::to_string(*r.signal) : std::string("?")) + " (" +
               r.signal_name.value_or("unknown") + ").";
    if (status == "time-limit")
        return reason == "cpu-limit" ? "Your program used more processor time than the test allows and was stopped."
                                     : "Your program was stopped at the test's time limit of " +
                                           json_number(t.timeout) + " s (a loop that never waits for an event?).";
    if (status == "no-answer") return "Your program asked for a line of input (TELKA_gets) when no answer was left.";
    if (status == "stopped")
        return reason == "no-window" ? "Your program did not open its window."
                                     : "Your program did not end after its window was closed.";
    if (status == "not-started") return "Your program could not be started.";
    if (status == "exit-status")
        return "Your program ended with exit status " + std::to_string(r.exit_status.value_or(0)) + ".";
    if (status == "differs") return "Your program's run differs from the expected run.";
    return "Your program's run was not as expected (" + status + ").";
}

std::string student_output(const std::string &status, const RunResult &r, const TestCase &t) {
    const std::optional<Comparison> &c = r.comparison;
    if (status == "passed") {
        std::string s = "Passed: your program's run is identical to the expected one.";
        if (c) s += "\n" + c->summary;
        return s;
    }
    std::string out = headline(status, r, t) + "\n";
    if (c) {
        if (!c->summary.empty()) out += c->summary + "\n";
        if (c->first_frame) {
            // Frame numbers count the window's first showing and its menu
            // bar; the student's own counter starts at their first drawing.
            const uint64_t n = *c->first_frame;
            const uint64_t shown_before = c->frames_before_drawing.value_or(0);
            out += "First differing frame: " + std::to_string(n);
            if (shown_before >= 1 && n > shown_before)
                out += ", which is frame " + std::to_string(n - shown_before) +
                       " counted from the first one your program drew";
            else if (shown_before >= 1)
                out += ", before your program's first drawing";
            out += " (expected run: " + std::to_string(c->frames_expected) +
                   " frames, yours: " + std::to_string(c->frames_actual) + ")";
            if (c->virtual_seconds) out += ", at " + seconds_text(*c->virtual_seconds) + " s of the program's time";
            out += ".\n";
            if (c->script_line.value_or(0) > 0)
                out += "The last script line played before it: line " + std::to_string(*c->script_line) + ": " +
                       c->script_text.value_or("") + "\n";
            else
                out += "No script line had been played before it.\n";
            const uint64_t k = c->first_call.value_or(0);
            // A frame only one run has: the summary says how the other ended,
            // and there are no two lists of calls to set side by side.
            if (n > c->frames_actual) {
                out += "Your program has no frame " + std::to_string(n) + "; the expected run's calls in it:\n";
                append_calls(&out, "expected", c->expected_calls, 0);
            } else if (n > c->frames_expected) {
                out += "The expected run has no frame " + std::to_string(n) + "; your program's calls in it:\n";
                append_calls(&out, "yours", c->actual_calls, 0);
            } else {
                out += k >= 1 ? "Drawing calls in that frame; the first that differs is call " + std::to_string(k) +
                                    " (marked >):\n"
                              : "The drawing calls in that frame are the same; the pixels differ:\n";
                append_calls(&out, "expected", c->expected_calls, k);
                append_calls(&out, "yours", c->actual_calls, k);
            }
        }
        if (c->actual_pixel_history)
            out += "The first pixel that differs, in your run: " + *c->actual_pixel_history + "\n";
        if (c->expected_pixel_history) out += "In the expected run: " + *c->expected_pixel_history + "\n";
        if (!c->text_identical) out += "The lines in your text window differ from the expected ones.\n";
    }
    if (!r.text_tail.empty() && status != "differs") {
        out += "Last lines of your text window:\n";
        for (const std::string &line : r.text_tail) out += "  " + line + "\n";
    }
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string status_from_result(const RunResult &r) {
    const std::string &status = r.status;
    if ((status == "ended" || status == "exited") && r.comparison && !r.comparison->identical) return "differs";
    if (status == "exited" && r.exit_status.value_or(0) != 0) return "exit-status";
    if (status == "ended" || status == "exited") return "differs";
    return status.empty() ? "runner-error" : status;
}

std::string relative_to(const fs::path &p, const std::string &base) { return p.lexically_relative(base).string(); }

TestOutcome run_test(const std::string &program, const TestCase &t, const MarkSettings &settings,
                     const fs::path &folder) {
    TestOutcome o;
    o.id = t.id;
    o.name = t.name;
    o.max_score = t.weight;
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder / "work", ec);
    const std::string result_file = (folder / "result.json").string();
    const fs::path report = folder / "report";
    std::vector<std::string> args = run_arguments(settings, program, t);
    args.insert(args.end(),
                {"--expect", t.expected, "--report", report.string(), "--result", result_file, "--memory",
                 std::to_string(settings.memory_mb), "--processes", "32", "--workdir", (folder / "work").string()});
    if (!settings.reference.empty()) args.insert(args.end(), {"--reference", settings.reference});
    if (settings.sandbox) args.push_back("--sandbox");
    const std::string log = (folder / "runner.log").string();
    const ProcessResult p = run_process(args, "", log, t.timeout + kRunnerGrace);
    o.seconds = p.seconds;
    RunResult r;
    std::string error;
    const bool have_result = parse_result_json(read_file(result_file), &r, &error);
    if (p.timed_out) {
        o.status = "time-limit";
        o.output = "Your program was stopped at the test's time limit of " + json_number(t.timeout) + " s.";
    } else if (p.exit_status == 0 && have_result) {
        o.status = "passed";
        o.score = t.weight;
        o.output = student_output(o.status, r, t);
    } else if (p.exit_status == 1 && have_result) {
        o.status = status_from_result(r);
        o.output = student_output(o.status, r, t);
    } else {
        o.status = "runner-error";
        o.output = "The grader could not run this test (telka-run status " + std::to_string(p.exit_status) +
                   "); please tell your teacher.\n" + last_lines(read_file(log), 5);
    }
    // A passing run's every frame says nothing the expected run does not; a
    // class of game-sized runs would otherwise keep some 5 MB a test.
    if (o.status == "passed") fs::remove_all(report / "actual" / "frames", ec);
    if (fs::is_regular_file(report / "report.html", ec)) o.report = relative_to(report / "report.html", settings.out);
    if (o.status != "passed" && fs::is_regular_file(report / "actual.png", ec))
        o.thumbnail = relative_to(report / "actual.png", settings.out);
    return o;
}

}  // namespace

bool make_expected_runs(const TestSuite &suite, MarkSettings *marking, const std::string &work) {
    const MarkSettings &settings = *marking;
    std::error_code ec;
    std::vector<const TestCase *> missing;
    for (const TestCase &t : suite.tests)
        if (!fs::is_directory(t.expected, ec)) missing.push_back(&t);
    if (suite.reference_sources.empty()) {
        if (missing.empty()) return true;
        std::fprintf(stderr, "telka-grade: the test '%s' has no expected/ and the tests folder no reference program\n",
                     missing.front()->id.c_str());
        return false;
    }
    Submission ref;
    const fs::path folder = fs::path(suite.folder) / "reference";
    const std::string origin = fs::is_directory(folder, ec) ? folder.string() : suite.reference_sources.front();
    if (!read_submission(origin, "reference", &ref)) return missing.empty();
    const BuildResult b = build_submission(ref, work + "/build", settings.flags, false);
    if (!b.ok) {
        std::fprintf(stderr, "telka-grade: the reference program does not build:\n%s\n", b.log.c_str());
        // Expected runs that are there still mark; only the reports lose its side.
        return missing.empty();
    }
    marking->reference = b.program;
    for (const TestCase *t : missing) {
        std::fprintf(stderr, "telka-grade: making %s/expected from the reference program\n", t->id.c_str());
        const std::string log = work + "/" + t->id + ".log";
        const std::string result = work + "/" + t->id + ".json";
        std::vector<std::string> args = run_arguments(settings, b.program, *t);
        args.insert(args.end(), {"--save", t->expected, "--result", result, "--workdir", work + "/work-" + t->id});
        const ProcessResult p = run_process(args, "", log, t->timeout + kRunnerGrace);
        if (p.exit_status != 0) {
            fs::remove_all(t->expected, ec);
            std::fprintf(stderr, "telka-grade: the reference program's run of test '%s' did not end normally:\n%s\n",
                         t->id.c_str(), last_lines(read_file(log) + read_file(result), 10).c_str());
            return false;
        }
    }
    return true;
}

SubmissionOutcome mark_submission(const Submission &s, const TestSuite &suite, const MarkSettings &settings) {
    SubmissionOutcome o;
    o.name = s.name;
    o.original = s.original;
    o.problem = s.problem;
    const fs::path folder = fs::path(settings.out) / s.name;
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
    const BuildResult b = build_submission(s, (folder / "build").string(), settings.flags, settings.sandbox);
    o.built = b.ok;
    o.marking_failed = b.sandbox_failed;
    o.build_log = s.problem.empty() ? b.log : s.problem + "\n";
    o.build_seconds = b.seconds;
    for (const TestCase &t : suite.tests) {
        o.max_score += t.weight;
        if (!b.ok) {
            TestOutcome n;
            n.id = t.id;
            n.name = t.name;
            n.max_score = t.weight;
            // The grader's own failure is counted as one, so the marks are not taken as final.
            n.status = b.sandbox_failed ? "runner-error" : "not-built";
            n.output = b.sandbox_failed    ? "The grader could not build your program, so this test could not run; "
                                             "please tell your teacher."
                       : s.problem.empty() ? "Your program did not build, so this test could not run."
                                           : "No source was handed in, so this test could not run.";
            o.tests.push_back(n);
            continue;
        }
        TestOutcome r = run_test(b.program, t, settings, folder / "tests" / t.id);
        o.score += r.score;
        o.tests.push_back(r);
    }
    return o;
}
