// Writing the comparison report: the same facts as text and as one HTML page
// with no scripts and no outside files but the three pictures; every text
// from the program is escaped.
#include "report_html.h"

#include "compare_runs.h"
#include "text_escape.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", s);
    return text;
}

std::string how_it_ended(const RunResult &r) {
    std::string s = r.status + " (" + r.reason + ")";
    if (r.exit_status) s += ", exit status " + std::to_string(*r.exit_status);
    if (r.signal) s += ", signal " + std::to_string(*r.signal) + (r.signal_name ? " " + *r.signal_name : "");
    return s;
}

// Marks the first differing call of a frame's list: ">" in text, a class in HTML.
std::string call_lines(const std::vector<std::string> &calls, const Comparison &c) {
    std::string out;
    for (size_t i = 0; i < calls.size(); ++i) {
        const bool first = c.first_call && *c.first_call == i + 1;
        char number[24];
        std::snprintf(number, sizeof number, "%4zu ", i + 1);
        out += std::string(first ? "  > " : "    ") + number + calls[i] + "\n";
    }
    if (calls.empty()) out += "    (none)\n";
    return out;
}

std::string call_list_html(const std::vector<std::string> &calls, const Comparison &c) {
    std::string out = "<ol>";
    for (size_t i = 0; i < calls.size(); ++i) {
        const bool first = c.first_call && *c.first_call == i + 1;
        out += first ? "<li class=\"first\" id=\"first-call\">" : "<li>";
        out += html_text(calls[i]) + "</li>";
    }
    if (c.first_call && *c.first_call == calls.size() + 1) out += "<li class=\"first missing\">(no call here)</li>";
    out += "</ol>";
    if (calls.empty()) out += "<p>(no drawing calls)</p>";
    return out;
}

// What stands for the calls of the differing frame on a side that does not
// have that frame; empty when it has.
std::string missing_frame(const RunResult &run, const Comparison &c, bool expected_side) {
    const uint64_t n = c.first_frame.value_or(0);
    if (expected_side)
        return n > c.frames_expected
                   ? "no such frame: the expected run ends after frame " + std::to_string(c.frames_expected)
                   : "";
    return n > c.frames_actual ? "no such frame: " + run_end_words(run, c.frames_actual) : "";
}

// Why the frame's number is not the one the program's own counter shows.
std::string numbering_note(const Comparison &c) {
    const uint64_t n = c.first_frame.value_or(0), k = c.frames_before_drawing.value_or(0);
    if (!n || !k) return "";
    std::string s = "Frames are numbered from the window's first showing: ";
    s += k == 1 ? "frame 1 came" : k == 2 ? "frames 1 and 2 came" : "frames 1 to " + std::to_string(k) + " came";
    s += " before the program's first drawing, so frame " + std::to_string(n);
    s += n <= k ? " shows none of its drawing." : " is " + drawn_frame_words(n, c.frames_before_drawing) + ".";
    return s;
}

}  // namespace

std::string report_text(const RunResult &run, const Comparison &c) {
    std::string t = c.summary + "\n\n";
    t += "program:         " + run.program + "\n";
    t += "run:             " + how_it_ended(run) + "\n";
    t += "frames:          " + std::to_string(c.frames_actual) + " (expected " + std::to_string(c.frames_expected) +
         ")\n";
    t += "events played:   " + std::to_string(run.events) + "\n";
    t += std::string("text window:     ") + (c.text_identical ? "identical" : "differs") +
         (c.first_text_line ? " from line " + std::to_string(*c.first_text_line) : "") + "\n";
    if (c.first_frame) {
        t += "first difference: frame " + std::to_string(*c.first_frame);
        if (c.virtual_seconds) t += " at " + seconds(*c.virtual_seconds);
        t += "\n";
        if (!numbering_note(c).empty()) t += numbering_note(c) + "\n";
        if (c.script_line && *c.script_line)
            t += "after script line " + std::to_string(*c.script_line) + ": " + c.script_text.value_or("") + "\n";
        else if (c.script_line)
            t += "before any script line\n";
        for (const bool expected_side : {true, false}) {
            const std::string missing = missing_frame(run, c, expected_side);
            t += std::string("\n") + (expected_side ? "expected" : "actual") + " drawing calls of that frame:\n" +
                 (missing.empty() ? call_lines(expected_side ? c.expected_calls : c.actual_calls, c)
                                  : "    (" + missing + ")\n");
        }
        if (c.first_call) t += "(> marks the first call that differs)\n";
        if (c.actual_pixel_history) t += "\nthe first pixel that differs, in this run:\n    " + *c.actual_pixel_history + "\n";
        if (c.expected_pixel_history)
            t += "and in the expected run:\n    " + *c.expected_pixel_history + "\n";
    }
    if (c.report) t += "\nreport: " + *c.report + "\n";
    return t;
}

