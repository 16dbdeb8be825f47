// The comparison behind --expect: records and frames of two saved runs, the
// first difference found and said in one sentence for a student. Frames are
// equal when their pixels are: the rasterizer is exact within a platform.
#include "compare_runs.h"

#include "automation.h"
#include "saved_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kDiffColour = 0xFF00FF;  // magenta: no TELKA colour is this loud on a faded picture

bool same_bytes(const std::string &a, const std::string &b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    if (!fa || !fb) return false;
    return std::equal(std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(fb), std::istreambuf_iterator<char>());
}

bool load(const std::string &path, FrameImage *image) {
    image->present =
        standin::read_png(path, &image->pixels, &image->width, &image->height, kMaxFrameWidth, kMaxFrameHeight);
    return image->present;
}

bool same_pixels(const FrameImage &a, const FrameImage &b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// Frames of a run without a record (a program that is not a TELKA program,
// or one killed before it wrote any): its frame files in order.
uint64_t count_frame_files(const std::string &dir) {
    uint64_t n = 0;
    std::error_code ec;
    while (fs::exists(frame_file(dir, n + 1), ec)) ++n;
    return n;
}

std::string quoted(const std::string &text) { return "'" + text + "'"; }

std::string seconds_text(uint64_t ns) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(ns) / 1e9);
    return text;
}

std::optional<uint64_t> frames_before_drawing(const RunRecord &r) {
    for (size_t i = 0; i < r.frames.size(); ++i)
        if (!r.frames[i].calls.empty()) return i;
    return std::nullopt;
}

// "frame 14 (the 12th the program drew, at 0.600 s, after script line 5: TELKA_KBD(97))"
std::string frame_words(uint64_t n, const RecordFrame *f, const std::optional<uint64_t> &before) {
    std::string words = "frame " + std::to_string(n);
    if (!f) return words;
    const std::string drawn = drawn_frame_words(n, before);
    words += " (" + (drawn.empty() ? "" : drawn + ", ") + "at " + seconds_text(f->ns);
    if (f->script_line)
        words += ", after script line " + std::to_string(f->script_line) + ": " + f->event;
    else
        words += ", before any script line";
    return words + ")";
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string ordinal(uint64_t n) {
    const uint64_t tens = n % 100, units = n % 10;
    const char *suffix = tens >= 11 && tens <= 13 ? "th"
                         : units == 1             ? "st"
                         : units == 2             ? "nd"
                         : units == 3             ? "rd"
                                                  : "th";
    return std::to_string(n) + suffix;
}

}  // namespace

std::string drawn_frame_words(uint64_t frame, const std::optional<uint64_t> &frames_before_drawing) {
    if (!frames_before_drawing || *frames_before_drawing == 0) return "";
    if (frame <= *frames_before_drawing) return "before the program's first drawing";
    return "the " + ordinal(frame - *frames_before_drawing) + " the program drew";
}

std::string run_end_words(const RunResult &run, uint64_t frames) {
    const std::string after = frames ? " after frame " + std::to_string(frames) : " before its first frame";
    const std::string &st = run.status, &why = run.reason;
    if (st == "crashed") return "the program crashed (" + run.signal_name.value_or("a signal") + ")" + after;
    if (st == "time-limit")
        return std::string("the program was stopped at ") +
               (why == "cpu-limit" ? "its processor-time limit" : "the time limit") + after;
    if (st == "no-answer") return "the program asked for a line when no answer was left," + after;
    if (st == "not-started") return "the program did not start";
    if (why == "no-window") return "the program never opened its window";
    if (why == "not-closing") return "the program was stopped" + after + ": it did not end when its window was closed";
    if (why == "seconds") return "the run was stopped at its limit of the program's own seconds" + after;
    if (why == "frames") return "the run was stopped at its frame limit" + after;
    if (why == "waiting") return "the program waited for input none could give, and was ended" + after;
    if (why == "script-ended") return "the program ended" + after + ", when its script had been played";
    return "the program ended" + after;
}

