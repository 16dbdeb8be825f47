// telka-grade: marks TELKA programs against a teacher's tests. It reads the
// tests and the submissions, makes the missing expected runs from the
// reference, then builds and runs each submission through telka-run on a
// pool of threads, and writes the marks (class_report.h) or one results.json.
#include "autograder.h"
#include "class_report.h"
#include "grade_options.h"
#include "marking.h"
#include "out_layout.h"
#include "process.h"
#include "sandbox.h"
#include "submission_names.h"
#include "suite.h"

#include "find_program.h"
#include "temp_folder.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kMarked = 0;
constexpr int kBadUsage = 2;
constexpr int kCannotMark = 3;

// telka-run beside this program (installed together, or both in build/bin), else in PATH.
std::string find_runner() {
    const std::string beside = own_folder() + "/telka-run";
    return executable_file(beside) ? beside : find_program("telka-run");
}

bool resolve_flags(const GradeOptions &o, BuildFlags *flags) {
    std::string cflags, libs;
    if (o.cflags)
        cflags = *o.cflags;
    else if (!capture_output({"pkg-config", "--cflags", "telka"}, &cflags)) {
        std::fprintf(stderr,
                     "telka-grade: pkg-config knows no telka: install the library, or give --cflags and --libs\n");
        return false;
    }
    if (o.libs)
        libs = *o.libs;
    else if (!capture_output({"pkg-config", "--libs", "telka"}, &libs)) {
        std::fprintf(stderr,
                     "telka-grade: pkg-config knows no telka: install the library, or give --cflags and --libs\n");
        return false;
    }
    flags->cflags = split_flags(cflags);
    flags->libs = split_flags(libs);
    return true;
}

// True when `inner` is `outer` or lies inside it (both canonical).
bool within(const fs::path &inner, const fs::path &outer) {
    auto i = inner.begin(), j = outer.begin();
    for (; i != inner.end() && j != outer.end(); ++i, ++j)
        if (*i != *j) return false;
    return j == outer.end();
}

// The class's marks replace students' folders in --out, so an --out that
// is, holds or lies inside what is read would delete it. Paths are compared
// canonical (links and .. resolved); an --out yet to be made is compared by
// the canonical folder it would be made in.
bool out_is_apart(const std::string &out, const std::vector<std::pair<std::string, std::string>> &inputs) {
    std::error_code ec;
    const fs::path o = fs::weakly_canonical(fs::absolute(out, ec), ec);
    if (ec) {
        std::fprintf(stderr, "telka-grade: --out '%s' cannot be resolved: %s\n", out.c_str(), ec.message().c_str());
        return false;
    }
    for (const auto &[what, path] : inputs) {
        if (path.empty()) continue;
        std::error_code ec2;
        const fs::path p = fs::weakly_canonical(fs::absolute(path, ec2), ec2);
        if (ec2 || within(o, p) || within(p, o)) {
            std::fprintf(stderr,
                         "telka-grade: --out '%s' %s the %s '%s': marking would delete what it reads; give an out "
                         "folder of its own\n",
                         out.c_str(),
                         o == p         ? "is"
                         : within(o, p) ? "lies inside"
                                        : "holds",
                         what.c_str(), path.c_str());
            return false;
        }
    }
    return true;
}

// Marks every submission on `jobs` threads; outcomes keep the submissions' order.
std::vector<SubmissionOutcome> mark_all(const std::vector<Submission> &subs, const TestSuite &suite,
                                        const MarkSettings &settings, unsigned jobs) {
    std::vector<SubmissionOutcome> outcomes(subs.size());
    std::atomic<size_t> next{0};
    std::mutex progress;
    size_t done = 0;
    auto worker = [&] {
        for (size_t i = next++; i < subs.size(); i = next++) {
            outcomes[i] = mark_submission(subs[i], suite, settings);
            std::lock_guard<std::mutex> lock(progress);
            ++done;
            std::fprintf(stderr, "telka-grade: [%zu/%zu] %s: %g of %g\n", done, subs.size(), outcomes[i].name.c_str(),
                         outcomes[i].score, outcomes[i].max_score);
        }
    };
    std::vector<std::thread> pool;
    const unsigned n = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(subs.size())));
    for (unsigned k = 0; k < n; ++k) pool.emplace_back(worker);
    for (std::thread &t : pool) t.join();
    return outcomes;
}

// A results.json for --one when the submission could not be marked at all,
// so the service shows the student why rather than nothing.
void write_failed_results(const std::string &file, const char *why) {
    SubmissionOutcome s;
    s.built = false;
    s.build_log = std::string("The grader could not mark this submission: ") + why + ". Please tell your teacher.";
    write_text_file(file, results_json(s));
}

}  // namespace

