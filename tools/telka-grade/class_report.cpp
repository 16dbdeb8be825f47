// The class's files (class_report.h): CSV for a spreadsheet, one HTML page
// with a row per student linking each test's report, and results.json for
// the marking service, with the build's messages when it failed.
#include "class_report.h"

#include "text_escape.h"

#include "out_layout.h"

#include <cstdio>
#include <fstream>

namespace {

constexpr size_t kBuildLogShown = 4000;

std::string csv_cell(const std::string &text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// A name handed in can be anything, a spreadsheet formula too: a leading
// quote makes a spreadsheet show it as text.
std::string csv_name_cell(const std::string &text) {
    const bool formula = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@');
    return csv_cell(formula ? "'" + text : text);
}

const char *build_word(const SubmissionOutcome &s) {
    return s.built ? "ok" : s.problem.empty() ? "error" : "no-source";
}

// Paths in the page are relative and made of safe names; only '%' and
// spaces could break a link, and safe_name() allows neither.
std::string href(const std::string &path) { return html_text(path); }

std::string overall_output(const SubmissionOutcome &s) {
    if (!s.problem.empty()) return "Nothing was marked: " + s.problem;
    if (s.built) {
        std::string out =
            "Your program built. Score: " + json_number(s.score) + " of " + json_number(s.max_score) + ".";
        return out;
    }
    std::string log = s.build_log;
    if (log.size() > kBuildLogShown) log = log.substr(0, kBuildLogShown) + "\n...";
    if (s.marking_failed)
        return "The grader could not mark this submission (its build sandbox failed, not your program); please tell "
               "your teacher:\n" +
               log;
    return "Your program did not build, so no test could run:\n" + log;
}

}  // namespace

std::string results_json(const SubmissionOutcome &s) {
    std::string out =
        "{\"score\": " + json_number(s.score) + ", \"output\": " + json_string(overall_output(s)) + ", \"tests\": [";
    for (size_t i = 0; i < s.tests.size(); ++i) {
        const TestOutcome &t = s.tests[i];
        out += i ? ",\n  " : "\n  ";
        out += "{\"name\": " + json_string(t.name) + ", \"score\": " + json_number(t.score) +
               ", \"max_score\": " + json_number(t.max_score) +
               ", \"status\": " + json_string(t.status == "passed" ? "passed" : "failed") +
               ", \"output\": " + json_string(t.output) + "}";
    }
    return out + "\n]}\n";
}

bool write_text_file(const std::string &path, const std::string &text) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    if (!f) {
        std::fprintf(stderr, "telka-grade: cannot write '%s'\n", path.c_str());
        return false;
    }
    return true;
}

bool write_class_report(const std::string &out, const TestSuite &suite, const std::vector<SubmissionOutcome> &all) {
    bool ok = true;
    std::string csv = "student,score,max_score";
    for (const TestCase &t : suite.tests) csv += "," + csv_cell(t.id);
    csv += ",build,original\n";
    std::string timing = "student,build_seconds,run_seconds\n";
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>TELKA marks</title>\n"
        "<style>body{font-family:sans-serif}table{border-collapse:collapse}td,th{border:1px solid #bbb;"
        "padding:4px 8px;vertical-align:top}.passed{background:#dfd}.failed{background:#fdd}"
        "img{width:160px;image-rendering:pixelated}</style></head><body>\n<h1>TELKA marks</h1>\n"
        "<table>\n<tr><th>student</th><th>handed in as</th><th>score</th><th>build</th>";
    for (const TestCase &t : suite.tests) page += "<th>" + html_text(t.name) + " (" + json_number(t.weight) + ")</th>";
    page += "<th>first differing frame</th></tr>\n";
    for (const SubmissionOutcome &s : all) {
        csv += csv_cell(s.name) + "," + json_number(s.score) + "," + json_number(s.max_score);
        double run_seconds = 0;
        std::string build_cell = "ok";
        if (!s.problem.empty())
            build_cell = "no source: " + html_text(s.problem);
        else if (!s.built)
            build_cell = "<a href=\"" + href(s.name + "/build/build.log") + "\">error</a>";
        page += "<tr><td>" + html_text(s.name) + "</td><td>" + html_text(s.original) + "</td><td>" +
                json_number(s.score) + " / " + json_number(s.max_score) + "</td><td>" + build_cell + "</td>";
        std::string thumbnail;
        for (const TestOutcome &t : s.tests) {
            csv += "," + json_number(t.score);
            run_seconds += t.seconds;
            const std::string cls = t.status == "passed" ? "passed" : "failed";
            std::string cell = html_text(t.status);
            if (!t.report.empty()) cell = "<a href=\"" + href(t.report) + "\">" + cell + "</a>";
            page += "<td class=\"" + cls + "\">" + cell + "</td>";
            if (thumbnail.empty() && !t.thumbnail.empty())
                thumbnail = "<a href=\"" + href(t.report.empty() ? t.thumbnail : t.report) + "\"><img src=\"" +
                            href(t.thumbnail) + "\" alt=\"" + html_text(t.name) + ": first differing frame\"></a>";
        }
        page += "<td>" + thumbnail + "</td></tr>\n";
        csv += std::string(",") + build_word(s) + "," + csv_name_cell(s.original) + "\n";
        timing += csv_cell(s.name) + "," + json_number(s.build_seconds) + "," + json_number(run_seconds) + "\n";
        ok = write_text_file(out + "/" + s.name + "/results.json", results_json(s)) && ok;
    }
    page += "</table>\n</body></html>\n";
    ok = write_text_file(out + "/" + kSummaryFile, csv) && ok;
    ok = write_text_file(out + "/" + kIndexFile, page) && ok;
    ok = write_text_file(out + "/" + kTimingFile, timing) && ok;
    return ok;
}
