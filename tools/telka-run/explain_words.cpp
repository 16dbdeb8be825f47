// The pixel history's sentences (explain_words.h): the colour, the call of
// the frame that drew the pixel last with its source line and the event
// before the frame, then the calls of the frame before it, latest first; or
// the earlier frame that set it; or that nothing has drawn it.
#include "explain_words.h"

#include "palette.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

namespace {

using standin::ExplainCall;
using standin::ExplainDump;
using standin::ExplainFrame;

std::string base_name(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string site(const ExplainCall &c) {
    if (c.line == 0) return " (no line known)";
    return " at " + base_name(c.file) + " line " + std::to_string(c.line);
}

std::string event_words(const ExplainFrame &f) {
    switch (f.event_kind) {
        case 1: return "after a click at (" + std::to_string(f.event_x) + ", " + std::to_string(f.event_y) + ")";
        case 2:
            if (f.event_key >= 32 && f.event_key <= 126) return std::string("after the key '") + char(f.event_key) + "'";
            return "after key code " + std::to_string(f.event_key);
        case 3: return "after periodic event " + std::to_string(f.periodic);
        case 4: return "after the quit";
        default: return "before any event";
    }
}

std::string when(const ExplainFrame &f) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", static_cast<double>(f.ns) / 1e9);
    return "frame " + std::to_string(f.number) + " (" + event_words(f) + ", at " + seconds + " s)";
}

std::string quoted(const ExplainCall &c) { return "`" + c.text + "`"; }

}  // namespace

std::string colour_words(uint32_t pixel) {
    for (int i = 0; i < kPaletteSize; ++i) {
        const COLORREF c = colorValues[i];
        const uint32_t value = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        if (value == (pixel & 0xFFFFFF)) return colorNames[i];
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "#%06x", pixel & 0xFFFFFFu);
    return hex;
}

std::string pixel_history_words(const ExplainDump &d, uint32_t px, uint32_t py, bool name_lines) {
    const auto site = [name_lines](const ExplainCall &c) { return name_lines ? ::site(c) : std::string(); };
    const size_t index = static_cast<size_t>(py) * d.width + px;
    std::unordered_map<uint32_t, const ExplainCall *> calls;
    for (const ExplainCall &c : d.calls) calls.emplace(c.id, &c);
    std::unordered_map<uint32_t, const ExplainFrame *> frames;
    for (const ExplainFrame &f : d.frames) frames.emplace(f.number, &f);

    // The calls of the frame that wrote the pixel, in order, with the value each left.
    struct Write {
        const ExplainCall *call;
        uint32_t value;
    };
    std::vector<Write> writes;
    for (const standin::ExplainFootprint &f : d.footprints) {
        size_t offset = 0;
        for (const standin::ExplainRun &r : f.runs) {
            if (r.y == static_cast<int32_t>(py) && static_cast<int32_t>(px) >= r.x0 && static_cast<int32_t>(px) < r.x1) {
                const auto it = calls.find(f.id);
                if (it != calls.end() && offset + (px - r.x0) < f.values.size())
                    writes.push_back(Write{it->second, f.values[offset + (px - r.x0)]});
                break;
            }
            offset += static_cast<size_t>(r.x1 - r.x0);
        }
    }
    const uint32_t shown = !writes.empty() ? writes.back().value : index < d.after.size() ? d.after[index] : 0;
    const int64_t x = int64_t{px} - d.origin_x, y = int64_t{d.origin_y} - py;
    std::string out = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + colour_words(shown) + ".";
    const ExplainFrame *frame = frames.count(d.frame) ? frames[d.frame] : nullptr;
    if (!writes.empty()) {
        const ExplainCall &last = *writes.back().call;
        out += " " + quoted(last) + site(last) + " drew it";
        if (frame) out += ", in " + when(*frame);
        out += ".";
        if (writes.size() > 1) {
            out += " Before that in this frame, ";
            // Latest first; "A, and B" for two, "A, B, and C" for three.
            const size_t earlier = writes.size() - 1;
            for (size_t i = 0; i < earlier; ++i) {
                const Write &w = writes[earlier - 1 - i];
                const ExplainCall &c = *w.call;
                if (i > 0) out += i + 1 == earlier ? ", and " : ", ";
                const bool same_file = name_lines && c.line != 0 && last.line != 0 && c.file == last.file;
                out += quoted(c) + (same_file ? " at line " + std::to_string(c.line) : site(c)) + " made it " +
                       colour_words(w.value);
            }
            out += ".";
        }
        return out;
    }
    const uint32_t writer = index < d.before.size() ? d.before[index] : 0;
    const auto it = calls.find(writer);
    if (writer == 0 || it == calls.end())
        return out + " No call has drawn it yet: it is as the library opened the window.";
    const ExplainCall &c = *it->second;
    out += " No call of frame " + std::to_string(d.frame) + " drew it; " + quoted(c) + site(c) + " set it last";
    if (frames.count(c.frame)) out += ", in " + when(*frames[c.frame]);
    return out + ".";
}
