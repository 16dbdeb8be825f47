// The result JSON (run_result.h). It is written by hand, its layout as
// telka-run has always written it (a line break before the long lists,
// seconds with three decimals), every string through json_string; it is
// read with nlohmann's parser into the same structs.
#include "run_result.h"

#include "text_escape.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace {

using Json = nlohmann::json;

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
           ",\n  \"first_call_line\":" + optional_value(c.first_call_line, u) +
           ",\"first_pixel\":" + (c.first_pixel_x && c.first_pixel_y ? "[" + std::to_string(*c.first_pixel_x) + "," +
                                      std::to_string(*c.first_pixel_y) + "]" : std::string("null")) +
           ",\"actual_pixel_history\":" + optional_value(c.actual_pixel_history, json_string) +
           ",\"expected_pixel_history\":" + optional_value(c.expected_pixel_history, json_string) +
           ",\n  \"text_identical\":" + (c.text_identical ? "true" : "false") +
           ",\"summary\":" + json_string(c.summary) + ",\"report\":" + optional_value(c.report, json_string) + "}";
}

// The member `key` into `*out` when it is there and not null; a value of
// another type throws, as nlohmann's get does.
template <class T>
void read(const Json &j, const char *key, T *out) {
    const auto it = j.find(key);
    if (it != j.end() && !it->is_null()) *out = it->template get<T>();
}

template <class T>
void read(const Json &j, const char *key, std::optional<T> *out) {
    T v{};
    const auto it = j.find(key);
    if (it == j.end() || it->is_null()) return out->reset();
    it->get_to(v);
    *out = std::move(v);
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

// Found by nlohmann's get through the structs' namespace.
void from_json(const Json &j, Comparison &c) {
    read(j, "identical", &c.identical);
    read(j, "first_frame", &c.first_frame);
    read(j, "frames_expected", &c.frames_expected);
    read(j, "frames_actual", &c.frames_actual);
    read(j, "virtual_seconds", &c.virtual_seconds);
    read(j, "script_line", &c.script_line);
    read(j, "script_text", &c.script_text);
    read(j, "first_call", &c.first_call);
    read(j, "frames_before_drawing", &c.frames_before_drawing);
    read(j, "expected_calls", &c.expected_calls);
    read(j, "actual_calls", &c.actual_calls);
    read(j, "first_call_line", &c.first_call_line);
    if (j.contains("first_pixel") && j["first_pixel"].is_array() && j["first_pixel"].size() == 2 &&
        j["first_pixel"][0].is_number_integer() && j["first_pixel"][1].is_number_integer()) {
        c.first_pixel_x = j["first_pixel"][0].get<int64_t>();
        c.first_pixel_y = j["first_pixel"][1].get<int64_t>();
    }
    read(j, "actual_pixel_history", &c.actual_pixel_history);
    read(j, "expected_pixel_history", &c.expected_pixel_history);
    read(j, "text_identical", &c.text_identical);
    read(j, "summary", &c.summary);
    read(j, "report", &c.report);
}

void from_json(const Json &j, RunResult &r) {
    read(j, "program", &r.program);
    read(j, "status", &r.status);
    read(j, "reason", &r.reason);
    read(j, "exit_status", &r.exit_status);
    read(j, "signal", &r.signal);
    read(j, "signal_name", &r.signal_name);
    read(j, "events", &r.events);
    read(j, "frames", &r.frames);
    read(j, "virtual_seconds", &r.virtual_seconds);
    read(j, "wall_seconds", &r.wall_seconds);
    read(j, "text_tail", &r.text_tail);
    read(j, "comparison", &r.comparison);
}

bool parse_result_json(const std::string &text, RunResult *out, std::string *error) {
    try {
        const Json j = Json::parse(text);
        if (!j.is_object()) {
            *error = "not a JSON object";
            return false;
        }
        *out = j.get<RunResult>();
        return true;
    } catch (const Json::exception &e) {
        *error = e.what();
        return false;
    }
}