bool compare_runs(const std::string &expected_dir, const std::string &actual_dir, const RunResult &run, Comparison *out,
                  DifferingFrame *frame, std::string *error) {
    *out = Comparison{};
    *frame = DifferingFrame{};
    RunRecord expected, actual;
    if (!read_record(expected_dir + "/" + kRecordFile, &expected, error)) {
        *error = "the reference run in '" + expected_dir + "' cannot be used: " + *error;
        return false;
    }
    std::string actual_error;
    const bool actual_recorded = read_record(actual_dir + "/" + kRecordFile, &actual, &actual_error);
    std::error_code ec;
    if (!actual_recorded && fs::exists(fs::symlink_status(actual_dir + "/" + kRecordFile, ec)))
        std::fprintf(stderr, "telka-run: the run's record is not used: %s\n", actual_error.c_str());
    const std::string expected_text_path = expected_dir + "/" + kTextFile;
    if (!fs::is_regular_file(expected_text_path)) {
        *error = "the reference run in '" + expected_dir + "' has no " + kTextFile;
        return false;
    }

    out->frames_expected = expected.frames.size();
    out->frames_actual = actual_recorded ? actual.frames.size() : count_frame_files(actual_dir);
    const uint64_t frames = std::max(out->frames_expected, out->frames_actual);
    for (uint64_t n = 1; n <= frames && !out->first_frame; ++n) {
        const std::string e_path = frame_file(expected_dir, n), a_path = frame_file(actual_dir, n);
        const bool have_e = n <= out->frames_expected, have_a = n <= out->frames_actual;
        if (have_e && have_a && same_bytes(e_path, a_path)) continue;
        if (have_e && !load(e_path, &frame->expected)) {
            *error = "the reference frame '" + e_path + "' is not a PNG file that can be read";
            return false;
        }
        if (have_a) load(a_path, &frame->actual);
        if (have_e && have_a && same_pixels(frame->expected, frame->actual)) {
            frame->expected = frame->actual = FrameImage{};
            continue;
        }
        out->first_frame = n;
    }

    if (out->first_frame) {
        const uint64_t n = *out->first_frame;
        const RecordFrame *e = n <= expected.frames.size() ? &expected.frames[n - 1] : nullptr;
        const RecordFrame *a = actual_recorded && n <= actual.frames.size() ? &actual.frames[n - 1] : nullptr;
        // The student's own frame says what their program had been given; the
        // reference's when theirs is missing.
        const RecordFrame *where = a ? a : e;
        out->frames_before_drawing = frames_before_drawing(a ? actual : expected);
        if (where) {
            out->virtual_seconds = static_cast<double>(where->ns) / 1e9;
            out->script_line = where->script_line;
            out->script_text = where->event;
        }
        if (e) out->expected_calls = e->calls;
        if (a) out->actual_calls = a->calls;
        // A frame only one run has has no calls to compare: the other run's
        // end is the difference.
        const auto &ec = out->expected_calls, &ac = out->actual_calls;
        const size_t common = std::min(ec.size(), ac.size());
        size_t k = std::mismatch(ec.begin(), ec.begin() + common, ac.begin()).first - ec.begin();
        if (n <= out->frames_expected && n <= out->frames_actual && (k < common || ec.size() != ac.size()))
            out->first_call = k + 1;
        if (out->first_call && a && k < a->sites.size() && a->sites[k].line > 0) out->first_call_line = a->sites[k].line;
    }

    const std::vector<std::string> e_text = read_lines(expected_text_path);
    const std::vector<std::string> a_text = read_lines(actual_dir + "/" + kTextFile);
    out->text_identical = e_text == a_text;
    if (!out->text_identical) {
        const size_t common = std::min(e_text.size(), a_text.size());
        out->first_text_line =
            std::mismatch(e_text.begin(), e_text.begin() + common, a_text.begin()).first - e_text.begin() + 1;
    }
    out->identical = !out->first_frame && out->text_identical;

    // One sentence a student can act on.
    std::string s;
    if (out->first_frame) {
        const uint64_t n = *out->first_frame;
        const RecordFrame *e = n <= expected.frames.size() ? &expected.frames[n - 1] : nullptr;
        const RecordFrame *a = actual_recorded && n <= actual.frames.size() ? &actual.frames[n - 1] : nullptr;
        const std::string where = frame_words(n, a ? a : e, out->frames_before_drawing);
        if (n > out->frames_actual) {
            s = capitalised(where) + " was expected, but " + run_end_words(run, out->frames_actual) + ".";
        } else if (n > out->frames_expected) {
            s = "The program showed " + where + ", but the expected run ends after " +
                std::to_string(out->frames_expected) + " frames.";
        } else if (out->first_call) {
            const size_t k = *out->first_call - 1;
            const auto &ec = out->expected_calls, &ac = out->actual_calls;
            s = capitalised(where) + " differs: drawing call " + std::to_string(k + 1);
            if (out->first_call_line) s += " (your line " + std::to_string(*out->first_call_line) + ")";
            if (k < ec.size() && k < ac.size())
                s += " is " + quoted(ac[k]) + " where " + quoted(ec[k]) + " was expected.";
            else if (k < ec.size())
                s += " is missing: " + quoted(ec[k]) + " was expected.";
            else
                s += " is " + quoted(ac[k]) + ", which was not expected.";
        } else {
            s = capitalised(where) + " differs in its pixels, though its drawing calls are the expected ones.";
        }
        if (!out->text_identical) s += " The text window differs too.";
    } else if (!out->text_identical) {
        const size_t k = *out->first_text_line - 1;
        s = "All " + std::to_string(out->frames_expected) +
            " frames are identical, but the text window differs at line " + std::to_string(k + 1) + ": ";
        if (k < e_text.size() && k < a_text.size())
            s += quoted(a_text[k]) + " where " + quoted(e_text[k]) + " was expected.";
        else if (k < e_text.size())
            s += quoted(e_text[k]) + " was expected but the program printed no more.";
        else
            s += quoted(a_text[k]) + " was not expected.";
    } else {
        s = "The run is identical to the expected one: all " + std::to_string(out->frames_expected) +
            " frames and the text window.";
    }
    out->summary = s;
    return true;
}

