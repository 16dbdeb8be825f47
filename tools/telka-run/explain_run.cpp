// telka-run --explain (explain_run.h): the frame asked for (the last by
// default) is checked against the first run, the program is run again to
// it, and each point's history is printed in the words of the page's
// "Pixel history" panel (explain_words.h).
#include "explain_run.h"

#include "explain_dump.h"
#include "explain_words.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <iterator>
#include <vector>

namespace {

bool read_dump(const std::string &path, standin::ExplainDump *dump, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        *error = "the second run made no dump";
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return standin::parse_explain_dump(bytes.data(), bytes.size(), dump, error);
}

}  // namespace

void explain_first_difference(uint64_t frame, const DifferingFrame &pictures, const ExplainRerun &rerun,
                              const std::string &program, const std::string &reference, Comparison *c) {
    const FrameImage &e = pictures.expected, &a = pictures.actual;
    if (!e.present || !a.present || e.width != a.width || e.height != a.height) return;
    size_t first = 0;
    while (first < a.pixels.size() && a.pixels[first] == e.pixels[first]) ++first;
    if (first == a.pixels.size()) return;
    // The frame is the whole window; its client area is the bottom of it.
    const auto history = [&](const std::string &which, bool theirs, std::optional<std::string> *out) {
        standin::ExplainDump dump;
        std::string error;
        if (!read_dump(rerun(frame, which), &dump, &error)) {
            std::fprintf(stderr, "telka-run: the first differing pixel cannot be explained: %s\n", error.c_str());
            return;
        }
        const int64_t px = static_cast<int64_t>(first % a.width);
        const int64_t py = static_cast<int64_t>(first / a.width) - (a.height - static_cast<int64_t>(dump.height));
        if (py < 0 || px >= dump.width) return;
        c->first_pixel_x = px - dump.origin_x;
        c->first_pixel_y = dump.origin_y - py;
        *out = pixel_history_words(dump, static_cast<uint32_t>(px), static_cast<uint32_t>(py), theirs);
    };
    history(program, true, &c->actual_pixel_history);
    if (!reference.empty()) history(reference, false, &c->expected_pixel_history);
}

bool explain_pixels(const ExplainPass &pass) {
    const RunOptions &o = pass.options;
    const uint64_t frame = o.at ? o.at : pass.frames;
    if (frame == 0) {
        std::fprintf(stderr, "telka-run: the run showed no frame, so there is no pixel to explain\n");
        return false;
    }
    if (frame > pass.frames) {
        std::fprintf(stderr, "telka-run: --at %llu: the run showed %llu frames\n", static_cast<unsigned long long>(frame),
                     static_cast<unsigned long long>(pass.frames));
        return false;
    }
    standin::ExplainDump dump;
    std::string error;
    if (!read_dump(pass.run(frame), &dump, &error)) {
        std::fprintf(stderr, "telka-run: frame %llu could not be explained: %s\n",
                     static_cast<unsigned long long>(frame), error.c_str());
        return false;
    }
    bool all = true;
    for (const ExplainPoint &p : o.points) {
        const int64_t px = int64_t{dump.origin_x} + p.x, py = int64_t{dump.origin_y} - p.y;
        if (px < 0 || py < 0 || px >= dump.width || py >= dump.height) {
            std::fprintf(stderr, "telka-run: (%d, %d) is outside the graphics window (x %lld..%lld, y %lld..%lld)\n", p.x,
                         p.y, -static_cast<long long>(dump.origin_x),
                         static_cast<long long>(dump.width) - 1 - dump.origin_x,
                         static_cast<long long>(dump.origin_y) - dump.height + 1, static_cast<long long>(dump.origin_y));
            all = false;
            continue;
        }
        std::printf("%s\n", pixel_history_words(dump, static_cast<uint32_t>(px), static_cast<uint32_t>(py)).c_str());
    }
    return all;
}
