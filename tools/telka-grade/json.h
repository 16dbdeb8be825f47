// A small JSON reader for telka-run's result files; the grader's own JSON
// output writes its strings with json_string (text_escape.h). Plain values
// only; no streaming.
#pragma once

#include "text_escape.h"

#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // The member called key, or nullptr (also when this is not an object).
    const JsonValue *get(const std::string &key) const;
    bool is_null() const { return kind == Kind::Null; }
    // The value as a number/string, or fallback when it is of another kind.
    double number_or(double fallback) const { return kind == Kind::Number ? number : fallback; }
    std::string text_or(const std::string &fallback) const { return kind == Kind::String ? text : fallback; }
};

// Parses text; false with *error saying where when it is not one JSON value.
bool parse_json(const std::string &text, JsonValue *out, std::string *error);


// A number as JSON writes it: whole numbers without a point.
std::string json_number(double v);

// The member's number, string or fallback; a missing member gives fallback.
double json_number_at(const JsonValue &v, const char *key, double fallback);
std::string json_text_at(const JsonValue &v, const char *key, const std::string &fallback);