bool write_difference_images(const DifferingFrame &frame, const std::string &dir, std::string *error) {
    const auto write = [&](const char *name, const std::vector<uint32_t> &pixels, int w, int h) {
        const std::string path = dir + "/" + name;
        if (standin::write_png(path, pixels.data(), w, h, w)) return true;
        *error = "cannot write '" + path + "'";
        return false;
    };
    const FrameImage &e = frame.expected, &a = frame.actual;
    if (e.present && !write("expected.png", e.pixels, e.width, e.height)) return false;
    if (a.present && !write("actual.png", a.pixels, a.width, a.height)) return false;
    if (!e.present || !a.present) return true;
    const int w = std::max(e.width, a.width), h = std::max(e.height, a.height);
    std::vector<uint32_t> diff(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool in_e = x < e.width && y < e.height, in_a = x < a.width && y < a.height;
            const uint32_t ep = in_e ? e.pixels[static_cast<size_t>(y) * e.width + x] : 0;
            const uint32_t ap = in_a ? a.pixels[static_cast<size_t>(y) * a.width + x] : 0;
            uint32_t out = kDiffColour;
            if (in_e && in_a && ep == ap) {
                // A quarter of the actual picture over white: the shapes stay readable.
                out = 0;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const uint32_t c = (ap >> shift) & 0xFF;
                    out |= ((c + 3 * 255) / 4) << shift;
                }
            }
            diff[static_cast<size_t>(y) * w + x] = out;
        }
    }
    return write("diff.png", diff, w, h);
}