int main(int argc, char **argv) {
    GradeOptions o;
    if (!parse_grade_options(argc, argv, &o)) return kBadUsage;
    if (o.help) {
        std::fputs(grade_usage(), stdout);
        return kMarked;
    }
    TestSuite suite;
    if (!read_test_suite(o.tests, &suite)) {
        if (!o.results.empty()) write_failed_results(o.results, "the tests folder cannot be read");
        return kBadUsage;
    }
    if (!o.autograder.empty()) return make_autograder(suite, o.autograder) ? kMarked : kCannotMark;
    if (!o.out.empty() &&
        !out_is_apart(o.out,
                      {{"tests folder", o.tests}, {"submissions folder", o.submissions}, {"submission", o.one}})) {
        if (!o.results.empty()) write_failed_results(o.results, "its --out folder overlaps what it marks");
        return kBadUsage;
    }

    MarkSettings settings;
    settings.sandbox = o.sandbox;
    settings.memory_mb = o.memory_mb;
    settings.runner = find_runner();
    const char *problem = nullptr;
    std::string why;
    if (settings.runner.empty()) {
        std::fprintf(stderr, "telka-grade: telka-run is neither beside telka-grade nor in PATH\n");
        problem = "telka-run is missing";
    } else if (!resolve_flags(o, &settings.flags)) {
        problem = "the library's build flags are unknown";
    } else if (o.sandbox && !sandbox_works(flag_paths(settings.flags), &why)) {
        // --prepare too: it is how a marking service is set up, and a machine
        // that cannot sandbox a build would otherwise fail every student.
        std::fprintf(stderr, "telka-grade: %s (or give --no-sandbox for trusted code)\n", why.c_str());
        problem = "the sandbox cannot be made";
    }
    std::error_code ec;
    std::string out = o.out.empty() ? make_temp_folder("telka-grade", "a work folder", &why) : o.out;
    if (!problem && out.empty()) {
        std::fprintf(stderr, "telka-grade: %s\n", why.c_str());
        problem = "its work folder cannot be made";
    } else if (!problem && (fs::create_directories(out, ec), !fs::is_directory(out, ec))) {
        std::fprintf(stderr, "telka-grade: cannot make the folder '%s'\n", out.c_str());
        problem = "its work folder cannot be made";
    }
    if (!problem) {
        settings.out = fs::absolute(out, ec).lexically_normal().string();
        if (!settings.out.empty() && settings.out.back() == '/') settings.out.pop_back();
        if (!make_expected_runs(suite, &settings, settings.out + "/" + kReferenceWork))
            problem = "the reference program's runs cannot be made";
    }
    if (problem) {
        if (!o.results.empty()) write_failed_results(o.results, problem);
        return kCannotMark;
    }
    if (o.prepare) {
        // The expected runs are in the tests folder; the reference's build is not needed again.
        if (o.out.empty()) fs::remove_all(settings.out, ec);
        return kMarked;
    }

    std::vector<Submission> subs;
    if (!o.one.empty()) {
        Submission s;
        const std::string name = fs::path(o.one).lexically_normal().filename().string();
        const std::string stem = fs::is_directory(o.one, ec) ? name : fs::path(o.one).stem().string();
        read_submission(o.one, stem.empty() ? "submission" : stem, &s);
        subs.push_back(s);
        give_unique_names(&subs);
    } else {
        if (!fs::is_directory(o.submissions, ec)) {
            std::fprintf(stderr, "telka-grade: the submissions folder '%s' is not a folder\n", o.submissions.c_str());
            return kBadUsage;
        }
        subs = read_submissions(o.submissions);
    }
    const unsigned jobs = o.jobs ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    const std::vector<SubmissionOutcome> outcomes = mark_all(subs, suite, settings, jobs);
    if (!o.one.empty()) {
        const std::string text = results_json(outcomes.front());
        write_text_file(settings.out + "/" + outcomes.front().name + "/results.json", text);
        // The service must not take a marking the grader failed as the mark.
        return write_text_file(o.results, text) && !outcomes.front().marking_failed ? kMarked : kCannotMark;
    }
    if (!write_class_report(settings.out, suite, outcomes)) return kCannotMark;
    int unjudged = 0;
    for (const SubmissionOutcome &s : outcomes) {
        const char *note = s.built ? "" : !s.problem.empty() ? "\tno source" : "\tbuild error";
        std::printf("%s\t%g/%g%s\n", s.name.c_str(), s.score, s.max_score, note);
        for (const TestOutcome &t : s.tests) unjudged += t.status == "runner-error";
    }
    std::printf("telka-grade: marks in %s/summary.csv and %s/index.html\n", settings.out.c_str(), settings.out.c_str());
    // telka-run could not judge these runs (not the students' doing): the marks are incomplete.
    if (unjudged) {
        std::fprintf(stderr, "telka-grade: %d runs could not be judged (runner-error; see each test's runner.log)\n",
                     unjudged);
        return kCannotMark;
    }
    return kMarked;
}
