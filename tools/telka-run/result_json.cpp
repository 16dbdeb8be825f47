// Writing the result JSON: the keys in a fixed order, every string escaped
// and made valid UTF-8 (a program's text may hold any bytes).
#include "result_json.h"

#include "text_escape.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

std::string number(double v, const char *format) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

template <class T, class F>
std::string optional_value(const std::optional<T> &v, F f) {
    return v ? f(*v) : std::string("null");
}

std::string string_list(const std::vector<std::string> &items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + json_string(items[i]);
    return out + "]";
}

std::string comparison_json(const Comparison &c) {
    const auto u = [](uint64_t v) { return std::to_string(v); };
    return std::string("{\"identical\":") + (c.identical ? "true" : "false") +
           ",\"first_frame\":" + optional_value(c.first_frame, u) + ",\"frames_expected\":" + u(c.frames_expected) +
           ",\"frames_actual\":" + u(c.frames_actual) +
           ",\"virtual_seconds\":" + optional_value(c.virtual_seconds, [](double v) { return number(v, "%.3f"); }) +
           ",\"script_line\":" + optional_value(c.script_line, u) +
           ",\"script_text\":" + optional_value(c.script_text, json_string) +
           ",\"first_call\":" + optional_value(c.first_call, u) +
           ",\"frames_before_drawing\":" + optional_value(c.frames_before_drawing, u) +
           ",\n  \"expected_calls\":" + string_list(c.expected_calls) +
           ",\n  \"actual_calls\":" + string_list(c.actual_calls) +
           ",\n  \"text_identical\":" + (c.text_identical ? "true" : "false") +
           ",\"summary\":" + json_string(c.summary) + ",\"report\":" + optional_value(c.report, json_string) + "}";
}

}  // namespace

std::string result_json(const RunResult &r) {
    const auto i = [](int v) { return std::to_string(v); };
    return std::string("{\"format\":\"telka-run result 1\",\"program\":") + json_string(r.program) +
           ",\"status\":" + json_string(r.status) + ",\"reason\":" + json_string(r.reason) +
           ",\"exit_status\":" + optional_value(r.exit_status, i) + ",\"signal\":" + optional_value(r.signal, i) +
           ",\"signal_name\":" + optional_value(r.signal_name, json_string) +
           ",\"events\":" + std::to_string(r.events) + ",\"frames\":" + std::to_string(r.frames) +
           ",\"virtual_seconds\":" + number(r.virtual_seconds, "%.3f") +
           ",\"wall_seconds\":" + number(r.wall_seconds, "%.3f") + ",\n \"text_tail\":" + string_list(r.text_tail) +
           ",\n \"comparison\":" + (r.comparison ? comparison_json(*r.comparison) : "null") + "}\n";
}

bool write_file_atomically(const std::string &path, const std::string &text) {
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::fprintf(stderr, "telka-run: cannot write '%s'\n", path.c_str());
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "telka-run: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