bool write_report_html(const std::string &path, const RunResult &run, const Comparison &c, bool expected_png,
                       bool actual_png, bool diff_png, std::string *error) {
    std::string h =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>TELKA run report</title>\n"
        "<style>\nbody{font-family:sans-serif;margin:1.5em;max-width:120em;color:#222}\n"
        ".summary{font-size:1.2em;padding:.6em .8em;border-radius:4px}\n"
        ".same{background:#e4f6e4}.differs{background:#fde8e8}\n"
        "table.facts td{padding:.15em .8em .15em 0;vertical-align:top}\n"
        ".pictures{display:flex;flex-wrap:wrap;gap:1em}.pictures figure{margin:0;flex:1 1 20em;max-width:603px}\n"
        ".pictures img{border:1px solid #999;image-rendering:pixelated;width:100%;height:auto}\n"
        ".calls{display:flex;flex-wrap:wrap;gap:2em}.calls ol{font-family:monospace;white-space:pre-wrap}\n"
        "li.first{background:#ffd84d;font-weight:bold}li.missing{font-style:italic}\n"
        "</style></head><body>\n<h1>TELKA run report</h1>\n";
    h += std::string("<p class=\"summary ") + (c.identical ? "same" : "differs") + "\">" + html_text(c.summary) + "</p>\n";
    h += "<table class=\"facts\">\n";
    const auto row = [&](const std::string &k, const std::string &v) {
        h += "<tr><td>" + html_text(k) + "</td><td>" + html_text(v) + "</td></tr>\n";
    };
    row("program", run.program);
    row("how the run ended", how_it_ended(run));
    row("frames", std::to_string(c.frames_actual) + " (expected " + std::to_string(c.frames_expected) + ")");
    row("events played", std::to_string(run.events));
    row("text window", std::string(c.text_identical ? "identical" : "differs") +
                           (c.first_text_line ? " from line " + std::to_string(*c.first_text_line) : ""));
    if (c.first_frame) {
        const std::string drawn = drawn_frame_words(*c.first_frame, c.frames_before_drawing);
        row("first frame that differs", std::to_string(*c.first_frame) + (drawn.empty() ? "" : " (" + drawn + ")"));
        if (c.virtual_seconds) row("at the program's time", seconds(*c.virtual_seconds));
        if (c.script_line)
            row("script line just before",
                *c.script_line ? std::to_string(*c.script_line) + ": " + c.script_text.value_or("") : "none yet");
    }
    h += "</table>\n";
    if (!numbering_note(c).empty()) h += "<p>" + html_text(numbering_note(c)) + "</p>\n";
    if (c.first_frame) {
        h += "<h2>Drawing calls of frame " + std::to_string(*c.first_frame) + "</h2>\n";
        if (c.first_call)
            h += "<p>The first call that differs is marked" +
                 (c.first_call_line ? "; the program made it at line " + std::to_string(*c.first_call_line) : "") +
                 ".</p>\n";
        if (c.actual_pixel_history)
            h += "<p>The first pixel that differs, in this run: " + html_text(*c.actual_pixel_history) + "</p>\n";
        if (c.expected_pixel_history)
            h += "<p>And in the expected run: " + html_text(*c.expected_pixel_history) + "</p>\n";
        h += "<div class=\"calls\">";
        for (const bool expected_side : {true, false}) {
            const std::string missing = missing_frame(run, c, expected_side);
            h += std::string("<div><h3>") + (expected_side ? "expected" : "actual") + "</h3>" +
                 (missing.empty() ? call_list_html(expected_side ? c.expected_calls : c.actual_calls, c)
                                  : "<p>(" + html_text(missing) + ")</p>") +
                 "</div>";
        }
        h += "</div>\n";
        h += "<h2>Frame " + std::to_string(*c.first_frame) + "</h2>\n<div class=\"pictures\">\n";
        const auto picture = [&](bool there, const char *file, const char *caption) {
            const std::string missing = missing_frame(run, c, std::string(caption) == "expected");
            h += std::string("<figure>") +
                 (there ? std::string("<img src=\"") + file + "\" alt=\"" + caption + "\">"
                        : "<p>(" + html_text(missing.empty() ? "no such frame" : missing) + ")</p>") +
                 "<figcaption>" + caption + "</figcaption></figure>\n";
        };
        picture(expected_png, "expected.png", "expected");
        picture(actual_png, "actual.png", "actual");
        if (diff_png) picture(true, "diff.png", "difference (magenta: pixels that differ)");
        h += "</div>\n";
    }
    if (!run.text_tail.empty()) {
        h += "<h2>Last lines of the text window</h2>\n<pre>";
        for (const std::string &line : run.text_tail) h += html_text(line) + "\n";
        h += "</pre>\n";
    }
    h += "</body></html>\n";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << h;
    out.flush();
    if (!out) {
        *error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}
